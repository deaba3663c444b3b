// rplcomp: compiles a System RPL source into SASM source.
#include "RplComp.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return RunRplcomp(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout);
}

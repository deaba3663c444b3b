// sdis: disassembles Saturn code into source that sasm assembles back.
#include "Sdis.h"

#include <iostream>

int main(int argc, char** argv)
{
    return sasm::RunSdis(std::vector<std::string>(argv + 1, argv + argc), std::cout);
}

// sasm: assembles Saturn source into an object module for the loader.
#include "Sasm.h"

#include <iostream>

int main(int argc, char** argv)
{
    return sasm::RunSasm(std::vector<std::string>(argv + 1, argv + argc), std::cout);
}

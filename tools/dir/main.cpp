// wendrix: builds an HP48 directory object from an index file.
#include "Wendrix.h"

#include <iostream>

int main(int argc, char** argv)
{
    return RunWendrix(std::vector<std::string>(argv + 1, argv + argc), std::cout);
}

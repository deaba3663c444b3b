// usrlib: builds an HP48 library object from a directory object.
#include "Usrlib.h"

#include <iostream>

int main(int argc, char** argv)
{
    return RunUsrlib(std::vector<std::string>(argv + 1, argv + argc), std::cout);
}

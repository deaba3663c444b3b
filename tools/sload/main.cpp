// sload: loads object modules as a control file says and writes the download file.
#include "Loader.h"

#include <iostream>

int main(int argc, char** argv)
{
    return RunSload(std::vector<std::string>(argv + 1, argv + argc), std::cout);
}

// The build without a window, as `velmora --build` runs it, in a program of its own so
// the tests can start it, interrupt it and read its exit code.
#include "HeadlessBuild.h"

int main(int argc, char** argv)
{
    return RunHeadlessBuild(argc, argv);
}

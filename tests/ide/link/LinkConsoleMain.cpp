// The link's console mode alone, for builds without the windowed program.
#include "LinkCommands.h"

int main(int argc, char** argv)
{
    return RunLinkConsoleMode(argc, argv);
}

#include <cstdlib>

#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    // The runtime's argv[0]: the first word of the command line, or the module name.
    return RunSetup(instance, __argv[0], arguments);
}

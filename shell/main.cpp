#include <cstddef>

#include "shell/shell.h"
#include "shell/syslib.h"

// The process starts here rather than in the compiler's start-up code, which the program does not
// need (no argv, no static constructors) and which would take a sixth of the shipped file. Nothing
// runs static constructors or atexit handlers here: globals must stay constant-initialised.
extern "C" void WINAPI SetupEntry()
{
    RestrictDllSearchPath();
    // The program path is the command line's first word, quoted or not; the switches follow it
    // after blanks, as WinMain would have been given them.
    static char program[2 * kBufferSize];
    const char* p = GetCommandLineA();
    std::size_t length = 0;
    bool quoted = false;
    for (; *p != '\0' && (quoted || (*p != ' ' && *p != '\t')); ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (length + 1 < sizeof program)
            program[length++] = *p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    ExitProcess(static_cast<UINT>(RunSetup(GetModuleHandleA(nullptr), program, p)));
}

#include "shell/shell.h"

HINSTANCE moduleInstance;
HWND mainWindow;
char messageBuffer[kBufferSize];
char messageBuffer2[kBufferSize];
char sourceDirectory[kBufferSize];
char destinationDirectory[kBufferSize];
RunMode runMode = RunMode::Interactive;
bool noCancel;
bool noIcons;
long restartExitCode = kExitRestartNeeded;
bool somethingFailed;
bool restartNeeded;

// Process-wide state of the setup and the text, message and dialog services every part uses.
#pragma once
#include <windows.h>

#include "shell/cmdline.h"

enum { kBufferSize = 260 };

extern HINSTANCE moduleInstance;   // where strings, dialogs and the icon are loaded from
extern HWND mainWindow;            // the title window; owner of both dialogs
extern char messageBuffer[kBufferSize];
extern char messageBuffer2[kBufferSize];
extern char sourceDirectory[kBufferSize];
extern char destinationDirectory[kBufferSize];

extern RunMode runMode;       // how the command line asked the setup to run
extern bool noCancel;         // /NOCANCEL: the installation cannot be cancelled
extern bool noIcons;          // /NOICONS: no program group
extern long restartExitCode;  // the exit code of a run that needs a restart to finish
extern bool somethingFailed;  // a file, shared file, the device key or a registration failed
extern bool restartNeeded;    // a file in use waits for the next restart to be replaced

// String loading: at most 254 characters arrive; an id without an entry gives "".
// Each loader writes only its own buffer.
char* LoadMessage(int id);
char* LoadMessage2(int id);
// The same into a kBufferSize buffer of the caller's, leaving the shared ones alone.
char* LoadText(int id, char* buffer);

// A message box captioned with the product title. The owner is disabled while it is up and
// enabled afterwards. The caption goes through messageBuffer2, so text must not lie there.
// Unattended, no box is shown: the message is logged with the answer taken, which is the one
// that changes nothing (No, Abort, OK) unless the caller names another.
int ShowMessage(HWND owner, const char* text, UINT style);
int ShowMessageOr(HWND owner, const char* text, UINT style, int silentAnswer);
int ShowMessageId(HWND owner, int id, UINT style);

INT_PTR RunModalDialog(HWND owner, WORD templateId, DLGPROC procedure, LPARAM parameter);

// Puts the dialog's centre at the given fractions of its owner (or of the desktop when the owner
// is missing or minimised), kept on the screen.
void CentreDialog(HWND dialog, float horizontal, float vertical);

// Dispatches at most one pending message, without dialog keyboard handling. Called after every
// copied block: it looks at the queue only when its last look found a message or when
// kQuietDrainMilliseconds have passed since, so a message waits at most that long plus a block.
enum { kQuietDrainMilliseconds = 5 };
void DrainOneMessage();

// Start-up and main window.
void DeriveSourceDirectory(const char* programPath);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// arguments: the command line after the program name. Returns the exit code: 0 for every
// interactive run; for unattended runs one of these.
enum { kExitInstalled = 0, kExitIncomplete = 1, kExitDestinationRefused = 2, kExitBadCommandLine = 3,
       kExitCancelled = 4, kExitRestartNeeded = 3010,
       kExitSetupInProgress = 1618 };  // another installation or removal holds the machine
// Takes the machine-wide mutex of installations and removals, waiting at most wait ms; false
// when another process holds it.
bool TakeSetupMutex(DWORD wait);
int RunSetup(HINSTANCE instance, const char* programPath, const char* arguments = "");
void CompleteInstallation();
extern bool installStarted;  // the install command has been taken; later ones are ignored

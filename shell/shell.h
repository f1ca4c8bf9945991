// Process-wide state of the setup and the text, message and dialog services every part uses.
#pragma once
#include <windows.h>

enum { kBufferSize = 260 };

extern HINSTANCE moduleInstance;   // where strings, dialogs and the icon are loaded from
extern HWND mainWindow;            // the title window; owner of both dialogs
extern char messageBuffer[kBufferSize];
extern char messageBuffer2[kBufferSize];
extern char sourceDirectory[kBufferSize];
extern char destinationDirectory[kBufferSize];

// String loading: at most 254 characters arrive; an id without an entry gives "".
// Each loader writes only its own buffer.
char* LoadMessage(int id);
char* LoadMessage2(int id);

// A message box captioned with the product title. The owner is disabled while it is up and
// enabled afterwards. The caption goes through messageBuffer2, so text must not lie there.
int ShowMessage(HWND owner, const char* text, UINT style);
int ShowMessageId(HWND owner, int id, UINT style);

INT_PTR RunModalDialog(HWND owner, WORD templateId, DLGPROC procedure, LPARAM parameter);

// Puts the dialog's centre at the given fractions of its owner (or of the desktop when the owner
// is missing or minimised), kept on the screen.
void CentreDialog(HWND dialog, float horizontal, float vertical);

// Dispatches at most one pending message, without dialog keyboard handling.
void DrainOneMessage();

// Start-up and main window.
void DeriveSourceDirectory(const char* programPath);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int RunSetup(HINSTANCE instance, const char* programPath);
void CompleteInstallation();

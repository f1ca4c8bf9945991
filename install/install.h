// The install state shared by the sequence, the destination checks, the copy and the progress
// dialog, and the sequence itself.
#pragma once
#include <windows.h>

extern bool cancelFlag;      // set once the user confirms Cancel; never reset
extern long bytesCopied;     // bytes written so far in this run
extern long totalBytes;      // bytes the whole installation writes (string 18)
extern HWND progressDialog;  // the modeless progress dialog, while it exists

// The whole installation. Non-zero when it ran to its end; zero when the user left or
// cancelled, in which case the quit request has already been posted.
int RunInstallSequence();

// Called once the installation's record is open, before the first file: what the program around
// the installation keeps of it (its entry, its uninstaller).
extern bool (*installationStarting)();  // false: nothing may be installed
extern bool destinationRefused;           // the run ended at the destination: nothing installed
extern const char* commandLineDirectory;  // /DIR of an unattended run; null for the default

// Steps of the sequence, callable on their own.
void RemoveListedFiles(const char* destination);
void CopyTemporaryFiles(HWND dialog);

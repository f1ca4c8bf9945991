// Installing shared system libraries through the platform's version installation services.
#pragma once
#include <windows.h>

// Expands the listed file id into "<destination>System\" and installs it where the version
// services recommend, asking the user (over the main window) how to settle a conflict. owner
// owns the copy-failure message. 1 when the version services were reached, whatever they and
// the user decided; 0 when the file could not be staged or VerFindFileA stopped it.
int InstallSharedFile(HWND owner, int id);

// 1 when path can be opened for reading.
int FileExists(const char* path);

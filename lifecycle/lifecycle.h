// The product's life on a machine around the installation: its Programs and Features entry, the
// uninstaller, and removal. Above the parts that install; they know nothing of it.
#pragma once
#include <windows.h>

// Once the installation's record is open, before the first file: takes over the record of an
// installation elsewhere, writes the entry and copies this program into the destination as the
// uninstaller. False, nothing changed, when an installation elsewhere cannot be taken over.
bool BeginInstallation();
// After the installation's last step: the entry's size from what the record holds.
void UpdateEstimatedSize();

// The installed location from the entry, without its trailing backslash (the form the
// destination dialog and /DIR take), or null when the product is not installed.
const char* InstalledDestination();

// The whole removal (/UNINSTALL). arguments: the command line after the program name, handed on
// when the uninstaller must run from a temporary copy. Returns the exit code.
int RunRemoval(const char* arguments);
// Whether this process is the temporary copy a removal was handed over to.
bool IsHandOverCopy();

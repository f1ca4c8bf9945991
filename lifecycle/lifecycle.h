// The product's life on a machine after the copy: its Programs and Features entry, the record of
// what the installation changed (noted at each point where it changes the machine), the
// shared-file counts, and removal.
#pragma once
#include <windows.h>

// At the start of the installation, before the first file (destinationDirectory set, ending in
// '\'): opens the record in the destination, merging an earlier one, writes the entry and copies
// this program there as the uninstaller. Changes noted before this go into the record then.
void BeginInstallationRecord();

// Each notes one change, as it is made. RecordFile and RecordShortcut read the size and time the
// file has now. Nothing is noted twice.
void RecordFile(const char* path);
void RecordShortcut(const char* path);
void RecordDirectory(const char* path);
void RecordServer(const char* path);
void RecordDdeGroup(const char* name);
void RecordShortcutFolder(const char* path);
// Before the device key (string keyId, below HKEY_LOCAL_MACHINE) is created: notes it, and each
// level of its path that does not exist yet.
void RecordDeviceKey(int keyId);
// Before a shared file (a name) is installed into the system directory: adds this product's one
// count to its SharedDLLs entry, starting from 1 when the file is there without a count. Once per
// product: a reinstallation adds nothing.
void CountSharedFile(const char* fileName);

// The installed location from the entry, without its trailing backslash (the form the
// destination dialog and /DIR take), or null when the product is not installed.
const char* InstalledDestination();

// The whole removal (/UNINSTALL). arguments: the command line after the program name, handed on
// when the uninstaller must run from a temporary copy. Returns the exit code.
int RunRemoval(const char* arguments);
// Whether this process is the temporary copy a removal was handed over to.
bool IsHandOverCopy();

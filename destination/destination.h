// The destination dialog and the checks on the path the user chose.
#pragma once
#include <windows.h>

// Runs the destination dialog over owner. destination (260 bytes) receives the default path
// with the Windows drive letter, then the path as read from the field (at most 254 characters).
// Non-zero when OK passed both checks, zero on "Exit Setup" or Escape, -1 when the dialog
// could not be created. prompt must stay valid until the dialog has initialised. With
// exactDefault the default is offered as it stands, drive and all (a destination someone named).
INT_PTR AskDestination(HWND owner, char* destination, const char* prompt, const char* defaultPath,
                       bool exactDefault = false);

// The default path with the Windows drive letter, as the dialog offers it, into destination
// (260 bytes); empty when the default does not fit.
void DefaultDestination(char* destination, const char* defaultPath);

INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Installed on the path field: drops every typed character that IsPathCharacter refuses.
LRESULT CALLBACK PathFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);

// Passes when the entry (trailing spaces and one trailing backslash aside) names an existing
// directory or file, or when the user agrees to create it; fails only on "No". An entry that is
// empty once trimmed passes here, since there is nothing to create: the drive check refuses it.
int CheckDestinationDirectory(const char* entry);

// Set when "Exit Setup" ends the dialog while a check's question is up: the checks then stop,
// creating nothing.
extern bool destinationExitChosen;

// Passes when the drive of the entry's first character can be queried and holds the
// installation, or when the user goes on despite too little space. Messages are owned by
// dialog. An entry that is empty once trimmed is refused as an invalid drive.
int CheckDestinationDrive(HWND dialog, const char* entry);

// The free-space query of the drive check; tests replace it to present drives of any size.
using DiskFreeSpaceQuery = BOOL(WINAPI*)(LPCSTR root, LPDWORD sectorsPerCluster,
                                         LPDWORD bytesPerSector, LPDWORD freeClusters,
                                         LPDWORD totalClusters);
extern DiskFreeSpaceQuery queryDiskFreeSpace;

// The access list of the directories the setup creates (SYSTEM and Administrators full control,
// Users read and execute, inherited below, nothing inherited from above).
struct ProtectedDescriptor {
    SECURITY_DESCRIPTOR descriptor;
    DWORD acl[64];                      // the access list the descriptor points to
    DWORD sids[3][SECURITY_MAX_SID_SIZE / sizeof(DWORD)];  // the entries' owners
};
bool BuildProtectedDescriptor(ProtectedDescriptor* out);
// Creates one directory with that access list; false as CreateDirectoryA or when it cannot be made.
bool CreateProtectedDirectory(const char* path);

// System libraries that are not KnownDLLs, loaded from the system directory only, and the DLL
// search path left to everything else. A copy of such a library planted beside the setup or in
// its working directory would otherwise run inside an elevated setup.
#pragma once
#include <windows.h>

// Takes the application and current directories out of the DLL search path for every later load.
// Call it first, before anything else loads a DLL.
void RestrictDllSearchPath();

// Load the LZ expansion or version installation services from the system directory by full
// path, once. False when the library or one of its entries is missing; the entries are then null.
bool LoadLzServices();
bool LoadVersionServices();

extern INT(WINAPI* lzInit)(INT file);
extern INT(WINAPI* lzRead)(INT file, LPSTR buffer, INT count);
extern LONG(WINAPI* lzSeek)(INT file, LONG offset, INT origin);
extern void(WINAPI* lzClose)(INT file);
extern DWORD(WINAPI* verFindFile)(DWORD flags, LPSTR fileName, LPSTR windowsDirectory, LPSTR applicationDirectory,
                                  LPSTR currentDirectory, PUINT currentLength, LPSTR destinationDirectory,
                                  PUINT destinationLength);
extern DWORD(WINAPI* verInstallFile)(DWORD flags, LPSTR sourceName, LPSTR destinationName, LPSTR sourceDirectory,
                                     LPSTR destinationDirectory, LPSTR currentDirectory, LPSTR temporaryName,
                                     PUINT temporaryLength);

// Takes a deletion of path that an earlier run scheduled for the next restart (a removal while the
// file was in use) off the list, so that a file written now stays. True when there was one.
bool CancelPendingDeletion(const char* path);

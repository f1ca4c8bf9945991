// What the lifecycle files share among themselves.
#pragma once
#include <windows.h>

#include "record/recording.h"
#include "shell/shell.h"

// What this string table's installation into location can have written (removal.cpp): InScope
// follows a record line only within it, or within a location the entry says it was moved from.
bool BuildProductScope(const char* location);
bool InScope(const RecordEntry& entry);

// The entry and the shared-file counts (entry.cpp).
// The locations the installation was moved from, each terminated, the list ending in an empty one.
void ReadEarlierLocations(char* list, DWORD size);
void WriteUninstallEntry();
const char* InstalledLocation();  // ending in '\', or null
bool DeleteUninstallEntry();
// Takes this product's count off a shared file's entry; the value goes at 0.
void DropSharedCount(const char* path);

// The hand-over to a temporary copy (handover.cpp).
// Whether this process is a removal's temporary copy, handed over to by a live first process
// through a pipe, from outside the installed location; Refused for anything else that claims it.
enum class HandOver { None, Valid, Refused };
HandOver TakeHandOver();
// Runs the copy and returns its result, or kNotHandedOver when the copy cannot be made or started
// (the reason logged): the removal then goes on in place.
enum { kNotHandedOver = -1 };
int HandOverRemoval(const char* arguments);
void ReportHandOver(DWORD code);              // lets the first process end with code
void FinishHandOver(const char* leftBehind);  // once it has: leftBehind (may be null) and self
// (removal.cpp) Schedules a file or directory for deletion at the next restart.
bool RemoveAtRestart(const char* path);
// Removes the created directories that are empty, then schedules those in which everything waits
// for the restart.
void TakeBackDirectories();

// What the lifecycle files share among themselves.
#pragma once
#include <windows.h>

#include "record/recording.h"
#include "shell/shell.h"

// The entry and the shared-file counts (entry.cpp).
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
int HandOverRemoval(const char* arguments);   // runs the copy and returns its result
void ReportHandOver(DWORD code);              // lets the first process end with code
void FinishHandOver(const char* leftBehind);  // once it has: leftBehind (may be null) and self
bool RemoveCreatedDirectories();              // (removal.cpp) true when any went

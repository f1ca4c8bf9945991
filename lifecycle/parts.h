// What the lifecycle files share among themselves.
#pragma once
#include <windows.h>

#include "lifecycle/record.h"
#include "shell/shell.h"

enum { kRecordSize = 16384 };
// The record as it stands (installation) or was read (removal): kRecordSize bytes from the heap,
// so the program file does not carry them. Null until EnsureRecordText has succeeded.
extern char* recordText;
bool EnsureRecordText();
extern char recordPath[kBufferSize];  // "" until the destination is known

// Size and last-write time of a file (false for a directory or what cannot be read).
bool ReadFileStamp(const char* path, unsigned long long* size, unsigned long long* time);
// Reads a whole text file into buffer (size bytes, terminated); false when it cannot be read or
// does not fit.
bool ReadTextFile(const char* path, char* buffer, DWORD size);

// The entry and the shared-file counts (entry.cpp).
extern const char kSharedDllsKey[];
void WriteUninstallEntry();
void UpdateEstimatedSize();
const char* InstalledLocation();  // ending in '\', or null
bool DeleteUninstallEntry();
// Takes this product's count off a shared file's entry; the value goes at 0.
void DropSharedCount(const char* path);

// The hand-over to a temporary copy (handover.cpp).
bool TakeHandOver();                          // this process is the copy: the first one waits
int HandOverRemoval(const char* arguments);   // runs the copy and returns its result
void ReportHandOver(DWORD code);              // lets the first process end with code
void FinishHandOver(const char* leftBehind);  // once it has: leftBehind (may be null) and self
bool RemoveCreatedDirectories();              // (removal.cpp) true when any went

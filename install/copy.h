// Copying one listed file into the installation, expanding LZ-compressed files.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdio>

// Copies the listed file id from the source to the destination directory; on failure shows
// the copy-failure message, owned by owner. A destination in use is replaced at the next restart
// (restartNeeded). 1 when copied or waiting for the restart, 0 otherwise.
int CopyProductFile(HWND owner, int id);

// Copies source to destination (a 260-byte buffer), expanding a compressed source under its
// expanded name, which destination holds afterwards. Creates the destination's directories
// first. The record notes the file before its first byte is written. 1 when the whole file
// arrived; 0 otherwise, without leaving a partial file behind. With besideIfInUse, a destination
// in use is left alone and the file is written beside it, under its name and kStagedSuffix.
int CopyExpandFile(int id, char* destination, const char* source, bool besideIfInUse = false);
// Whether the last CopyExpandFile found the destination to be the source itself, or in use and
// already what it would write (nothing written).
extern bool copiedInPlace;
// Whether the last CopyExpandFile wrote beside the destination, which was in use.
extern bool copiedBeside;

// Replaces the text after the last backslash of path (260 bytes) with name. A result that
// would not fit leaves path unchanged.
void ReplaceFileName(char* path, const char* name);

// Shows the listed name of id beside "Copying:" and destination beside "To:".
void ShowCopyProgress(int id, const char* destination);

// "Unable to copy file [<listed name>]. ..." owned by owner. Returns the button pressed.
int ReportCopyFailure(HWND owner, int id);

// Seams for tests: where the 2048-byte block buffer comes from (released with free), and how a
// block is written (true when all of it was).
extern void* (*allocateCopyBlock)(std::size_t size);
extern bool (*writeCopyBlock)(const void* data, std::size_t size, std::FILE* destination);

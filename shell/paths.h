// Splitting a program path into the directory it came from. Portable: no platform headers.
#pragma once
#include <cstddef>

// True when the path starts with a drive ("d:...").
bool HasDriveLetter(const char* path);

// Drive and directory of path, the directory keeping its trailing separator ("D:\INSTALL\" for
// "D:\INSTALL\SETUP.EXE"; "\\srv\share\" for "\\srv\share\SETUP.EXE"; "" for "SETUP.EXE").
// Returns false, leaving out unchanged, when the result would not fit in size bytes.
bool DirectoryOfPath(const char* path, char* out, std::size_t size);

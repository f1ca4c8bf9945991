// Paths as every part of the setup composes and splits them. Portable: no platform headers.
#pragma once
#include <cstddef>

// True when the path starts with a drive ("d:...").
bool HasDriveLetter(const char* path);

// Drive and directory of path, the directory keeping its trailing separator ("D:\INSTALL\" for
// "D:\INSTALL\SETUP.EXE"; "\\srv\share\" for "\\srv\share\SETUP.EXE"; "" for "SETUP.EXE").
// Returns false, leaving out unchanged, when the result would not fit in size bytes.
bool DirectoryOfPath(const char* path, char* out, std::size_t size);

// The text after the last backslash of path; the whole path when it has none.
const char* FileNamePart(const char* path);

// Cuts path just after its last backslash (to empty without one) and appends name, within size
// bytes. False, path unchanged, when the result would not fit.
bool ReplacePathFileName(char* path, std::size_t size, const char* name);

// directory and name joined by exactly one backslash ("C:\WINDOWS\SYSTEM" and "VER1.TMP", or
// "C:\WINDOWS\SYSTEM\" and "\VER1.TMP", both give "C:\WINDOWS\SYSTEM\VER1.TMP"). False, out
// unchanged, when it would not fit in size bytes. directory may be out itself; name must not lie
// in out.
bool JoinPath(char* out, std::size_t size, const char* directory, const char* name);

// Appends a backslash to a path that does not end in one (an empty path stays empty), within
// size bytes; a path with no room left stays as it is.
void EnsureTrailingBackslash(char* path, std::size_t size = 260);

// The program group as a Start Menu folder of shortcuts, for systems where no Program Manager
// answers over DDE.
#pragma once

// Creates (or reuses) <all-users Programs>\<group>, or <user's Programs>\<group> when the common
// folder cannot be had or written. folder (260 bytes) receives its path, without a trailing
// backslash. False when no folder could be made or the group name is empty or not a single
// folder name.
bool CreateShortcutFolder(const char* group, char* folder);

// Writes (or replaces) <folder>\<caption>.lnk for commandLine: its first word, quoted or not, is
// the program, the rest its arguments. A program without a directory is looked up like the
// shell does (the search path, then the App Paths registration). Refused (false, no file) when
// the program cannot be found, the caption is not a valid file name, or a path would not fit.
// The working directory is the program's directory. Initialises COM for the call when needed.
bool CreateShortcut(const char* folder, const char* caption, const char* commandLine);

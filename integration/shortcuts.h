// The program group as a Start Menu folder of shortcuts, for unattended runs and for systems
// where no Program Manager answers over DDE.
#pragma once

// Creates (or reuses) <all-users Programs>\<group>, or <user's Programs>\<group> when the common
// folder cannot be had or takes no new file (an existing one closed to this user). folder (260
// bytes) receives its path, without a trailing backslash. False when no folder could be made or
// the group name is empty or not a single folder name.
bool CreateShortcutFolder(const char* group, char* folder);

enum class ShortcutResult {  // from the best outcome to the worst
    Created,
    ProgramNotFound,  // what Program Manager refuses too
    Refused,          // the caption is not a file name, the command line has no program, or a path would not fit
    NotSaved,         // the shell link could not be made or written
};

// Writes (or replaces) <folder>\<caption>.lnk for commandLine: its first word, quoted or not, is
// the program, the rest its arguments. A program without a directory is looked up like the
// shell does (the search path, then the App Paths registration), then in the Windows accessories
// folder. A document as the program opens with what handles its kind. No file is left unless the
// result is Created. The working directory is the program's directory. Initialises COM for the
// call when needed.
ShortcutResult CreateShortcut(const char* folder, const char* caption, const char* commandLine);

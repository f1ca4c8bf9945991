// Texts of the Program Manager commands, composed into the fixed buffers the group stage uses.
// Portable: no platform headers. Arguments go in verbatim, unquoted, as Program Manager reads
// them. Every function returns false and leaves the buffer unchanged when the text would not fit.
#pragma once
#include <cstddef>

enum {
    kGroupCommandSize = 80,      // create and show commands, terminator included
    kWindowsDirectorySize = 64,  // the Windows directory named with a group file
    kItemCommandSize = 512,      // replace and add commands
    kCommandLineSize = 520,      // an item's command line: a program path and one path argument
};

extern const char kExitCommand[];  // sent verbatim

// "[CreateGroup(name)]", or "[CreateGroup(name,windows\file)]" when groupFile is not empty; the
// latter is refused when windowsDirectory is null (the caller could not read it).
bool FormatCreateGroupCommand(char* buffer, std::size_t size, const char* group,
                              const char* windowsDirectory, const char* groupFile);
bool FormatShowGroupCommand(char* buffer, std::size_t size, const char* group);
bool FormatReplaceItemCommand(char* buffer, std::size_t size, const char* caption);
// The command line serves as the program and again as the icon path (icon 0).
bool FormatAddItemCommand(char* buffer, std::size_t size, const char* commandLine,
                          const char* caption);

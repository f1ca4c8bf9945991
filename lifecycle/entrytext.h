// Texts of the Programs and Features entry and of the group's removal. Portable: no platform
// headers. Each returns false, buffer unchanged, when the text would not fit in size bytes.
#pragma once
#include <cstddef>

// "\"<directory><program>\" /UNINSTALL", with " /VERYSILENT" after it when quiet: a caller can
// hand either to CreateProcess as it stands. directory ends in '\'.
bool FormatRemovalCommand(char* buffer, std::size_t size, const char* directory, const char* program,
                          bool quiet);
// "<directory><program>,0": the entry's icon is the program's first.
bool FormatDisplayIcon(char* buffer, std::size_t size, const char* directory, const char* program);
// YYYYMMDD.
bool FormatInstallDate(char* buffer, std::size_t size, unsigned year, unsigned month, unsigned day);
// "[DeleteGroup(name)]", the group's name verbatim as Program Manager reads it.
bool FormatDeleteGroupCommand(char* buffer, std::size_t size, const char* group);
// "[DeleteItem(caption)]": an item of the group that the last ShowGroup made current.
bool FormatDeleteItemCommand(char* buffer, std::size_t size, const char* caption);

#include "lifecycle/entrytext.h"

#include "shell/text.h"

bool FormatRemovalCommand(char* buffer, std::size_t size, const char* directory, const char* program,
                          bool quiet)
{
    return ComposeText(buffer, size, {"\"", directory, program, "\" /UNINSTALL", quiet ? " /VERYSILENT" : ""});
}

bool FormatDisplayIcon(char* buffer, std::size_t size, const char* directory, const char* program)
{
    return ComposeText(buffer, size, {directory, program, ",0"});
}

bool FormatInstallDate(char* buffer, std::size_t size, unsigned year, unsigned month, unsigned day)
{
    if (year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    return FormatText(buffer, size, "%04u%02u%02u", year, month, day);
}

bool FormatDeleteGroupCommand(char* buffer, std::size_t size, const char* group)
{
    return FormatText(buffer, size, "[DeleteGroup(%s)]", group);
}

bool FormatDeleteItemCommand(char* buffer, std::size_t size, const char* caption)
{
    return FormatText(buffer, size, "[DeleteItem(%s)]", caption);
}

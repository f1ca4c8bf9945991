#include "integration/ddecommands.h"

#include "shell/text.h"

const char kExitCommand[] = "[exitprogman(1)]";

bool FormatCreateGroupCommand(char* buffer, std::size_t size, const char* group,
                              const char* windowsDirectory, const char* groupFile)
{
    if (groupFile[0] == '\0')
        return FormatText(buffer, size, "[CreateGroup(%s)]", group);
    if (windowsDirectory == nullptr)
        return false;
    return FormatText(buffer, size, "[CreateGroup(%s,%s\\%s)]", group, windowsDirectory, groupFile);
}

bool FormatShowGroupCommand(char* buffer, std::size_t size, const char* group)
{
    return FormatText(buffer, size, "[showgroup(%s,1)]", group);
}

bool FormatReplaceItemCommand(char* buffer, std::size_t size, const char* caption)
{
    return FormatText(buffer, size, "[replaceitem(%s)]", caption);
}

bool FormatAddItemCommand(char* buffer, std::size_t size, const char* commandLine,
                          const char* caption)
{
    return FormatText(buffer, size, "[additem(%s,%s,%s,0)]", commandLine, caption, commandLine);
}

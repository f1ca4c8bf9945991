#include "destination/tree.h"

#include <cstring>

#include "shell/paths.h"

void TrimTrailing(char* text, char c)
{
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == c)
        text[--length] = '\0';
}

bool TreeDirectoryPart(const char* path, char* tree)
{
    if (std::strlen(path) >= kTreeBufferSize)
        return false;
    // The directory part ends with its separator, so no backslash needs adding.
    return DirectoryOfPath(path, tree, kTreeBufferSize);
}

std::size_t FirstLevelSearch(const char* tree)
{
    return HasDriveLetter(tree) ? 3 : 1;
}

std::size_t NextLevelEnd(const char* tree, std::size_t from)
{
    std::size_t length = std::strlen(tree);
    if (from >= length)
        return 0;
    const char* backslash = std::strchr(tree + from, '\\');
    if (backslash != nullptr)
        return static_cast<std::size_t>(backslash - tree);
    // A directory that ends with a slash still names a level of its own.
    return length;
}

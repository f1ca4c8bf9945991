#include "shell/paths.h"

#include <cstring>

#include "shell/text.h"

bool HasDriveLetter(const char* path)
{
    return path[0] != '\0' && path[1] == ':';
}

bool DirectoryOfPath(const char* path, char* out, std::size_t size)
{
    std::size_t end = 0;
    if (HasDriveLetter(path))
        end = 2;
    for (std::size_t i = end; path[i] != '\0'; ++i)
        if (path[i] == '\\' || path[i] == '/')
            end = i + 1;
    if (end >= size)
        return false;
    std::memmove(out, path, end);
    out[end] = '\0';
    return true;
}

const char* FileNamePart(const char* path)
{
    const char* backslash = std::strrchr(path, '\\');
    return backslash != nullptr ? backslash + 1 : path;
}

bool ReplacePathFileName(char* path, std::size_t size, const char* name)
{
    std::size_t keep = static_cast<std::size_t>(FileNamePart(path) - path);
    std::size_t length = std::strlen(name);
    if (keep + length >= size)
        return false;
    std::memmove(path + keep, name, length + 1);
    return true;
}

bool JoinPath(char* out, std::size_t size, const char* directory, const char* name)
{
    std::size_t length = std::strlen(directory);
    bool directoryEnds = length > 0 && directory[length - 1] == '\\';
    bool nameStarts = name[0] == '\\';
    if (directoryEnds && nameStarts)
        ++name;
    const char* separator = (directoryEnds || nameStarts) ? "" : "\\";
    return ComposeText(out, size, {directory, separator, name});  // directory may be out
}

void EnsureTrailingBackslash(char* path, std::size_t size)
{
    // An empty path means the current directory and stays empty; a path with no room left
    // stays as it is, and every file composed from it is then refused by the copy.
    std::size_t length = std::strlen(path);
    if (length > 0 && path[length - 1] != '\\')
        ComposeText(path, size, {path, "\\"});
}

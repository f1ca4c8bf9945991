#include "shell/paths.h"

#include <cstring>

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

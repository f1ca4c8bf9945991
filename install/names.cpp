#include "install/names.h"

#include <cstring>

#include "shell/text.h"

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

void ApplyExpandedName(char* name, char recorded)
{
    char* base = const_cast<char*>(FileNamePart(name));
    std::size_t length = std::strlen(base);
    if (length == 0)
        return;
    char* last = base + length - 1;
    if (*last == '.' && std::strchr(base, '.') == last) {
        *last = '\0';
        return;
    }
    if (*last != '_' || recorded == '\0')
        return;
    bool lower = true;
    for (const char* p = base; *p != '\0'; ++p)
        lower = lower && !(*p >= 'A' && *p <= 'Z');
    if (lower && recorded >= 'A' && recorded <= 'Z')
        recorded = static_cast<char>(recorded - 'A' + 'a');
    else if (!lower && recorded >= 'a' && recorded <= 'z')
        recorded = static_cast<char>(recorded - 'a' + 'A');
    *last = recorded;
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

// The length of format with the name put in; writes that text to out unless out is null.
static std::size_t SubstituteName(char* out, const char* format, const char* name)
{
    std::size_t at = 0;
    std::size_t nameLength = std::strlen(name);
    for (const char* p = format; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            if (out != nullptr)
                std::memcpy(out + at, name, nameLength);
            at += nameLength;
            ++p;
            continue;
        }
        if (p[0] == '%' && p[1] == '%')
            ++p;
        if (out != nullptr)
            out[at] = *p;
        ++at;
    }
    return at;
}

bool FormatWithName(char* out, std::size_t size, const char* format, const char* name)
{
    std::size_t length = SubstituteName(nullptr, format, name);
    if (length >= size)
        return false;
    SubstituteName(out, format, name);
    out[length] = '\0';
    return true;
}

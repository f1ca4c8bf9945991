#include "install/names.h"

#include <cstring>

#include "shell/paths.h"

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

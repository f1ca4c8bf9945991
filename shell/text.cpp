#include "shell/text.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

long ParseNumber(const char* text)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<long>(value);
}

bool ComposeText(char* buffer, std::size_t size, std::initializer_list<const char*> parts)
{
    std::size_t total = 0;
    for (const char* part : parts)
        total += std::strlen(part);
    if (total >= size)
        return false;
    std::size_t at = 0;
    for (const char* part : parts) {
        std::size_t length = std::strlen(part);
        if (part != buffer + at)
            std::memmove(buffer + at, part, length);
        at += length;
    }
    buffer[at] = '\0';
    return true;
}

bool FormatText(char* buffer, std::size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    bool fits = needed >= 0 && static_cast<std::size_t>(needed) < size;
    // Format into scratch first: an argument may lie in the buffer itself.
    char* scratch = fits ? static_cast<char*>(std::malloc(static_cast<std::size_t>(needed) + 1)) : nullptr;
    fits = scratch != nullptr;
    if (fits) {
        std::vsnprintf(scratch, static_cast<std::size_t>(needed) + 1, format, again);
        std::memcpy(buffer, scratch, static_cast<std::size_t>(needed) + 1);
        std::free(scratch);
    }
    va_end(again);
    return fits;
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

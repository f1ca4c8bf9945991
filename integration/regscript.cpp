#include "integration/regscript.h"

// Writes the line to out (when out is not null) and returns its length; -1 when the format holds
// a conversion other than %s and %%. Measured first and written second, so a line that would not
// fit leaves the buffer as it was, without a heap string.
static long long ComposeServiceLine(char* out, const char* format, const char* destination)
{
    long long at = 0;
    auto put = [&](char c) {
        if (out != nullptr)
            out[at] = c;
        ++at;
    };
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            put(*p);
            continue;
        }
        ++p;
        if (*p == 's') {
            for (const char* d = destination; *d != '\0'; ++d) {
                if (*d == '\\' || *d == '"')
                    put('\\');
                put(*d);
            }
        } else if (*p == '%') {
            put('%');
        } else {
            return -1;  // the format takes the destination and nothing else
        }
    }
    return at;
}

bool FormatServiceLine(char* buffer, std::size_t size, const char* format, const char* destination)
{
    long long length = ComposeServiceLine(nullptr, format, destination);
    if (length < 0 || static_cast<unsigned long long>(length) >= size)
        return false;
    ComposeServiceLine(buffer, format, destination);
    buffer[length] = '\0';
    return true;
}

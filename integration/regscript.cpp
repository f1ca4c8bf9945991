#include "integration/regscript.h"

#include <cstring>
#include <string>

bool FormatServiceLine(char* buffer, std::size_t size, const char* format,
                       const char* destination)
{
    std::string escaped;
    for (const char* p = destination; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '"')
            escaped += '\\';
        escaped += *p;
    }
    std::string line;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            line += *p;
            continue;
        }
        ++p;
        if (*p == 's')
            line += escaped;
        else if (*p == '%')
            line += '%';
        else
            return false;  // the format takes the destination and nothing else
    }
    if (line.size() >= size)
        return false;
    std::memcpy(buffer, line.c_str(), line.size() + 1);
    return true;
}

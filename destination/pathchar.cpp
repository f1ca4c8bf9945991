#include "destination/pathchar.h"

bool IsPathCharacter(unsigned code)
{
    if (code == 8)  // backspace
        return true;
    if (code >= '0' && code <= ':')  // digits and the drive colon
        return true;
    if ((code >= 'A' && code <= 'Z') || (code >= 'a' && code <= '{'))
        return true;
    switch (code) {
    case '!': case '#': case '$': case '%': case '&': case '(': case ')': case '-':
    case '\\': case '^': case '_': case '}': case '~':
        return true;
    default:
        return false;
    }
}

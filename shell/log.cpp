#include "shell/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "resources/resource.h"
#include "shell/shell.h"
#include "shell/text.h"

static HANDLE logFile = INVALID_HANDLE_VALUE;

enum { kLineSize = 1024 };

bool OpenLog(const char* path, bool append)
{
    CloseLog();
    char defaultPath[MAX_PATH];
    if (path[0] == '\0') {
        // A local buffer: the shared message buffers may hold a text the caller still needs.
        char temp[MAX_PATH];
        char name[255] = "";
        DWORD length = GetTempPathA(sizeof temp, temp);
        LoadStringA(moduleInstance, IDS_CLASS, name, sizeof name);
        if (length == 0 || length >= sizeof temp || name[0] == '\0' ||
            !ComposeText(defaultPath, sizeof defaultPath, {temp, name, ".LOG"}))
            return false;
        path = defaultPath;
    }
    // Readers may look at the log while the setup still writes it, and a removal's temporary copy
    // opens it to go on while the process that started it still holds it.
    logFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (append && logFile != INVALID_HANDLE_VALUE)
        SetFilePointer(logFile, 0, nullptr, FILE_END);
    return logFile != INVALID_HANDLE_VALUE;
}

void LogLine(const char* format, ...)
{
    if (logFile == INVALID_HANDLE_VALUE)
        return;
    char text[kLineSize];
    va_list args;
    va_start(args, format);
    int needed = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // A run-time whose vsnprintf fails on overflow may leave the text unterminated.
    bool cut = needed < 0 || static_cast<std::size_t>(needed) >= sizeof text;
    text[sizeof text - 1] = '\0';

    // A run of line breaks becomes one separator, or nothing beside a blank or at either end. A
    // character grows to at most three, and the cut mark and CR LF follow.
    char line[3 * kLineSize + 8];
    std::size_t at = 0;
    bool pendingBreak = false;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\r' || *p == '\n') {
            pendingBreak = at > 0;
            continue;
        }
        if (pendingBreak && *p != ' ' && line[at - 1] != ' ') {
            std::memcpy(line + at, " | ", 3);
            at += 3;
        }
        pendingBreak = false;
        line[at++] = *p;
    }
    if (cut) {
        std::memcpy(line + at, "...", 3);
        at += 3;
    }
    std::memcpy(line + at, "\r\n", 2);
    at += 2;
    DWORD written;
    WriteFile(logFile, line, static_cast<DWORD>(at), &written, nullptr);
}

void CloseLog()
{
    if (logFile != INVALID_HANDLE_VALUE)
        CloseHandle(logFile);
    logFile = INVALID_HANDLE_VALUE;
}

bool LogOpen()
{
    return logFile != INVALID_HANDLE_VALUE;
}

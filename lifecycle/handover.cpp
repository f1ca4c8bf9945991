// The uninstaller in the destination cannot delete itself, nor the directory it lies in, while it
// runs. It copies itself to the temporary directory, runs the copy and waits: the copy removes the
// installation, reports its exit code through an inherited pipe, waits for the first process to
// end (so a caller waiting for that one sees the real result), then deletes the original and the
// directories it held, and leaves itself to the next restart. Waiting for the copy to end instead
// would deadlock: the copy could not delete the still running original.
#include <cstring>

#include "destination/destination.h"
#include "lifecycle/parts.h"
#include "shell/paths.h"
#include "shell/log.h"
#include "shell/text.h"

// "<pipe> <process>": handles the copy inherits, as numbers. The environment, not the command
// line, so that the switches it is handed stay exactly the caller's.
static const char kHandOverVariable[] = "QVX_REMOVAL_HANDOVER";
static HANDLE reportPipe;
static HANDLE firstProcess;

static HANDLE HandleFromNumber(const char* text)
{
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(static_cast<unsigned long>(ParseNumber(text))));
}

bool IsHandOverCopy()
{
    return GetEnvironmentVariableA(kHandOverVariable, nullptr, 0) != 0;
}

// Only the process that made the copy can hand over: anyone can set the variable, and a removal
// that trusted it would wait on, report to or outlive whatever the numbers name.
HandOver TakeHandOver()
{
    char value[64];
    DWORD length = GetEnvironmentVariableA(kHandOverVariable, value, sizeof value);
    if (length == 0)
        return HandOver::None;
    SetEnvironmentVariableA(kHandOverVariable, nullptr);
    const char* blank = length < sizeof value ? std::strchr(value, ' ') : nullptr;
    if (blank == nullptr || value[0] < '0' || value[0] > '9' || blank[1] < '0' || blank[1] > '9')
        return HandOver::Refused;
    reportPipe = HandleFromNumber(value);
    firstProcess = HandleFromNumber(blank + 1);
    char module[kBufferSize];
    const char* location = InstalledLocation();
    DWORD moduleLength = GetModuleFileNameA(nullptr, module, sizeof module);
    bool inside = location == nullptr || moduleLength == 0 || moduleLength >= sizeof module ||
                  (moduleLength >= std::strlen(location) &&
                   CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, module, static_cast<int>(std::strlen(location)),
                                 location, -1) == CSTR_EQUAL);
    DWORD processId = GetProcessId(firstProcess);
    if (inside || GetFileType(reportPipe) != FILE_TYPE_PIPE || processId == 0 || processId == GetCurrentProcessId() ||
        WaitForSingleObject(firstProcess, 0) != WAIT_TIMEOUT) {
        reportPipe = firstProcess = nullptr;
        return HandOver::Refused;
    }
    return HandOver::Valid;
}

void ReportHandOver(DWORD code)
{
    DWORD written = 0;
    WriteFile(reportPipe, &code, sizeof code, &written, nullptr);
    CloseHandle(reportPipe);
}

void FinishHandOver(const char* leftBehind)
{
    // The first process ends as soon as it has read the code; a minute covers a loaded machine.
    // Its mutex comes to this process the moment it ends, so no other setup starts in between.
    TakeSetupMutex(60000);
    bool ended = WaitForSingleObject(firstProcess, 60000) == WAIT_OBJECT_0;
    CloseHandle(firstProcess);
    if (leftBehind != nullptr && leftBehind[0] != '\0') {
        if (ended && DeleteFileA(leftBehind)) {
            LogLine("File %s: removed", leftBehind);
        } else {
            RemoveAtRestart(leftBehind);
            LogLine("File %s: still running, removed at the next restart", leftBehind);
        }
        TakeBackDirectories();
    }
    char self[kBufferSize];
    char directory[kBufferSize];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length > 0 && length < sizeof self && MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        LogLine("Removal copy %s: removed at the next restart", self);
        if (DirectoryOfPath(self, directory, sizeof directory)) {
            directory[std::strlen(directory) - 1] = '\0';
            MoveFileExA(directory, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }
}

// Any step that fails leaves the removal to the first process, in place: a removal that cannot
// start a copy (no temporary directory, a refused start) must still remove the product.
int HandOverRemoval(const char* arguments)
{
    char module[kBufferSize];
    char temporary[kBufferSize];
    char copy[kBufferSize];
    char reserved[kBufferSize];
    DWORD moduleLength = GetModuleFileNameA(nullptr, module, sizeof module);
    DWORD temporaryLength = GetTempPathA(sizeof temporary, temporary);
    // A unique name from the platform, made a directory of the setup's own access list: the
    // temporary directory may be one that users can write (a service's), and the copy runs with
    // this process's rights, loading what lies beside it.
    bool named = moduleLength > 0 && moduleLength < sizeof module && temporaryLength > 0 &&
                 temporaryLength < sizeof temporary && GetTempFileNameA(temporary, "QVX", 0, reserved) != 0;
    bool copied = named && DeleteFileA(reserved) && CreateProtectedDirectory(reserved) &&
                  ComposeText(copy, sizeof copy, {reserved, "\\", FileNamePart(module)}) && CopyFileA(module, copy, TRUE);
    DWORD error = GetLastError();
    if (named && !copied)
        RemoveDirectoryA(reserved);
    if (!copied) {
        LogLine("Removal: cannot copy the uninstaller to the temporary directory %s (error %lu): removing in place",
                temporaryLength > 0 && temporaryLength < sizeof temporary ? temporary : "(none)", error);
        return kNotHandedOver;
    }

    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr, self = nullptr;
    char value[64];
    char commandLine[2 * kBufferSize + 600];
    bool ready = CreatePipe(&readEnd, &writeEnd, &inherited, 0) &&
                 SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0) &&
                 DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                                 SYNCHRONIZE | PROCESS_QUERY_INFORMATION, TRUE, 0) &&
                 FormatText(value, sizeof value, "%lu %lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(writeEnd)),
                            static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(self))) &&
                 SetEnvironmentVariableA(kHandOverVariable, value);
    if (ready && !ComposeText(commandLine, sizeof commandLine, {"\"", copy, "\" ", arguments})) {
        ready = false;
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Said before the copy starts: from then on the copy writes the log.
    if (ready)
        LogLine("Removal: handed over to %s", copy);
    // In this process's current directory, so that a relative /LOG names the same file for both.
    bool started = ready && CreateProcessA(copy, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    error = GetLastError();
    SetEnvironmentVariableA(kHandOverVariable, nullptr);
    if (writeEnd != nullptr)
        CloseHandle(writeEnd);
    if (self != nullptr)
        CloseHandle(self);
    if (!started) {
        if (readEnd != nullptr)
            CloseHandle(readEnd);
        DeleteFileA(copy);
        RemoveDirectoryA(reserved);
        LogLine("Removal: cannot start the copy %s (error %lu): removing in place", copy, error);
        return kNotHandedOver;
    }
    CloseLog();
    DWORD code = kExitIncomplete, got = 0;
    // A copy that ends without reporting has its own exit code as the answer.
    if (!ReadFile(readEnd, &code, sizeof code, &got, nullptr) || got != sizeof code) {
        WaitForSingleObject(info.hProcess, INFINITE);
        GetExitCodeProcess(info.hProcess, &code);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    CloseHandle(readEnd);
    return static_cast<int>(code);
}

#include <cstring>

#include "integration/dde.h"
#include "integration/group.h"
#include "integration/registration.h"
#include "lifecycle/entrytext.h"
#include "lifecycle/lifecycle.h"
#include "lifecycle/parts.h"
#include "install/names.h"
#include "shell/paths.h"
#include "resources/resource.h"
#include "shell/log.h"
#include "shell/text.h"

// What the closing message lists: each item with why it was left.
enum { kLeftSize = 4 * kBufferSize };
static char* leftText;
static bool leftCut;        // an item did not fit the list (the log names it)
static bool somethingLeft;  // a changed file, a directory not empty, or a failure
// The running original of a handed-over removal: it goes once the first process has ended.
static char leftBehind[kBufferSize];

static void NoteLeft(int formatId, const char* item)
{
    if (formatId != IDS_LEFT_AT_RESTART)
        somethingLeft = true;
    char format[kBufferSize];
    char line[2 * kBufferSize];
    if (!FormatWithName(line, sizeof line, LoadText(formatId, format), item) ||
        !ComposeText(leftText, kLeftSize, {leftText, line}))
        leftCut = true;
}

static void ForEachRecorded(RecordKind kind, void (*step)(const RecordEntry& entry))
{
    for (const char* at = recordText; at != nullptr && *at != '\0';) {
        RecordEntry entry;
        if (ParseRecordLine(at, &entry, &at) && entry.kind == kind)
            step(entry);
    }
}

static void UnregisterServer(const RecordEntry& entry)
{
    bool done = CallServerEntry(entry.path, "DllUnregisterServer") == ServerCall::Done;
    LogLine("Server %s: %s", entry.path, done ? "unregistered" : "FAILED to unregister");
    if (!done)
        NoteLeft(IDS_LEFT_FAILED, entry.path);
}

static void DeleteDdeGroup(const RecordEntry& entry)
{
    char command[kBufferSize + 32];
    INT_PTR acknowledged = 0;
    if (FormatDeleteGroupCommand(command, sizeof command, entry.path) && CreateDdeWindow(moduleInstance) != nullptr) {
        HWND server = InitiateConversation(progmanService, progmanService);
        if (server != nullptr) {
            acknowledged = ExecuteCommand(server, command);
            if (partnerWindow == server)
                AnswerTerminate(server);
        }
        DestroyDdeWindow();
    }
    LogLine("Program group %s: %s", entry.path, acknowledged ? "deleted over DDE" : "FAILED to delete over DDE");
    if (!acknowledged)
        NoteLeft(IDS_LEFT_FAILED, entry.path);
}

static void RemoveRecordedFile(const RecordEntry& entry)
{
    if (leftBehind[0] != '\0' && lstrcmpiA(entry.path, leftBehind) == 0)
        return;
    unsigned long long size, time;
    if (!ReadFileStamp(entry.path, &size, &time)) {
        LogLine("File %s: already gone", entry.path);
        return;
    }
    if (!FileUnchanged(entry, size, time)) {
        LogLine("File %s: kept, changed since it was installed", entry.path);
        NoteLeft(IDS_LEFT_CHANGED, entry.path);
    } else if (DeleteFileA(entry.path)) {
        LogLine("File %s: removed", entry.path);
    } else if (MoveFileExA(entry.path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        restartNeeded = true;
        LogLine("File %s: in use, removed at the next restart", entry.path);
        NoteLeft(IDS_LEFT_AT_RESTART, entry.path);
    } else {
        LogLine("File %s: FAILED to remove (error %lu)", entry.path, GetLastError());
        NoteLeft(IDS_LEFT_FAILED, entry.path);
    }
}

static void RemoveFolder(const RecordEntry& entry)
{
    if (RemoveDirectoryA(entry.path) || GetFileAttributesA(entry.path) == INVALID_FILE_ATTRIBUTES) {
        LogLine("Start Menu folder %s: removed", entry.path);
        return;
    }
    LogLine("Start Menu folder %s: kept, not empty", entry.path);
    NoteLeft(IDS_LEFT_NOT_EMPTY, entry.path);
}

static void DeleteDeviceKey(const RecordEntry& entry)
{
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry.path);
    bool gone = result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    LogLine("Device key HKEY_LOCAL_MACHINE\\%s: %s", entry.path, gone ? "removed" : "FAILED to remove");
    if (!gone)
        NoteLeft(IDS_LEFT_FAILED, entry.path);
}

static bool removedKey;

// Other devices' keys live beside ours: a parent goes only once nothing is left in it.
static void DeleteEmptyKey(const RecordEntry& entry)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry.path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    if (subkeys == 0 && values == 0 && RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry.path) == ERROR_SUCCESS) {
        removedKey = true;
        LogLine("Registry key HKEY_LOCAL_MACHINE\\%s: removed", entry.path);
    }
}

static void DropCount(const RecordEntry& entry)
{
    DropSharedCount(entry.path);
}

static bool removedDirectory;

static void RemoveEmptyDirectory(const RecordEntry& entry)
{
    if (RemoveDirectoryA(entry.path)) {
        removedDirectory = true;
        LogLine("Directory %s: removed", entry.path);
    }
}

// Whether a directory holds nothing but the way to the running original, so that it goes with it.
static bool HoldsOnlyLeftBehind(const char* directory)
{
    std::size_t length = std::strlen(directory);
    if (leftBehind[0] == '\0' || std::strlen(leftBehind) <= length + 1 || leftBehind[length] != '\\' ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, leftBehind, static_cast<int>(length), directory,
                       static_cast<int>(length)) != CSTR_EQUAL)
        return false;
    const char* next = leftBehind + length + 1;
    std::size_t nextLength = std::strcspn(next, "\\");
    char pattern[kBufferSize];
    if (!ComposeText(pattern, sizeof pattern, {directory, "\\*"}))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool only = true;
    do {
        const char* name = found.cFileName;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
            (std::strlen(name) != nextLength ||
             CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, static_cast<int>(nextLength), next,
                            static_cast<int>(nextLength)) != CSTR_EQUAL))
            only = false;
    } while (only && FindNextFileA(search, &found));
    FindClose(search);
    return only;
}

static void NoteDirectoryLeft(const RecordEntry& entry)
{
    if (GetFileAttributesA(entry.path) == INVALID_FILE_ATTRIBUTES || HoldsOnlyLeftBehind(entry.path))
        return;
    LogLine("Directory %s: kept, not empty", entry.path);
    NoteLeft(IDS_LEFT_NOT_EMPTY, entry.path);
}

// Never recursive: a directory goes only when empty; passes until none goes, so the deepest
// come first whatever order the record holds them in.
bool RemoveCreatedDirectories()
{
    bool any = false;
    do {
        removedDirectory = false;
        ForEachRecorded(RecordKind::Directory, RemoveEmptyDirectory);
        any = any || removedDirectory;
    } while (removedDirectory);
    return any;
}

// Finds the installation, asks, and takes back what the record names, in the order that keeps
// every step possible: servers while their files exist, the entry last.
static int RemoveInstallation(const char* arguments, bool handedOver)
{
    char name[kBufferSize];
    char format[kBufferSize];
    char left[kLeftSize] = "";
    char text[kLeftSize + 2 * kBufferSize];
    leftText = left;
    LoadText(IDS_DISPLAY_NAME, name);
    const char* location = InstalledLocation();
    if (location != nullptr && !ComposeText(recordPath, sizeof recordPath, {location, LoadText(IDS_RECORD_NAME, text)}))
        location = nullptr;
    if (location == nullptr || !EnsureRecordText() || !ReadTextFile(recordPath, recordText, kRecordSize)) {
        LogLine(location == nullptr ? "Nothing to remove: no Programs and Features entry"
                                    : "Nothing to remove: the record is gone");
        if (FormatWithName(text, sizeof text, LoadText(IDS_NOT_INSTALLED, format), name))
            ShowMessage(nullptr, text, MB_OK | MB_ICONINFORMATION);
        return kExitDestinationRefused;
    }
    LogLine("Removing the installation in %s", location);

    // The uninstaller in the destination cannot delete itself while it runs.
    char module[kBufferSize];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length == 0 || length >= sizeof module || !DirectoryOfPath(module, text, sizeof text))
        text[0] = '\0';
    if (!handedOver && lstrcmpiA(text, location) == 0)
        return HandOverRemoval(arguments);
    if (handedOver)
        ComposeText(leftBehind, sizeof leftBehind, {location, LoadText(IDS_UNINSTALLER, text)});

    if (runMode == RunMode::Interactive &&
        (!FormatWithName(text, sizeof text, LoadText(IDS_REMOVE_QUESTION, format), name) ||
         ShowMessage(nullptr, text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)) {
        LogLine("Removal declined: nothing removed");
        return kExitCancelled;
    }
    // No directory of the installation stays this process's current directory.
    length = GetTempPathA(sizeof text, text);
    if (length > 0 && length < sizeof text)
        SetCurrentDirectoryA(text);

    ForEachRecorded(RecordKind::Server, UnregisterServer);
    ForEachRecorded(RecordKind::DdeGroup, DeleteDdeGroup);
    ForEachRecorded(RecordKind::Shortcut, RemoveRecordedFile);
    ForEachRecorded(RecordKind::ShortcutFolder, RemoveFolder);
    ForEachRecorded(RecordKind::DeviceKey, DeleteDeviceKey);
    do {
        removedKey = false;
        ForEachRecorded(RecordKind::RegistryKey, DeleteEmptyKey);
    } while (removedKey);
    ForEachRecorded(RecordKind::File, RemoveRecordedFile);
    if (!DeleteFileA(recordPath))
        NoteLeft(IDS_LEFT_FAILED, recordPath);
    ForEachRecorded(RecordKind::SharedCount, DropCount);
    RemoveCreatedDirectories();
    ForEachRecorded(RecordKind::Directory, NoteDirectoryLeft);
    bool entryGone = DeleteUninstallEntry();
    LogLine("Programs and Features entry: %s", entryGone ? "removed" : "FAILED to remove");
    if (!entryGone)
        somethingLeft = true;

    bool listed = somethingLeft || restartNeeded;
    if (FormatWithName(text, sizeof text, LoadText(listed ? IDS_REMOVED_EXCEPT : IDS_REMOVED, format), name)) {
        // What did not fit the list is in the log.
        ComposeText(text, sizeof text, {text, listed ? leftText : "", leftCut ? "\n..." : ""});
        ShowMessage(nullptr, text, MB_OK | MB_ICONINFORMATION);
    }
    if (somethingLeft)
        return kExitIncomplete;
    return restartNeeded ? static_cast<int>(restartExitCode) : kExitInstalled;
}

int RunRemoval(const char* arguments)
{
    bool handedOver = TakeHandOver();
    int code = RemoveInstallation(arguments, handedOver);
    if (handedOver) {
        ReportHandOver(static_cast<DWORD>(code));
        FinishHandOver(code == kExitCancelled || code == kExitDestinationRefused ? nullptr : leftBehind);
    }
    return code;
}

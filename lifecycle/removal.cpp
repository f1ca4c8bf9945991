#include <cstring>

#include <shlobj.h>

#include "integration/dde.h"
#include "integration/ddecommands.h"
#include "integration/group.h"
#include "integration/registration.h"
#include "lifecycle/entrytext.h"
#include "lifecycle/lifecycle.h"
#include "lifecycle/parts.h"
#include "resources/resource.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/text.h"

// What the closing message lists: each item with why it was left.
enum { kLeftSize = 4 * kBufferSize };
static char* leftText;
static bool leftCut;        // an item did not fit the list (the log names it)
static bool somethingLeft;  // a changed file or a failure: the removal ends with 1
static bool anythingListed;
// The running uninstaller in the installed location: a handed-over removal deletes it once the
// first process has ended, one in place leaves it to the next restart.
static char leftBehind[kBufferSize];

// A directory kept only for what the installation did not write (a user's files, another
// product's shortcuts) is named but is no failure; neither is what goes at the next restart.
static void NoteLeft(int formatId, const char* item)
{
    anythingListed = true;
    if (formatId != IDS_LEFT_AT_RESTART && formatId != IDS_LEFT_NOT_EMPTY)  // foreign lines count
        somethingLeft = true;
    char format[kBufferSize];
    char line[2 * kBufferSize];
    if (!FormatWithName(line, sizeof line, LoadText(formatId, format), item) ||
        !ComposeText(leftText, kLeftSize, {leftText, line}))
        leftCut = true;
}

// What this string table's installation into the installed location can have written: the
// record is followed only where it names these.
enum { kMaxScopeNames = 300 };
static ProductScope scope;
static const char* scopeNames[kMaxScopeNames];
static char* scopePool;  // kMaxScopeNames texts of kBufferSize bytes
static std::size_t scopeUsed;
static char systemDirectory[kBufferSize];
static char programsFolders[2][MAX_PATH];
static const char* programsFolderNames[2];

static void AddScopeName(TextList* list, const char* prefix, const char* name)
{
    if (scopeUsed == kMaxScopeNames || name[0] == '\0')
        return;
    char* text = scopePool + scopeUsed * kBufferSize;
    if (!ComposeText(text, kBufferSize, {prefix, name}))
        return;
    if (list->count == 0)
        list->names = scopeNames + scopeUsed;
    scopeNames[scopeUsed++] = text;
    ++list->count;
}

static void AddListedNames(TextList* list, const char* prefix, int countId, int baseId, long most)
{
    char text[kBufferSize];
    long count = ParseNumber(LoadText(countId, text));
    for (long i = 0; i < count && i < most; ++i)
        AddScopeName(list, prefix, LoadText(baseId + static_cast<int>(i), text));
}

// Locations the installation was moved from, as the entry (which only administrators can change)
// names them: what the record holds of them is followed as well.
enum { kMaxEarlier = 8 };
static char earlierLocations[kMaxEarlier * kBufferSize];

bool InScope(const RecordEntry& entry)
{
    if (InProductScope(entry, scope))
        return true;
    ProductScope earlier = scope;
    for (const char* at = earlierLocations; *at != '\0'; at += std::strlen(at) + 1) {
        earlier.location = at;
        if (InProductScope(entry, earlier))
            return true;
    }
    return false;
}

bool BuildProductScope(const char* location)
{
    if (scopePool == nullptr)
        scopePool = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, kMaxScopeNames * kBufferSize));
    if (scopePool == nullptr)
        return false;
    ReadEarlierLocations(earlierLocations, sizeof earlierLocations);
    scope = ProductScope();
    scopeUsed = 0;
    scope.location = location;
    UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
    if (length == 0 || length >= sizeof systemDirectory)
        systemDirectory[0] = '\0';
    scope.systemDirectory = systemDirectory;
    static char deviceKey[kBufferSize], group[kBufferSize];
    scope.deviceKey = LoadText(IDS_DEVICE_KEY, deviceKey);
    scope.group = LoadText(IDS_GROUP_NAME, group);
    int folders = 0;
    for (int which : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS})
        if (SHGetSpecialFolderPathA(nullptr, programsFolders[folders], which, FALSE))
            programsFolderNames[folders] = programsFolders[folders], ++folders;
    scope.programsFolders.names = programsFolderNames;
    scope.programsFolders.count = static_cast<std::size_t>(folders);

    char text[kBufferSize];
    // Files below the location: the product list, the shared files' staged copies, the script,
    // the uninstaller and the record.
    AddListedNames(&scope.files, "", IDS_PRODUCT_COUNT, IDS_PRODUCT_BASE, IDS_TEMP_BASE - IDS_PRODUCT_BASE);
    AddListedNames(&scope.files, "System\\", IDS_SYSTEM_COUNT, IDS_SYSTEM_BASE, IDS_GROUP_NAME - IDS_SYSTEM_BASE);
    for (int id : {IDS_SCRIPT_NAME, IDS_UNINSTALLER, IDS_RECORD_NAME})
        AddScopeName(&scope.files, "", LoadText(id, text));
    AddListedNames(&scope.sharedFiles, "", IDS_SYSTEM_COUNT, IDS_SYSTEM_BASE, IDS_GROUP_NAME - IDS_SYSTEM_BASE);
    for (int id : {IDS_SERVER1, IDS_SERVER2})
        AddScopeName(&scope.servers, "", LoadText(id, text));
    long items = ParseNumber(LoadText(IDS_ITEM_COUNT, text));
    for (long i = 0; i < items && i < 15; ++i)
        AddScopeName(&scope.items, "", LoadText(IDS_ITEM_BASE + 2 * static_cast<int>(i) + 1, text));
    if (LoadText(IDS_DOC_FILE, text)[0] != '\0')
        AddScopeName(&scope.items, "", LoadText(IDS_DOC_CAPTION, text));
    return true;
}

// Every line of a known kind that names what this product cannot have written is left alone:
// said once, and the removal ends with 1.
static void ReportForeignLines()
{
    for (const char* at = recordText; at != nullptr && *at != '\0';) {
        const char* line = at;
        RecordEntry entry;
        bool parsed = ParseRecordLine(at, &entry, &at);
        if (parsed ? (entry.kind == RecordKind::Format && line == recordText) || InScope(entry)
                   : std::strspn(line, "\r\n") == std::strcspn(line, "\0"))
            continue;
        int length = static_cast<int>(std::strcspn(line, "\r\n"));
        LogLine("Record line \"%.*s\": not part of this product: left alone", length > 200 ? 200 : length, line);
        NoteLeft(IDS_LEFT_FOREIGN, parsed ? entry.path : recordPath);
    }
}

// A line of a kind this program does not know (a newer setup's record): nothing is removed, and
// the entry stays for the setup that wrote it.
static bool HoldsUnknownLines()
{
    for (const char* at = recordText; at != nullptr && *at != '\0';) {
        RecordEntry entry;
        if (!ParseRecordLine(at, &entry, &at) && entry.kind == RecordKind::Unknown)
            return true;
    }
    return false;
}

// The recorded changes of one kind that lie within the product, in the record's order.
static void ForEachRecorded(RecordKind kind, void (*step)(const RecordEntry& entry))
{
    for (const char* at = recordText; at != nullptr && *at != '\0';) {
        RecordEntry entry;
        if (ParseRecordLine(at, &entry, &at) && entry.kind == kind && InScope(entry))
            step(entry);
    }
}

// The line of a kind for a path, if the record holds one within the product.
static bool FindRecorded(RecordKind kind, const char* path, RecordEntry* found)
{
    return FindRecordLine(recordText, kind, path, found) != nullptr && InScope(*found);
}

// Whether a file is as the installation left it: as its line says, or, once a restart has put a
// staged copy in its place, as the copy's line says.
static bool StillAsInstalled(const RecordEntry& file, unsigned long long size, unsigned long long time)
{
    RecordEntry staged;
    char path[kBufferSize];
    return FileUnchanged(file, size, time) ||
           (ComposeText(path, sizeof path, {file.path, kStagedSuffix}) && FindRecorded(RecordKind::File, path, &staged) &&
            staged.size != kAnyStamp && FileUnchanged(staged, size, time));
}

// Whether a level of path below the drive's root is a junction or a link: in a destination that
// users could write before the setup came, one could lead a product file's name anywhere.
static bool ThroughLink(const char* path)
{
    char level[kBufferSize];
    for (std::size_t i = 3; ComposeText(level, sizeof level, {path}) && i <= std::strlen(path); ++i)
        if (path[i] == '\\' || path[i] == '\0') {
            level[i] = '\0';
            DWORD attributes = GetFileAttributesA(level);
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                return true;
        }
    return false;
}

static void UnregisterServer(const RecordEntry& entry)
{
    // A server file that is not the one installed is never loaded: whatever replaced it would run
    // with the removal's rights.
    RecordEntry file;
    unsigned long long size, time;
    if (!FindRecorded(RecordKind::File, entry.path, &file) || file.size == kAnyStamp || ThroughLink(entry.path) ||
        !ReadFileStamp(entry.path, &size, &time) || !StillAsInstalled(file, size, time)) {
        LogLine("Server %s: not the file installed, not loaded", entry.path);
        NoteLeft(IDS_LEFT_CHANGED, entry.path);
        return;
    }
    bool done = CallServerEntry(entry.path, "DllUnregisterServer") == ServerCall::Done;
    LogLine("Server %s: %s", entry.path, done ? "unregistered" : "FAILED to unregister");
    if (!done)
        NoteLeft(IDS_LEFT_FAILED, entry.path);
}

// One conversation with Program Manager: the first command, then the second when there is one;
// acknowledged when every command was.
static bool SendToProgramManager(const char* first, const char* second)
{
    bool acknowledged = false;
    if (CreateDdeWindow(moduleInstance) != nullptr) {
        HWND server = InitiateConversation(progmanService, progmanService);
        if (server != nullptr) {
            acknowledged = ExecuteCommand(server, first) && (second == nullptr || ExecuteCommand(server, second));
            if (partnerWindow == server)
                AnswerTerminate(server);
        }
        DestroyDdeWindow();
    }
    return acknowledged;
}

static void DeleteDdeGroup(const RecordEntry& entry)
{
    char command[kBufferSize + 32];
    bool acknowledged =
        FormatDeleteGroupCommand(command, sizeof command, entry.path) && SendToProgramManager(command, nullptr);
    LogLine("Program group %s: %s", entry.path, acknowledged ? "deleted over DDE" : "FAILED to delete over DDE");
    if (!acknowledged)
        NoteLeft(IDS_LEFT_FAILED, entry.path);
}

// An item this product added to a group that was there before: the group and the other items stay.
static void DeleteDdeItem(const RecordEntry& entry)
{
    char show[kBufferSize + 32];
    char command[kBufferSize + 32];
    bool acknowledged = FormatShowGroupCommand(show, sizeof show, scope.group) &&
                        FormatDeleteItemCommand(command, sizeof command, entry.path) &&
                        SendToProgramManager(show, command);
    LogLine("Program item %s: %s", entry.path, acknowledged ? "deleted over DDE" : "FAILED to delete over DDE");
    if (!acknowledged)
        NoteLeft(IDS_LEFT_FAILED, entry.path);
}

static void RemoveRecordedFile(const RecordEntry& entry)
{
    if ((leftBehind[0] != '\0' && lstrcmpiA(entry.path, leftBehind) == 0) || lstrcmpiA(entry.path, recordPath) == 0)
        return;
    unsigned long long size, time;
    if (ThroughLink(entry.path)) {
        LogLine("File %s: kept, its path goes through a link", entry.path);
        NoteLeft(IDS_LEFT_CHANGED, entry.path);
        return;
    }
    if (!ReadFileStamp(entry.path, &size, &time)) {
        LogLine("File %s: already gone", entry.path);
        return;
    }
    if (!StillAsInstalled(entry, size, time)) {
        LogLine("File %s: kept, changed since it was installed", entry.path);
        NoteLeft(IDS_LEFT_CHANGED, entry.path);
    } else if (DeleteFileA(entry.path)) {
        LogLine("File %s: removed", entry.path);
    } else if (RemoveAtRestart(entry.path)) {
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
    if ((!ThroughLink(entry.path) && RemoveDirectoryA(entry.path)) || GetFileAttributesA(entry.path) == INVALID_FILE_ATTRIBUTES) {
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

// Once per file, however often and in whatever case the record names it.
static void DropCounts()
{
    for (const char* at = recordText; at != nullptr && *at != '\0';) {
        const char* line = at;
        RecordEntry entry;
        if (ParseRecordLine(at, &entry, &at) && entry.kind == RecordKind::SharedCount && InScope(entry) &&
            FirstToName(recordText, line, entry))
            DropSharedCount(entry.path);
    }
}

static bool removedDirectory;

static void RemoveEmptyDirectory(const RecordEntry& entry)
{
    if (!ThroughLink(entry.path) && RemoveDirectoryA(entry.path)) {
        removedDirectory = true;
        LogLine("Directory %s: removed", entry.path);
    }
}

// What goes at the next restart, in the order it was scheduled: files in use, then the
// directories that then hold nothing else, deepest first.
enum { kMaxPending = 64 };
static char* pending;  // kMaxPending paths of kBufferSize bytes
static int pendingCount;

static bool IsPending(const char* path)
{
    for (int i = 0; i < pendingCount; ++i)
        if (lstrcmpiA(pending + i * kBufferSize, path) == 0)
            return true;
    return false;
}

bool RemoveAtRestart(const char* path)
{
    if (!MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return false;
    if (pending == nullptr)
        pending = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, kMaxPending * kBufferSize));
    if (pending != nullptr && pendingCount < kMaxPending && !IsPending(path) &&
        ComposeText(pending + pendingCount * kBufferSize, kBufferSize, {path}))
        ++pendingCount;
    return true;
}

// Whether everything in a directory goes at the next restart, or as the running uninstaller
// (with created directories too: those are judged on their own). *anyPending: whether something
// in it waits for the restart.
static bool EverythingGoes(const char* directory, bool createdToo, bool* anyPending, int* entries = nullptr)
{
    char pattern[kBufferSize];
    char child[kBufferSize];
    WIN32_FIND_DATAA found;
    HANDLE search = ComposeText(pattern, sizeof pattern, {directory, "\\*"}) ? FindFirstFileA(pattern, &found)
                                                                             : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool all = true;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
            continue;
        if (entries != nullptr)
            ++*entries;
        bool known = ComposeText(child, sizeof child, {directory, "\\", found.cFileName});
        RecordEntry created;
        bool waits = known && IsPending(child);
        *anyPending = *anyPending || waits;
        all = known && (waits || (leftBehind[0] != '\0' && lstrcmpiA(child, leftBehind) == 0) ||
                        (createdToo && FindRecorded(RecordKind::Directory, child, &created)));
    } while (all && FindNextFileA(search, &found));
    FindClose(search);
    return all;
}

static bool scheduledDirectory;

static void ScheduleEmptiedDirectory(const RecordEntry& entry)
{
    // An empty one that is still there is some process's current directory.
    bool anyPending = false;
    int entries = 0;
    if (IsPending(entry.path) || GetFileAttributesA(entry.path) == INVALID_FILE_ATTRIBUTES || ThroughLink(entry.path) ||
        !EverythingGoes(entry.path, false, &anyPending, &entries) || (!anyPending && entries > 0))
        return;
    if (RemoveAtRestart(entry.path)) {
        scheduledDirectory = true;
        restartNeeded = true;
        LogLine("Directory %s: removed at the next restart, after the files in it", entry.path);
    }
}

static void NoteDirectoryLeft(const RecordEntry& entry)
{
    bool anyPending = false;
    if (GetFileAttributesA(entry.path) == INVALID_FILE_ATTRIBUTES || IsPending(entry.path) ||
        EverythingGoes(entry.path, true, &anyPending))
        return;
    LogLine("Directory %s: kept, it holds files the installation did not write", entry.path);
    NoteLeft(IDS_LEFT_NOT_EMPTY, entry.path);
}

// Never recursive: a directory goes only when empty, or at the restart once everything in it is
// scheduled; passes until none changes, so the deepest come first whatever order the record
// holds them in.
void TakeBackDirectories()
{
    do {
        removedDirectory = false;
        ForEachRecorded(RecordKind::Directory, RemoveEmptyDirectory);
    } while (removedDirectory);
    do {
        scheduledDirectory = false;
        ForEachRecorded(RecordKind::Directory, ScheduleEmptiedDirectory);
    } while (scheduledDirectory);
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
    bool read = location != nullptr && EnsureRecordText() && ReadTextFile(recordPath, recordText, kRecordSize);
    if (!read && location != nullptr && GetFileAttributesA(recordPath) != INVALID_FILE_ATTRIBUTES) {
        LogLine("Record %s: cannot be read whole: nothing removed, the entry stays", recordPath);
        if (FormatWithName(text, sizeof text, LoadText(IDS_REMOVED_EXCEPT, format), name) &&
            ComposeText(text, sizeof text, {text, "\n", recordPath}))
            ShowMessage(nullptr, text, MB_OK | MB_ICONINFORMATION);
        return kExitIncomplete;
    }
    if (!read) {
        LogLine(location == nullptr ? "Nothing to remove: no Programs and Features entry"
                                    : "Nothing to remove: the record is gone");
        if (FormatWithName(text, sizeof text, LoadText(IDS_NOT_INSTALLED, format), name))
            ShowMessage(nullptr, text, MB_OK | MB_ICONINFORMATION);
        return kExitDestinationRefused;
    }
    LogLine("Removing the installation in %s", location);
    if (RecordFormat(recordText) == 0 || HoldsUnknownLines()) {
        LogLine("Record %s: written by another version of the setup: nothing removed, the entry stays", recordPath);
        if (FormatWithName(text, sizeof text, LoadText(IDS_REMOVED_EXCEPT, format), name) &&
            ComposeText(text, sizeof text, {text, "\n", recordPath}))
            ShowMessage(nullptr, text, MB_OK | MB_ICONINFORMATION);
        return kExitIncomplete;
    }
    if (!BuildProductScope(location)) {
        LogLine("Removal: no memory: nothing removed");
        return kExitIncomplete;
    }

    // The uninstaller in the destination cannot delete itself while it runs.
    char module[kBufferSize];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length == 0 || length >= sizeof module || !DirectoryOfPath(module, text, sizeof text))
        text[0] = '\0';
    bool inPlace = !handedOver && lstrcmpiA(text, location) == 0;
    if (inPlace) {
        int code = HandOverRemoval(arguments);
        if (code != kNotHandedOver)
            return code;
    }
    if (handedOver || inPlace)
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

    ReportForeignLines();
    ForEachRecorded(RecordKind::Server, UnregisterServer);
    ForEachRecorded(RecordKind::DdeItem, DeleteDdeItem);
    ForEachRecorded(RecordKind::DdeGroup, DeleteDdeGroup);
    ForEachRecorded(RecordKind::Shortcut, RemoveRecordedFile);
    ForEachRecorded(RecordKind::ShortcutFolder, RemoveFolder);
    ForEachRecorded(RecordKind::DeviceKey, DeleteDeviceKey);
    do {
        removedKey = false;
        ForEachRecorded(RecordKind::RegistryKey, DeleteEmptyKey);
    } while (removedKey);
    ForEachRecorded(RecordKind::File, RemoveRecordedFile);
    // The record goes only once the counts are back: a removal that dies before keeps it.
    DropCounts();
    if (TemporaryRecordPath(text))
        DeleteFileA(text);
    if (!DeleteFileA(recordPath))
        NoteLeft(IDS_LEFT_FAILED, recordPath);
    if (inPlace && RemoveAtRestart(leftBehind)) {
        restartNeeded = true;
        LogLine("File %s: running, removed at the next restart", leftBehind);
        NoteLeft(IDS_LEFT_AT_RESTART, leftBehind);
    }
    TakeBackDirectories();
    ForEachRecorded(RecordKind::Directory, NoteDirectoryLeft);
    bool entryGone = DeleteUninstallEntry();
    LogLine("Programs and Features entry: %s", entryGone ? "removed" : "FAILED to remove");
    if (!entryGone)
        somethingLeft = true;

    bool listed = anythingListed;
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
    HandOver handOver = TakeHandOver();
    if (handOver == HandOver::Refused) {
        LogLine("Removal: a hand-over that no removal of this product made: refused, nothing removed");
        return kExitBadCommandLine;
    }
    bool handedOver = handOver == HandOver::Valid;
    int code = RemoveInstallation(arguments, handedOver);
    if (handedOver) {
        ReportHandOver(static_cast<DWORD>(code));
        FinishHandOver(code == kExitCancelled || code == kExitDestinationRefused ? nullptr : leftBehind);
    }
    return code;
}

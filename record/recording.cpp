#include <cstring>

#include "record/recording.h"

#include "resources/resource.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/text.h"

const char kSharedDllsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

char* recordText;
char recordPath[kBufferSize];

static char* AllocateRecord()
{
    return static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kRecordSize));
}

bool EnsureRecordText()
{
    if (recordText == nullptr)
        recordText = AllocateRecord();
    return recordText != nullptr;
}

bool ReadTextFile(const char* path, char* buffer, DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD got = 0;
    bool whole = ReadFile(file, buffer, size, &got, nullptr) && got < size;
    CloseHandle(file);
    buffer[whole ? got : 0] = '\0';
    return whole && std::strlen(buffer) == got;  // a NUL would hide what follows it
}

bool TemporaryRecordPath(char* out)
{
    return ComposeText(out, kBufferSize, {recordPath, ".TMP"});
}

// Each change reaches the file the moment it is noted, so a run that dies leaves its record up to
// that point. The whole text goes to a temporary file first, which then replaces the record in
// one step: a crash or a full disk leaves the previous record whole, never an empty or half one.
static bool SaveRecord()
{
    char temporary[kBufferSize];
    if (recordPath[0] == '\0' || !TemporaryRecordPath(temporary))
        return false;
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD length = static_cast<DWORD>(std::strlen(recordText)), written = 0;
    bool done = file != INVALID_HANDLE_VALUE && WriteFile(file, recordText, length, &written, nullptr) &&
                written == length && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
        done = CloseHandle(file) && done;
    done = done && MoveFileExA(temporary, recordPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!done) {
        DeleteFileA(temporary);
        somethingFailed = true;
        LogLine("Record %s: FAILED to write (error %lu)", recordPath, GetLastError());
    }
    return done;
}

bool AddRecordLine(const RecordEntry& entry)
{
    char line[kBufferSize + 64];
    MergeResult merged = MergeResult::NoRoom;
    if (EnsureRecordText() && FormatRecordLine(line, sizeof line, entry))
        merged = MergeRecordLine(recordText, kRecordSize, line);
    if (merged == MergeResult::NoRoom) {
        somethingFailed = true;
        LogLine("Record: FAILED, no room to note %s", entry.path);
    }
    return (merged == MergeResult::Appended || merged == MergeResult::Replaced) && SaveRecord();
}

static void RecordNamed(RecordKind kind, const char* path)
{
    RecordEntry entry;
    entry.kind = kind;
    if (ComposeText(entry.path, sizeof entry.path, {path}))
        AddRecordLine(entry);
}

bool ReadFileStamp(const char* path, unsigned long long* size, unsigned long long* time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    *size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    *time = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime;
    return true;
}

static void RecordWritten(RecordKind kind, const char* path, const char* stampFrom)
{
    RecordEntry entry;
    entry.kind = kind;
    if (!ComposeText(entry.path, sizeof entry.path, {path}) || !ReadFileStamp(stampFrom, &entry.size, &entry.time)) {
        somethingFailed = true;
        LogLine("Record: FAILED to note %s", path);
        return;
    }
    AddRecordLine(entry);
}

void RecordFile(const char* path)
{
    RecordWritten(RecordKind::File, path, path);
}

void RecordFileAs(const char* path, const char* stampFrom)
{
    // A file the record holds already keeps its line: it stays what it was until the restart.
    RecordEntry held;
    if (recordText != nullptr && FindRecordLine(recordText, RecordKind::File, path, &held) != nullptr)
        return;
    RecordWritten(RecordKind::File, path, stampFrom);
}

void RecordFileStarted(const char* path)
{
    RecordEntry entry;
    entry.kind = RecordKind::File;
    entry.size = entry.time = kAnyStamp;
    if (ComposeText(entry.path, sizeof entry.path, {path}))
        AddRecordLine(entry);
}

void RecordShortcut(const char* path)
{
    RecordWritten(RecordKind::Shortcut, path, path);
}

void RecordDirectory(const char* path)
{
    RecordNamed(RecordKind::Directory, path);
}

void RecordServer(const char* path)
{
    RecordNamed(RecordKind::Server, path);
}

void RecordDdeGroup(const char* name)
{
    RecordNamed(RecordKind::DdeGroup, name);
}

void RecordDdeItem(const char* caption)
{
    RecordNamed(RecordKind::DdeItem, caption);
}

void RecordShortcutFolder(const char* path)
{
    RecordNamed(RecordKind::ShortcutFolder, path);
}

void RecordDeviceKey(int keyId)
{
    char key[kBufferSize];
    LoadText(keyId, key);
    // Each level that is missing now is one this installation creates.
    for (char* separator = std::strchr(key, '\\'); separator != nullptr; separator = std::strchr(separator + 1, '\\')) {
        *separator = '\0';
        HKEY level;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &level) == ERROR_SUCCESS)
            RegCloseKey(level);
        else
            RecordNamed(RecordKind::RegistryKey, key);
        *separator = '\\';
    }
    RecordNamed(RecordKind::DeviceKey, key);
}

void CountSharedFile(const char* fileName)
{
    char path[kBufferSize];
    RecordEntry entry;
    entry.kind = RecordKind::SharedCount;
    char line[kBufferSize + 64];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !JoinPath(path, sizeof path, path, fileName) ||
        !ComposeText(entry.path, sizeof entry.path, {path}) || !FormatRecordLine(line, sizeof line, entry) ||
        !EnsureRecordText())
        return;
    if (RecordHolds(recordText, line)) {
        LogLine("Shared file %s: counted by an earlier installation", path);
        return;
    }
    // The count goes up before the record says so: a run that dies in between leaves the file
    // protected rather than another program's count lowered later.
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        LogLine("Shared file %s: FAILED to count", path);
        return;
    }
    DWORD count = 0, type = 0, size = sizeof count;
    if (RegQueryValueExA(key, path, nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof count)
        count = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;  // another program's, uncounted
    ++count;
    bool counted = RegSetValueExA(key, path, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count) ==
                   ERROR_SUCCESS;
    RegCloseKey(key);
    if (counted)
        AddRecordLine(entry);
    LogLine("Shared file %s: count %s %lu", path, counted ? "now" : "FAILED, stays", counted ? count : count - 1);
}

static bool recordStarted;  // by this run: there was none before

bool OpenInstallationRecord()
{
    char name[kBufferSize];
    char* earlierText = nullptr;
    if (!ComposeText(recordPath, sizeof recordPath, {destinationDirectory, LoadText(IDS_RECORD_NAME, name)}) ||
        !EnsureRecordText() || (earlierText = AllocateRecord()) == nullptr) {
        recordPath[0] = '\0';
        somethingFailed = true;
        LogLine("Record: FAILED, the destination is too long for it or no memory");
        return false;
    }
    // What was noted before (directories the checks created) joins the earlier record, if any,
    // below the format line.
    bool earlier = ReadTextFile(recordPath, earlierText, kRecordSize);
    // One that is there but cannot be read whole, or that a newer setup wrote, is never replaced:
    // its removal would be lost.
    if ((!earlier && GetFileAttributesA(recordPath) != INVALID_FILE_ATTRIBUTES) ||
        !StartRecordText(earlierText, kRecordSize)) {
        LogLine("Record %s: FAILED, the earlier record cannot be read or is of another format: kept as it is",
                recordPath);
        HeapFree(GetProcessHeap(), 0, earlierText);
        recordPath[0] = '\0';
        somethingFailed = true;
        return false;
    }
    for (const char* at = recordText; at != nullptr && *at != '\0';) {
        char line[kBufferSize + 64];
        std::size_t length = std::strcspn(at, "\r\n");
        if (length + 3 <= sizeof line) {
            std::memcpy(line, at, length);
            std::memcpy(line + length, "\r\n", 3);
            if (MergeRecordLine(earlierText, kRecordSize, line) == MergeResult::NoRoom) {
                somethingFailed = true;
                LogLine("Record: FAILED, no room to note %s", line);
            }
        }
        RecordEntry ignored;
        ParseRecordLine(at, &ignored, &at);
    }
    HeapFree(GetProcessHeap(), 0, recordText);
    recordText = earlierText;
    LogLine("Record %s: %s", recordPath, earlier ? "merged with the earlier installation's" : "started");
    recordStarted = !earlier;
    return SaveRecord();
}

void DiscardInstallationRecord()
{
    if (recordStarted)
        DeleteFileA(recordPath);
    recordPath[0] = '\0';
    // The directories the checks created, if still empty; deepest first, however they are listed.
    for (bool removed = true; removed && recordText != nullptr;) {
        removed = false;
        for (const char* at = recordText; at != nullptr && *at != '\0';) {
            RecordEntry entry;
            if (ParseRecordLine(at, &entry, &at) && entry.kind == RecordKind::Directory && RemoveDirectoryA(entry.path))
                removed = true;
        }
    }
}

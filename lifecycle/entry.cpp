#include <cstring>

#include "lifecycle/entrytext.h"
#include "lifecycle/lifecycle.h"
#include "lifecycle/parts.h"
#include "resources/resource.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/syslib.h"
#include "shell/text.h"

static void SetString(HKEY key, const char* name, const char* data)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(std::strlen(data) + 1));
}

static void SetNumber(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

static const char kEarlierLocations[] = "EarlierLocations";

static HKEY OpenEntry(REGSAM access)
{
    char path[kBufferSize];
    HKEY key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, LoadText(IDS_ENTRY_KEY, path), 0, access, &key) == ERROR_SUCCESS ? key
                                                                                                             : nullptr;
}

void WriteUninstallEntry()
{
    char path[kBufferSize];
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, LoadText(IDS_ENTRY_KEY, path), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        somethingFailed = true;
        LogLine("Programs and Features entry HKEY_LOCAL_MACHINE\\%s: FAILED", path);
        return;
    }
    char text[2 * kBufferSize];
    char program[kBufferSize];
    LoadText(IDS_UNINSTALLER, program);
    SetString(key, "DisplayName", LoadText(IDS_DISPLAY_NAME, text));
    SetString(key, "DisplayVersion", LoadText(IDS_VERSION_DATA, text));
    SetString(key, "Publisher", LoadText(IDS_PUBLISHER, text));
    SetString(key, "InstallLocation", destinationDirectory);
    // A text that would not fit is left out: a cut command would run something else.
    if (FormatRemovalCommand(text, sizeof text, destinationDirectory, program, false))
        SetString(key, "UninstallString", text);
    if (FormatRemovalCommand(text, sizeof text, destinationDirectory, program, true))
        SetString(key, "QuietUninstallString", text);
    if (FormatDisplayIcon(text, sizeof text, destinationDirectory, program))
        SetString(key, "DisplayIcon", text);
    SYSTEMTIME today;
    GetLocalTime(&today);
    if (FormatInstallDate(text, sizeof text, today.wYear, today.wMonth, today.wDay))
        SetString(key, "InstallDate", text);
    SetNumber(key, "NoModify", 1);
    SetNumber(key, "NoRepair", 1);
    SetNumber(key, "EstimatedSize", RecordedKiB(recordText, destinationDirectory));
    RegCloseKey(key);
    LogLine("Programs and Features entry HKEY_LOCAL_MACHINE\\%s: written", path);
}

void UpdateEstimatedSize()
{
    if (recordText == nullptr || recordPath[0] == '\0')
        return;  // this run never got to its destination
    HKEY key = OpenEntry(KEY_SET_VALUE);
    if (key == nullptr)
        return;
    SetNumber(key, "EstimatedSize", RecordedKiB(recordText, destinationDirectory));
    RegCloseKey(key);
}

const char* InstalledLocation()
{
    static char location[kBufferSize];
    HKEY key = OpenEntry(KEY_QUERY_VALUE);
    if (key == nullptr)
        return nullptr;
    DWORD type = 0, size = sizeof location - 2;
    bool read = RegQueryValueExA(key, "InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(location), &size) ==
                    ERROR_SUCCESS &&
                type == REG_SZ;
    RegCloseKey(key);
    location[read ? size : 0] = '\0';
    if (location[0] == '\0')
        return nullptr;
    EnsureTrailingBackslash(location);
    return location;
}

const char* InstalledDestination()
{
    static char destination[kBufferSize];
    const char* location = InstalledLocation();
    if (location == nullptr || !ComposeText(destination, sizeof destination, {location}))
        return nullptr;
    std::size_t length = std::strlen(destination);
    if (length > 3)
        destination[length - 1] = '\0';
    return destination;
}

bool DeleteUninstallEntry()
{
    char path[kBufferSize];
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, LoadText(IDS_ENTRY_KEY, path)) == ERROR_SUCCESS;
}

void DropSharedCount(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        LogLine("Shared file %s: no count to take back", path);
        return;
    }
    DWORD count = 0, type = 0, size = sizeof count;
    if (RegQueryValueExA(key, path, nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof count) {
        LogLine("Shared file %s: no count to take back", path);
    } else if (count > 1) {
        --count;
        RegSetValueExA(key, path, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
        LogLine("Shared file %s: count now %lu, the file stays", path, count);
    } else {
        RegDeleteValueA(key, path);
        LogLine("Shared file %s: count gone, the file stays", path);
    }
    RegCloseKey(key);
}

// The program copied into the destination, which removes the installation later.
static void CopyUninstaller()
{
    char module[kBufferSize];
    char target[kBufferSize];
    char name[kBufferSize];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length == 0 || length >= sizeof module ||
        !ComposeText(target, sizeof target, {destinationDirectory, LoadText(IDS_UNINSTALLER, name)}))
        return;
    if (CancelPendingDeletion(target))
        LogLine("Uninstaller %s: its deletion at the next restart (an earlier removal's) cancelled", target);
    if (lstrcmpiA(module, target) == 0 || CopyFileA(module, target, FALSE)) {
        RecordFile(target);
        LogLine("Uninstaller %s: copied", target);
    } else {
        somethingFailed = true;
        LogLine("Uninstaller %s: FAILED to copy", target);
    }
}

void ReadEarlierLocations(char* list, DWORD size)
{
    list[0] = list[1] = '\0';
    HKEY key = OpenEntry(KEY_QUERY_VALUE);
    DWORD type = 0, length = size - 2;
    if (key != nullptr && RegQueryValueExA(key, kEarlierLocations, nullptr, &type, reinterpret_cast<BYTE*>(list),
                                           &length) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
        list[length] = list[length + 1] = '\0';
    } else {
        list[0] = list[1] = '\0';
    }
    if (key != nullptr)
        RegCloseKey(key);
}

// An installation into another place than the installed one takes the earlier record into its
// own, so that one removal later takes back both places; the entry keeps the earlier place, where
// only administrators can change it, so that the removal may follow what the record holds of it.
static bool TakeOverEarlierInstallation()
{
    const char* installed = InstalledLocation();
    if (installed == nullptr || lstrcmpiA(installed, destinationDirectory) == 0)
        return true;
    char earlier[kBufferSize];
    char record[kBufferSize];
    char name[kBufferSize];
    char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, kRecordSize));
    ComposeText(earlier, sizeof earlier, {installed});
    if (text == nullptr || !ComposeText(record, sizeof record, {earlier, LoadText(IDS_RECORD_NAME, name)}) ||
        !ReadTextFile(record, text, kRecordSize) || RecordFormat(text) == 0 || !BuildProductScope(earlier)) {
        // Moving the entry now would leave that installation to no removal at all.
        LogLine("Destination refused: the installation in %s has a record that cannot be read or is of another "
                "format, so it cannot be moved here; nothing installed", earlier);
        if (text != nullptr)
            HeapFree(GetProcessHeap(), 0, text);
        return false;
    } else {
        int taken = 0, refused = 0;
        for (const char* at = text; at != nullptr && *at != '\0';) {
            RecordEntry entry;
            if (ParseRecordLine(at, &entry, &at) && InScope(entry))
                taken += AddRecordLine(entry) ? 1 : 0;
            else if (entry.kind != RecordKind::Format && entry.kind != RecordKind::None)
                ++refused;
        }
        // The earlier record goes with the rest, whatever it then holds.
        RecordEntry itself;
        itself.kind = RecordKind::File;
        itself.size = itself.time = kAnyStamp;
        ComposeText(itself.path, sizeof itself.path, {record});
        AddRecordLine(itself);
        LogLine("Moved from %s: its record taken into this one (%d lines, %d not part of this product left out)",
                earlier, taken, refused);
    }
    if (text != nullptr)
        HeapFree(GetProcessHeap(), 0, text);
    // The earlier places, without the one installed into now.
    char list[8 * kBufferSize + 2];
    char kept[sizeof list];
    ReadEarlierLocations(list, sizeof list);
    std::size_t used = 0;
    for (const char* at = list; *at != '\0'; at += std::strlen(at) + 1)
        if (lstrcmpiA(at, destinationDirectory) != 0 && used + std::strlen(at) + 2 < sizeof kept - kBufferSize) {
            std::memcpy(kept + used, at, std::strlen(at) + 1);
            used += std::strlen(at) + 1;
        }
    std::memcpy(kept + used, earlier, std::strlen(earlier) + 1);
    used += std::strlen(earlier) + 1;
    kept[used++] = '\0';
    HKEY key = OpenEntry(KEY_SET_VALUE);
    if (key == nullptr ||
        RegSetValueExA(key, kEarlierLocations, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept), static_cast<DWORD>(used)) !=
            ERROR_SUCCESS) {
        somethingFailed = true;
        LogLine("Moved from %s: FAILED to note it in the entry", earlier);
    }
    if (key != nullptr)
        RegCloseKey(key);
    return true;
}

bool BeginInstallation()
{
    if (!TakeOverEarlierInstallation())
        return false;
    WriteUninstallEntry();
    CopyUninstaller();
    return true;
}

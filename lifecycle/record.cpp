#include "lifecycle/record.h"

#include <cstring>

#include "shell/text.h"

namespace {
struct KindName {
    RecordKind kind;
    const char* name;
};
}  // namespace

static const KindName kKindNames[] = {
    {RecordKind::File, "File"},           {RecordKind::Shortcut, "Shortcut"},
    {RecordKind::Directory, "Directory"}, {RecordKind::SharedCount, "SharedCount"},
    {RecordKind::DeviceKey, "DeviceKey"}, {RecordKind::RegistryKey, "RegistryKey"},
    {RecordKind::DdeGroup, "DdeGroup"},   {RecordKind::ShortcutFolder, "ShortcutFolder"},
    {RecordKind::Server, "Server"},
};

static bool HasFileState(RecordKind kind)
{
    return kind == RecordKind::File || kind == RecordKind::Shortcut;
}

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Paths and names on the platform ignore case.
static bool SameText(const char* a, const char* b, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

static std::size_t LineLength(const char* text)
{
    return std::strcspn(text, "\r\n");
}

// value as 16 hexadecimal digits, terminated, into out (17 bytes). Shifts only: a 64-bit division
// would bring the compiler's helpers into the 32-bit program.
static void WriteHex(char* out, unsigned long long value)
{
    for (int i = 15; i >= 0; --i, value >>= 4)
        out[i] = "0123456789ABCDEF"[value & 15];
    out[16] = '\0';
}

bool FormatRecordLine(char* buffer, std::size_t size, const RecordEntry& entry)
{
    const char* name = nullptr;
    for (const KindName& known : kKindNames)
        if (known.kind == entry.kind)
            name = known.name;
    if (name == nullptr || entry.path[0] == '\0' || LineLength(entry.path) != std::strlen(entry.path))
        return false;
    if (!HasFileState(entry.kind))
        return ComposeText(buffer, size, {name, " ", entry.path, "\r\n"});
    char length[17], time[17];
    WriteHex(length, entry.size);
    WriteHex(time, entry.time);
    return ComposeText(buffer, size, {name, " ", length, " ", time, " ", entry.path, "\r\n"});
}

// Reads hexadecimal digits up to a blank; false when there are none, another character comes
// first, or there are more than 16.
static bool ReadHex(const char** at, const char* end, unsigned long long* value)
{
    const char* p = *at;
    unsigned long long number = 0;
    for (; p < end && *p != ' '; ++p) {
        char c = Lower(*p);
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return false;
        number = number << 4 | digit;
    }
    if (p == *at || p == end || p - *at > 16)
        return false;
    *value = number;
    *at = p + 1;
    return true;
}

bool ParseRecordLine(const char* text, RecordEntry* entry, const char** next)
{
    std::size_t length = LineLength(text);
    const char* end = text + length;
    const char* after = end;
    while (*after == '\r' || *after == '\n')
        ++after;
    *next = *after != '\0' ? after : nullptr;

    *entry = RecordEntry();
    const char* blank = static_cast<const char*>(std::memchr(text, ' ', length));
    if (blank == nullptr)
        return false;
    for (const KindName& known : kKindNames)
        if (std::strlen(known.name) == static_cast<std::size_t>(blank - text) &&
            std::memcmp(known.name, text, static_cast<std::size_t>(blank - text)) == 0)
            entry->kind = known.kind;
    const char* path = blank + 1;
    if (entry->kind == RecordKind::None ||
        (HasFileState(entry->kind) &&
         (!ReadHex(&path, end, &entry->size) || !ReadHex(&path, end, &entry->time)))) {
        entry->kind = RecordKind::None;
        return false;
    }
    std::size_t pathLength = static_cast<std::size_t>(end - path);
    if (pathLength == 0 || pathLength >= sizeof entry->path) {
        entry->kind = RecordKind::None;
        return false;
    }
    std::memcpy(entry->path, path, pathLength);
    entry->path[pathLength] = '\0';
    return true;
}

bool RecordHolds(const char* record, const char* line)
{
    std::size_t length = LineLength(line);
    for (const char* at = record; at != nullptr && *at != '\0';) {
        if (LineLength(at) == length && SameText(at, line, length))
            return true;
        RecordEntry ignored;
        ParseRecordLine(at, &ignored, &at);
    }
    return false;
}

MergeResult MergeRecordLine(char* record, std::size_t size, const char* line)
{
    RecordEntry added;
    const char* ignored;
    bool known = ParseRecordLine(line, &added, &ignored);
    std::size_t addedLength = LineLength(line);
    for (const char* at = record; at != nullptr && *at != '\0';) {
        RecordEntry present;
        const char* next;
        bool parsed = ParseRecordLine(at, &present, &next);
        std::size_t presentLength = LineLength(at);
        if (presentLength == addedLength && SameText(at, line, addedLength))
            return MergeResult::Unchanged;
        if (known && parsed && HasFileState(added.kind) && present.kind == added.kind &&
            std::strlen(present.path) == std::strlen(added.path) &&
            SameText(present.path, added.path, std::strlen(added.path))) {
            // The old line and its line break give way to the new one.
            std::size_t start = static_cast<std::size_t>(at - record);
            std::size_t oldEnd = next != nullptr ? static_cast<std::size_t>(next - record) : std::strlen(record);
            std::size_t total = std::strlen(record);
            std::size_t newLength = std::strlen(line);
            if (total - (oldEnd - start) + newLength + 1 > size)
                return MergeResult::NoRoom;
            std::memmove(record + start + newLength, record + oldEnd, total - oldEnd + 1);
            std::memcpy(record + start, line, newLength);
            return MergeResult::Replaced;
        }
        at = next;
    }
    return ComposeText(record, size, {record, line}) ? MergeResult::Appended : MergeResult::NoRoom;
}

bool FileUnchanged(const RecordEntry& recorded, unsigned long long size, unsigned long long time)
{
    return recorded.size == size && recorded.time == time;
}

unsigned long RecordedKiB(const char* record, const char* directory)
{
    std::size_t prefix = std::strlen(directory);
    unsigned long long bytes = 0;
    for (const char* at = record; at != nullptr && *at != '\0';) {
        RecordEntry entry;
        if (ParseRecordLine(at, &entry, &at) && entry.kind == RecordKind::File &&
            std::strlen(entry.path) > prefix && SameText(entry.path, directory, prefix))
            bytes += entry.size;
    }
    unsigned long long kib = (bytes + 1023) / 1024;
    return kib > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : static_cast<unsigned long>(kib);
}

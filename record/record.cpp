#include "record/record.h"

#include <cstring>

#include "shell/paths.h"
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
    {RecordKind::Server, "Server"},       {RecordKind::DdeItem, "DdeItem"},
};
static const char kFormatWord[] = "Record";

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
    if (length == 0)
        return false;
    const char* blank = static_cast<const char*>(std::memchr(text, ' ', length));
    std::size_t wordLength = blank != nullptr ? static_cast<std::size_t>(blank - text) : length;
    entry->kind = RecordKind::Unknown;
    for (const KindName& known : kKindNames)
        if (std::strlen(known.name) == wordLength && std::memcmp(known.name, text, wordLength) == 0)
            entry->kind = known.kind;
    if (wordLength == sizeof kFormatWord - 1 && std::memcmp(kFormatWord, text, wordLength) == 0) {
        // "Record <n>", n in decimal digits.
        entry->kind = RecordKind::None;
        const char* digit = blank != nullptr ? blank + 1 : end;
        for (; digit < end && *digit >= '0' && *digit <= '9' && entry->size < 100000; ++digit)
            entry->size = entry->size * 10 + static_cast<unsigned>(*digit - '0');
        if (digit != end || blank == nullptr || blank + 1 == end)
            return false;
        entry->kind = RecordKind::Format;
        return true;
    }
    if (entry->kind == RecordKind::Unknown)
        return false;
    if (blank == nullptr) {
        entry->kind = RecordKind::None;
        return false;
    }
    const char* path = blank + 1;
    if (
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
    std::size_t length = std::strlen(record);
    const char* separator = length > 0 && record[length - 1] != '\n' && record[length - 1] != '\r' ? "\r\n" : "";
    return ComposeText(record, size, {record, separator, line}) ? MergeResult::Appended : MergeResult::NoRoom;
}

unsigned RecordFormat(const char* record)
{
    RecordEntry first;
    const char* next;
    if (ParseRecordLine(record, &first, &next) && first.kind == RecordKind::Format)
        return first.size >= 1 && first.size <= kRecordFormat ? static_cast<unsigned>(first.size) : 0;
    // A first line that starts like the format line but is none is not an older record either.
    std::size_t word = sizeof kFormatWord - 1;
    if (std::strncmp(record, kFormatWord, word) == 0 && (record[word] == ' ' || LineLength(record) == word))
        return 0;
    return 1;
}

bool StartRecordText(char* record, std::size_t size)
{
    unsigned format = RecordFormat(record);
    if (format == 0)
        return false;
    RecordEntry first;
    const char* next;
    const char* body = ParseRecordLine(record, &first, &next) && first.kind == RecordKind::Format ? next : record;
    if (body == nullptr)
        body = "";
    char line[32];
    FormatText(line, sizeof line, "%s %d\r\n", kFormatWord, static_cast<int>(kRecordFormat));
    std::size_t lineLength = std::strlen(line);
    std::size_t bodyLength = std::strlen(body);
    if (lineLength + bodyLength + 1 > size)
        return false;
    std::memmove(record + lineLength, body, bodyLength + 1);
    std::memcpy(record, line, lineLength);
    return true;
}

const char kStagedSuffix[] = ".QVXNEW";

bool FileUnchanged(const RecordEntry& recorded, unsigned long long size, unsigned long long time)
{
    return (recorded.size == size && recorded.time == time) || (recorded.size == kAnyStamp && recorded.time == kAnyStamp);
}

unsigned long RecordedKiB(const char* record, const char* directory)
{
    std::size_t prefix = std::strlen(directory);
    unsigned long long bytes = 0;
    for (const char* at = record; at != nullptr && *at != '\0';) {
        RecordEntry entry;
        if (ParseRecordLine(at, &entry, &at) && entry.kind == RecordKind::File && entry.size != kAnyStamp &&
            std::strlen(entry.path) > prefix && SameText(entry.path, directory, prefix))
            bytes += entry.size;
    }
    unsigned long long kib = (bytes + 1023) / 1024;
    return kib > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : static_cast<unsigned long>(kib);
}

// A full path ("d:\..."): no empty, "." or ".." level, no level ending in a dot or a blank (the
// platform would drop them), no character that a file name cannot hold (":" would name a stream).
static bool PlainFullPath(const char* path)
{
    char drive = Lower(path[0]);
    if (drive < 'a' || drive > 'z' || path[1] != ':' || path[2] != '\\')
        return false;
    const char* level = path + 3;
    for (const char* p = level;; ++p) {
        if (*p == '\\' || *p == '\0') {
            std::size_t length = static_cast<std::size_t>(p - level);
            if (length == 0 || p[-1] == '.' || p[-1] == ' ')
                return false;
            if (*p == '\0')
                return true;
            level = p + 1;
        } else if (static_cast<unsigned char>(*p) < 32 || std::strchr("/:*?\"<>|", *p) != nullptr) {
            return false;
        }
    }
}

// What follows directory (with or without its final backslash) and one backslash in path, or
// null when path does not lie below it.
static const char* Below(const char* path, const char* directory)
{
    std::size_t length = std::strlen(directory);
    if (length > 0 && directory[length - 1] == '\\')
        --length;
    if (length == 0 || std::strlen(path) <= length + 1 || path[length] != '\\' || !SameText(path, directory, length))
        return nullptr;
    return path + length + 1;
}

static bool SameName(const char* a, const char* b)
{
    return std::strlen(a) == std::strlen(b) && SameText(a, b, std::strlen(a));
}

static bool NameListed(const char* name, const TextList& list)
{
    std::size_t length = std::strlen(name);
    for (std::size_t i = 0; i < list.count; ++i) {
        const char* listed = list.names[i];
        std::size_t listedLength = std::strlen(listed);
        if (listedLength == 0)
            continue;
        char last = listed[listedLength - 1];
        bool lastWild = last == '_' && length == listedLength && name[length - 1] != '\\';
        bool dotDropped = last == '.' && length + 1 == listedLength && std::strchr(FileNamePart(listed), '.') ==
                                                                           listed + listedLength - 1;
        if ((length == listedLength && SameText(name, listed, length)) ||
            ((lastWild || dotDropped) && SameText(name, listed, listedLength - 1) && length >= listedLength - 1))
            return true;
    }
    return false;
}

// path is "<a Programs menu>\<group>" followed by rest ("" for the folder itself).
static bool InGroupFolder(const char* path, const ProductScope& scope, const char** rest)
{
    std::size_t groupLength = std::strlen(scope.group);
    for (std::size_t i = 0; i < scope.programsFolders.count; ++i) {
        const char* inside = Below(path, scope.programsFolders.names[i]);
        if (inside != nullptr && groupLength > 0 && SameText(inside, scope.group, groupLength) &&
            (inside[groupLength] == '\0' || inside[groupLength] == '\\')) {
            *rest = inside[groupLength] == '\0' ? inside + groupLength : inside + groupLength + 1;
            return true;
        }
    }
    return false;
}

static bool IsGroupLink(const char* path, const ProductScope& scope)
{
    const char* name;
    if (!InGroupFolder(path, scope, &name) || name[0] == '\0')
        return false;
    std::size_t length = std::strlen(name);
    if (length <= 4 || !SameText(name + length - 4, ".lnk", 4))
        return false;
    for (std::size_t i = 0; i < scope.items.count; ++i)
        if (std::strlen(scope.items.names[i]) == length - 4 && SameText(name, scope.items.names[i], length - 4))
            return true;
    return false;
}

bool InProductScope(const RecordEntry& entry, const ProductScope& scope)
{
    const char* path = entry.path;
    const char* rest;
    switch (entry.kind) {
    case RecordKind::File: {
        if (!PlainFullPath(path) || (rest = Below(path, scope.location)) == nullptr)
            return false;
        // A staged copy is named as the file it replaces, with the suffix.
        char name[260];
        std::size_t length = std::strlen(rest), suffix = sizeof kStagedSuffix - 1;
        if (length > suffix && length < sizeof name && SameText(rest + length - suffix, kStagedSuffix, suffix)) {
            std::memcpy(name, rest, length - suffix);
            name[length - suffix] = '\0';
            rest = name;
        }
        return NameListed(rest, scope.files);
    }
    case RecordKind::Shortcut:
        return PlainFullPath(path) && IsGroupLink(path, scope);
    case RecordKind::Server:
        return PlainFullPath(path) && (rest = Below(path, scope.location)) != nullptr && NameListed(rest, scope.servers);
    case RecordKind::Directory: {
        if (!PlainFullPath(path))
            return false;
        char location[260];
        std::size_t length = std::strlen(scope.location);
        if (length == 0 || length >= sizeof location)
            return false;
        std::memcpy(location, scope.location, length + 1);
        if (location[length - 1] == '\\')
            location[length - 1] = '\0';
        return SameName(path, location) || Below(path, location) != nullptr || Below(location, path) != nullptr ||
               (InGroupFolder(path, scope, &rest) && rest[0] == '\0');
    }
    case RecordKind::ShortcutFolder:
        return PlainFullPath(path) && InGroupFolder(path, scope, &rest) && rest[0] == '\0';
    case RecordKind::SharedCount:
        return PlainFullPath(path) && (rest = Below(path, scope.systemDirectory)) != nullptr &&
               std::strchr(rest, '\\') == nullptr && NameListed(rest, scope.sharedFiles);
    case RecordKind::DeviceKey:
        return SameName(path, scope.deviceKey);
    case RecordKind::RegistryKey:
        return Below(scope.deviceKey, path) != nullptr && path[std::strlen(path) - 1] != '\\';
    case RecordKind::DdeGroup:
        return SameName(path, scope.group);
    case RecordKind::DdeItem:
        for (std::size_t i = 0; i < scope.items.count; ++i)
            if (SameName(path, scope.items.names[i]))
                return true;
        return false;
    default:
        return false;
    }
}

const char* FindRecordLine(const char* record, RecordKind kind, const char* path, RecordEntry* found)
{
    for (const char* at = record; at != nullptr && *at != '\0';) {
        const char* line = at;
        if (ParseRecordLine(at, found, &at) && found->kind == kind && SameName(found->path, path))
            return line;
    }
    return nullptr;
}

bool FirstToName(const char* record, const char* lineStart, const RecordEntry& entry)
{
    RecordEntry first;
    return FindRecordLine(record, entry.kind, entry.path, &first) == lineStart;
}

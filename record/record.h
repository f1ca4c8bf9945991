// The record of what an installation changed: a plain-text file in the destination, one change a
// line, so that removal takes back exactly that and nothing else. Portable: no platform headers.
//
//   File <size> <last-write time> <path>   a file written, as the run left it (16 hex digits each)
//   Shortcut <size> <time> <path>          a group's .lnk file, likewise
//   Directory <path>            a directory created
//   SharedCount <path>          one count added to a shared file's entry
//   DeviceKey <key>             the device key (below HKEY_LOCAL_MACHINE), written
//   RegistryKey <key>           a key created on the way to the device key
//   DdeGroup <name>             the program group, made over DDE
//   ShortcutFolder <path>       the program group, made as a folder of shortcuts
//   Server <path>               a COM server registered
//   DdeItem <caption>           an item added over DDE to a group that was there before
//
// The first line names the format ("Record 2"); a record without it is of format 1, which is the
// same but for DdeItem lines.
#pragma once
#include <cstddef>

enum class RecordKind { None, File, Shortcut, Directory, SharedCount, DeviceKey, RegistryKey, DdeGroup,
                        ShortcutFolder, Server, DdeItem, Format, Unknown };

enum { kRecordFormat = 2 };

struct RecordEntry {
    RecordKind kind = RecordKind::None;
    unsigned long long size = 0;  // File and Shortcut only
    unsigned long long time = 0;  // last-write time as a 64-bit FILETIME; File and Shortcut only
    char path[260] = "";
};

// The line for one change, CR LF included. False, buffer unchanged, when it would not fit or the
// path is empty or holds a line break.
bool FormatRecordLine(char* buffer, std::size_t size, const RecordEntry& entry);

// Reads the line that starts at text (up to CR, LF or the end). False for a line of no known
// kind (entry->kind Unknown), a malformed one or a path that would not fit (None): a reader skips
// it. The format line reads as Format, with its number as size. *next is set to the start of the
// following line either way (null at the end of the text).
bool ParseRecordLine(const char* text, RecordEntry* entry, const char** next);

// The format of a record's text: kRecordFormat or an older one, or 0 for one this program does not
// know (a newer setup's, or a format line that is not one).
unsigned RecordFormat(const char* record);
// Makes record (a terminated text in a buffer of size bytes) one of the current format: the format
// line goes first, before what an older record holds. False for a format this program does not
// know, or when there is no room; the text is then unchanged.
bool StartRecordText(char* record, std::size_t size);

// Merges one formatted line into record (a terminated text in a buffer of size bytes): the same
// line again changes nothing; a File or Shortcut line replaces the one for the same path (a file
// rewritten); any other line is appended, on a line of its own even when the text's last line
// has no line break.
enum class MergeResult { Unchanged, Appended, Replaced, NoRoom };
MergeResult MergeRecordLine(char* record, std::size_t size, const char* line);

// Whether record holds this line already (compared without regard to case).
bool RecordHolds(const char* record, const char* line);

// The size and time of a File line noted before the file's first byte is written: the removal
// takes the file whatever it holds (a run killed during its copy leaves it partial).
const unsigned long long kAnyStamp = ~0ULL;
// A product file in use is written beside it under its name and this suffix, and replaces it at
// the next restart.
extern const char kStagedSuffix[];

// Whether a recorded file may be removed: it still has the size and last-write time the run left,
// or the line was noted before the file was written (both kAnyStamp).
bool FileUnchanged(const RecordEntry& recorded, unsigned long long size, unsigned long long time);

// KiB (rounded up) of the files recorded below directory (its text, ending in '\', compared
// without regard to case): the entry's estimated size.
unsigned long RecordedKiB(const char* record, const char* directory);

// What an installation of one string table can have written, as the removal trusts it: the
// record lies where users may be able to write, so a line is followed only when it names one of
// these. Lists name files as the string table does: a final '_' stands for the character a
// compressed file's name expands to, and a final lone '.' may be dropped.
struct TextList {
    const char* const* names = nullptr;
    std::size_t count = 0;
};
struct ProductScope {
    const char* location = "";         // the installed location, ending in '\'
    const char* systemDirectory = "";  // without a trailing '\'
    const char* deviceKey = "";        // below HKEY_LOCAL_MACHINE
    const char* group = "";            // the program group's name
    TextList programsFolders;          // the all-users and the user's Programs menus, no final '\'
    TextList files;                    // below location: the product list, staged copies, ...
    TextList sharedFiles;              // names in the system directory
    TextList items;                    // the group's captions
    TextList servers;                  // below location
};
// Whether a parsed line names what the scope allows: files below the location or .lnk files of
// the group's items in the group's folder; directories at or below the location, its parents, the
// group's folder; the servers; the device key and its parents; counts of the shared files; the
// group and its items. Paths are full, with no empty, "." or ".." level and nothing a path on the
// platform would read otherwise; names compare without regard to case.
bool InProductScope(const RecordEntry& entry, const ProductScope& scope);

// The first line of record of this kind that names path (without regard to case), read into
// *found; null when there is none.
const char* FindRecordLine(const char* record, RecordKind kind, const char* path, RecordEntry* found);
// Whether the line at lineStart in record, which reads as entry, is the first of its kind to name
// its path: a count is taken back once however often the record names it.
bool FirstToName(const char* record, const char* lineStart, const RecordEntry& entry);

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
#pragma once
#include <cstddef>

enum class RecordKind { None, File, Shortcut, Directory, SharedCount, DeviceKey, RegistryKey, DdeGroup,
                        ShortcutFolder, Server };

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
// kind, a malformed one or a path that would not fit: a reader skips it. *next is set to the
// start of the following line either way (null at the end of the text).
bool ParseRecordLine(const char* text, RecordEntry* entry, const char** next);

// Merges one formatted line into record (a terminated text in a buffer of size bytes): the same
// line again changes nothing; a File or Shortcut line replaces the one for the same path (a file
// rewritten); any other line is appended.
enum class MergeResult { Unchanged, Appended, Replaced, NoRoom };
MergeResult MergeRecordLine(char* record, std::size_t size, const char* line);

// Whether record holds this line already (compared without regard to case).
bool RecordHolds(const char* record, const char* line);

// Whether a recorded file may be removed: it still has the size and last-write time the run left.
bool FileUnchanged(const RecordEntry& recorded, unsigned long long size, unsigned long long time);

// KiB (rounded up) of the files recorded below directory (its text, ending in '\', compared
// without regard to case): the entry's estimated size.
unsigned long RecordedKiB(const char* record, const char* directory);

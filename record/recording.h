// The record of what an installation changes, kept as the changes happen: every part of the setup
// that changes the machine notes the change here, and the removal later reads it. Below the
// destination, install and integration parts; it uses the shell's services only.
#pragma once
#include <windows.h>

#include "record/record.h"
#include "shell/shell.h"

enum { kRecordSize = 16384 };
// The record as it stands (installation) or was read (removal): kRecordSize bytes from the heap,
// so the program file does not carry them. Null until EnsureRecordText has succeeded.
extern char* recordText;
bool EnsureRecordText();
extern char recordPath[kBufferSize];  // "" until the destination is known

// Once the destination is known (destinationDirectory set, ending in '\'): the record goes into
// it, joined with an earlier installation's and with what was noted before (directories the
// checks created). False, with the failure counted, when it cannot be kept there.
bool OpenInstallationRecord();
// An installation that stops before its first change: the record it started goes, and so do the
// directories noted as created, while empty.
void DiscardInstallationRecord();

// Each notes one change, as it is made. RecordFile and RecordShortcut read the size and time the
// file has now. Nothing is noted twice. A change that cannot be noted counts as a failure.
void RecordFile(const char* path);
// A file that another one (stampFrom) replaces at the next restart: noted with the size and time
// stampFrom has now, which a rename keeps, unless the record holds it already (it stays that
// until the restart; the removal then takes the staged copy's line for it too).
void RecordFileAs(const char* path, const char* stampFrom);
// Before a file's first byte is written: a line the removal takes whatever the file then holds,
// which RecordFile replaces once the file is complete.
void RecordFileStarted(const char* path);
void RecordShortcut(const char* path);
void RecordDirectory(const char* path);
void RecordServer(const char* path);
void RecordDdeGroup(const char* name);
void RecordDdeItem(const char* caption);
void RecordShortcutFolder(const char* path);
// Notes a change as it stands; true when it was new to the record and is now in it.
bool AddRecordLine(const RecordEntry& entry);
// Before the device key (string keyId, below HKEY_LOCAL_MACHINE) is created: notes it, and each
// level of its path that does not exist yet.
void RecordDeviceKey(int keyId);
// Before a shared file (a name) is installed into the system directory: adds this product's one
// count to its SharedDLLs entry, starting from 1 when the file is there without a count. Once per
// product: a reinstallation adds nothing.
void CountSharedFile(const char* fileName);
extern const char kSharedDllsKey[];

// Size and last-write time of a file (false for a directory or what cannot be read).
bool ReadFileStamp(const char* path, unsigned long long* size, unsigned long long* time);
// Reads a whole text file into buffer (size bytes, terminated); false when it cannot be read or
// does not fit.
bool ReadTextFile(const char* path, char* buffer, DWORD size);
// Where a rewrite of the record is prepared before it replaces the record in one step.
bool TemporaryRecordPath(char* out);

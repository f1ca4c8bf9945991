// Whole installations driven through the user interface, and the checks their tests make on
// what was installed. Everything runs inside the test's own (throw-away) Wine prefix, so the
// paths below are that prefix's drives.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace e2e {

// What the sample distribution installs, in the order the setup works through it.
struct ListedFile {
    const char* listed;     // name in the distribution, as the string table lists it
    const char* installed;  // name below the destination directory
};
extern const ListedFile kSharedFiles[3];
extern const ListedFile kProductFiles[12];
extern const char kDeviceKey[];  // below HKEY_LOCAL_MACHINE
extern const char kGroup[];      // the Start Menu group

// The registry script for destination D: the device entry with D escaped as the format needs.
std::string ExpectedScript(const std::string& destination);
std::string Lower(std::string text);

// The two COM servers of the product.
struct ServerEntry {
    const char* clsid;
    const char* file;
};
extern const ServerEntry kServers[2];

// The device entry in the registry, its script beside the files, and both COM servers
// registered from the destination: the last stage of every run that got past the dialog.
void ExpectRegistered(const std::string& destination);

extern const char kCreateQuestion[];    // asked when the destination does not exist
extern const char kCompletionMessage[]; // the last box of a finished installation

struct InstallOptions {
    std::string distribution;              // the built distribution; empty: DistDirectory()
    std::string runFrom = "C:\\QVXDIST\\"; // copied there first and run from there; empty: in place
    std::string commandLine;               // as SETUP.EXE sees it; empty: its full path, quoted
    std::string workingDirectory;          // empty: the directory it runs from
    std::string destination;               // typed into the path field; empty: keep the default
    int createAnswer = IDYES;              // to the question whether to create the destination
    bool pressEnter = false;               // Enter in the path field instead of a click on "OK"
    // Called once the path is given, before the wait for the end: acts on the running setup
    // (its progress dialog, say), adding its own answers before the boxes it provokes.
    std::function<void(SetupProcess& setup)> whileRunning;
    DWORD dialogTimeout = 60000;           // until "Enter Path" is up
    DWORD timeout = 300000;                // for the rest of the run
};

struct InstallResult {
    bool started = false;
    bool dialogShown = false;
    std::string runFrom;       // the directory holding the SETUP.EXE that ran
    std::string defaultPath;   // what the path field offered
    std::string typedPath;     // what the field held when "OK" was pressed
    std::vector<BoxRecord> boxes;
    std::vector<WindowRecord> windows;
    bool exited = false;
    DWORD exitCode = STILL_ACTIVE;
    DWORD milliseconds = 0;
};

// Runs SETUP.EXE from a copy of the distribution: takes the offered path (or types the given one
// character by character), presses "OK" (or Enter), answers "Yes" to the creation question and
// waits for the end. Any other box is answered with its default button and logged in the result.
// Test failures are added for a setup that cannot start, shows no "Enter Path" or does not end.
InstallResult RunInstallation(const InstallOptions& options = InstallOptions());

// A key pressed while the control has the focus: WM_KEYDOWN and WM_KEYUP posted to it, so that
// the dialog manager's loop sees them first, as it sees the keyboard's.
bool PressKey(HWND control, UINT virtualKey);

// Files.
bool CopyTree(const std::string& from, const std::string& to);  // directories end with '\'
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ReadBytes(const std::string& path, std::string* bytes);
// The file's contents after the platform's LZ expansion (a plain file's own bytes).
bool ExpandedBytes(const std::string& path, std::string* bytes);
// The name the platform's LZ service records for the file (the file's own name when plain).
std::string ExpandedFileName(const std::string& path);
testing::AssertionResult SameBytes(const std::string& expected, const std::string& actualPath);
testing::AssertionResult SameWriteTime(const std::string& expectedPath, const std::string& actualPath);
// Names in the directory that match the pattern ("QVX*.tmp").
std::vector<std::string> FilesMatching(const std::string& directory, const std::string& pattern);
std::string SystemDirectory();  // with a trailing backslash
std::string TempDirectory();    // with a trailing backslash

// Registry: a string value (name empty: the default value).
bool ReadRegistryString(HKEY root, const std::string& key, const std::string& name,
                        std::string* value);
bool RegistryKeyExists(HKEY root, const std::string& key);

// A Start Menu entry: the path of Programs\group\name (name empty: the group's folder) in the
// user's or the common Start Menu, whichever has it; empty when neither has.
std::string StartMenuEntry(const std::string& group, const std::string& name);

}  // namespace e2e

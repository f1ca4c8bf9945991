#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "integration/shortcuts.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "tests/support/support.h"

// "target|arguments|working directory" of a shortcut, read back through the shell.
static std::string ReadShortcut(const std::string& link)
{
    std::string result = "unreadable";  // not "": that stands for no shortcut
    WCHAR wide[MAX_PATH];
    char target[MAX_PATH], arguments[MAX_PATH], directory[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    CoInitialize(nullptr);
    IShellLinkA* shellLink = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shellLink))) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(wide, STGM_READ)) &&
        SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(shellLink->GetArguments(arguments, MAX_PATH)) &&
        SUCCEEDED(shellLink->GetWorkingDirectory(directory, MAX_PATH)))
        result = std::string(target) + "|" + arguments + "|" + directory;
    if (file != nullptr)
        file->Release();
    if (shellLink != nullptr)
        shellLink->Release();
    CoUninitialize();
    return result;
}

TEST(Shortcuts, LinkTheFoundProgramWithItsArgumentsAndRefuseAMissingOne)
{
    char group[64], folder[MAX_PATH], common[MAX_PATH], notepad[MAX_PATH];
    std::snprintf(group, sizeof group, "QvxShortcutTest%lu", GetCurrentProcessId());
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, common, CSIDL_COMMON_PROGRAMS, FALSE));
    ASSERT_TRUE(CreateShortcutFolder(group, folder));
    ASSERT_TRUE(CreateShortcutFolder(group, folder));  // an existing group is reused
    EXPECT_EQ(std::string(folder), std::string(common) + "\\" + group);
    ASSERT_GT(SearchPathA(nullptr, "notepad.exe", nullptr, MAX_PATH, notepad, nullptr), 0u);
    std::string system = std::string(notepad).substr(0, std::string(notepad).rfind('\\'));
    std::string dir = TestDirectory().substr(0, TestDirectory().size() - 1);
    std::string self = dir + "\\shortcuts_test.exe";
    // Off the search path, registered the way Windows registers wordpad.exe.
    static const char kRegistered[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qvxregistered.exe";
    static const char kValue[] = "\"%QVX_TEST_DIR%\\shortcuts_test.exe\"";
    SetEnvironmentVariableA("QVX_TEST_DIR", dir.c_str());
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, kRegistered, REG_SZ, kValue, sizeof kValue), ERROR_SUCCESS);

    const struct {
        const char* caption;
        std::string commandLine, expected;  // expected "": refused
    } cases[] = {
        {"Self", "\"" + self + "\"  /a \"b c\"", self + "|/a \"b c\"|" + dir},
        {"Notepad", "notepad", std::string(notepad) + "||" + system},
        {"MSR Documentation", "qvxregistered.exe c:\\readme.doc", self + "|c:\\readme.doc|" + dir},
        {"Missing", "c:\\nowhere\\missing.exe x", ""},
        {"Unknown", "qvxnosuchprogram.exe readme.doc", ""},
        {"Unquoted", "\"" + self, ""},
        {"..\\Escaped", "notepad.exe", ""},
    };
    for (const auto& c : cases) {
        std::string link = std::string(folder) + "\\" + c.caption + ".lnk";
        EXPECT_EQ(CreateShortcut(folder, c.caption, c.commandLine.c_str()), !c.expected.empty());
        bool exists = GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
        std::string got = exists ? ReadShortcut(link) : "";
        EXPECT_EQ(lstrcmpiA(got.c_str(), c.expected.c_str()), 0) << c.caption << ": " << got;
        DeleteFileA(link.c_str());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kRegistered);
    EXPECT_TRUE(RemoveDirectoryA(folder));  // nothing else was left in it
}

TEST(Log, WritesEachLineAtOnceAndIgnoresLinesWithoutAFile)
{
    ScratchDirectory scratch;
    std::string path = scratch.path() + "setup.log", contents;
    ASSERT_TRUE(OpenLog(path.c_str()));
    LogLine("Copying %s to %s", "CARD.OC_", "c:\\OPOS\\QVX\\CARD.OCX");
    LogLine("%s -> %s", "The directory does not exist.\r\n\nCreate it?\n", "Yes");
    ASSERT_TRUE(ReadWholeFile(path, &contents));  // still open
    EXPECT_EQ(contents, "Copying CARD.OC_ to c:\\OPOS\\QVX\\CARD.OCX\r\n"
                        "The directory does not exist. | Create it? -> Yes\r\n");

    moduleInstance = GetModuleHandleA(nullptr);
    char temp[MAX_PATH];
    std::string defaultLog(temp, GetTempPathA(MAX_PATH, temp));
    defaultLog += "QVXSETUP.LOG";
    ASSERT_TRUE(OpenLog(""));  // closes the first
    LogLine("Exit code %d", 3);
    CloseLog();
    EXPECT_TRUE(ReadWholeFile(defaultLog, &contents) && contents == "Exit code 3\r\n") << contents;
    DeleteFileA(defaultLog.c_str());

    EXPECT_FALSE(OpenLog((scratch.path() + "no\\such\\x.log").c_str()));
    EXPECT_FALSE(LogOpen());
    LogLine("nowhere %d", 1);
}

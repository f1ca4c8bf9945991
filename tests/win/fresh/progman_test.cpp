// The program group in the Start Menu: made by the Program Manager DDE server of Wine's desktop,
// or by the setup itself as a folder of shortcuts in unattended runs and when no Program Manager
// answers. Runs in a throw-away prefix.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "integration/group.h"
#include "integration/shortcuts.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"

// "target|arguments|working directory" of a shortcut, lower case, read back through the shell;
// "" when there is none.
static std::string ReadShortcut(const std::string& link)
{
    WCHAR wide[MAX_PATH];
    char target[MAX_PATH] = "", arguments[MAX_PATH] = "", directory[MAX_PATH] = "";
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    IShellLinkA* shellLink;
    IPersistFile* file;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&shellLink));
    shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    bool loaded = SUCCEEDED(file->Load(wide, STGM_READ));
    shellLink->GetPath(target, MAX_PATH, nullptr, 0);
    shellLink->GetArguments(arguments, MAX_PATH);
    shellLink->GetWorkingDirectory(directory, MAX_PATH);
    file->Release();
    shellLink->Release();
    std::string result = loaded ? std::string(target) + "|" + arguments + "|" + directory : "";
    CharLowerBuffA(&result[0], static_cast<DWORD>(result.size()));
    return result;
}

TEST(StartMenu, GroupComesFromProgramManagerOrElseFromTheSetupAsAFolderOfShortcuts)
{
    moduleInstance = GetModuleHandleA(nullptr);
    lstrcpyA(destinationDirectory, "C:\\OPOS\\QVX\\");
    for (const char* directory : {"C:\\OPOS", "C:\\OPOS\\QVX", "C:\\OPOS\\QVX\\Sample"})
        CreateDirectoryA(directory, nullptr);
    char self[MAX_PATH], programs[MAX_PATH], other[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, "C:\\OPOS\\QVX\\Sample\\TestCard.exe", FALSE));
    CoInitialize(nullptr);
    const std::string made = "Group item Sample MSR Test Program: shortcut created\r\n"
                             "Group item MSR Documentation: shortcut created\r\n";
    // Wine keeps the documentation's viewer among the accessories, unregistered.
    char accessories[MAX_PATH];
    ExpandEnvironmentStringsA("%ProgramFiles%\\Windows NT\\Accessories", accessories, MAX_PATH);
    CharLowerA(accessories);
    const std::string wordpad = std::string(accessories) + "\\wordpad.exe";
    const struct {
        RunMode mode;
        const char *service, *why;  // why the group is a folder of shortcuts; null: over DDE
        bool blocked;               // a directory stands where the item's .lnk goes
        const char* shortcut;
        std::string log;  // after the group's line
        int folder;
    } cases[] = {
        // Wine's Program Manager takes the item and refuses the documentation, whose viewer it
        // cannot find; the refusal does not count as a failure.
        {RunMode::Interactive, "PROGMAN", nullptr, false, "c:\\opos\\qvx\\sample\\testcard.exe||",
         "Group item Sample MSR Test Program: added\r\nGroup item MSR Documentation: refused by Program Manager\r\n",
         CSIDL_PROGRAMS},
        {RunMode::Interactive, "QvxNobodyAnswersThis", "no Program Manager answered", false,
         "c:\\opos\\qvx\\sample\\testcard.exe||c:\\opos\\qvx\\sample", made, CSIDL_COMMON_PROGRAMS},
        // Program Manager is not asked: its server would open the group's window on the screen.
        {RunMode::VerySilent, "PROGMAN", "unattended run", false, "c:\\opos\\qvx\\sample\\testcard.exe||c:\\opos\\qvx\\sample",
         made, CSIDL_COMMON_PROGRAMS},
        {RunMode::Silent, "PROGMAN", "unattended run", true, "",
         "Group item Sample MSR Test Program: FAILED (cannot be saved)\r\n"
         "Group item MSR Documentation: shortcut created\r\n", CSIDL_COMMON_PROGRAMS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why ? c.why : c.service);
        ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, c.folder, TRUE));
        ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, other, c.folder == CSIDL_PROGRAMS ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, TRUE));
        std::string folder = std::string(programs) + "\\OLE for Point of Sale", link = folder + "\\Sample MSR Test Program.lnk";
        ASSERT_TRUE(!c.blocked || SHCreateDirectoryExA(nullptr, link.c_str(), nullptr) == ERROR_SUCCESS);
        ScratchDirectory scratch;
        std::string log;
        progmanService = c.service;
        runMode = c.mode;
        somethingFailed = false;
        ASSERT_TRUE(OpenLog((scratch.path() + "setup.log").c_str()));
        MessageBoxAnswerer boxes;
        CreateProgramIcons();
        CloseLog();
        UnregisterClassA("ddeClass", moduleInstance);
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(somethingFailed, c.blocked);
        ASSERT_TRUE(ReadWholeFile(scratch.path() + "setup.log", &log));
        EXPECT_EQ(log, "Program group OLE for Point of Sale: " +
                           (c.why ? "Start Menu folder " + folder + " (" + c.why + ")" : std::string("over DDE with Program Manager")) +
                           "\r\n" + c.log);
        EXPECT_EQ(ReadShortcut(link), c.shortcut);
        const std::string documentation = folder + "\\MSR Documentation.lnk";
        EXPECT_EQ(ReadShortcut(documentation), c.why ? wordpad + "|c:\\opos\\qvx\\readme.doc|" + accessories : "");
        EXPECT_EQ(GetFileAttributesA((std::string(other) + "\\OLE for Point of Sale").c_str()), INVALID_FILE_ATTRIBUTES);
        // Nothing else is in the group: the folder can go once the shortcuts have.
        DeleteFileA(documentation.c_str());
        EXPECT_TRUE((c.blocked ? RemoveDirectoryA(link.c_str()) : DeleteFileA(link.c_str())) && RemoveDirectoryA(folder.c_str()));
    }
    // Without the viewer (Windows 11 ships none) the documentation's shortcut opens the document.
    ASSERT_TRUE(MoveFileA(wordpad.c_str(), "C:\\wordpad.exe") && WriteWholeFile("C:\\OPOS\\QVX\\readme.doc", ""));
    runMode = RunMode::VerySilent;
    CreateProgramIcons();
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE));
    EXPECT_EQ(ReadShortcut(std::string(programs) + "\\OLE for Point of Sale\\MSR Documentation.lnk"),
              "c:\\opos\\qvx\\readme.doc||c:\\opos\\qvx");
    progmanService = "PROGMAN";
    runMode = RunMode::Interactive;

    // An all-users group that is there but takes no new file, as one closed to this user (sysfs
    // takes none, even from root; Wine ignores the read-only attribute of a directory): the
    // group goes to the user's own Programs folder.
    HKEY shellFolders;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                            0, KEY_SET_VALUE, &shellFolders), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(shellFolders, "Common Programs", 0, REG_SZ, reinterpret_cast<const BYTE*>("Z:\\sys"), 7), ERROR_SUCCESS);
    ASSERT_FALSE(WriteWholeFile("Z:\\sys\\fs\\probe", ""));
    char group[MAX_PATH] = "";
    EXPECT_TRUE(CreateShortcutFolder("fs", group));
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE));
    EXPECT_EQ(std::string(group), std::string(programs) + "\\fs");
    EXPECT_TRUE(RemoveDirectoryA(group));
    RegDeleteValueA(shellFolders, "Common Programs");  // the shell puts back its default
    RegCloseKey(shellFolders);

    // A quoted program and arguments with blanks; a caption that would leave the folder is refused.
    ScratchDirectory scratch;
    std::string folder = scratch.path().substr(0, scratch.path().size() - 1), program = "\"C:\\OPOS\\QVX\\Sample\\TestCard.exe\"";
    EXPECT_EQ(CreateShortcut(folder.c_str(), "Self", (program + "  /a \"b c\"").c_str()), ShortcutResult::Created);
    EXPECT_EQ(ReadShortcut(folder + "\\Self.lnk"), "c:\\opos\\qvx\\sample\\testcard.exe|/a \"b c\"|c:\\opos\\qvx\\sample");
    EXPECT_EQ(CreateShortcut(folder.c_str(), "..\\Escaped", program.c_str()), ShortcutResult::Refused);
    EXPECT_EQ(CreateShortcut(folder.c_str(), "Unquoted", program.substr(0, program.size() - 1).c_str()), ShortcutResult::Refused);
    CoUninitialize();
}

// The program group in the Start Menu: made by the Program Manager DDE server of Wine's desktop,
// or by the setup itself as a folder of shortcuts when no Program Manager answers. Runs in a
// throw-away prefix.
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
    char self[MAX_PATH], programs[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, "C:\\OPOS\\QVX\\Sample\\TestCard.exe", FALSE));
    CoInitialize(nullptr);
    const struct {
        const char *service, *shortcut, *log;  // the log after its first line
        int folder;
    } cases[] = {
        // Wine's Program Manager takes the item and refuses the documentation, whose viewer it
        // cannot find, as the setup itself does.
        {"PROGMAN", "c:\\opos\\qvx\\sample\\testcard.exe||",
         "Group item Sample MSR Test Program: added\r\nGroup item MSR Documentation: refused by Program Manager\r\n",
         CSIDL_PROGRAMS},
        {"QvxNobodyAnswersThis", "c:\\opos\\qvx\\sample\\testcard.exe||c:\\opos\\qvx\\sample",
         "Group item Sample MSR Test Program: shortcut created\r\n"
         "Group item MSR Documentation: no shortcut (program not found)\r\n",
         CSIDL_COMMON_PROGRAMS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.service);
        ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, c.folder, FALSE));
        std::string folder = std::string(programs) + "\\OLE for Point of Sale", link = folder + "\\Sample MSR Test Program.lnk";
        ScratchDirectory scratch;
        std::string log;
        progmanService = c.service;
        ASSERT_TRUE(OpenLog((scratch.path() + "setup.log").c_str()));
        MessageBoxAnswerer boxes;
        CreateProgramIcons();
        CloseLog();
        UnregisterClassA("ddeClass", moduleInstance);
        EXPECT_TRUE(boxes.shown.empty());
        ASSERT_TRUE(ReadWholeFile(scratch.path() + "setup.log", &log));
        EXPECT_EQ(log.substr(log.find('\n') + 1), c.log) << log;
        EXPECT_EQ(ReadShortcut(link), c.shortcut);
        // Nothing else is in the group: the folder can go once the one shortcut has.
        EXPECT_TRUE(DeleteFileA(link.c_str()) && RemoveDirectoryA(folder.c_str()));
    }
    progmanService = "PROGMAN";

    // A quoted program and arguments with blanks; a caption that would leave the folder is refused.
    ScratchDirectory scratch;
    std::string folder = scratch.path().substr(0, scratch.path().size() - 1), program = "\"C:\\OPOS\\QVX\\Sample\\TestCard.exe\"";
    EXPECT_TRUE(CreateShortcut(folder.c_str(), "Self", (program + "  /a \"b c\"").c_str()));
    EXPECT_EQ(ReadShortcut(folder + "\\Self.lnk"), "c:\\opos\\qvx\\sample\\testcard.exe|/a \"b c\"|c:\\opos\\qvx\\sample");
    EXPECT_FALSE(CreateShortcut(folder.c_str(), "..\\Escaped", program.c_str()));
    EXPECT_FALSE(CreateShortcut(folder.c_str(), "Unquoted", program.substr(0, program.size() - 1).c_str()));
    CoUninitialize();
}

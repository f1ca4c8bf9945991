// The program-group stage against the Program Manager DDE server of Wine's desktop, whose groups
// and items become Start menu folders and shortcuts. Runs in a throw-away prefix.
#include <gtest/gtest.h>

#include <dde.h>
#include <shlobj.h>

#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "integration/dde.h"
#include "integration/group.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"

static const char kProgram[] = "C:\\OPOS\\QVX\\Sample\\TestCard.exe";

// Status of each command acknowledgement the client retrieved, in order.
static std::vector<UINT_PTR> statuses;

static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_DDE_ACK &&
        message->hwnd == ddeWindow && !initiating) {
        UINT_PTR status = 0;
        UINT_PTR memory = 0;
        UnpackDDElParam(WM_DDE_ACK, message->lParam, &status, &memory);
        statuses.push_back(status);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static std::string ProgramsFolder()
{
    typedef HRESULT(WINAPI * FolderPathProc)(HWND, int, HANDLE, DWORD, LPSTR);
    auto folderPath = reinterpret_cast<FolderPathProc>(reinterpret_cast<void (*)()>(
        GetProcAddress(LoadLibraryA("shell32.dll"), "SHGetFolderPathA")));
    char path[MAX_PATH] = "";
    if (folderPath == nullptr || FAILED(folderPath(nullptr, CSIDL_PROGRAMS, nullptr, 0, path)))
        return "";
    return std::string(path) + "\\";
}

static std::set<std::string> Shortcuts(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The target a shortcut points at, read through the shell's own link object.
static std::string LinkTarget(const std::string& link)
{
    static const CLSID kShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static const IID kShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static const IID kPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    std::string target;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, kShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(kPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH];
        if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    shellLink->Release();
    return target;
}

static std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

class ProgramManager : public testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     moduleInstance, nullptr);
        lstrcpyA(destinationDirectory, "C:\\OPOS\\QVX\\");
        for (const char* directory : {"C:\\OPOS", "C:\\OPOS\\QVX", "C:\\OPOS\\QVX\\Sample"})
            CreateDirectoryA(directory, nullptr);
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        ASSERT_TRUE(CopyFileA(self, kProgram, FALSE));
        CoInitialize(nullptr);
        hook_ = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
    }

    void TearDown() override
    {
        UnhookWindowsHookEx(hook_);
        CoUninitialize();
        DestroyWindow(mainWindow);
    }

    // One run of the stage; returns the acknowledgement statuses it received.
    static std::vector<UINT_PTR> RunStage()
    {
        statuses.clear();
        CreateProgramIcons();
        UnregisterClassA("ddeClass", moduleInstance);  // so that a second run can make its window
        return statuses;
    }

    HHOOK hook_ = nullptr;
};

TEST_F(ProgramManager, CreatesTheGroupWithItsItemsAndNoDuplicates)
{
    static const char* const kCommands[] = {"CreateGroup", "showgroup", "replaceitem (program)",
                                            "additem (program)", "replaceitem (documentation)",
                                            "additem (documentation)", "exitprogman"};
    MessageBoxAnswerer boxes;
    for (int run = 1; run <= 2; ++run) {
        auto answers = RunStage();
        std::cout << "run " << run << ":";
        for (size_t i = 0; i < answers.size(); ++i)
            std::cout << " " << (i < 7 ? kCommands[i] : "?") << "="
                      << ((answers[i] & 0x8000) ? "ack" : "NACK");
        std::cout << "\n";
        ASSERT_EQ(answers.size(), 7u) << "run " << run;
        EXPECT_TRUE(answers[0] & 0x8000);
        EXPECT_TRUE(answers[1] & 0x8000);
        // No item of that caption before the first run; the second replaces the first's.
        EXPECT_EQ((answers[2] & 0x8000) != 0, run == 2);
        EXPECT_TRUE(answers[3] & 0x8000);
        EXPECT_TRUE(answers[6] & 0x8000);
    }
    EXPECT_TRUE(boxes.shown.empty());

    std::string group = ProgramsFolder();
    ASSERT_FALSE(group.empty());
    group += "OLE for Point of Sale\\";
    auto shortcuts = Shortcuts(group);
    std::cout << "group folder " << group << ":";
    for (const auto& name : shortcuts)
        std::cout << " [" << name << "]";
    std::cout << "\n";
    ASSERT_EQ(shortcuts.count("Sample MSR Test Program.lnk"), 1u);
    EXPECT_EQ(Lower(LinkTarget(group + "Sample MSR Test Program.lnk")), Lower(kProgram));
    // Only what the stage named, each once.
    for (const auto& name : shortcuts)
        EXPECT_TRUE(name == "Sample MSR Test Program.lnk" || name == "MSR Documentation.lnk") << name;
}

// What the end-to-end tests share: SETUP.EXE started as another program starts it, its windows
// watched from outside, scratch copies of the distribution, and the checks of what an
// installation left. Everything runs in the test program's own throw-away Wine prefix.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sample/card_ids.h"

namespace e2e {

const char kTitle[] = "OLE for Point of Sale Setup";  // the title window's caption and every box's
const char kProgressCaption[] = "OLE for Point of Sales Setup";
const char kDestinationCaption[] = "Enter Path";
const char kScratch[] = "c:\\qvxe2e\\";  // every scratch directory lies below it
const char kDeviceKey[] = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR";

// Waits for f() to give something non-null, handling this thread's messages meanwhile (the
// setup may send to a window of this process); null after the time-out.
template <class F>
auto WaitFor(DWORD timeout, F f) -> decltype(f())
{
    for (DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);
        auto found = f();
        if (found || GetTickCount() - start >= timeout)
            return found;
    }
}

inline std::string Dist()  // the built distribution, ending in '\'
{
    char path[MAX_PATH] = {};
    GetEnvironmentVariableA("QVX_E2E_DIST", path, sizeof path);  // a Unix path: Wine maps the root to Z:
    std::string dist = std::string("Z:") + path + "/";
    std::replace(dist.begin(), dist.end(), '/', '\\');
    return dist;
}

inline std::string Text(HWND window)  // of a window of any process
{
    char text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &copied);
    return text;
}

inline void Click(HWND dialog, int button)  // BN_CLICKED from the button, posted
{
    EXPECT_TRUE(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, button))));
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string Bytes(const std::string& path)  // empty when it cannot be read
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// SETUP.EXE run with a command line (empty: its own path, quoted) in a directory.
class SetupRun {
public:
    explicit SetupRun(const std::string& program, std::string commandLine = "", const std::string& directory = "")
    {
        if (commandLine.empty())
            commandLine = "\"" + program + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
            ADD_FAILURE() << "cannot start " << program << ": error " << GetLastError();
            return;
        }
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
    ~SetupRun()
    {
        if (process_ != nullptr && !Ended()) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 10000);
            ADD_FAILURE() << "SETUP.EXE was still running and was ended";
        }
        if (process_ != nullptr)
            CloseHandle(process_);
    }
    bool Ended() const { return process_ == nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }
    DWORD Exit(DWORD timeout = 300000) const  // the exit code; fails the test on time-out
    {
        DWORD code = STILL_ACTIVE;
        if (!WaitFor(timeout, [&] { return Ended(); }) || !GetExitCodeProcess(process_, &code))
            ADD_FAILURE() << "SETUP.EXE did not end within " << timeout << " ms";
        return code;
    }
    // The process's visible top-level windows of the class and caption.
    std::vector<HWND> Windows(const char* className, const char* caption) const
    {
        std::vector<HWND> found;
        for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
            DWORD owner = 0;
            char name[256] = {}, text[256] = {};
            GetWindowThreadProcessId(window, &owner);
            GetClassNameA(window, name, sizeof name);
            GetWindowTextA(window, text, sizeof text);
            if (owner == id_ && IsWindowVisible(window) && lstrcmpiA(name, className) == 0 &&
                lstrcmpA(text, caption) == 0)
                found.push_back(window);
        }
        return found;
    }
    HWND WaitForWindow(const char* className, const char* caption, DWORD timeout = 60000) const
    {
        HWND window = WaitFor(timeout, [&]() -> HWND {
            auto found = Windows(className, caption);
            return found.empty() ? nullptr : found.front();
        });
        EXPECT_NE(window, nullptr) << "no window \"" << caption << "\" within " << timeout << " ms";
        return window;
    }
    // The message box with this text once it is fully set up: read too early, a box of another
    // process has no icon and no default button yet. Wine's icon control is 0x440, Windows' 0x14.
    HWND FindBox(const std::string& text) const
    {
        for (HWND box : Windows("#32770", kTitle)) {
            HWND icon = GetDlgItem(box, GetDlgItem(box, 0x440) != nullptr ? 0x440 : 0x14);
            DWORD_PTR handle = 0;
            if (IsWindowVisible(icon) && Text(GetDlgItem(box, 0xFFFF)) == text &&
                SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &handle) && handle)
                return box;
        }
        return nullptr;
    }
    HWND WaitForBox(const std::string& text, DWORD timeout = 60000) const
    {
        HWND box = WaitFor(timeout, [&] { return FindBox(text); });
        EXPECT_NE(box, nullptr) << "no message box \"" << text << "\" within " << timeout << " ms";
        return box;
    }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The shell's copy or removal of a tree (directories end with '\'), quiet; CopyFile keeps times.
inline bool ShellFiles(UINT operation, const std::string& from, const std::string& to = "")
{
    std::string source = from.substr(0, from.find_last_not_of('\\') + 1) + '\0', target = to + '\0';
    SHFILEOPSTRUCTA files = {nullptr, operation, source.c_str(), to.empty() ? nullptr : target.c_str(),
                             FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR, FALSE, nullptr,
                             nullptr};
    return SHFileOperationA(&files) == 0;
}
inline bool CopyTree(const std::string& from, const std::string& to) { return ShellFiles(FO_COPY, from + "*", to); }

// A copy of the distribution whose README.DOC is big enough that copying it takes a while.
inline std::string BigDist()
{
    std::string dist = std::string(kScratch) + "bigdist\\";
    EXPECT_TRUE(CopyTree(Dist(), dist));
    std::ofstream readme(dist + "README.DOC", std::ios::binary);
    std::string block(1 << 20, 'x');
    for (int i = 0; i < 64; ++i)
        readme << block;
    EXPECT_TRUE(readme.flush());
    return dist;
}

inline std::string StartMenuGroup()  // the group's folder, empty when there is none
{
    for (int folder : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        char programs[MAX_PATH] = {};
        SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, programs);
        std::string group = std::string(programs) + "\\OLE for Point of Sale\\";
        if (programs[0] != '\0' && Exists(group))
            return group;
    }
    return "";
}

// What a run installs and every scratch directory, gone.
inline void Clean()
{
    for (std::string tree : {std::string(kScratch), std::string("c:\\OPOS\\"), StartMenuGroup()})
        EXPECT_TRUE(tree.empty() || !Exists(tree) || ShellFiles(FO_DELETE, tree)) << "cannot remove " << tree;
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\OLEforRetail");
    // Without it the next run would take the removed installation's place as its default.
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QVXMSR");
}

inline std::string RegistryString(HKEY root, const std::string& key, const char* name)
{
    char data[MAX_PATH] = {};
    DWORD size = sizeof data - 1;
    return SHGetValueA(root, key.c_str(), name, nullptr, data, &size) == ERROR_SUCCESS ? data : "(none)";
}

// Every file of the built distribution installed into destination (expanded, under the name its
// header records, with its write time) but the listed name missing; the device key, CARD.REG,
// both COM servers registered from destination, and the Start Menu group.
inline void ExpectInstalled(const std::string& destination, const std::string& missing = "")
{
    const std::string from = Dist();
    const char* const listedFiles[] = {
        "MFC42.DL_", "MSVCRT.DL_", "OLEAUT32.DL_",  // shared libraries, staged in System\ below the destination
        "CARDHOOK.DL_", "CARD.OC_", "CARD.DA_", "CARDSO.DL_", "CARDSO.DA_", "README.DOC", "REGSVR32.EX_",
        "SAMPLE\\TESTCARD.EX_", "SAMPLE\\CARDOCX.VB_", "SAMPLE\\CARDFORM.FR_", "SAMPLE\\OPOS.BA_", "SAMPLE\\VB40032.DL_"};
    for (size_t i = 0; i < std::size(listedFiles); ++i) {
        SCOPED_TRACE(listedFiles[i]);
        std::string source = from + listedFiles[i], bytes;
        char expanded[MAX_PATH] = {};
        OFSTRUCT reopen = {};
        INT file = LZOpenFileA(&source[0], &reopen, OF_READ);
        char block[8192];
        for (INT got; file >= 0 && (got = LZRead(file, block, sizeof block)) > 0;)
            bytes.append(block, static_cast<size_t>(got));
        LZClose(file);
        std::string installed = destination + (i < 3 ? "System\\" : "") +
                                (GetExpandedNameA(&source[0], expanded) == 1 ? expanded + from.size() : "?");
        if (listedFiles[i] == missing) {
            EXPECT_FALSE(Exists(installed));
            continue;
        }
        EXPECT_TRUE(file >= 0 && Bytes(installed) == bytes) << installed << " differs from its expanded source";
        WIN32_FILE_ATTRIBUTE_DATA was = {}, is = {};
        GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &was);
        GetFileAttributesExA(installed.c_str(), GetFileExInfoStandard, &is);
        EXPECT_TRUE(i < 3 || CompareFileTime(&was.ftLastWriteTime, &is.ftLastWriteTime) == 0) << installed;
    }
    // The device entry, and its script with the destination escaped as REGEDIT4 needs it.
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, nullptr), "QVXSO.QVXMSR");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, "Service"), destination + "CARDSO.DLL");
    std::string escaped;
    for (char c : destination)
        escaped += c == '\\' ? "\\\\" : std::string(1, c);
    EXPECT_EQ(Bytes(destination + "CARD.REG"),
              "REGEDIT4\n\r\n\r[HKEY_LOCAL_MACHINE\\" + std::string(kDeviceKey) + "]\n\r@=\"QVXSO.QVXMSR\"\n\r"
              "\"Service\"=\"" + escaped + "CARDSO.DLL\"\r\n\"Version\"=\"1.3.0\"\n\r\"Description\"=\"Quorvex MSR "
              "Service Object\"\n\r\"DeviceName\"=\"QVXSO.QVXMSR\"\n\r\"DeviceDesc\"=\"Quorvex MSR Service Object\"");
    for (auto server : {std::make_pair(QVX_CONTROL_CLSID_TEXT, "CARD.OCX"),
                        std::make_pair(QVX_SERVICE_CLSID_TEXT, "CARDSO.DLL")})
        EXPECT_EQ(lstrcmpiA(RegistryString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + server.first + "\\InprocServer32",
                                           nullptr).c_str(), (destination + server.second).c_str()), 0)
            << server.second << " is not registered from " << destination;
    EXPECT_TRUE(Exists(StartMenuGroup() + "Sample MSR Test Program.lnk")) << "no group item";
}

}  // namespace e2e

#include <tlhelp32.h>

namespace e2e {

// The captions of the shell's folder windows. Each explorer process but the desktop's shows one,
// a second or more after it started (maybe after the run that asked for it ended): this first
// waits until each one has.
inline std::vector<std::string> ShellFolderWindows(DWORD timeout = 60000)
{
    std::vector<std::string> captions;
    bool settled = WaitFor(timeout, [&] {
        std::vector<DWORD> showing(1);
        GetWindowThreadProcessId(GetDesktopWindow(), &showing[0]);
        captions.clear();
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "ExplorerWClass", nullptr)) != nullptr;)
            if (IsWindowVisible(window)) {
                GetWindowThreadProcessId(window, &showing.emplace_back());
                captions.push_back(Text(window));
            }
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 process = {};
        process.dwSize = sizeof process;
        bool all = true;
        for (BOOL more = Process32First(snapshot, &process); more; more = Process32Next(snapshot, &process))
            all = all && (lstrcmpiA(process.szExeFile, "explorer.exe") != 0 ||
                          std::count(showing.begin(), showing.end(), process.th32ProcessID) > 0);
        CloseHandle(snapshot);
        return all;
    });
    EXPECT_TRUE(settled) << "an explorer process showed no window within " << timeout << " ms";
    return captions;
}

}  // namespace e2e

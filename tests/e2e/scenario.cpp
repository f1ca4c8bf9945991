#include "tests/e2e/scenario.h"

#include "sample/card_ids.h"

#include <lzexpand.h>
#include <shlobj.h>

#include <cctype>
#include <cstdio>

namespace e2e {

const ListedFile kSharedFiles[3] = {
    {"MFC42.DL_", "MFC42.DLL"},
    {"MSVCRT.DL_", "MSVCRT.DLL"},
    {"OLEAUT32.DL_", "OLEAUT32.DLL"},
};

const ListedFile kProductFiles[12] = {
    {"CARDHOOK.DL_", "CARDHOOK.DLL"},
    {"CARD.OC_", "CARD.OCX"},
    {"CARD.DA_", "CARD.DAT"},
    {"CARDSO.DL_", "CARDSO.DLL"},
    {"CARDSO.DA_", "CARDSO.DAT"},
    {"README.DOC", "README.DOC"},
    {"REGSVR32.EX_", "REGSVR32.EXE"},
    {"SAMPLE\\TESTCARD.EX_", "SAMPLE\\TESTCARD.EXE"},
    {"SAMPLE\\CARDOCX.VB_", "SAMPLE\\CARDOCX.VBP"},
    {"SAMPLE\\CARDFORM.FR_", "SAMPLE\\CARDFORM.FRM"},
    {"SAMPLE\\OPOS.BA_", "SAMPLE\\OPOS.BAS"},
    {"SAMPLE\\VB40032.DL_", "SAMPLE\\VB40032.DLL"},
};

const char kDeviceKey[] = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR";
const char kGroup[] = "OLE for Point of Sale";

std::string ExpectedScript(const std::string& destination)
{
    std::string escaped;
    for (char c : destination) {
        if (c == '\\' || c == '"')
            escaped += '\\';
        escaped += c;
    }
    return "REGEDIT4\n\r\n\r"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR]\n\r"
           "@=\"QVXSO.QVXMSR\"\n\r"
           "\"Service\"=\"" + escaped + "CARDSO.DLL\"\r\n"
           "\"Version\"=\"1.3.0\"\n\r"
           "\"Description\"=\"Quorvex MSR Service Object\"\n\r"
           "\"DeviceName\"=\"QVXSO.QVXMSR\"\n\r"
           "\"DeviceDesc\"=\"Quorvex MSR Service Object\"";
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const ServerEntry kServers[2] = {{QVX_CONTROL_CLSID_TEXT, "CARD.OCX"},
                                 {QVX_SERVICE_CLSID_TEXT, "CARDSO.DLL"}};

void ExpectRegistered(const std::string& destination)
{
    const struct {
        const char* name;
        std::string data;
    } values[] = {
        {"", "QVXSO.QVXMSR"},
        {"Service", destination + "CARDSO.DLL"},
        {"Version", "1.3.0"},
        {"Description", "Quorvex MSR Service Object"},
        {"DeviceName", "QVXSO.QVXMSR"},
        {"DeviceDesc", "Quorvex MSR Service Object"},
    };
    for (const auto& value : values) {
        std::string data;
        EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, value.name, &data))
            << "value \"" << value.name << "\"";
        EXPECT_EQ(data, value.data) << "value \"" << value.name << "\"";
    }
    EXPECT_TRUE(SameBytes(ExpectedScript(destination), destination + "CARD.REG"));
    for (const auto& server : kServers) {
        std::string path;
        EXPECT_TRUE(ReadRegistryString(HKEY_CLASSES_ROOT,
                                       std::string("CLSID\\") + server.clsid + "\\InprocServer32", "",
                                       &path))
            << server.file;
        EXPECT_EQ(Lower(path), Lower(destination + server.file));
    }
}

const char kCreateQuestion[] =
    "The specified directory does not exist.\nDo you want to create the directory?";
const char kCompletionMessage[] = "Program installation is now complete.";

static std::string WithBackslash(std::string path)
{
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path;
}

InstallResult RunInstallation(const InstallOptions& options)
{
    InstallResult result;
    std::string distribution = options.distribution.empty() ? DistDirectory() : options.distribution;
    if (distribution.empty()) {
        ADD_FAILURE() << "no distribution directory given (--dist=)";
        return result;
    }
    result.runFrom = WithBackslash(options.runFrom.empty() ? distribution : options.runFrom);
    if (!options.runFrom.empty() && !CopyTree(WithBackslash(distribution), result.runFrom)) {
        ADD_FAILURE() << "could not copy " << distribution << " to " << result.runFrom;
        return result;
    }

    LaunchOptions launch;
    launch.application = result.runFrom + "SETUP.EXE";
    launch.commandLine = options.commandLine;
    launch.workingDirectory = options.workingDirectory.empty() ? result.runFrom : options.workingDirectory;
    DWORD start = GetTickCount();
    SetupProcess setup(launch);
    result.started = setup.started();
    if (!result.started) {
        ADD_FAILURE() << "could not start " << launch.application << ": error " << setup.startError();
        return result;
    }
    setup.AnswerBox(kCreateQuestion, options.createAnswer);

    HWND dialog = setup.WaitForWindow(kDialogClass, kDestinationCaption, options.dialogTimeout);
    result.dialogShown = dialog != nullptr;
    if (dialog != nullptr) {
        HWND field = GetDlgItem(dialog, 100);
        result.defaultPath = ControlText(field);
        if (!options.destination.empty()) {
            SetControlText(field, "");
            TypeCharacters(field, options.destination);
        }
        result.typedPath = ControlText(field);
        if (options.pressEnter)
            PressKey(field, VK_RETURN);
        else
            ClickButton(dialog, IDOK);
        if (options.whileRunning)
            options.whileRunning(setup);
        result.exited = setup.WaitForExit(options.timeout, &result.exitCode);
    } else {
        ADD_FAILURE() << "no \"Enter Path\" dialog within " << options.dialogTimeout << " ms\n"
                      << Describe(setup.Boxes());
        setup.Kill();
    }
    result.milliseconds = GetTickCount() - start;
    result.boxes = setup.Boxes();
    result.windows = setup.WindowsSeen();
    return result;
}

bool PressKey(HWND control, UINT virtualKey)
{
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    // Repeat count 1; the release also carries the previous-state and transition bits.
    LPARAM down = 1 | scan;
    LPARAM up = down | static_cast<LPARAM>(0xC0000000u);
    return PostMessageA(control, WM_KEYDOWN, virtualKey, down) &&
           PostMessageA(control, WM_KEYUP, virtualKey, up);
}

bool CopyTree(const std::string& from, const std::string& to)
{
    if (!CreateDirectoryA(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(from + name + "\\", to + name + "\\") && ok;
        else  // CopyFile keeps the last-write time, which the copy must hand on.
            ok = CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE) && ok;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadBytes(const std::string& path, std::string* bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    bytes->clear();
    char block[8192];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes->append(block, got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool ExpandedBytes(const std::string& path, std::string* bytes)
{
    OFSTRUCT reopen = {};
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    INT handle = LZOpenFileA(name.data(), &reopen, OF_READ);
    if (handle < 0)
        return false;
    bytes->clear();
    char block[8192];
    INT got;
    while ((got = LZRead(handle, block, sizeof block)) > 0)
        bytes->append(block, static_cast<size_t>(got));
    LZClose(handle);
    return got == 0;
}

std::string ExpandedFileName(const std::string& path)
{
    char expanded[MAX_PATH] = {};
    if (GetExpandedNameA(const_cast<char*>(path.c_str()), expanded) != 1)
        return std::string();
    std::string full = expanded;
    return full.substr(full.find_last_of('\\') + 1);
}

testing::AssertionResult SameBytes(const std::string& expected, const std::string& actualPath)
{
    std::string actual;
    if (!ReadBytes(actualPath, &actual))
        return testing::AssertionFailure() << actualPath << " cannot be read";
    if (actual == expected)
        return testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return testing::AssertionFailure() << actualPath << " holds " << actual.size() << " bytes, "
                                       << expected.size() << " expected; first difference at "
                                       << at;
}

static bool WriteTime(const std::string& path, ULONGLONG* time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    *time = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime;
    return true;
}

testing::AssertionResult SameWriteTime(const std::string& expectedPath, const std::string& actualPath)
{
    ULONGLONG expected = 0, actual = 0;
    if (!WriteTime(expectedPath, &expected))
        return testing::AssertionFailure() << expectedPath << " has no file time";
    if (!WriteTime(actualPath, &actual))
        return testing::AssertionFailure() << actualPath << " has no file time";
    if (expected == actual)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << actualPath << " was last written at " << actual
                                       << ", " << expectedPath << " at " << expected
                                       << " (100 ns units)";
}

std::vector<std::string> FilesMatching(const std::string& directory, const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string SystemDirectory()
{
    char path[MAX_PATH] = {};
    GetSystemDirectoryA(path, MAX_PATH);
    return WithBackslash(path);
}

std::string TempDirectory()
{
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    return WithBackslash(path);
}

bool ReadRegistryString(HKEY root, const std::string& key, const std::string& name,
                        std::string* value)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    const char* valueName = name.empty() ? nullptr : name.c_str();
    bool ok = RegQueryValueExA(opened, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
              type == REG_SZ;
    if (ok) {
        std::vector<char> data(size + 1, '\0');
        ok = RegQueryValueExA(opened, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                              &size) == ERROR_SUCCESS;
        if (ok)
            *value = data.data();
    }
    RegCloseKey(opened);
    return ok;
}

bool RegistryKeyExists(HKEY root, const std::string& key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

std::string StartMenuEntry(const std::string& group, const std::string& name)
{
    for (int folder : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        char programs[MAX_PATH] = {};
        if (SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, programs) != S_OK)
            continue;
        std::string path = WithBackslash(programs) + group;
        if (!name.empty())
            path += "\\" + name;
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return path;
    }
    return std::string();
}

}  // namespace e2e

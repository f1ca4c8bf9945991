// The sample distribution: its files as the setup's table lists them, and the product programs
// and libraries it holds doing what they are there for.
#include <windows.h>
#include <lzexpand.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "sample/card_ids.h"
#include "sample/testcard.h"
#include "tests/support/support.h"

namespace {

std::string DistDirectory() { return TestDirectory() + "..\\dist\\"; }
std::string ProductDirectory() { return TestDirectory() + "..\\product\\"; }

std::string TableText(UINT id)
{
    char text[256] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

// Every listed file of the system and product lists, in table order.
std::vector<std::string> ListedFiles()
{
    std::vector<std::string> listed;
    for (int i = 0, n = std::atoi(TableText(10).c_str()); i < n; ++i)
        listed.push_back(TableText(80 + i));
    for (int i = 0, n = std::atoi(TableText(11).c_str()); i < n; ++i)
        listed.push_back(TableText(128 + i));
    return listed;
}

// Expands (or copies) a file with the platform's LZ services; false when it cannot.
bool Expand(const std::string& source, std::string* contents, std::string* expandedName)
{
    char name[MAX_PATH] = "";
    GetExpandedNameA(const_cast<char*>(source.c_str()), name);
    const char* slash = strrchr(name, '\\');
    *expandedName = slash ? slash + 1 : name;
    OFSTRUCT reopen;
    INT handle = LZOpenFileA(const_cast<char*>(source.c_str()), &reopen, OF_READ);
    if (handle < 0)
        return false;
    contents->clear();
    char block[4096];
    INT got;
    while ((got = LZRead(handle, block, sizeof block)) > 0)
        contents->append(block, got);
    LZClose(handle);
    return got == 0;
}

std::string Directory(const std::string& listed)
{
    std::size_t slash = listed.find_last_of('\\');
    return slash == std::string::npos ? std::string() : listed.substr(0, slash + 1);
}

// Lays the files out below root as the setup does: product files in their relative
// directories, shared libraries in the staging directory System\, all under expanded names.
// Returns false at the first file that does not expand.
bool InstallProduct(const std::string& root)
{
    CreateDirectoryA((root + "SAMPLE").c_str(), nullptr);
    CreateDirectoryA((root + "System").c_str(), nullptr);
    int shared = std::atoi(TableText(10).c_str());
    std::vector<std::string> listed = ListedFiles();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        std::string contents, name;
        std::string directory = static_cast<int>(i) < shared ? "System\\" : Directory(listed[i]);
        if (!Expand(DistDirectory() + listed[i], &contents, &name) ||
            !WriteWholeFile(root + directory + name, contents))
            return false;
    }
    return true;
}

std::string ClassKey(const char* clsidText)
{
    return std::string("CLSID\\") + clsidText;
}

// The default value of a key under HKEY_CLASSES_ROOT; empty when the key is missing.
std::string ClassValue(const std::string& key)
{
    char value[MAX_PATH] = "";
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

bool ClassKeyExists(const std::string& key)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

HRESULT CallEntry(const std::string& path, const char* entry)
{
    HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr)
        return E_FAIL;
    auto call = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, entry)));
    HRESULT result = call ? call() : E_NOINTERFACE;
    FreeLibrary(library);
    return result;
}

// Runs a program and waits for it; the exit code, or -1 when it did not start or end.
DWORD RunProgram(const std::string& commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

WORD Subsystem(const std::string& path)
{
    std::string image;
    if (!ReadWholeFile(path, &image) || image.size() < 0x40)
        return 0;
    DWORD at = *reinterpret_cast<const DWORD*>(&image[0x3C]);
    if (at + sizeof(IMAGE_NT_HEADERS) > image.size())
        return 0;
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(&image[at])->OptionalHeader.Subsystem;
}

// The file version of a file as a 64-bit number, 0 when it has none.
ULONGLONG FileVersion(const std::string& path, std::string* text = nullptr)
{
    DWORD ignored;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return 0;
    std::string data(size, '\0');
    VS_FIXEDFILEINFO* info;
    UINT length;
    if (!GetFileVersionInfoA(path.c_str(), 0, size, &data[0]) ||
        !VerQueryValueA(&data[0], "\\", reinterpret_cast<void**>(&info), &length))
        return 0;
    if (text != nullptr) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%lu.%lu.%lu.%lu",
                      static_cast<unsigned long>(HIWORD(info->dwFileVersionMS)),
                      static_cast<unsigned long>(LOWORD(info->dwFileVersionMS)),
                      static_cast<unsigned long>(HIWORD(info->dwFileVersionLS)),
                      static_cast<unsigned long>(LOWORD(info->dwFileVersionLS)));
        *text = buffer;
    }
    return (static_cast<ULONGLONG>(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
}

// Removes what the servers register, whatever a failed test left behind.
void ForgetServers()
{
    for (const char* key : {"CLSID\\" QVX_CONTROL_CLSID_TEXT "\\InprocServer32",
                            "CLSID\\" QVX_CONTROL_CLSID_TEXT "\\ProgID",
                            "CLSID\\" QVX_CONTROL_CLSID_TEXT "\\Control", "CLSID\\" QVX_CONTROL_CLSID_TEXT,
                            QVX_CONTROL_PROGID "\\CLSID", QVX_CONTROL_PROGID,
                            "CLSID\\" QVX_SERVICE_CLSID_TEXT "\\InprocServer32",
                            "CLSID\\" QVX_SERVICE_CLSID_TEXT "\\ProgID", "CLSID\\" QVX_SERVICE_CLSID_TEXT,
                            QVX_SERVICE_PROGID "\\CLSID", QVX_SERVICE_PROGID})
        RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
}

class InstalledProduct : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ForgetServers();
        ASSERT_TRUE(InstallProduct(root.path()));
    }
    void TearDown() override
    {
        ForgetServers();
        CoFreeUnusedLibraries();
        CoUninitialize();
    }
    ScratchDirectory root;
};

}  // namespace

TEST(Distribution, ListedFilesExpandUnderTheirNamesAndAddUpToTheTotal)
{
    const std::map<std::string, std::string> expandedNames = {
        {"MFC42.DL_", "MFC42.DLL"},       {"MSVCRT.DL_", "MSVCRT.DLL"},
        {"OLEAUT32.DL_", "OLEAUT32.DLL"}, {"CARDHOOK.DL_", "CARDHOOK.DLL"},
        {"CARD.OC_", "CARD.OCX"},         {"CARD.DA_", "CARD.DAT"},
        {"CARDSO.DL_", "CARDSO.DLL"},     {"CARDSO.DA_", "CARDSO.DAT"},
        {"README.DOC", "README.DOC"},     {"REGSVR32.EX_", "REGSVR32.EXE"},
        {"SAMPLE\\TESTCARD.EX_", "TESTCARD.EXE"}, {"SAMPLE\\CARDOCX.VB_", "CARDOCX.VBP"},
        {"SAMPLE\\CARDFORM.FR_", "CARDFORM.FRM"}, {"SAMPLE\\OPOS.BA_", "OPOS.BAS"},
        {"SAMPLE\\VB40032.DL_", "VB40032.DLL"}};
    // Where the built originals are, for the files that are built rather than written.
    const std::map<std::string, std::string> originals = {
        {"MFC42.DL_", "system\\MFC42.DLL"}, {"MSVCRT.DL_", "system\\MSVCRT.DLL"},
        {"OLEAUT32.DL_", "system\\OLEAUT32.DLL"}, {"CARDHOOK.DL_", "CARDHOOK.DLL"},
        {"CARD.OC_", "CARD.OCX"}, {"CARDSO.DL_", "CARDSO.DLL"}, {"REGSVR32.EX_", "REGSVR32.EXE"},
        {"SAMPLE\\TESTCARD.EX_", "TESTCARD.EXE"}, {"SAMPLE\\VB40032.DL_", "VB40032.DLL"}};

    std::vector<std::string> listed = ListedFiles();
    ASSERT_EQ(15u, listed.size());
    long long total = 0;
    for (const std::string& name : listed) {
        SCOPED_TRACE(name);
        std::string contents, expandedName;
        ASSERT_TRUE(Expand(DistDirectory() + name, &contents, &expandedName));
        EXPECT_EQ(expandedNames.at(name), expandedName);
        // Compressed exactly when the listed name ends in an underscore.
        std::string stored;
        ASSERT_TRUE(ReadWholeFile(DistDirectory() + name, &stored));
        EXPECT_EQ(name.back() == '_', stored.compare(0, 4, "SZDD") == 0);
        auto original = originals.find(name);
        if (original != originals.end()) {
            std::string built;
            ASSERT_TRUE(ReadWholeFile(ProductDirectory() + original->second, &built));
            EXPECT_TRUE(built == contents) << "differs from " << original->second;
        }
        total += static_cast<long long>(contents.size());
    }
    EXPECT_EQ(std::atoll(TableText(18).c_str()), total);
    EXPECT_EQ(0u, GetFileAttributesA((DistDirectory() + "SETUP.EXE").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    std::string readme, name;
    ASSERT_TRUE(Expand(DistDirectory() + "README.DOC", &readme, &name));
    EXPECT_EQ(0u, readme.rfind("{\\rtf1", 0)) << "WordPad opens it as a rich-text document";
    EXPECT_EQ('}', readme[readme.find_last_not_of("\r\n")]);
}

TEST_F(InstalledProduct, ServersRegisterTheirOwnPathAndRemoveIt)
{
    struct Server {
        const char* file;
        const CLSID* clsid;
        const char* clsidText;
        const char* progId;
    } servers[] = {{"CARD.OCX", &CLSID_QvxCardControl, QVX_CONTROL_CLSID_TEXT, QVX_CONTROL_PROGID},
                   {"CARDSO.DLL", &CLSID_QvxServiceObject, QVX_SERVICE_CLSID_TEXT, QVX_SERVICE_PROGID}};
    for (const Server& server : servers) {
        SCOPED_TRACE(server.file);
        std::string path = root.path() + server.file;
        ASSERT_EQ(S_OK, CallEntry(path, "DllRegisterServer"));
        EXPECT_EQ(0, lstrcmpiA(path.c_str(), ClassValue(ClassKey(server.clsidText) + "\\InprocServer32").c_str()))
            << ClassValue(ClassKey(server.clsidText) + "\\InprocServer32");
        CLSID fromProgId;
        ASSERT_EQ(S_OK, CLSIDFromProgID(std::wstring(server.progId, server.progId + strlen(server.progId)).c_str(),
                                        &fromProgId));
        EXPECT_TRUE(IsEqualCLSID(*server.clsid, fromProgId));

        // COM finds the server through the registration and loads this very file.
        IPersist* object = nullptr;
        ASSERT_EQ(S_OK, CoCreateInstance(*server.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist,
                                         reinterpret_cast<void**>(&object)));
        CLSID reported = CLSID_NULL;
        EXPECT_EQ(S_OK, object->GetClassID(&reported));
        EXPECT_TRUE(IsEqualCLSID(*server.clsid, reported));
        EXPECT_NE(nullptr, GetModuleHandleA(path.c_str()));
        object->Release();

        ASSERT_EQ(S_OK, CallEntry(path, "DllUnregisterServer"));
        EXPECT_FALSE(ClassKeyExists(ClassKey(server.clsidText)));
        EXPECT_FALSE(ClassKeyExists(server.progId));
        EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(*server.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist,
                                                        reinterpret_cast<void**>(&object)));
        // Removing what is not there is no failure.
        EXPECT_EQ(S_OK, CallEntry(path, "DllUnregisterServer"));
    }
}

TEST_F(InstalledProduct, RegistrationToolRegistersAndUnregisters)
{
    std::string tool = "\"" + root.path() + "REGSVR32.EXE\" ";
    std::string server = root.path() + "CARDSO.DLL";
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, Subsystem(root.path() + "REGSVR32.EXE"));

    EXPECT_EQ(0u, RunProgram(tool + "/s \"" + server + "\""));
    EXPECT_EQ(0, lstrcmpiA(server.c_str(), ClassValue(ClassKey(QVX_SERVICE_CLSID_TEXT) + "\\InprocServer32").c_str()));
    EXPECT_EQ(0u, RunProgram(tool + "/u /s \"" + server + "\""));
    EXPECT_FALSE(ClassKeyExists(ClassKey(QVX_SERVICE_CLSID_TEXT)));

    EXPECT_EQ(3u, RunProgram(tool + "/s \"" + root.path() + "MISSING.DLL\""));
    EXPECT_EQ(4u, RunProgram(tool + "/s \"" + root.path() + "SAMPLE\\VB40032.DLL\""));
    EXPECT_EQ(1u, RunProgram(tool + "/s"));
    EXPECT_EQ(1u, RunProgram(tool + "/s /x \"" + server + "\""));
}

TEST_F(InstalledProduct, TestProgramShowsTheServersAndDecodesASwipe)
{
    std::string program = root.path() + "SAMPLE\\TESTCARD.EXE";
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, Subsystem(program));
    ASSERT_EQ(S_OK, CallEntry(root.path() + "CARDSO.DLL", "DllRegisterServer"));

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string line = "\"" + program + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                               (root.path() + "SAMPLE").c_str(), &startup, &process));
    WaitForInputIdle(process.hProcess, 10000);
    HWND window = nullptr;
    for (int i = 0; i < 100 && window == nullptr; ++i) {
        window = FindWindowA(TESTCARD_CLASS, TESTCARD_TITLE);
        if (window == nullptr)
            Sleep(100);
    }
    auto text = [&](int line) {
        char buffer[512] = "";
        DWORD_PTR ignored;
        SendMessageTimeoutA(GetDlgItem(window, TESTCARD_FIRST_LINE_ID + line), WM_GETTEXT,
                            sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 5000, &ignored);
        return std::string(buffer);
    };
    if (window != nullptr) {
        EXPECT_EQ(0u, text(TESTCARD_LINE_CONTROL).find("CARD.OCX: not registered")) << text(TESTCARD_LINE_CONTROL);
        EXPECT_EQ("CARDSO.DLL: ready, " + root.path() + "CARDSO.DLL", text(TESTCARD_LINE_SERVICE));
        EXPECT_EQ("VB40032.DLL: version 4.0", text(TESTCARD_LINE_RUNTIME));
        EXPECT_EQ("Swipe a card through the reader.", text(TESTCARD_LINE_PROMPT));

        // A keyboard-wedge reader types the track; the hook takes it out of the input.
        const char track[] = "%B4111111111111111^DOE/JANE^2912101123450000000?";
        for (const char* c = track; *c != '\0'; ++c)
            PostMessageA(window, WM_CHAR, static_cast<unsigned char>(*c), 1);
        for (int i = 0; i < 50 && text(TESTCARD_LINE_FIELDS).empty(); ++i)
            Sleep(100);
        EXPECT_EQ(track, text(TESTCARD_LINE_TRACK));
        EXPECT_EQ("Account 4111111111111111, DOE/JANE, expires 12/29", text(TESTCARD_LINE_FIELDS));

        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    EXPECT_NE(nullptr, window) << "no test program window";
    DWORD code = 99;
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    EXPECT_EQ(0u, code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

namespace {

struct ProcessWindows {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<ProcessWindows*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK FindRichEdit(HWND window, LPARAM data)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (strncmp(name, "RichEdit", 8) != 0 && strncmp(name, "RICHEDIT", 8) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
}

}  // namespace

// The documentation item of the program group runs "wordpad.exe " followed by the file.
TEST_F(InstalledProduct, WordPadShowsTheDocumentationAsRichText)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // Wine keeps WordPad with the accessories, off the search path.
    char wordpad[MAX_PATH] = "";
    if (SearchPathA(nullptr, "wordpad.exe", nullptr, MAX_PATH, wordpad, nullptr) == 0)
        ExpandEnvironmentStringsA("%ProgramFiles%\\Windows NT\\Accessories\\wordpad.exe", wordpad, MAX_PATH);
    std::string line = "\"" + std::string(wordpad) + "\" " + root.path() + "README.DOC";
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    WaitForInputIdle(process.hProcess, 10000);
    ProcessWindows search = {process.dwProcessId, nullptr};
    HWND editor = nullptr;
    std::string shown;
    for (int i = 0; i < 100 && shown.empty(); ++i) {
        Sleep(100);
        search.found = nullptr;
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr)
            continue;
        editor = nullptr;
        EnumChildWindows(search.found, FindRichEdit, reinterpret_cast<LPARAM>(&editor));
        if (editor == nullptr)
            continue;
        char text[4096] = "";
        DWORD_PTR ignored;
        SendMessageTimeoutA(editor, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_BLOCK, 5000, &ignored);
        shown = text;
    }
    EXPECT_EQ(0u, shown.find("OLE for Point of Sale")) << shown.substr(0, 200);
    EXPECT_EQ(std::string::npos, shown.find("\\rtf1")) << "shown as plain text";
    EXPECT_NE(std::string::npos, shown.find("QVXSO.QVXMSR"));
    if (search.found != nullptr)
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

TEST_F(InstalledProduct, SystemsOwnLibrariesAreNewerThanTheStandIns)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    for (const char* name : {"MFC42.DLL", "MSVCRT.DLL", "OLEAUT32.DLL"}) {
        SCOPED_TRACE(name);
        std::string ours, theirs;
        // Wine answers a version query on any file named like a library it has loaded with
        // that library's version, so the stand-in is read under another name.
        std::string probe = root.path() + "probe-" + name;
        ASSERT_TRUE(CopyFileA((root.path() + "System\\" + name).c_str(), probe.c_str(), FALSE));
        ULONGLONG standIn = FileVersion(probe, &ours);
        ULONGLONG installed = FileVersion(std::string(system) + "\\" + name, &theirs);
        std::printf("%-12s stand-in %s, system %s\n", name, ours.c_str(),
                    installed ? theirs.c_str() : "(none)");
        EXPECT_NE(0u, standIn);
        if (installed != 0) {
            EXPECT_LT(standIn, installed);
        } else {
            EXPECT_STREQ("MFC42.DLL", name) << "the system has its own copy of this one";
        }
    }

    // The version services judge it so too: offered over a copy of the system's library, the
    // stand-in is reported as the older file and the copy stays as it was.
    std::string destination = root.path() + "dest\\";
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\MSVCRT.DLL").c_str(), (destination + "MSVCRT.DLL").c_str(), FALSE));
    std::string before;
    ASSERT_TRUE(ReadWholeFile(destination + "MSVCRT.DLL", &before));
    char temporary[MAX_PATH] = "";
    UINT length = MAX_PATH;
    // The platform's declaration takes writable texts.
    char file[] = "MSVCRT.DLL";
    std::string staging = root.path() + "System\\";
    DWORD result = VerInstallFileA(0, file, file, &staging[0], &destination[0], &destination[0],
                                   temporary, &length);
    EXPECT_NE(0u, result & VIF_SRCOLD) << std::hex << result;
    std::string after;
    ASSERT_TRUE(ReadWholeFile(destination + "MSVCRT.DLL", &after));
    EXPECT_TRUE(before == after);
}

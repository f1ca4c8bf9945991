// The product's life after an installation, as Programs and Features, a deployment tool and a
// user see it: Wine's own uninstaller lists it and runs its removal, the quiet removal command
// from the entry runs through "start /wait", and each removal takes back what its installation
// did, nothing else.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

const char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QVXMSR";
const char kListed[] = "QVXMSR|||OLE for Point of Sale Magnetic Stripe Reader";
const char kLog[] = "c:\\qvxlife.log";
const std::string kPlace = "c:\\qvxe2e\\place\\";
const char* const kSharedFiles[] = {"MFC42.DLL", "MSVCRT.DLL", "OLEAUT32.DLL"};

std::string SystemPath(const char* name)
{
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    return std::string(system) + "\\" + name;
}

long SharedCount(const char* name)  // -1: no value
{
    DWORD count = 0, size = sizeof count, type = 0;
    return SHGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                       SystemPath(name).c_str(), &type, &count, &size) == ERROR_SUCCESS && type == REG_DWORD
               ? static_cast<long>(count) : -1;
}

// A program of the prefix run to its end with its output in a file; its exit code.
DWORD RunToEnd(std::string commandLine, std::string* output = nullptr)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const char kOut[] = "c:\\qvxout.txt";
    HANDLE out = CreateFileA(kOut, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out;
    PROCESS_INFORMATION info = {};
    DWORD code = 99;
    bool started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, "c:\\", &startup, &info);
    CloseHandle(out);
    EXPECT_TRUE(started) << commandLine;
    if (started) {
        EXPECT_TRUE(WaitFor(300000, [&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }))
            << commandLine << " did not end";
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    if (output != nullptr)
        *output = Bytes(kOut);
    return code;
}

bool Listed()
{
    std::string list;
    RunToEnd("uninstaller.exe --list", &list);
    return list.find(std::string(kListed) + "\r\n") != std::string::npos ||
           list.find(std::string(kListed) + "\n") != std::string::npos;
}

// The entry's quiet command as a deployment tool runs it; %ERRORLEVEL% is the removal's exit code.
DWORD QuietRemoval()
{
    std::string quiet = RegistryString(HKEY_LOCAL_MACHINE, kEntry, "QuietUninstallString");
    std::ofstream("c:\\qvxquiet.bat") << "start \"\" /wait " << quiet << "\r\nexit %ERRORLEVEL%\r\n";
    return RunToEnd("cmd.exe /c c:\\qvxquiet.bat");
}

DWORD Install(const std::string& switches, const std::string& program = Dist() + "SETUP.EXE")
{
    SetupRun setup(program, "\"" + program + "\" /LOG=" + kLog + " " + switches);
    return setup.Exit();
}

// A message box of any process (the removal runs from a copy of the uninstaller), fully set up.
HWND FindAnyBox(const std::string& text)
{
    for (HWND box = GetTopWindow(nullptr); box != nullptr; box = GetWindow(box, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(box, name, sizeof name);
        HWND icon = GetDlgItem(box, GetDlgItem(box, 0x440) != nullptr ? 0x440 : 0x14);
        DWORD_PTR handle = 0;
        if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(box) && Text(box) == kTitle &&
            Text(GetDlgItem(box, 0xFFFF)) == text && IsWindowVisible(icon) &&
            SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &handle) && handle)
            return box;
    }
    return nullptr;
}

void Answer(const std::string& text, int button)
{
    HWND box = WaitFor(60000, [&] { return FindAnyBox(text); });
    ASSERT_NE(box, nullptr) << "no message box \"" << text << "\"";
    Click(box, button);
}

class Lifecycle : public testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        for (size_t i = 0; i < std::size(kSharedFiles); ++i) {
            before_[i] = SharedCount(kSharedFiles[i]);
            existed_[i] = Exists(SystemPath(kSharedFiles[i]));
        }
    }
    // What one installation leaves: this product's count on top of the one before (1 for a file
    // that was there uncounted).
    void ExpectCounts(int added)
    {
        for (size_t i = 0; i < std::size(kSharedFiles); ++i) {
            long base = before_[i] >= 0 ? before_[i] : existed_[i] ? 1 : 0;
            long expected = base + added;
            EXPECT_EQ(SharedCount(kSharedFiles[i]), expected > 0 ? expected : -1) << kSharedFiles[i];
            EXPECT_TRUE(Exists(SystemPath(kSharedFiles[i]))) << kSharedFiles[i] << " was deleted";
        }
    }
    // The uninstaller's copy finishes after the uninstaller itself has ended.
    void ExpectRemoved(const std::string& destination)
    {
        EXPECT_TRUE(WaitFor(60000, [&] { return !Exists(destination); })) << destination << " is still there";
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, nullptr), "(none)");
        HKEY parent;
        EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\OLEforRetail", 0, KEY_READ, &parent), ERROR_SUCCESS);
        for (const char* clsid : {QVX_CONTROL_CLSID_TEXT, QVX_SERVICE_CLSID_TEXT})
            EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + clsid + "\\InprocServer32", nullptr),
                      "(none)") << clsid;
        EXPECT_EQ(StartMenuGroup(), "");
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "(none)");
        EXPECT_FALSE(Listed());
    }
    long before_[3];
    bool existed_[3];
};

// Installed, reinstalled without /DIR into the same place, removed by the entry's quiet command.
TEST_F(Lifecycle, EntryReinstallationAndQuietRemoval)
{
    ASSERT_EQ(Install("/VERYSILENT /DIR=" + kPlace), 0u) << Bytes(kLog);
    EXPECT_TRUE(Listed());
    const struct { const char* name; std::string data; } values[] = {
        {"DisplayName", "OLE for Point of Sale Magnetic Stripe Reader"}, {"DisplayVersion", "1.3.0"},
        {"Publisher", "Quorvex"}, {"InstallLocation", kPlace}, {"DisplayIcon", kPlace + "UNINST.EXE,0"},
        {"UninstallString", "\"" + kPlace + "UNINST.EXE\" /UNINSTALL"},
        {"QuietUninstallString", "\"" + kPlace + "UNINST.EXE\" /UNINSTALL /VERYSILENT"}};
    for (const auto& value : values)
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, value.name), value.data) << value.name;
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, "InstallDate").size(), 8u);
    DWORD size = 0, length = sizeof size;
    EXPECT_EQ(SHGetValueA(HKEY_LOCAL_MACHINE, kEntry, "EstimatedSize", nullptr, &size, &length), ERROR_SUCCESS);
    EXPECT_GT(size, 1000u);  // KiB: the sample product holds some 2.7 MB
    ExpectCounts(1);

    ASSERT_EQ(Install("/VERYSILENT"), 0u) << Bytes(kLog);
    ExpectInstalled(kPlace);
    EXPECT_FALSE(Exists("c:\\OPOS"));
    int entries = 0;
    HKEY uninstall;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0, KEY_READ,
                            &uninstall), ERROR_SUCCESS);
    char key[256];
    for (DWORD i = 0; RegEnumKeyA(uninstall, i, key, sizeof key) == ERROR_SUCCESS; ++i)
        entries += RegistryString(uninstall, key, "DisplayName") == values[0].data;
    RegCloseKey(uninstall);
    EXPECT_EQ(entries, 1);
    ExpectCounts(1);

    EXPECT_EQ(QuietRemoval(), 0u);
    ExpectRemoved(kPlace);
    EXPECT_FALSE(Exists("c:\\qvxe2e"));  // made by the installation, empty now
    ExpectCounts(0);
    EXPECT_EQ(Install("/VERYSILENT /UNINSTALL"), 2u) << "a second removal";
    EXPECT_TRUE(Bytes(kLog).find("Nothing to remove: no Programs and Features entry") != std::string::npos);
}

// Program and Features' own removal: the question (No changes nothing), then the removal, which
// leaves a user's file and the directories that hold it.
TEST_F(Lifecycle, InteractiveRemovalFromWinesUninstallerKeepsTheUsersFile)
{
    ASSERT_EQ(Install("/VERYSILENT /DIR=" + kPlace), 0u) << Bytes(kLog);
    std::ofstream(kPlace + "SAMPLE\\mine.txt") << "the user's own";
    const std::string question = "Do you want to remove OLE for Point of Sale Magnetic Stripe Reader from this computer?";
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDNO ? "No" : "Yes");
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        char commandLine[] = "uninstaller.exe --remove QVXMSR";
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, "c:\\", &startup, &info));
        Answer(question, answer);
        if (answer == IDYES)
            Answer("OLE for Point of Sale Magnetic Stripe Reader was removed, except for:\n" + kPlace +
                       "SAMPLE (not empty, kept)", IDOK);
        EXPECT_TRUE(WaitFor(60000, [&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }));
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        if (answer == IDNO)
            ExpectInstalled(kPlace);
    }
    EXPECT_EQ(Bytes(kPlace + "SAMPLE\\mine.txt"), "the user's own");
    EXPECT_TRUE(WaitFor(60000, [&] { return !Exists(kPlace + "UNINST.EXE"); }));
    EXPECT_FALSE(Exists(kPlace + "CARD.OCX") || Exists(kPlace + "SAMPLE\\TESTCARD.EXE") || Exists(kPlace + "System"));
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "(none)");
    EXPECT_EQ(StartMenuGroup(), "");
    ExpectCounts(0);
}

// A product file changed since is kept (exit 1); the next removal finds nothing to do (exit 2).
// An installation cancelled from /SILENT is removed whole.
TEST_F(Lifecycle, ChangedFileKeptSecondRemovalAndCancelledInstallation)
{
    ASSERT_EQ(Install("/VERYSILENT /DIR=" + kPlace), 0u) << Bytes(kLog);
    std::ofstream(kPlace + "README.DOC", std::ios::app) << "a note of the user's";
    const std::string edited = Bytes(kPlace + "README.DOC");
    EXPECT_EQ(Install("/UNINSTALL /VERYSILENT", kPlace + "UNINST.EXE"), 1u);
    EXPECT_TRUE(WaitFor(60000, [] { return Bytes(kLog).find("\r\nExit code 1\r\n") != std::string::npos; }));
    const std::string log = Bytes(kLog);
    EXPECT_NE(log.find("File " + kPlace + "README.DOC: kept, changed since it was installed"), std::string::npos) << log;
    EXPECT_NE(log.find("Removal: handed over to "), std::string::npos) << "the copy wrote over the first process's log";
    EXPECT_EQ(Bytes(kPlace + "README.DOC"), edited);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "(none)");
    EXPECT_EQ(Install("/UNINSTALL /VERYSILENT"), 2u);
    EXPECT_EQ(Bytes(kPlace + "README.DOC"), edited);
    ExpectCounts(0);

    const std::string program = BigDist() + "SETUP.EXE", destination = std::string(kScratch) + "cancelled\\";
    {
        SetupRun setup(program, "\"" + program + "\" /SILENT /DIR=" + destination);
        HWND progress = setup.WaitForWindow("#32770", kProgressCaption);
        ASSERT_NE(progress, nullptr);
        Click(progress, IDCANCEL);
        EXPECT_EQ(setup.Exit(), 4u);
    }
    EXPECT_TRUE(Listed());
    EXPECT_EQ(QuietRemoval(), 0u);
    ExpectRemoved(destination);
    ExpectCounts(0);
}

// A user who can write the installed location appends lines in the record's own form and puts
// another DLL in CARD.OCX's place: the removal changes nothing outside the product and loads no
// foreign code, but still removes the product; a value another program put into a parent key
// keeps that key.
TEST_F(Lifecycle, TamperedRecordAndReplacedServerTouchNothingOutside)
{
    ASSERT_EQ(Install("/VERYSILENT /DIR=" + kPlace), 0u) << Bytes(kLog);
    // A hand-over that no removal made (this process's own pseudo-handle twice) is refused.
    SetEnvironmentVariableA("QVX_REMOVAL_HANDOVER", "-1 -1");
    EXPECT_EQ(Install("/UNINSTALL /VERYSILENT", kPlace + "UNINST.EXE"), 3u);
    SetEnvironmentVariableA("QVX_REMOVAL_HANDOVER", nullptr);
    EXPECT_TRUE(Exists(kPlace + "CARDSO.DLL") && Exists(kPlace + "SETUP.REC"));
    const std::string outside = std::string(kScratch) + "outside.txt", empty = std::string(kScratch) + "empty",
                      planted = std::string(kScratch) + "planted.dll", marker = std::string(kScratch) + "planted.txt",
                      other = SystemPath("QVXOTHER.DLL");
    std::ofstream(outside) << "another program's";
    ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
    const std::string dll = Dist() + "..\\wintests\\planted_lz32.dll";
    ASSERT_TRUE(CopyFileA(dll.c_str(), planted.c_str(), FALSE) && CopyFileA(dll.c_str(), (kPlace + "CARD.OCX").c_str(), FALSE));
    HKEY key;
    DWORD two = 2;
    for (const char* name : {"SOFTWARE\\QvxOther", "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\OTHER", "SOFTWARE\\OLEforRetail"}) {
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, name, &key), ERROR_SUCCESS);
        RegSetValueExA(key, "Keep", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), sizeof two);
        RegCloseKey(key);
    }
    SHSetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", other.c_str(), REG_DWORD,
                &two, sizeof two);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(outside.c_str(), GetFileExInfoStandard, &data);
    char stamp[40];
    wsprintfA(stamp, "%016lX %08lX%08lX ", data.nFileSizeLow, data.ftLastWriteTime.dwHighDateTime,
              data.ftLastWriteTime.dwLowDateTime);
    std::string mfc = SystemPath("MFC42.DLL");
    std::transform(mfc.begin(), mfc.end(), mfc.begin(), ::tolower);
    std::ofstream(kPlace + "SETUP.REC", std::ios::app)
        << "File " << stamp << outside << "\r\nFile " << stamp << kPlace << "..\\outside.txt\r\nDirectory " << empty
        << "\r\nServer " << planted << "\r\nRegistryKey SOFTWARE\\QvxOther\r\nDeviceKey SOFTWARE\\OLEforRetail\\"
        << "ServiceOPOS\\MSR\\OTHER\r\nSharedCount " << other << "\r\nSharedCount " << mfc << "\r\n";

    EXPECT_EQ(Install("/UNINSTALL /VERYSILENT", kPlace + "UNINST.EXE"), 1u);
    EXPECT_TRUE(WaitFor(60000, [] { return Bytes(kLog).find("\r\nExit code 1\r\n") != std::string::npos; }));
    const std::string log = Bytes(kLog);
    EXPECT_NE(log.find("not part of this product: left alone"), std::string::npos) << log;
    EXPECT_NE(log.find(" | " + outside + " (named in the record, not installed by this product: left alone)"),
              std::string::npos) << "the closing message does not say so";
    EXPECT_FALSE(Exists(marker)) << "a foreign DLL was loaded: " << Bytes(marker);
    EXPECT_EQ(Bytes(outside), "another program's");
    EXPECT_TRUE(Exists(empty));
    for (const char* name : {"SOFTWARE\\QvxOther", "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\OTHER", "SOFTWARE\\OLEforRetail"}) {
        DWORD value = 0, size = sizeof value;
        EXPECT_EQ(SHGetValueA(HKEY_LOCAL_MACHINE, name, "Keep", nullptr, &value, &size), ERROR_SUCCESS) << name;
    }
    EXPECT_EQ(SharedCount("QVXOTHER.DLL"), 2);
    ExpectCounts(0);  // each once, whatever case the record names it in
    // The product is gone but for the changed server, which stays registered as it was.
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, nullptr), "(none)");
    EXPECT_FALSE(Exists(kPlace + "CARDSO.DLL") || Exists(kPlace + "SAMPLE") || Exists(kPlace + "SETUP.REC"));
    EXPECT_NE(log.find("Server " + kPlace + "CARD.OCX: not the file installed, not loaded"), std::string::npos);
    EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + QVX_SERVICE_CLSID_TEXT + "\\InprocServer32",
                             nullptr), "(none)");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "(none)");
}

// A second setup while one runs (a double start, two deployment agents) changes nothing and ends
// with 1618; the counts are one installation's, and the removal after it takes them back.
TEST_F(Lifecycle, OneSetupAtATime)
{
    const std::string program = Dist() + "SETUP.EXE";
    {
        // The first holds the machine from its start: here, while it asks for the destination.
        SetupRun first(program, "\"" + program + "\" /DIR=" + kPlace);
        HWND dialog = first.WaitForWindow("#32770", kDestinationCaption);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Install("/VERYSILENT /DIR=" + std::string(kScratch) + "second\\"), 1618u);
        EXPECT_NE(Bytes(kLog).find("Another installation or removal is in progress: nothing done"), std::string::npos);
        EXPECT_EQ(Install("/VERYSILENT /UNINSTALL"), 1618u);
        Click(dialog, IDOK);
        HWND question = first.WaitForBox("The specified directory does not exist.\nDo you want to create the directory?");
        ASSERT_NE(question, nullptr);
        Click(question, IDYES);
        HWND done = first.WaitForBox("Program installation is now complete.");
        ASSERT_NE(done, nullptr);
        Click(done, IDOK);
        EXPECT_EQ(first.Exit(), 0u);
    }
    EXPECT_FALSE(Exists(std::string(kScratch) + "second"));
    ExpectCounts(1);
    EXPECT_EQ(QuietRemoval(), 0u);
    ExpectRemoved(kPlace);
    ExpectCounts(0);
}

// Installed, moved elsewhere with /DIR (a user's file in the first place), then removed while
// the point-of-sale application holds the service object: both places go, the user's file
// stays, the file in use and its directories go at the restart (3010), the counts come back.
TEST_F(Lifecycle, MovedInstallationRemovedWhileItsServiceObjectIsInUse)
{
    const std::string first = std::string(kScratch) + "first\\", second = std::string(kScratch) + "second\\";
    ASSERT_EQ(Install("/VERYSILENT /DIR=" + first), 0u) << Bytes(kLog);
    ASSERT_EQ(Install("/VERYSILENT /DIR=" + second), 0u) << Bytes(kLog);
    EXPECT_NE(Bytes(kLog).find("Moved from " + first + ": its record taken into this one"), std::string::npos);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, "InstallLocation"), second);
    ExpectCounts(1);
    std::ofstream(first + "SAMPLE\\mine.txt") << "the user's own";
    HMODULE held = LoadLibraryExA((second + "CARDSO.DLL").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(QuietRemoval(), 3010u);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "(none)");
    ExpectCounts(0);
    EXPECT_EQ(Bytes(first + "SAMPLE\\mine.txt"), "the user's own");
    EXPECT_FALSE(Exists(first + "CARD.OCX") || Exists(first + "UNINST.EXE") || Exists(first + "SETUP.REC"));
    EXPECT_TRUE(WaitFor(60000, [&] { return !Exists(second + "UNINST.EXE"); }));
    EXPECT_TRUE(Exists(second + "CARDSO.DLL") && !Exists(second + "CARD.OCX") && !Exists(second + "SAMPLE"));
    FreeLibrary(held);
    EXPECT_EQ(RunToEnd("wineboot.exe -r"), 0u);
    EXPECT_FALSE(Exists(second)) << "the restart left the directory of the file that was in use";
}

// An uninstaller that cannot start its temporary copy (TEMP names no directory) removes in place
// and leaves itself and its directory to the restart.
TEST_F(Lifecycle, RemovalThatCannotHandOverRemovesInPlace)
{
    ASSERT_EQ(Install("/VERYSILENT /DIR=" + kPlace), 0u) << Bytes(kLog);
    char temp[MAX_PATH] = {};
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    SetEnvironmentVariableA("TEMP", "c:\\qvxnowhere");
    SetEnvironmentVariableA("TMP", "c:\\qvxnowhere");
    EXPECT_EQ(Install("/UNINSTALL /VERYSILENT", kPlace + "UNINST.EXE"), 3010u);
    SetEnvironmentVariableA("TEMP", temp);
    SetEnvironmentVariableA("TMP", temp);
    const std::string log = Bytes(kLog);
    EXPECT_NE(log.find(": removing in place"), std::string::npos) << log;
    EXPECT_NE(log.rfind("\r\nExit code 3010\r\n"), std::string::npos) << log;
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "(none)");
    ExpectCounts(0);
    EXPECT_TRUE(Exists(kPlace + "UNINST.EXE") && !Exists(kPlace + "CARD.OCX") && !Exists(kPlace + "SETUP.REC"));
    EXPECT_EQ(RunToEnd("wineboot.exe -r"), 0u);
    EXPECT_FALSE(Exists("c:\\qvxe2e")) << "the restart left the uninstaller's directories";
}

}  // namespace

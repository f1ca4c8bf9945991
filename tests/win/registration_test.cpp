#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "integration/registration.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"

static const char kDeviceKey[] = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR";
static const char kServerOneClass[] = "CLSID\\{5A1E2B3C-0001-4C5D-8E9F-51A2B3C4D5E6}";
static const char kServerTwoClass[] = "CLSID\\{5A1E2B3C-0002-4C5D-8E9F-51A2B3C4D5E6}";

static void DeleteTree(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char name[256];
    std::vector<std::string> children;
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i)
        children.push_back(name);
    RegCloseKey(key);
    for (const auto& child : children)
        DeleteTree(root, path + "\\" + child);
    RegDeleteKeyA(root, path.c_str());
}

struct Value {
    DWORD type = 0;
    std::string data;  // as stored, terminator included
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};

static void PrintTo(const Value& value, std::ostream* out)
{
    *out << "type " << value.type << " \"" << value.data.c_str() << "\" (" << value.data.size()
         << " bytes)";
}

// Every value of the key, by name ("" is the default value).
static std::map<std::string, Value> ReadValues(HKEY root, const char* path)
{
    std::map<std::string, Value> values;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof name;
        BYTE data[1024];
        DWORD dataLength = sizeof data;
        Value value;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &value.type, data, &dataLength) !=
            ERROR_SUCCESS)
            break;
        value.data.assign(reinterpret_cast<char*>(data), dataLength);
        values[name] = value;
    }
    RegCloseKey(key);
    return values;
}

static Value Sz(const std::string& text)
{
    Value value;
    value.type = REG_SZ;
    value.data = text + '\0';
    return value;
}

static std::map<std::string, Value> DeviceValues(const std::string& destination)
{
    return {{"", Sz("QVXSO.QVXMSR")},
            {"Service", Sz(destination + "CARDSO.DLL")},
            {"Version", Sz("1.3.0")},
            {"Description", Sz("Quorvex MSR Service Object")},
            {"DeviceName", Sz("QVXSO.QVXMSR")},
            {"DeviceDesc", Sz("Quorvex MSR Service Object")}};
}

// The script as the product defines it, with the destination escaped for REGEDIT4.
static std::string ExpectedScript(const std::string& destination)
{
    std::string escaped;
    for (char c : destination) {
        if (c == '\\' || c == '"')
            escaped += '\\';
        escaped += c;
    }
    return "REGEDIT4\n\r\n\r[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR]\n\r"
           "@=\"QVXSO.QVXMSR\"\n\r"
           "\"Service\"=\"" + escaped + "CARDSO.DLL\"\r\n"
           "\"Version\"=\"1.3.0\"\n\r\"Description\"=\"Quorvex MSR Service Object\"\n\r"
           "\"DeviceName\"=\"QVXSO.QVXMSR\"\n\r\"DeviceDesc\"=\"Quorvex MSR Service Object\"";
}

static std::string InprocServer(const char* classKey)
{
    auto values = ReadValues(HKEY_CLASSES_ROOT, (std::string(classKey) + "\\InprocServer32").c_str());
    auto found = values.find("");
    return found == values.end() ? "" : found->second.data.c_str();
}

static std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

static std::vector<std::string> Texts(const MessageBoxAnswerer& boxes)
{
    std::vector<std::string> texts;
    for (const auto& box : boxes.shown)
        texts.push_back(box.text);
    return texts;
}

class DeviceRegistration : public testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                     moduleInstance, nullptr);
        SetErrorMode(0);
        GetCurrentDirectoryA(MAX_PATH, savedDirectory_);
        CleanRegistry();
        destination_ = scratch_.path();
        lstrcpyA(destinationDirectory, destination_.c_str());
    }

    void TearDown() override
    {
        SetCurrentDirectoryA(savedDirectory_);  // or the scratch directory cannot go
        CleanRegistry();
        for (const auto& decoy : decoys_)
            DeleteFileA(decoy.c_str());
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }

    static void CleanRegistry()
    {
        DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\OLEforRetail");
        DeleteTree(HKEY_CLASSES_ROOT, kServerOneClass);
        DeleteTree(HKEY_CLASSES_ROOT, kServerTwoClass);
    }

    void Install(const char* testServer, const std::string& directory, const char* name)
    {
        ASSERT_TRUE(CopyFileA((TestDirectory() + testServer + ".dll").c_str(),
                              (directory + name).c_str(), FALSE))
            << testServer << " -> " << directory << name;
    }

    ScratchDirectory scratch_;
    std::string destination_;
    std::vector<std::string> decoys_;
    char savedDirectory_[MAX_PATH] = "";
};

TEST_F(DeviceRegistration, WritesScriptAndKeyAndRegistersTheInstalledServers)
{
    Install("regsrv_one", destination_, "CARD.OCX");
    Install("regsrv_two", destination_, "CARDSO.DLL");
    // Servers of the same names beside the running program, which the loader searches before the
    // current directory: a bare-name load would register these instead.
    for (const char* name : {"CARD.OCX", "CARDSO.DLL"})
        decoys_.push_back(TestDirectory() + name);
    Install("regsrv_two", TestDirectory(), "CARD.OCX");
    Install("regsrv_one", TestDirectory(), "CARDSO.DLL");

    ASSERT_TRUE(WriteWholeFile(destination_ + "CARD.REG", std::string(3000, 'x')));
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kDeviceKey, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "Extra", 0, REG_SZ, reinterpret_cast<const BYTE*>("keep me"), 8);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("0.9"), 4);
    RegCloseKey(key);

    MessageBoxAnswerer boxes;
    EXPECT_EQ(RegisterDeviceService(), 1);
    EXPECT_TRUE(boxes.shown.empty());

    std::string script;
    ASSERT_TRUE(ReadWholeFile(destination_ + "CARD.REG", &script));
    EXPECT_EQ(script, ExpectedScript(destination_));  // the longer old script is gone

    auto values = DeviceValues(destination_);
    values["Extra"] = Sz("keep me");
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey), values);

    EXPECT_EQ(Lower(InprocServer(kServerOneClass)), Lower(destination_ + "CARD.OCX"));
    EXPECT_EQ(Lower(InprocServer(kServerTwoClass)), Lower(destination_ + "CARDSO.DLL"));

    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(Lower(std::string(current) + "\\"), Lower(destination_));
    UINT mode = SetErrorMode(0);
    EXPECT_TRUE(mode & SEM_FAILCRITICALERRORS);
}

TEST_F(DeviceRegistration, ImportingTheScriptGivesBackTheSameValues)
{
    std::string destination = destination_ + "O P O S\\";
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
    lstrcpyA(destinationDirectory, destination.c_str());
    MessageBoxAnswerer boxes;  // the servers are not there
    RegisterDeviceService();
    SetCurrentDirectoryA(savedDirectory_);

    auto written = ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey);
    EXPECT_EQ(written, DeviceValues(destination));
    DeleteTree(HKEY_LOCAL_MACHINE, kDeviceKey);
    ASSERT_TRUE(ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey).empty());

    std::string command = "regedit.exe /s \"" + destination + "CARD.REG\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey), written);
}

TEST_F(DeviceRegistration, MissingServersAreReportedAndTheRestIsStillWritten)
{
    MessageBoxAnswerer boxes;
    EXPECT_EQ(RegisterDeviceService(), 0);
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const auto& box : boxes.shown) {
        EXPECT_EQ(box.text, "Unable to load the library");
        EXPECT_EQ(box.caption, "OLE for Point of Sale Setup");
        EXPECT_EQ(box.owner, mainWindow);
        EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    }
    EXPECT_TRUE(IsWindowEnabled(mainWindow));

    std::string script;
    ASSERT_TRUE(ReadWholeFile(destination_ + "CARD.REG", &script));
    EXPECT_EQ(script, ExpectedScript(destination_));
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey), DeviceValues(destination_));
}

TEST_F(DeviceRegistration, FirstServerFailingLeavesTheResultToTheSecond)
{
    Install("regsrv_noentry", destination_, "CARD.OCX");
    Install("regsrv_two", destination_, "CARDSO.DLL");
    MessageBoxAnswerer boxes;
    EXPECT_EQ(RegisterDeviceService(), 1);
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{"Unable to get the DLL Entry point"});
    EXPECT_EQ(Lower(InprocServer(kServerTwoClass)), Lower(destination_ + "CARDSO.DLL"));
}

TEST_F(DeviceRegistration, EntryPointFailuresAreReported)
{
    Install("regsrv_failing", destination_, "CARD.OCX");
    Install("regsrv_noentry", destination_, "CARDSO.DLL");
    MessageBoxAnswerer boxes;
    EXPECT_EQ(RegisterDeviceService(), 0);
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{"Unable to call the DLL Entry point",
                                                      "Unable to get the DLL Entry point"}));
    for (const auto& box : boxes.shown)
        EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    // The libraries were released again: the files can be replaced.
    EXPECT_TRUE(DeleteFileA((destination_ + "CARD.OCX").c_str()));
    EXPECT_TRUE(DeleteFileA((destination_ + "CARDSO.DLL").c_str()));
}

TEST_F(DeviceRegistration, ScriptThatCannotBeCompleteIsNotWritten)
{
    // A destination whose escaped form does not fit the service line (260 bytes), while the
    // script's own path and the service path still fit.
    std::string destination = destination_;
    while (destination.size() < 230) {
        destination += std::string(std::min<size_t>(40, 230 - destination.size()), 'd') + "\\";
        ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr)) << destination;
    }
    ASSERT_TRUE(WriteWholeFile(destination + "CARD.REG", "old"));
    lstrcpyA(destinationDirectory, destination.c_str());

    MessageBoxAnswerer boxes;
    RegisterDeviceService();
    SetCurrentDirectoryA(savedDirectory_);
    std::string script;
    ASSERT_TRUE(ReadWholeFile(destination + "CARD.REG", &script));
    EXPECT_EQ(script, "old");
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey), DeviceValues(destination));
}

TEST_F(DeviceRegistration, ServicePathThatWouldNotFitIsLeftOut)
{
    std::string destination = "c:\\" + std::string(247, 'p') + "\\";  // 251 characters
    lstrcpyA(destinationDirectory, destination.c_str());
    MessageBoxAnswerer boxes;
    EXPECT_EQ(RegisterDeviceService(), 0);
    // Neither server path fits either: refused like a library that does not load.
    EXPECT_EQ(Texts(boxes), (std::vector<std::string>{"Unable to load the library",
                                                      "Unable to load the library"}));
    auto values = DeviceValues(destination);
    values.erase("Service");
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey), values);
}

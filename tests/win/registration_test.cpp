// The device service stage: registry script (also through Wine's regedit), device key, server registration.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "integration/registration.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"

static const char kDeviceKey[] = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR";
static const char kServersKey[] = "Software\\QvxTestServers";  // where regsrv.dll records its path

typedef std::map<std::string, std::string> Values;  // name ("" the default) -> type:data as stored

static Values ReadValues(HKEY root, const char* path)
{
    Values values;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    char name[256], data[1024];
    for (DWORD i = 0, type, nameLength = sizeof name, dataLength = sizeof data;
         RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataLength) == 0;
         ++i, nameLength = sizeof name, dataLength = sizeof data)
        values[name] = std::to_string(type) + ":" + std::string(data, dataLength);
    RegCloseKey(key);
    return values;
}

// The device key and the parents the setup made for it, none of which has another child.
static void DeleteDeviceKey()
{
    for (std::string key = kDeviceKey; key.find('\\') != std::string::npos; key.erase(key.rfind('\\')))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

static void Install(const char* testServer, const std::string& path)
{
    EXPECT_TRUE(CopyFileA((TestDirectory() + testServer + ".dll").c_str(), path.c_str(), FALSE)) << path;
}

TEST(Registration, ScriptKeyAndServersOfADeepDestinationAndEachFailureShownAndCounted)
{
    moduleInstance = GetModuleHandleA(nullptr);
    mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                 moduleInstance, nullptr);
    char saved[MAX_PATH], current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    ScratchDirectory scratch;
    // Deeper than the 128 characters OpenFile takes, with blanks, and 245 characters long: the
    // service line, backslashes escaped, is longer than a path.
    std::string parent = scratch.path() + std::string(100, 'd') + "\\", escaped, script, log;
    std::string destination = parent + std::string(245 - 7 - parent.size(), 'e') + " Q V X\\";
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr) && CreateDirectoryA(destination.c_str(), nullptr));
    lstrcpyA(destinationDirectory, destination.c_str());
    for (char c : destination)
        escaped += c == '\\' ? "\\\\" : std::string(1, c);
    const std::string expectedScript =
        "REGEDIT4\n\r\n\r[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR]\n\r@=\"QVXSO.QVXMSR\"\n\r"
        "\"Service\"=\"" + escaped + "CARDSO.DLL\"\r\n\"Version\"=\"1.3.0\"\n\r\"Description\"=\"Quorvex MSR Service Object\"\n\r"
        "\"DeviceName\"=\"QVXSO.QVXMSR\"\n\r\"DeviceDesc\"=\"Quorvex MSR Service Object\"";
    auto Sz = [](const std::string& text) { return "1:" + text + '\0'; };  // REG_SZ, as stored
    const Values device = {{"", Sz("QVXSO.QVXMSR")}, {"Service", Sz(destination + "CARDSO.DLL")},
                           {"Version", Sz("1.3.0")}, {"Description", Sz("Quorvex MSR Service Object")},
                           {"DeviceName", Sz("QVXSO.QVXMSR")}, {"DeviceDesc", Sz("Quorvex MSR Service Object")}};
    // Servers of the same names beside the running program, which the loader searches before the
    // current directory: a load by bare name would register these instead.
    Install("regsrv", TestDirectory() + "CARD.OCX");
    Install("regsrv", TestDirectory() + "CARDSO.DLL");
    const struct {
        const char *card, *cardso;  // the test servers installed as CARD.OCX and CARDSO.DLL
        int result;
        std::vector<std::string> texts;
        bool blocked = false;  // a directory stands where CARD.REG goes
    } cases[] = {
        {"regsrv", "regsrv", 1, {}, true},
        {"regsrv", "regsrv", 1, {}},
        {nullptr, nullptr, 0, {"Unable to load the library", "Unable to load the library"}},
        {"regsrv_noentry", "regsrv", 1, {"Unable to get the DLL Entry point"}},
        {"regsrv_failing", "regsrv_noentry", 0, {"Unable to call the DLL Entry point", "Unable to get the DLL Entry point"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blocked ? "CARD.REG blocked" : c.card ? c.card : "none");
        Values registered;
        for (auto server : {std::make_pair("CARD.OCX", c.card), std::make_pair("CARDSO.DLL", c.cardso)}) {
            if (server.second != nullptr)
                Install(server.second, destination + server.first);
            if (server.second != nullptr && std::string(server.second) == "regsrv")
                registered[server.first] = Sz(destination + server.first);
        }
        EXPECT_TRUE(c.blocked ? CreateDirectoryA((destination + "CARD.REG").c_str(), nullptr)
                              : WriteWholeFile(destination + "CARD.REG", std::string(3000, 'x')));  // a longer old script
        MessageBoxAnswerer boxes;
        somethingFailed = false;
        ASSERT_TRUE(OpenLog((scratch.path() + "setup.log").c_str()));
        EXPECT_EQ(RegisterDeviceService(), c.result);
        CloseLog();
        // Every failure counts for the exit code, and the script's is logged.
        EXPECT_EQ(somethingFailed, c.blocked || !c.texts.empty());
        EXPECT_TRUE(ReadWholeFile(scratch.path() + "setup.log", &log));
        EXPECT_NE(log.find("Registry script " + destination + "CARD.REG: " + (c.blocked ? "FAILED\r\n" : "written\r\n")),
                  std::string::npos) << log;
        GetCurrentDirectoryA(MAX_PATH, current);
        SetCurrentDirectoryA(saved);  // or the scratch directory cannot go
        EXPECT_EQ(lstrcmpiA((std::string(current) + "\\").c_str(), destination.c_str()), 0) << current;
        EXPECT_EQ(boxes.shown.size(), c.texts.size());  // no early return: the decoys must go
        for (size_t i = 0; i < c.texts.size() && i < boxes.shown.size(); ++i) {
            EXPECT_EQ(boxes.shown[i].text, c.texts[i]);
            EXPECT_EQ(boxes.shown[i].caption, "OLE for Point of Sale Setup");
            EXPECT_EQ(boxes.shown[i].owner, mainWindow);
            EXPECT_EQ(boxes.shown[i].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        }
        EXPECT_EQ(ReadValues(HKEY_CURRENT_USER, kServersKey), registered);
        RegDeleteKeyA(HKEY_CURRENT_USER, kServersKey);
        // The servers were released again: the files can be replaced.
        EXPECT_TRUE(c.card == nullptr || (DeleteFileA((destination + "CARD.OCX").c_str()) &&
                                          DeleteFileA((destination + "CARDSO.DLL").c_str())));
        EXPECT_EQ(ReadWholeFile(destination + "CARD.REG", &script) ? script : "(none)", c.blocked ? "(none)" : expectedScript);
        EXPECT_TRUE(!c.blocked || RemoveDirectoryA((destination + "CARD.REG").c_str()));
        EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey), device);
        DeleteDeviceKey();
    }
    for (const char* name : {"CARD.OCX", "CARDSO.DLL"})
        DeleteFileA((TestDirectory() + name).c_str());

    // Wine's regedit reads the script back into the same values.
    std::string command = "regedit.exe /s \"" + destination + "CARD.REG\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kDeviceKey), device);
    DeleteDeviceKey();
    DestroyWindow(mainWindow);
}

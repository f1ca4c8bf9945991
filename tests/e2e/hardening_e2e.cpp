// Deployments where the setup meets a hostile or busy machine: a DLL planted beside SETUP.EXE and
// in its working directory, a shared library in use or write-protected, a damaged compressed file.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

const char kLog[] = "c:\\hardening.log";
const char kMarker[] = "c:\\qvxe2e\\planted.txt";  // the planted lz32.dll writes it when loaded
const char kDestination[] = "c:\\qvxe2e\\dest\\";

std::string TestDll(const char* name) { return Dist() + "..\\wintests\\" + name; }

std::string SystemFile(const char* name)
{
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\" + name;
}

class Hardening : public testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        DeleteFileA(kLog);
    }
    DWORD Run(const std::string& program, const std::string& directory = "")
    {
        SetupRun setup(program, "\"" + program + "\" /VERYSILENT /DIR=" + kDestination + " /LOG=" + kLog, directory);
        DWORD code = setup.Exit();
        log_ = Bytes(kLog);
        return code;
    }
    bool Logged(const std::string& text) const { return log_.find(text) != std::string::npos; }
    std::string log_;
};

TEST_F(Hardening, PlantedLz32IsNeverLoaded)
{
    const std::string dist = std::string(kScratch) + "planted\\", current = std::string(kScratch) + "current\\";
    ASSERT_TRUE(CopyTree(Dist(), dist) && CreateDirectoryA(current.c_str(), nullptr));
    for (const std::string& directory : {dist, current})
        ASSERT_TRUE(CopyFileA(TestDll("planted_lz32.dll").c_str(), (directory + "lz32.dll").c_str(), FALSE));
    // Native first, as Windows searches a DLL that is not a KnownDLL, for every program started
    // in this prefix from now on (a child's environment block does not reach Wine's loader).
    ASSERT_EQ(SHSetValueA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "lz32", REG_SZ, "native,builtin", 15),
              ERROR_SUCCESS);
    // It is in effect: a copy of this program, which imports lz32, loads the planted one.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, (dist + "importer.exe").c_str(), FALSE));
    SetupRun(dist + "importer.exe", "importer.exe --gtest_list_tests", current).Exit();
    ASSERT_TRUE(Exists(kMarker) && DeleteFileA(kMarker)) << "the planted lz32.dll cannot be loaded at all";

    EXPECT_EQ(Run(dist + "SETUP.EXE", current), 0u) << log_;
    SHDeleteValueA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "lz32");
    EXPECT_FALSE(Exists(kMarker)) << "loaded by " << Bytes(kMarker);
    ExpectInstalled(kDestination);
    // Wine's shell starts a helper for each shortcut, in the setup's working directory; it ends
    // on its own, and then the next test can remove the directory.
    EXPECT_TRUE(DeleteFileA((current + "lz32.dll").c_str()) &&
                WaitFor(60000, [&] { return RemoveDirectoryA(current.c_str()) != FALSE; }));
}

// In use, the new version replaces the installed one at the next restart, which the exit code
// asks for; write-protected, the installed one stays and the run reports a failure.
TEST_F(Hardening, SharedLibraryThatCannotBeReplacedNow)
{
    const std::string installed = SystemFile("MFC42.DLL"), older = Bytes(TestDll("qvxver1.dll"));
    ASSERT_FALSE(older.empty());
    const struct {
        const char* why;
        bool readOnly;  // else held open without sharing
        DWORD code;
        const char* logged;
    } cases[] = {
        {"in use", false, 3010, "\nShared file MFC42.DLL: in use, replaced at the next restart (0x1400)\r\n"},
        {"write-protected", true, 1, "\nShared file MFC42.DLL: FAILED, not installed (0x40)\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Clean();
        ASSERT_TRUE(CopyFileA(TestDll("qvxver1.dll").c_str(), installed.c_str(), FALSE));  // version 1.0
        HANDLE held = c.readOnly ? INVALID_HANDLE_VALUE
                                 : CreateFileA(installed.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(c.readOnly ? SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_READONLY) != FALSE
                               : held != INVALID_HANDLE_VALUE);
        DWORD code = Run(Dist() + "SETUP.EXE");
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        EXPECT_EQ(code, c.code) << log_;
        EXPECT_TRUE(Logged(c.logged) && Logged("\nExit code " + std::to_string(c.code))) << log_;
        ExpectInstalled(kDestination);
        EXPECT_TRUE(Bytes(installed) == older) << "replaced before the restart";
        char pending[4096] = {};
        DWORD size = sizeof pending;
        if (SHGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                        "PendingFileRenameOperations", nullptr, pending, &size) != ERROR_SUCCESS)
            size = 0;
        EXPECT_EQ(std::string(pending, size).find("!\\??\\" + installed) != std::string::npos, !c.readOnly)
            << std::string(pending, size);
        SetupRun(SystemFile("wineboot.exe"), "wineboot.exe -r").Exit();
        EXPECT_TRUE(Bytes(installed) == (c.readOnly ? older : Bytes(std::string(kDestination) + "System\\MFC42.DLL")))
            << "after the restart";
        SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    DeleteFileA(installed.c_str());
}

TEST_F(Hardening, DamagedCompressedFileFailsAndLeavesNothing)
{
    const std::string dist = std::string(kScratch) + "damaged\\";
    ASSERT_TRUE(CopyTree(Dist(), dist));
    std::string packed = Bytes(dist + "CARD.DA_");
    ASSERT_GT(packed.size(), 14u);
    packed[8] = 'B';  // a compression method that does not exist
    ASSERT_TRUE(std::ofstream(dist + "CARD.DA_", std::ios::binary | std::ios::trunc) << packed);

    EXPECT_EQ(Run(dist + "SETUP.EXE"), 1u) << log_;
    EXPECT_TRUE(Logged("\nFile CARD.DA_: FAILED\r\n")) << log_;
    EXPECT_FALSE(Exists(std::string(kDestination) + "CARD.DA_") || Exists(std::string(kDestination) + "CARD.DAT"));
    ExpectInstalled(kDestination, "CARD.DA_");
}

}  // namespace

// Deployments where the setup meets a hostile or busy machine: a DLL planted beside SETUP.EXE and
// in its working directory, files in use or write-protected, a damaged compressed file.
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
    DWORD Run(const std::string& program, const std::string& directory = "", const std::string& mode = "/VERYSILENT")
    {
        SetupRun setup(program, "\"" + program + "\" " + mode + " /DIR=" + kDestination + " /LOG=" + kLog, directory);
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

// In use (held open by a service, or loaded as the point-of-sale application holds its service
// object), the new version replaces the installed one at the next restart, which the exit code
// asks for (3010 unless /RESTARTEXITCODE says otherwise), whether the progress shows or not; the
// same version in use is left alone. Write-protected, the installed shared library stays and the
// run reports a failure. After the restart the record holds the service object as it is then.
TEST_F(Hardening, FilesThatCannotBeReplacedNow)
{
    const std::string library = SystemFile("MFC42.DLL"), service = std::string(kDestination) + "CARDSO.DLL";
    const std::string waits = "in use, replaced at the next restart";
    enum How { HeldOpen, WriteProtected, Loaded, LoadedSameVersion, LoadedRemovedFirst };
    const struct { const char* mode; How how; DWORD code; std::string logged; } cases[] = {
        {"/SILENT", HeldOpen, 3010, "\nShared file MFC42.DLL: " + waits + " (0x1400)\r\n"},
        {"/VERYSILENT /RESTARTEXITCODE=0", HeldOpen, 0, "\nShared file MFC42.DLL: " + waits + " (0x1400)\r\n"},
        {"/VERYSILENT", WriteProtected, 1, "\nShared file MFC42.DLL: FAILED, not installed (0x40)\r\n"},
        {"/VERYSILENT", Loaded, 3010, "\nFile CARDSO.DL_: " + waits + " by " + service + ".QVXNEW\r\n"},
        {"/VERYSILENT", LoadedSameVersion, 0, "\nFile " + service + ": in use, and already this version\r\n"},
        {"/VERYSILENT", LoadedRemovedFirst, 3010, "\nFile CARDSO.DL_: " + waits + " by " + service + ".QVXNEW\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + ", case " + std::to_string(c.how));
        Clean();
        const std::string& file = c.how >= Loaded ? service : library;
        // The service object as installed, or version 1.0 of the library.
        // Removed first: installed from a distribution whose service object has an older time.
        const std::string older = std::string(kScratch) + "older\\", from = c.how == LoadedRemovedFirst ? older : Dist();
        FILETIME past = {0, 0x01D00000};
        HANDLE stamped = c.how == LoadedRemovedFirst && CopyTree(Dist(), older)
                             ? CreateFileA((older + "CARDSO.DL_").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        ASSERT_TRUE(c.how != LoadedRemovedFirst || (SetFileTime(stamped, nullptr, nullptr, &past) && CloseHandle(stamped)));
        ASSERT_TRUE(c.how >= Loaded ? Run(from + "SETUP.EXE") == 0
                                    : CopyFileA(TestDll("qvxver1.dll").c_str(), library.c_str(), FALSE) != FALSE) << log_;
        // Loaded: an older build, with other bytes, which loads still.
        ASSERT_TRUE(c.how != Loaded || std::ofstream(service, std::ios::binary | std::ios::app) << "older");
        const std::string old = Bytes(file);
        HANDLE held = c.how == HeldOpen ? CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                        : INVALID_HANDLE_VALUE;
        HMODULE loaded = c.how >= Loaded ? LoadLibraryExA(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES) : nullptr;
        ASSERT_TRUE(c.how == WriteProtected ? SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY) != FALSE
                                            : held != INVALID_HANDLE_VALUE || loaded != nullptr);
        DWORD code = Run(Dist() + "SETUP.EXE", "", c.mode);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (loaded != nullptr)
            FreeLibrary(loaded);

        EXPECT_EQ(code, c.code) << log_;
        EXPECT_TRUE(Logged(c.logged) && Logged("\nExit code " + std::to_string(c.code))) << log_;
        EXPECT_TRUE(Bytes(file) == old) << "replaced before the restart";
        const bool waiting = c.how == HeldOpen || c.how == Loaded || c.how == LoadedRemovedFirst;
        const std::string fresh = Bytes(c.how == Loaded || c.how == LoadedRemovedFirst ? service + ".QVXNEW" : kDestination + std::string("System\\MFC42.DLL"));
        char pending[4096] = {};
        DWORD size = sizeof pending;
        SHGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                    "PendingFileRenameOperations", nullptr, pending, &size);  // none: all zeros
        EXPECT_EQ(std::string(pending, size).find("!\\??\\" + file) != std::string::npos, waiting)
            << std::string(pending, size);
        if (c.how == LoadedRemovedFirst) {  // removed before the restart: the old file as well as the new one
            EXPECT_EQ(Run(std::string(kDestination) + "UNINST.EXE", "", "/UNINSTALL /VERYSILENT"), 0u);
            EXPECT_TRUE(WaitFor(60000, [] { return !Exists(kDestination); })) << Bytes(kLog);
            SetupRun(SystemFile("wineboot.exe"), "wineboot.exe -r").Exit();
            EXPECT_FALSE(Exists(kDestination)) << "the restart put a file back";
            continue;
        }
        SetupRun(SystemFile("wineboot.exe"), "wineboot.exe -r").Exit();
        EXPECT_TRUE(Bytes(file) == (waiting ? fresh : old) && !Exists(service + ".QVXNEW")) << "after the restart";
        ExpectInstalled(kDestination);
        SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (c.how == Loaded) {
            EXPECT_EQ(Run(std::string(kDestination) + "UNINST.EXE", "", "/UNINSTALL /VERYSILENT"), 0u);
            EXPECT_TRUE(WaitFor(60000, [] { return !Exists(kDestination); })) << Bytes(kLog);
        }
    }
    DeleteFileA(library.c_str());
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

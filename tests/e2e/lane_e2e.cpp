// Deployments to a working lane: a setup killed at a deployment tool's time-out.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

// Killed while README.DOC is being written, then removed by the entry's quiet command.
TEST(Lane, KilledInstallationIsRemovedWhole)
{
    Clean();
    const std::string program = BigDist() + "SETUP.EXE", place = std::string(kScratch) + "lane\\";
    {
        SetupRun setup(program, "\"" + program + "\" /SILENT /DIR=" + place);
        HWND progress = setup.WaitForWindow("#32770", kProgressCaption);
        ASSERT_TRUE(progress != nullptr && WaitFor(60000, [&] { return Exists(place + "README.DOC"); }));
        DWORD id = 0;
        GetWindowThreadProcessId(progress, &id);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        EXPECT_TRUE(TerminateProcess(process, 9) && WaitForSingleObject(process, 60000) == WAIT_OBJECT_0);
        CloseHandle(process);
    }
    ASSERT_LT(Bytes(place + "README.DOC").size(), 64u << 20) << "killed only after README.DOC was copied";
    std::string quiet = RegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                                       "QVXMSR", "QuietUninstallString");
    EXPECT_EQ(SetupRun(quiet.substr(1, quiet.find('"', 1) - 1), quiet + " /LOG=c:\\qvxlane.log").Exit(), 0u);
    EXPECT_TRUE(WaitFor(60000, [&] { return !Exists(place); })) << Bytes("c:\\qvxlane.log");
}

}  // namespace

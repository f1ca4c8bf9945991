// Unattended installations, run as a deployment tool runs them: SETUP.EXE /VERYSILENT (or
// /SILENT) with /DIR and /LOG, waited for; then its exit code, its log and what it left.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

const char kLog[] = "c:\\qvxsetup.log";

class Unattended : public testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        DeleteFileA(kLog);
    }

    // Runs program (the built one when empty) with the switches; the exit code. log_ holds the log.
    DWORD Run(const std::string& switches, std::string program = "", const std::string& directory = "",
              const std::string& typed = "", const std::string& log = kLog)
    {
        if (program.empty())
            program = Dist() + "SETUP.EXE";
        SetupRun setup(program, (typed.empty() ? "\"" + program + "\"" : typed) +
                                    (log == kLog ? std::string(" /LOG=") + kLog : "") + " " + switches, directory);
        DWORD code = setup.Exit();
        log_ = Bytes(log);
        return code;
    }
    bool Logged(const std::string& text) const { return log_.find(text) != std::string::npos; }
    bool LastLine(const std::string& line) const
    {
        std::string tail = "\n" + line + "\r\n";
        return log_.size() >= tail.size() && log_.compare(log_.size() - tail.size(), tail.size(), tail) == 0;
    }
    std::string log_;
};

// Where the files come from and go; each start installs everything, and logs every file.
struct Start {
    const char* name;
    std::string copyTo;  // the distribution is copied there and run from there; empty: as built
    std::string typed;   // how the command line names the program; empty: its full path, quoted
    std::string dir;     // the /DIR value; empty: none, the default destination
    std::string destination;
};

const std::string kDeep = std::string(kScratch) + std::string(70, 'd') + "\\" + std::string(70, 'd') + "\\";
// Five 44-character levels: 234 characters, where the registry script's escaped line once did not fit.
const std::string kDeepDestination = std::string(kScratch) + std::string(44, 'e') + "\\" + std::string(44, 'e') + "\\" +
                                     std::string(44, 'e') + "\\" + std::string(44, 'e') + "\\" + std::string(44, 'e');

const std::string kLongDestination = "c:\\QQQ\\" + std::string(197, 'Q') + "\\" + std::string(52, 'R');
const std::string kLongDir = "/VERYSILENT /DIR=" + kLongDestination;

inline bool WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(out << text);
}

const Start kStarts[] = {
    {"DefaultDestination", "", "", "", "c:\\OPOS\\QVX\\"},
    {"OtherDirectory", "", "", "c:\\qvxe2e\\other", "c:\\qvxe2e\\other\\"},
    // The files already in place count as copied: README.DOC keeps its bytes.
    {"IntoTheDistributionItself", "c:\\qvxe2e\\self\\", "", "c:\\qvxe2e\\self", "c:\\qvxe2e\\self\\"},
    // No directory in the program path: the files are beside the module, not at C:'s root.
    {"DriveRelativeProgramPath", "c:\\qvxe2e\\rel\\", "C:SETUP.EXE", "c:\\qvxe2e\\dest", "c:\\qvxe2e\\dest\\"},
    // Both paths longer than the 128 characters that OpenFile takes.
    {"DeepDistributionAndDestination", kDeep, "", kDeepDestination, kDeepDestination + "\\"},
};

void PrintTo(const Start& start, std::ostream* out) { *out << start.name; }

class Installs : public Unattended, public testing::WithParamInterface<Start> {};

TEST_P(Installs, EverythingAndExitsWithZero)
{
    const Start& start = GetParam();
    ASSERT_TRUE(start.copyTo.empty() || CopyTree(Dist(), start.copyTo));
    EXPECT_EQ(Run("/VERYSILENT" + (start.dir.empty() ? "" : " /DIR=" + start.dir),
                  start.copyTo.empty() ? "" : start.copyTo + "SETUP.EXE", start.copyTo, start.typed), 0u) << log_;
    ExpectInstalled(start.destination);
    size_t copied = 0;
    for (size_t at = log_.find(": copied to "); at != std::string::npos; at = log_.find(": copied to ", at + 1))
        ++copied;
    EXPECT_EQ(copied, 12u) << log_;
    EXPECT_TRUE(LastLine("Exit code 0")) << log_;
    EXPECT_EQ(ShellFolderWindows(), std::vector<std::string>{}) << "the run left the shell's windows open";
}

INSTANTIATE_TEST_SUITE_P(Starts, Installs, testing::ValuesIn(kStarts),
                         [](const testing::TestParamInfo<Start>& info) { return std::string(info.param.name); });

// Refused before anything is written.
TEST_F(Unattended, RefusedCommandLinesAndDestinationsInstallNothing)
{
    ASSERT_FALSE(Exists("q:\\")) << "this prefix has a drive Q:";
    const struct {
        const char* switches;
        DWORD code;
        const char* destination;
        const char* logged;
    } cases[] = {
        {"/VERYSILENT \"/DIR=c:\\a b\"", 3, "c:\\a b", "Bad command line: "},  // the path field takes no blank
        {"/VERYSILENT /BOGUS", 3, "c:\\OPOS", "Bad command line: /BOGUS"},
        {"/VERYSILENT /DIR=q:\\x", 2, "q:\\x", "Destination refused: nothing installed"},
        // A destination that is a file, and ones that would depend on the current directory (C:\).
        {"/VERYSILENT /DIR=c:\\qvxe2e\\afile", 2, "c:\\qvxe2e\\afile\\SAMPLE", "Destination refused: nothing installed"},
        {"/VERYSILENT /DIR=\\QVXROOT\\sub", 3, "c:\\QVXROOT", "Bad command line: /DIR=\\QVXROOT\\sub"},
        {"/VERYSILENT /DIR=QVXREL", 3, "c:\\QVXREL", "Bad command line: /DIR=QVXREL"},
        {"/VERYSILENT /DIR=c:QVXDR", 3, "c:\\QVXDR", "Bad command line: /DIR=c:QVXDR"},
        // Longer than the path field holds: its registry paths were once built from stack garbage.
        {kLongDir.c_str(), 3, kLongDestination.c_str(), "Bad command line: /DIR=c:\\QQQ"},
    };
    ASSERT_TRUE(CreateDirectoryA(kScratch, nullptr));
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, ("c:\\QQQ\\" + std::string(197, 'Q')).c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(WriteFileText("c:\\qvxe2e\\afile", "a user's file"));
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.switches);
        EXPECT_EQ(Run(refused.switches), refused.code) << log_;
        EXPECT_FALSE(Exists(refused.destination) || Exists("c:\\OPOS"));
        EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, "Service"), "(none)");
        EXPECT_EQ(StartMenuGroup(), "");
        EXPECT_TRUE(Logged(refused.logged)) << log_;
        EXPECT_TRUE(LastLine("Exit code " + std::to_string(refused.code))) << log_;
    }
    EXPECT_EQ(Bytes("c:\\qvxe2e\\afile"), "a user's file");
    EXPECT_TRUE(ShellFiles(FO_DELETE, "c:\\QQQ\\"));
}

// What deployment recipes pass: accepted, each logged; /NOICONS makes no group. A registry script
// that cannot be written counts as a failure. A bare /LOG goes to the temporary directory, and
// every message lands there with the answer taken.
TEST_F(Unattended, RecipeSwitchesAndFailuresThatCount)
{
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    const std::string log = std::string(temp) + "QVXSETUP.LOG";
    DeleteFileA(log.c_str());
    ASSERT_TRUE(SHCreateDirectoryExA(nullptr, "c:\\qvxe2e\\dest\\CARD.REG", nullptr) == ERROR_SUCCESS);
    EXPECT_EQ(Run("/SP- /VERYSILENT /SUPPRESSMSGBOXES /NORESTART /NOCANCEL /NOICONS /CLOSEAPPLICATIONS /LANG=en "
                  "/LOG /DIR=c:\\qvxe2e\\dest", "", "", "", log), 1u) << log_;
    for (const char* line : {"Switch /SP-: accepted, nothing to do here", "Switch /LANG: accepted, nothing to do here",
                             "Switch /NORESTART: accepted, nothing to do here", "Program group: none (/NOICONS)",
                             "Registry script c:\\qvxe2e\\dest\\CARD.REG: FAILED"})
        EXPECT_TRUE(Logged(std::string("\n") + line + "\r\n")) << line << "\n" << log_;
    EXPECT_EQ(StartMenuGroup(), "");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, "Service"), "c:\\qvxe2e\\dest\\CARDSO.DLL");
    EXPECT_TRUE(LastLine("Exit code 1")) << log_;
    DeleteFileA(log.c_str());
}

// Without /SILENT a /DIR is what the dialog offers, drive and all (the field shows lower case);
// "Exit Setup" then leaves nothing behind.
TEST_F(Unattended, InteractiveRunOffersTheDirAndExitSetupInstallsNothing)
{
    const std::string program = Dist() + "SETUP.EXE";
    SetupRun setup(program, "\"" + program + "\" /DIR=D:\\POS\\QVX /LOG=" + kLog);
    HWND dialog = setup.WaitForWindow("#32770", kDestinationCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitFor(10000, [&] { return Text(GetDlgItem(dialog, 100)) == "d:\\pos\\qvx"; }))
        << Text(GetDlgItem(dialog, 100));
    Click(dialog, IDCANCEL);
    EXPECT_EQ(setup.Exit(), 0u);
    log_ = Bytes(kLog);
    EXPECT_TRUE(Logged("\nDestination refused: nothing installed\r\n")) << log_;
    EXPECT_FALSE(Exists("D:\\POS") || Exists("c:\\OPOS"));
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, nullptr), "(none)");
    EXPECT_EQ(StartMenuGroup(), "");
}

TEST_F(Unattended, MissingDistributionFileIsLoggedAndTheRestInstalled)
{
    const std::string dist = std::string(kScratch) + "missing\\";
    ASSERT_TRUE(CopyTree(Dist(), dist));
    ASSERT_TRUE(DeleteFileA((dist + "CARD.DA_").c_str()));
    EXPECT_EQ(Run("/VERYSILENT /DIR=c:\\qvxe2e\\dest", dist + "SETUP.EXE"), 1u) << log_;
    EXPECT_TRUE(Logged("\nFile CARD.DA_: FAILED\r\nMessage: Unable to copy file [CARD.DA_].  Attempt to manually "
                       "copy the file, setup will continue. -> OK (unattended)\r\n")) << log_;
    ExpectInstalled("c:\\qvxe2e\\dest\\", "CARD.DA_");
}

// /SILENT: the progress dialog alone, centred on the screen; its Cancel ends the run at once,
// without the question.
TEST_F(Unattended, SilentCancelFromTheProgressDialog)
{
    const std::string program = BigDist() + "SETUP.EXE";
    SetupRun setup(program, "\"" + program + "\" /SILENT /DIR=c:\\qvxe2e\\dest /LOG=" + kLog);
    HWND progress = setup.WaitForWindow("#32770", kProgressCaption);
    ASSERT_NE(progress, nullptr);
    Click(progress, IDCANCEL);
    EXPECT_EQ(GetWindow(progress, GW_OWNER), nullptr);
    EXPECT_TRUE(setup.Windows("QVXSETUP", kTitle).empty()) << "the title window shows";
    RECT shown;
    GetWindowRect(progress, &shown);
    EXPECT_NEAR(shown.left + shown.right, GetSystemMetrics(SM_CXSCREEN), 2);
    EXPECT_EQ(setup.Exit(), 4u);
    log_ = Bytes(kLog);
    EXPECT_TRUE(Logged("\nCancelled by the user\r\n")) << log_;
    EXPECT_TRUE(LastLine("Exit code 4")) << log_;
    EXPECT_FALSE(Exists("c:\\qvxe2e\\dest\\SAMPLE")) << "files after the cancel were copied";
    EXPECT_EQ(StartMenuGroup(), "");
}

// /NOCANCEL: the Cancel button is disabled, and what Escape would send changes nothing.
TEST_F(Unattended, NoCancelRunsToItsEnd)
{
    const std::string program = BigDist() + "SETUP.EXE";
    SetupRun setup(program, "\"" + program + "\" /SILENT /NOCANCEL /DIR=c:\\qvxe2e\\dest /LOG=" + kLog);
    HWND progress = setup.WaitForWindow("#32770", kProgressCaption);
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(progress, IDCANCEL)));
    EXPECT_TRUE(PostMessageA(progress, WM_COMMAND, IDCANCEL, 0));
    EXPECT_EQ(setup.Exit(), 0u);
    log_ = Bytes(kLog);
    EXPECT_FALSE(Logged("Cancelled")) << log_;
    EXPECT_TRUE(Exists("c:\\qvxe2e\\dest\\SAMPLE\\VB40032.DLL"));
}

}  // namespace

// Installations off the straight path, driven as a user drives them: the destination dialog
// left or accepted by its keys, destinations that the checks question or refuse, a copy
// cancelled half way, a distribution with files missing, and starts from other directories.
// Each test checks every box the run showed (text, owner, style), its exit code, and what it
// left in the file system, the registry and the Start Menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sample/card_ids.h"
#include "tests/e2e/scenario.h"

using namespace e2e;

namespace {

const size_t kFifthProductFile = 4;
const char kGroupItem[] = "Sample MSR Test Program.lnk";

const char kBadDrive[] =
    "The specified destination drive is invalid.\nPlease specify another drive.";
const char kLowSpace[] =
    "The specified destination drive does not have enough free disk space.  The full installation "
    "of OLE for Point of Sale requires %ld KBytes of disk space and drive %c: only has %ld KBytes "
    "free.\n\nDo you wish to attempt installation anyway?";
const char kConfirmCancel[] = "Exit setup, Are you sure?";
const char kLoadFailed[] = "Unable to load the library";

const UINT kInformation = MB_OK | MB_ICONINFORMATION;
const UINT kQuestion = MB_YESNO | MB_ICONQUESTION;


std::string CopyFailure(const std::string& listed)
{
    return "Unable to copy file [" + listed + "].  Attempt to manually copy the file, setup will continue.";
}


std::vector<std::string> Texts(const std::vector<BoxRecord>& boxes)
{
    std::vector<std::string> texts;
    for (const auto& box : boxes)
        texts.push_back(box.info.text);
    return texts;
}

void ExpectBox(const BoxRecord& box, OwnerRole owner, UINT style)
{
    SCOPED_TRACE(Describe(box));
    EXPECT_EQ(box.info.caption, kTitle);
    EXPECT_EQ(box.ownerRole, owner) << OwnerRoleName(box.ownerRole);
    EXPECT_EQ(box.info.style, style) << StyleName(box.info.style);
    EXPECT_FALSE(box.info.ownerEnabled) << "the owner stays usable while the box is up";
}



// A product file as installed: expanded under its full name, with the stored file's times.
void ExpectProductFile(const std::string& runFrom, const std::string& destination, const ListedFile& file)
{
    SCOPED_TRACE(file.listed);
    std::string expected;
    ASSERT_TRUE(ExpandedBytes(runFrom + file.listed, &expected));
    EXPECT_TRUE(SameBytes(expected, destination + file.installed));
    EXPECT_TRUE(SameWriteTime(runFrom + file.listed, destination + file.installed));
}

// Everything a finished run leaves, apart from the files of the distribution named in missing
// (by their listed names), which must be absent.
void ExpectInstalled(const std::string& runFrom, const std::string& destination,
                     const std::set<std::string>& missing = {})
{
    for (const auto& file : kProductFiles) {
        if (missing.count(file.listed) != 0)
            EXPECT_FALSE(FileExists(destination + file.installed)) << file.installed;
        else
            ExpectProductFile(runFrom, destination, file);
    }
    for (const auto& file : kSharedFiles) {
        SCOPED_TRACE(file.listed);
        std::string staged = destination + "System\\" + file.installed;
        if (missing.count(file.listed) != 0) {
            EXPECT_FALSE(FileExists(staged));
            continue;
        }
        std::string expected;
        ASSERT_TRUE(ExpandedBytes(runFrom + file.listed, &expected));
        EXPECT_TRUE(SameBytes(expected, staged));
    }
    ExpectRegistered(destination);
}

bool RemoveTree(const std::string& directory)  // ends with '\'
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(directory + name + "\\");
            else
                DeleteFileA((directory + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(directory.c_str()) != 0;
}

// The tests share one throw-away prefix; a test that looks for the program group, or for its
// absence, first removes what an earlier run made.
void RemoveProgramGroup()
{
    std::string folder = StartMenuEntry(kGroup, "");
    if (!folder.empty()) {
        EXPECT_TRUE(RemoveTree(folder + "\\")) << folder;
    }
}

size_t TemporaryFileCount()
{
    return FilesMatching(TempDirectory(), "QVX*.tmp").size();
}

// Waits until the progress dialog says it copies the listed file, then clicks its Cancel.
void CancelWhileCopying(SetupProcess& setup, const char* listed)
{
    HWND progress = setup.WaitForWindow(kDialogClass, kProgressCaption, 60000);
    ASSERT_NE(progress, nullptr) << "no progress dialog";
    HWND copying = GetDlgItem(progress, 104);
    bool seen = false;
    for (DWORD start = GetTickCount(); !seen && GetTickCount() - start < 120000 && setup.running();) {
        seen = ControlText(copying) == listed;
        if (!seen)
            Sleep(5);
    }
    ASSERT_TRUE(seen) << "\"Copying:\" never read " << listed;
    EXPECT_TRUE(ClickButton(progress, IDCANCEL));
}

// A tmpfs volume of a few bytes, mapped as a drive of this Wine prefix by scripts/small-drive.sh,
// which Wine runs as a Unix program. The script keeps the drive while a hold file exists and
// unmaps and unmounts it once the file is gone (or the throw-away prefix with it).
class SmallDrive {
public:
    SmallDrive(char letter, long bytes) : root_(std::string(1, letter) + ":\\")
    {
        char prefix[MAX_PATH] = {};
        DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
        std::string source = __FILE__;
        size_t tests = source.rfind("tests/e2e/");
        if (length == 0 || length >= sizeof prefix || tests == std::string::npos || source[0] != '/') {
            why_ = "the Wine prefix or the source tree is not known here";
            return;
        }
        std::string unixPrefix = prefix;
        if (unixPrefix.find_first_of(" \"'") != std::string::npos) {
            why_ = "the prefix path " + unixPrefix + " needs quoting";
            return;
        }
        if (GetFileAttributesA(root_.c_str()) != INVALID_FILE_ATTRIBUTES) {
            why_ = "drive " + root_ + " is already mapped";
            return;
        }
        std::string hold = unixPrefix + "/qvx-small-drive.hold";
        hold_ = WindowsPath(hold);
        HANDLE file = CreateFileA(hold_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            why_ = "cannot create " + hold_;
            return;
        }
        CloseHandle(file);

        // Bounded: ten minutes at most, should the test never let go.
        std::string commandLine =
            "/usr/bin/env PATH=/usr/sbin:/usr/bin:/sbin:/bin /bin/sh " + source.substr(0, tests) +
            "scripts/small-drive.sh " + unixPrefix + " " + letter + " " + std::to_string(bytes) +
            " /bin/sh -c \"n=0; while [ -e " + hold + " ] && [ $n -lt 3000 ]; do sleep 0.2; n=$((n+1)); done\"";
        std::vector<char> writable(commandLine.begin(), commandLine.end());
        writable.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA("Z:\\usr\\bin\\env", writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info)) {
            why_ = "Wine did not start the script: error " + std::to_string(GetLastError());
            DeleteFileA(hold_.c_str());
            return;
        }
        // Wine may hand back no handles for a Unix program.
        if (info.hThread != nullptr)
            CloseHandle(info.hThread);
        if (info.hProcess != nullptr)
            CloseHandle(info.hProcess);
        ULARGE_INTEGER available;
        for (DWORD start = GetTickCount(); !mapped_ && GetTickCount() - start < 15000; Sleep(100))
            mapped_ = GetDiskFreeSpaceExA(root_.c_str(), &available, nullptr, nullptr) != 0;
        if (!mapped_)
            why_ = "no drive " + root_ + " appeared: mounting a tmpfs needs root (see the script's output)";
    }

    ~SmallDrive()
    {
        if (hold_.empty())
            return;
        DeleteFileA(hold_.c_str());
        if (!mapped_)
            return;
        bool gone = false;
        for (DWORD start = GetTickCount(); !gone && GetTickCount() - start < 10000; Sleep(100))
            gone = GetFileAttributesA(root_.c_str()) == INVALID_FILE_ATTRIBUTES;
        EXPECT_TRUE(gone) << "drive " << root_ << " is still mapped";
    }

    SmallDrive(const SmallDrive&) = delete;
    SmallDrive& operator=(const SmallDrive&) = delete;

    bool mapped() const { return mapped_; }
    const std::string& why() const { return why_; }

private:
    std::string root_;
    std::string hold_;   // Windows path of the hold file
    std::string why_;    // why there is no drive
    bool mapped_ = false;
};

class Scenario : public testing::Test {
protected:
    void SetUp() override
    {
        if (DistDirectory().empty())
            GTEST_SKIP() << "no distribution was built (--dist= not given)";
    }

    // Starts SETUP.EXE from a fresh copy of the distribution in C:\QVXDIST\, as a user starts it
    // there, and returns its destination dialog.
    HWND Start()
    {
        runFrom_ = "C:\\QVXDIST\\";
        if (!CopyTree(DistDirectory(), runFrom_)) {
            ADD_FAILURE() << "could not copy the distribution to " << runFrom_;
            return nullptr;
        }
        LaunchOptions launch;
        launch.application = runFrom_ + "SETUP.EXE";
        launch.workingDirectory = runFrom_;
        setup_ = std::make_unique<SetupProcess>(launch);
        if (!setup_->started()) {
            ADD_FAILURE() << "cannot start " << launch.application << ": error " << setup_->startError();
            return nullptr;
        }
        HWND dialog = setup_->WaitForWindow(kDialogClass, kDestinationCaption, 60000);
        if (dialog == nullptr)
            ADD_FAILURE() << "no \"Enter Path\" dialog\n" << Describe(setup_->Boxes());
        return dialog;
    }

    // Types the path key by key into the emptied field and presses "OK".
    static void Enter(HWND dialog, const std::string& path)
    {
        HWND field = GetDlgItem(dialog, 100);
        EXPECT_TRUE(SetControlText(field, ""));
        EXPECT_TRUE(TypeCharacters(field, path));
        EXPECT_TRUE(ClickButton(dialog, IDOK));
    }

    // Once the boxes so far are answered and gone, the destination dialog is still up, holding
    // the path, and nothing was installed.
    void ExpectDialogStaysOpen(HWND dialog, size_t boxes, const std::string& path)
    {
        ASSERT_TRUE(setup_->WaitForBoxes(boxes, 60000)) << Describe(setup_->Boxes());
        ASSERT_TRUE(setup_->WaitForWindowGone(kDialogClass, kTitle, 10000));
        Sleep(500);  // a dialog that was about to end has done so
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(ControlText(GetDlgItem(dialog, 100)), path);
        EXPECT_TRUE(setup_->TopWindows(kDialogClass, kProgressCaption).empty());
        EXPECT_EQ(setup_->Boxes().size(), boxes) << Describe(setup_->Boxes());
    }

    std::string runFrom_;
    std::unique_ptr<SetupProcess> setup_;
};

// Escape in the path field ends the setup as "Exit Setup" does: nothing written anywhere.
TEST_F(Scenario, EscapeInThePathFieldLeavesTheMachineAsItWas)
{
    const std::string destination = "c:\\opos\\";
    ASSERT_FALSE(DirectoryExists(destination));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDeviceKey);  // it holds values only
    // A finished run removes this key: it must survive.
    HKEY classes;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "OPOS", &classes), ERROR_SUCCESS);
    RegCloseKey(classes);
    std::vector<bool> serversBefore;
    for (const auto& server : kServers)
        serversBefore.push_back(RegistryKeyExists(HKEY_CLASSES_ROOT, std::string("CLSID\\") + server.clsid));
    bool groupBefore = !StartMenuEntry(kGroup, "").empty();
    size_t temporaries = TemporaryFileCount();

    HWND dialog = Start();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PressKey(GetDlgItem(dialog, 100), VK_ESCAPE));
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(setup_->WaitForExit(30000, &code));

    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(setup_->Boxes().empty()) << Describe(setup_->Boxes());
    for (const auto& seen : setup_->WindowsSeen())
        EXPECT_NE(seen.caption, kProgressCaption);
    EXPECT_FALSE(DirectoryExists(destination));
    EXPECT_EQ(TemporaryFileCount(), temporaries);
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kDeviceKey));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, "OPOS"));
    for (size_t i = 0; i < serversBefore.size(); ++i)
        EXPECT_EQ(RegistryKeyExists(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kServers[i].clsid),
                  serversBefore[i])
            << kServers[i].file;
    EXPECT_EQ(!StartMenuEntry(kGroup, "").empty(), groupBefore);
}

// The field keeps only path characters, in lower case; Enter in it acts as "OK".
TEST_F(Scenario, TypedPathAndEnterInstallIntoTheFilteredDirectory)
{
    const std::string destination = "c:\\oposdirxy\\qvx\\";
    ASSERT_FALSE(DirectoryExists("c:\\oposdirxy"));
    RemoveProgramGroup();
    InstallOptions options;
    options.destination = "C:\\Opos Dir/x.y\\QVX";
    options.pressEnter = true;

    InstallResult run = RunInstallation(options);
    ASSERT_TRUE(run.dialogShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.typedPath, "c:\\oposdirxy\\qvx");

    ASSERT_EQ(Texts(run.boxes), (std::vector<std::string>{kCreateQuestion, kCompletionMessage}))
        << Describe(run.boxes);
    ExpectBox(run.boxes[0], OwnerRole::Main, kQuestion);
    EXPECT_EQ(run.boxes[0].answer, IDYES);
    ExpectBox(run.boxes[1], OwnerRole::Main, kInformation);
    ExpectInstalled(run.runFrom, destination);
    EXPECT_FALSE(StartMenuEntry(kGroup, kGroupItem).empty());
}

// A file where the directory should be passes the existence check unasked; then nothing can be
// written below it, and every file says so, as does the registration of the two servers.
TEST_F(Scenario, FileNamedLikeTheDestinationFailsEveryCopyAndTheRunStillEnds)
{
    const std::string blocker = "c:\\qvxfile";
    const std::string contents = "a file, not a directory";
    {
        FILE* file = std::fopen(blocker.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(contents.data(), 1, contents.size(), file);
        std::fclose(file);
    }
    InstallOptions options;
    options.destination = blocker;
    options.timeout = 600000;

    InstallResult run = RunInstallation(options);
    ASSERT_TRUE(run.dialogShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    std::printf("run with %zu boxes took %lu ms\n", run.boxes.size(),
                static_cast<unsigned long>(run.milliseconds));

    std::vector<std::string> expected;
    for (const auto& file : kSharedFiles)
        expected.push_back(CopyFailure(file.listed));
    for (const auto& file : kProductFiles)
        expected.push_back(CopyFailure(file.listed));
    expected.push_back(kLoadFailed);  // CARD.OCX
    expected.push_back(kLoadFailed);  // CARDSO.DLL
    expected.push_back(kCompletionMessage);
    ASSERT_EQ(Texts(run.boxes), expected) << Describe(run.boxes);
    const size_t copies = std::size(kSharedFiles) + std::size(kProductFiles);
    for (size_t i = 0; i < copies; ++i)
        ExpectBox(run.boxes[i], OwnerRole::Progress, kInformation);
    ExpectBox(run.boxes[copies], OwnerRole::Main, MB_OK | MB_ICONEXCLAMATION);
    ExpectBox(run.boxes[copies + 1], OwnerRole::Main, MB_OK | MB_ICONEXCLAMATION);
    ExpectBox(run.boxes.back(), OwnerRole::Main, kInformation);

    EXPECT_TRUE(FileExists(blocker));
    EXPECT_TRUE(SameBytes(contents, blocker));
    // The device entry is written regardless and names the path as entered.
    std::string service;
    EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, "Service", &service));
    EXPECT_EQ(service, blocker + "\\CARDSO.DLL");
}

// A drive that cannot be read: string 34 over the dialog, which stays; a good path then
// installs.
TEST_F(Scenario, UnreadableDriveIsRefusedAndAnotherPathInstalls)
{
    ASSERT_EQ(GetFileAttributesA("q:\\"), INVALID_FILE_ATTRIBUTES) << "this prefix has a drive Q:";
    const std::string good = "c:\\qvxgood\\";
    HWND dialog = Start();
    ASSERT_NE(dialog, nullptr);
    setup_->AnswerBox(kCreateQuestion, IDYES, -1);
    setup_->AnswerBox(kBadDrive, IDOK);

    // q:\opos does not exist either, so the creation question comes first.
    Enter(dialog, "q:\\opos");
    ExpectDialogStaysOpen(dialog, 2, "q:\\opos");
    Enter(dialog, "c:\\qvxgood");
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(setup_->WaitForExit(300000, &code));
    EXPECT_EQ(code, 0u);

    std::vector<BoxRecord> boxes = setup_->Boxes();
    ASSERT_EQ(Texts(boxes),
              (std::vector<std::string>{kCreateQuestion, kBadDrive, kCreateQuestion, kCompletionMessage}))
        << Describe(boxes);
    ExpectBox(boxes[0], OwnerRole::Main, kQuestion);
    ExpectBox(boxes[1], OwnerRole::Destination, kInformation);
    ExpectBox(boxes[2], OwnerRole::Main, kQuestion);
    ExpectBox(boxes[3], OwnerRole::Main, kInformation);
    ExpectInstalled(runFrom_, good);
}

// Too little room: string 35 over the dialog with the real figures; its default button is No,
// which keeps the dialog open.
TEST_F(Scenario, SmallDriveAsksWithItsFreeSpaceAndNoKeepsTheDialog)
{
    SmallDrive drive('m', 1500000);
    if (!drive.mapped())
        GTEST_SKIP() << "no small drive: " << drive.why();
    HWND dialog = Start();
    ASSERT_NE(dialog, nullptr);
    setup_->AnswerBox(kCreateQuestion, IDYES);
    // The question about the space gets no scripted answer: the driver presses its default
    // button, which is what Enter does.

    Enter(dialog, "m:\\opos");
    ExpectDialogStaysOpen(dialog, 2, "m:\\opos");
    ULARGE_INTEGER available, total;
    ASSERT_TRUE(GetDiskFreeSpaceExA("m:\\", &available, &total, nullptr));
    ASSERT_LT(available.QuadPart, 2675000u);
    ASSERT_TRUE(ClickButton(dialog, IDCANCEL));
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(setup_->WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);

    std::vector<BoxRecord> boxes = setup_->Boxes();
    ASSERT_EQ(boxes.size(), 2u) << Describe(boxes);
    EXPECT_EQ(boxes[0].info.text, kCreateQuestion);
    ExpectBox(boxes[0], OwnerRole::Main, kQuestion);
    long shownFree = static_cast<long>(std::max<ULONGLONG>(available.QuadPart, 1024) / 1024);
    char expected[512];
    std::snprintf(expected, sizeof expected, kLowSpace, 2612L, 'M', shownFree);
    EXPECT_EQ(boxes[1].info.text, expected);
    ExpectBox(boxes[1], OwnerRole::Destination, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2);
    EXPECT_EQ(boxes[1].answer, IDNO);
    // The directory that the user agreed to create stays; nothing went into it.
    EXPECT_TRUE(DirectoryExists("m:\\opos"));
    EXPECT_TRUE(FilesMatching("m:\\opos\\", "*").empty());
    std::printf("drive M: had %lu KBytes free\n", static_cast<unsigned long>(shownFree));
}

// Cancel confirmed while the fifth product file is copied: that file completes, nothing after
// it is copied, no program group, but the device registration still runs.
TEST_F(Scenario, CancelConfirmedDuringTheFifthFileStopsAfterIt)
{
    const std::string destination = "c:\\qvxcancel\\";
    ASSERT_FALSE(DirectoryExists(destination));
    RemoveProgramGroup();
    size_t temporaries = TemporaryFileCount();
    InstallOptions options;
    options.destination = "c:\\qvxcancel";
    options.whileRunning = [](SetupProcess& setup) {
        setup.AnswerBox(kConfirmCancel, IDYES);
        CancelWhileCopying(setup, kProductFiles[kFifthProductFile].listed);
    };

    InstallResult run = RunInstallation(options);
    ASSERT_TRUE(run.dialogShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);

    ASSERT_EQ(Texts(run.boxes), (std::vector<std::string>{kCreateQuestion, kConfirmCancel}))
        << Describe(run.boxes);
    ExpectBox(run.boxes[1], OwnerRole::Progress, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(run.boxes[1].answer, IDYES);

    for (size_t i = 0; i < std::size(kProductFiles); ++i) {
        if (i <= kFifthProductFile)
            ExpectProductFile(run.runFrom, destination, kProductFiles[i]);
        else
            EXPECT_FALSE(FileExists(destination + kProductFiles[i].installed)) << kProductFiles[i].installed;
    }
    EXPECT_FALSE(DirectoryExists(destination + "SAMPLE"));
    for (const auto& file : kSharedFiles)
        EXPECT_TRUE(FileExists(destination + "System\\" + file.installed)) << file.installed;
    // CARD.OCX and CARDSO.DLL were copied before the cancel, so they register.
    ExpectRegistered(destination);
    EXPECT_TRUE(StartMenuEntry(kGroup, "").empty()) << "a program group was made";
    // The temporary name is still taken, though no file is copied there.
    EXPECT_EQ(TemporaryFileCount(), temporaries + 1);
}

// Cancel answered No: the installation carries on to its normal end.
TEST_F(Scenario, CancelAnsweredNoCarriesOn)
{
    const std::string destination = "c:\\qvxgoon\\";
    RemoveProgramGroup();
    InstallOptions options;
    options.destination = "c:\\qvxgoon";
    options.whileRunning = [](SetupProcess& setup) {
        setup.AnswerBox(kConfirmCancel, IDNO);
        CancelWhileCopying(setup, kProductFiles[kFifthProductFile].listed);
    };

    InstallResult run = RunInstallation(options);
    ASSERT_TRUE(run.dialogShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(Texts(run.boxes),
              (std::vector<std::string>{kCreateQuestion, kConfirmCancel, kCompletionMessage}))
        << Describe(run.boxes);
    ExpectBox(run.boxes[1], OwnerRole::Progress, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(run.boxes[1].answer, IDNO);
    ExpectInstalled(run.runFrom, destination);
    EXPECT_FALSE(StartMenuEntry(kGroup, kGroupItem).empty());
}

// Files missing from the distribution: one message each, from the progress dialog, and the
// rest is installed.
TEST_F(Scenario, MissingProductAndSystemFilesAreReportedAndSkipped)
{
    const std::string distribution = "C:\\QVXMISSING\\";
    const std::string destination = "c:\\qvxmissing\\dest\\";
    ASSERT_TRUE(CopyTree(DistDirectory(), distribution));
    for (const char* name : {"CARD.DA_", "MSVCRT.DL_"})
        ASSERT_TRUE(DeleteFileA((distribution + name).c_str())) << name;
    InstallOptions options;
    options.distribution = distribution;
    options.runFrom.clear();
    options.destination = "c:\\qvxmissing\\dest";

    InstallResult run = RunInstallation(options);
    ASSERT_TRUE(run.dialogShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    // System files come first.
    ASSERT_EQ(Texts(run.boxes), (std::vector<std::string>{kCreateQuestion, CopyFailure("MSVCRT.DL_"),
                                                           CopyFailure("CARD.DA_"), kCompletionMessage}))
        << Describe(run.boxes);
    ExpectBox(run.boxes[1], OwnerRole::Progress, kInformation);
    ExpectBox(run.boxes[2], OwnerRole::Progress, kInformation);
    ExpectInstalled(distribution, destination, {"CARD.DA_", "MSVCRT.DL_"});
}

// Started by a relative path from a subdirectory, and by its full path from the Windows
// directory: the setup finds its files beside itself either way.
TEST_F(Scenario, StartsFromOtherDirectoriesFindTheDistribution)
{
    const struct {
        const char* commandLine;
        const char* workingDirectory;
        const char* destination;
    } starts[] = {
        {"..\\SETUP.EXE", "C:\\QVXDIST\\SAMPLE\\", "c:\\qvxup\\dest"},
        {"C:\\QVXDIST\\SETUP.EXE", "C:\\windows\\", "c:\\qvxwin\\dest"},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(std::string(start.commandLine) + " in " + start.workingDirectory);
        InstallOptions options;
        options.commandLine = start.commandLine;
        options.workingDirectory = start.workingDirectory;
        options.destination = start.destination;
        InstallResult run = RunInstallation(options);
        ASSERT_TRUE(run.dialogShown);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(Texts(run.boxes), (std::vector<std::string>{kCreateQuestion, kCompletionMessage}))
            << Describe(run.boxes);
        ExpectInstalled(run.runFrom, std::string(start.destination) + "\\");
    }
}

}  // namespace

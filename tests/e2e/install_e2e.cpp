// Whole installations from the built distribution, run as a user runs them, and what they leave
// on the machine: files, file times, registry, the Start Menu group and the COM registrations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "sample/card_ids.h"
#include "tests/e2e/scenario.h"

using namespace e2e;

namespace {



std::string WindowsDrive()
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return Lower(std::string(1, windows[0]));
}

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}


class Installation : public testing::Test {
protected:
    void SetUp() override
    {
        if (DistDirectory().empty())
            GTEST_SKIP() << "no distribution was built (--dist= not given)";
    }
};

// "Exit Setup" at once: nothing is written anywhere.
TEST_F(Installation, ExitSetupLeavesTheMachineAsItWas)
{
    std::string destination = WindowsDrive() + ":\\opos\\qvx\\";
    bool existed = DirectoryExists(destination);
    bool keyExisted = RegistryKeyExists(HKEY_LOCAL_MACHINE, kDeviceKey);
    size_t temporaries = FilesMatching(TempDirectory(), "QVX*.tmp").size();

    LaunchOptions launch;
    launch.application = DistDirectory() + "SETUP.EXE";
    launch.workingDirectory = DistDirectory();
    SetupProcess setup(launch);
    ASSERT_TRUE(setup.started()) << "error " << setup.startError();
    HWND dialog = setup.WaitForWindow(kDialogClass, kDestinationCaption, 30000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickButton(dialog, IDCANCEL));
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(setup.WaitForExit(30000, &code));

    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(setup.Boxes().empty()) << Describe(setup.Boxes());
    EXPECT_EQ(DirectoryExists(destination), existed);
    EXPECT_EQ(RegistryKeyExists(HKEY_LOCAL_MACHINE, kDeviceKey), keyExisted);
    EXPECT_EQ(FilesMatching(TempDirectory(), "QVX*.tmp").size(), temporaries);
    for (const auto& seen : setup.WindowsSeen())
        EXPECT_NE(seen.caption, kProgressCaption);
}

// "No" to creating a missing directory: the dialog stays up with the path, nothing is created.
TEST_F(Installation, DecliningToCreateTheDirectoryKeepsAskingForAPath)
{
    const std::string missing = "c:\\qvxdeclined\\here";
    LaunchOptions launch;
    launch.application = DistDirectory() + "SETUP.EXE";
    launch.workingDirectory = DistDirectory();
    SetupProcess setup(launch);
    setup.AnswerBox(kCreateQuestion, IDNO);
    HWND dialog = setup.WaitForWindow(kDialogClass, kDestinationCaption, 30000);
    ASSERT_NE(dialog, nullptr);
    HWND field = GetDlgItem(dialog, 100);
    ASSERT_TRUE(SetControlText(field, missing));
    ASSERT_TRUE(ClickButton(dialog, IDOK));
    ASSERT_TRUE(setup.WaitForBoxes(1, 30000));
    // The box is gone once answered; the dialog is still there, holding the path.
    ASSERT_TRUE(setup.WaitForWindowGone(kDialogClass, kTitle, 10000));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(ControlText(field), missing);
    EXPECT_FALSE(DirectoryExists(missing));
    EXPECT_TRUE(setup.TopWindows(kDialogClass, kProgressCaption).empty());

    ASSERT_TRUE(ClickButton(dialog, IDCANCEL));
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(setup.WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
    std::vector<BoxRecord> boxes = setup.Boxes();
    ASSERT_EQ(boxes.size(), 1u) << Describe(boxes);
    EXPECT_EQ(boxes[0].info.text, kCreateQuestion);
    EXPECT_EQ(boxes[0].ownerRole, OwnerRole::Main) << Describe(boxes[0]);
    EXPECT_EQ(boxes[0].info.style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION)) << Describe(boxes[0]);
    EXPECT_EQ(boxes[0].answer, IDNO);
    EXPECT_FALSE(DirectoryExists(missing));
}

// Closing the title window while the files are copied does not stop the installation: the
// setup finishes it and ends with exit code 0.
TEST_F(Installation, ClosingTheTitleWindowWhileCopyingLetsTheInstallationFinish)
{
    const std::string destination = "c:\\qvxclosed\\";
    LaunchOptions launch;
    launch.application = DistDirectory() + "SETUP.EXE";
    launch.workingDirectory = DistDirectory();
    SetupProcess setup(launch);
    setup.AnswerBox(kCreateQuestion, IDYES);
    HWND dialog = setup.WaitForWindow(kDialogClass, kDestinationCaption, 30000);
    ASSERT_NE(dialog, nullptr);
    HWND main = GetWindow(dialog, GW_OWNER);
    ASSERT_TRUE(SetControlText(GetDlgItem(dialog, 100), destination));
    ASSERT_TRUE(ClickButton(dialog, IDOK));
    ASSERT_NE(setup.WaitForWindow(kDialogClass, kProgressCaption, 30000), nullptr);
    ASSERT_TRUE(PostMessageA(main, WM_CLOSE, 0, 0));

    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(setup.WaitForExit(120000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(IsWindow(main));
    for (const auto& file : kProductFiles)
        EXPECT_TRUE(FileExists(destination + file.installed)) << file.installed;
    std::string service;
    EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, "Service", &service));
    EXPECT_EQ(service, destination + "CARDSO.DLL");
    // Whatever came up on the way is in the log; it must have been only what the setup says.
    for (const auto& box : setup.Boxes()) {
        EXPECT_EQ(box.info.caption, kTitle);
        EXPECT_TRUE(box.info.text == kCreateQuestion || box.info.text == kCompletionMessage)
            << Describe(box);
    }
}

// The whole installation with the offered path, from a copy of the distribution on drive C:.
TEST_F(Installation, DefaultPathInstallsEverything)
{
    const std::string destination = WindowsDrive() + ":\\opos\\qvx\\";
    ASSERT_FALSE(DirectoryExists(destination)) << "left over from an earlier run: " << destination;
    // A successful run removes this key, whoever made it.
    HKEY classes;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "OPOS", &classes), ERROR_SUCCESS);
    RegCloseKey(classes);
    std::vector<std::string> temporariesBefore = FilesMatching(TempDirectory(), "QVX*.tmp");

    InstallResult run = RunInstallation();
    ASSERT_TRUE(run.dialogShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    std::printf("installation took %lu ms\n", static_cast<unsigned long>(run.milliseconds));

    EXPECT_EQ(run.defaultPath, WindowsDrive() + ":\\opos\\qvx");
    // Asked once whether to create the directory, told once that all is done: nothing else.
    ASSERT_EQ(run.boxes.size(), 2u) << Describe(run.boxes);
    const BoxRecord& question = run.boxes[0];
    EXPECT_EQ(question.info.caption, kTitle);
    EXPECT_EQ(question.info.text, kCreateQuestion);
    EXPECT_EQ(question.ownerRole, OwnerRole::Main) << Describe(question);
    EXPECT_EQ(question.info.style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION)) << Describe(question);
    EXPECT_TRUE(question.scripted);
    const BoxRecord& done = run.boxes[1];
    EXPECT_EQ(done.info.caption, kTitle);
    EXPECT_EQ(done.info.text, kCompletionMessage);
    EXPECT_EQ(done.ownerRole, OwnerRole::Main) << Describe(done);
    EXPECT_EQ(done.info.style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION)) << Describe(done);
    bool progressShown = false;
    for (const auto& seen : run.windows)
        progressShown = progressShown || (seen.className == kDialogClass && seen.caption == kProgressCaption);
    EXPECT_TRUE(progressShown);

    // Product files: expanded under their full names, with the stored files' times.
    for (const auto& file : kProductFiles) {
        SCOPED_TRACE(file.listed);
        std::string source = run.runFrom + file.listed;
        std::string target = destination + file.installed;
        std::string expected;
        ASSERT_TRUE(ExpandedBytes(source, &expected));
        EXPECT_TRUE(SameBytes(expected, target));
        EXPECT_TRUE(SameWriteTime(source, target));
    }
    // Shared libraries: expanded into the staging directory; the one that the system lacks is
    // installed into it.
    for (const auto& file : kSharedFiles) {
        SCOPED_TRACE(file.listed);
        std::string expected;
        ASSERT_TRUE(ExpandedBytes(run.runFrom + file.listed, &expected));
        EXPECT_TRUE(SameBytes(expected, destination + "System\\" + file.installed));
        if (std::string(file.installed) == "MFC42.DLL") {
            EXPECT_TRUE(SameBytes(expected, SystemDirectory() + file.installed));
        }
    }

    // One empty temporary file per run that got past the destination dialog.
    std::vector<std::string> temporaries = FilesMatching(TempDirectory(), "QVX*.tmp");
    std::vector<std::string> added;
    for (const auto& name : temporaries)
        if (!Contains(temporariesBefore, name))
            added.push_back(name);
    ASSERT_EQ(added.size(), 1u);
    std::string empty;
    EXPECT_TRUE(SameBytes(empty, TempDirectory() + added[0]));

    // The device entry, in the registry and as the script beside the files, and both COM
    // servers registered from the destination directory.
    ExpectRegistered(destination);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, "OPOS"));
    std::string clsid;
    EXPECT_TRUE(ReadRegistryString(HKEY_CLASSES_ROOT, "QVXSO.QVXMSR\\CLSID", "", &clsid));
    EXPECT_EQ(clsid, QVX_SERVICE_CLSID_TEXT);

    // The program group, through the shell's Program Manager server.
    EXPECT_FALSE(StartMenuEntry(kGroup, "").empty()) << "no Start Menu folder \"" << kGroup << "\"";
    // The documentation item is not looked for: Wine's server refuses an item whose command
    // line ("wordpad.exe " and the document) is not the path of a program.
    EXPECT_FALSE(StartMenuEntry(kGroup, "Sample MSR Test Program.lnk").empty());
}

// Started by a relative path from another directory, the setup still finds its files beside
// itself; the destination is typed key by key, and the field keeps only path characters.
TEST_F(Installation, RelativeStartAndTypedDestination)
{
    InstallOptions options;
    options.commandLine = "SETUP.EXE";
    options.workingDirectory = "C:\\";
    options.destination = "C:\\Qvx Rel.\\Dest";
    const std::string destination = "c:\\qvxrel\\dest\\";
    ASSERT_FALSE(DirectoryExists(destination));

    InstallResult run = RunInstallation(options);
    ASSERT_TRUE(run.dialogShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.typedPath, "c:\\qvxrel\\dest");

    ASSERT_EQ(run.boxes.size(), 2u) << Describe(run.boxes);
    EXPECT_EQ(run.boxes[0].info.text, kCreateQuestion);
    EXPECT_EQ(run.boxes[1].info.text, kCompletionMessage);
    for (const auto& file : kProductFiles) {
        SCOPED_TRACE(file.listed);
        std::string expected;
        ASSERT_TRUE(ExpandedBytes(run.runFrom + file.listed, &expected));
        EXPECT_TRUE(SameBytes(expected, destination + file.installed));
    }
    std::string service;
    EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kDeviceKey, "Service", &service));
    EXPECT_EQ(service, destination + "CARDSO.DLL");
    EXPECT_TRUE(SameBytes(ExpectedScript(destination), destination + "CARD.REG"));
}

}  // namespace

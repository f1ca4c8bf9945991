// The dialogs of an interactive installation, driven from outside as a user drives them.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

const char kCreateQuestion[] = "The specified directory does not exist.\nDo you want to create the directory?";

// Whether lower is below window in the order of top-level windows.
bool Below(HWND window, HWND lower)
{
    while (window != nullptr && window != lower)
        window = GetWindow(window, GW_HWNDNEXT);
    return window != nullptr;
}

class Dialogs : public testing::Test {
protected:
    void SetUp() override { Clean(); }
};

// Title window, "Enter Path" (a path typed, "Yes" to create it), and the completion message in
// front of every other window: the shell may have opened the group's folder over the title.
TEST_F(Dialogs, TypedPathInstallsAndTheCompletionMessageIsInFront)
{
    SetupRun setup(Dist() + "SETUP.EXE");
    HWND title = setup.WaitForWindow("QVXSETUP", kTitle);
    HWND dialog = setup.WaitForWindow("#32770", kDestinationCaption);
    ASSERT_TRUE(title != nullptr && dialog != nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), title);

    // A second install command, then the keys: once the keys are in, the command before them
    // has been handled too, and it must not have opened a second dialog.
    HWND field = GetDlgItem(dialog, 100);
    DWORD_PTR result;
    ASSERT_TRUE(SendMessageTimeoutA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG,
                                    5000, &result));
    ASSERT_TRUE(PostMessageA(title, WM_COMMAND, 100, 0));
    for (char c : std::string("C:\\Qvx E2E\\.UI"))  // blank and dot do not pass the field
        PostMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_TRUE(WaitFor(30000, [&] { return Text(field) == "c:\\qvxe2e\\ui"; })) << Text(field);
    ASSERT_EQ(setup.Windows("#32770", kDestinationCaption).size(), 1u);

    Click(dialog, IDOK);
    HWND question = setup.WaitForBox(kCreateQuestion);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(GetWindow(question, GW_OWNER), title);
    // The shell may open the group's folder over the title window: a window of this process
    // stands in for it, in front from before the files are copied.
    HWND folder = CreateWindowExA(0, "STATIC", "Folder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                  nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(folder);
    // The display takes the activation in its own time: the folder must be in front first.
    ASSERT_TRUE(WaitFor(10000, [&] { return GetForegroundWindow() == folder; }));
    Click(question, IDYES);

    HWND done = setup.WaitForBox("Program installation is now complete.");
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(GetWindow(done, GW_OWNER), title);
    // The message and its owner come in front of the folder.
    auto inFront = [&] { return Below(done, folder) && Below(title, folder) && GetForegroundWindow() == done; };
    EXPECT_TRUE(WaitFor(10000, inFront)) << Below(done, folder) << Below(title, folder)
                                         << (GetForegroundWindow() == done);
    Click(done, IDOK);
    EXPECT_EQ(setup.Exit(), 0u);
    ExpectInstalled("c:\\qvxe2e\\ui\\");
}

// Closing the title window while the files are copied asks the progress dialog's question;
// "Yes" ends the run there.
TEST_F(Dialogs, ClosingTheTitleWindowWhileCopyingAsksToCancel)
{
    const std::string program = BigDist() + "SETUP.EXE";
    SetupRun setup(program);
    HWND title = setup.WaitForWindow("QVXSETUP", kTitle);
    HWND dialog = setup.WaitForWindow("#32770", kDestinationCaption);
    ASSERT_TRUE(title != nullptr && dialog != nullptr);
    Click(dialog, IDOK);  // the default destination
    HWND question = setup.WaitForBox(kCreateQuestion);
    ASSERT_NE(question, nullptr);
    Click(question, IDYES);

    HWND progress = setup.WaitForWindow("#32770", kProgressCaption);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(GetWindow(progress, GW_OWNER), title);
    ASSERT_TRUE(PostMessageA(title, WM_CLOSE, 0, 0));
    HWND cancel = setup.WaitForBox("Exit setup, Are you sure?");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(GetWindow(cancel, GW_OWNER), progress);
    Click(cancel, IDYES);
    // The servers are registered still; those not copied yet say that they cannot be loaded.
    WaitFor(60000, [&] {
        if (HWND failed = setup.FindBox("Unable to load the library"))
            Click(failed, IDOK);
        return setup.Ended();
    });
    EXPECT_EQ(setup.Exit(), 0u);
    EXPECT_FALSE(Exists("c:\\OPOS\\QVX\\SAMPLE")) << "files after the cancel were copied";
    EXPECT_EQ(StartMenuGroup(), "");
}

}  // namespace

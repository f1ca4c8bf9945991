// The title window as a user meets it: started by another process with any show flag, closed
// again, and the install command that only the program itself posts.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

const DWORD kStartTimeout = 30000;
const DWORD kExitTimeout = 30000;
// The install command is posted before the message loop starts, so a destination dialog that it
// opens is up at most this long after the title window shows.
const DWORD kDialogGrace = 3000;

class Shell : public testing::Test {
protected:
    // Starts SETUP.EXE and returns its title window once it is visible.
    HWND Start(int showCommand = -1)
    {
        LaunchOptions options;
        options.application = SetupPath();
        options.showCommand = showCommand;
        setup_ = std::make_unique<SetupProcess>(options);
        if (!setup_->started()) {
            ADD_FAILURE() << "cannot start " << SetupPath() << ": error " << setup_->startError();
            return nullptr;
        }
        HWND main = setup_->WaitForWindow(kMainClass, nullptr, kStartTimeout);
        shownAt_ = GetTickCount();
        if (main == nullptr)
            ADD_FAILURE() << "no visible \"" << kMainClass << "\" window within " << kStartTimeout << " ms";
        return main;
    }

    // The destination dialog that the install command opens, waiting out the grace period;
    // null when none came up.
    HWND DestinationDialog()
    {
        DWORD waited = GetTickCount() - shownAt_;
        DWORD rest = waited < kDialogGrace ? kDialogGrace - waited : 0;
        return setup_->WaitForWindow(kDialogClass, kDestinationCaption, rest);
    }

    // Leaves as a user would: "Exit Setup" when asked for the destination, otherwise by closing
    // the title window. Returns the exit code.
    DWORD Leave(HWND main)
    {
        if (HWND dialog = DestinationDialog())
            EXPECT_TRUE(ClickButton(dialog, IDCANCEL));
        else
            PostMessageA(main, WM_CLOSE, 0, 0);
        DWORD code = STILL_ACTIVE;
        setup_->WaitForExit(kExitTimeout, &code);
        return code;
    }

    std::unique_ptr<SetupProcess> setup_;
    DWORD shownAt_ = 0;
};

TEST_F(Shell, TitleWindowHasTheProductCaptionAndAnOverlappedFrame)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);

    char className[64] = {};
    GetClassNameA(main, className, sizeof className);
    EXPECT_STREQ(className, "QVXSETUP");
    char caption[128] = {};
    GetWindowTextA(main, caption, sizeof caption);
    EXPECT_STREQ(caption, "OLE for Point of Sale Setup");
    LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW) << std::hex << style;
    EXPECT_EQ(style & (WS_CHILD | WS_POPUP), 0) << std::hex << style;
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
    EXPECT_EQ(setup_->TopWindows(kMainClass, nullptr).size(), 1u);
    // The posted install command asks for the destination straight away, over the title.
    HWND dialog = DestinationDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);

    if (!ArtifactDirectory().empty()) {
        // A picture for people: the title painted, with the destination dialog over it.
        Sleep(500);
        CreateDirectoryA(ArtifactDirectory().c_str(), nullptr);
        EXPECT_TRUE(SaveScreenshot(ArtifactDirectory() + "title.bmp"));
    }
    EXPECT_EQ(Leave(main), 0u);
    EXPECT_TRUE(setup_->Boxes().empty()) << Describe(setup_->Boxes());
}

// Started minimised, hidden or with no flag at all, the title window fills the screen.
class ShowFlag : public Shell, public testing::WithParamInterface<int> {};

TEST_P(ShowFlag, TitleWindowIsMaximised)
{
    HWND main = Start(GetParam());
    ASSERT_NE(main, nullptr);
    DestinationDialog();  // once it is up, the title window has been placed for good

    EXPECT_TRUE(IsZoomed(main));
    EXPECT_FALSE(IsIconic(main));
    EXPECT_NE(GetWindowLongA(main, GWL_STYLE) & WS_MAXIMIZE, 0);
    RECT work, window;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(main, &window);
    EXPECT_LE(window.left, work.left);
    EXPECT_LE(window.top, work.top);
    EXPECT_GE(window.right, work.right);
    EXPECT_GE(window.bottom, work.bottom);

    EXPECT_EQ(Leave(main), 0u);
}

std::string ShowFlagName(const testing::TestParamInfo<int>& info)
{
    switch (info.param) {
    case -1: return "NotGiven";
    case SW_SHOWMINIMIZED: return "ShowMinimized";
    case SW_SHOWMINNOACTIVE: return "ShowMinNoActive";
    case SW_HIDE: return "Hide";
    }
    return "Flag" + std::to_string(info.param);
}

INSTANTIATE_TEST_SUITE_P(Start, ShowFlag,
                         testing::Values(-1, SW_SHOWMINIMIZED, SW_SHOWMINNOACTIVE, SW_HIDE),
                         ShowFlagName);

TEST_F(Shell, CaptionShowsIcon103OfTheProgram)
{
    HMODULE file = LoadLibraryExA(SetupPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    int small = GetSystemMetrics(SM_CXSMICON);
    HICON expected = static_cast<HICON>(LoadImageA(file, MAKEINTRESOURCEA(103), IMAGE_ICON, small, small, 0));
    IconPicture icon;
    ASSERT_TRUE(DrawIconPicture(expected, small, &icon));
    std::set<DWORD> colours;
    size_t opaque = 0;
    for (size_t i = 0; i < icon.rgb.size(); ++i)
        if (icon.opaque[i]) {
            ++opaque;
            colours.insert(icon.rgb[i]);
        }
    // Enough of a picture that it cannot match a plain stretch of caption by chance.
    ASSERT_GE(opaque, icon.rgb.size() / 3);
    ASSERT_GE(colours.size(), 3u);
    // Wine draws the platform's default icon in a caption whose class has none.
    IconPicture fallback;
    ASSERT_TRUE(DrawIconPicture(LoadIconA(nullptr, IDI_WINLOGO), small, &fallback));

    HWND main = Start();
    ASSERT_NE(main, nullptr);
    // The caption's system-menu icon is the class icon at the small size, near the top left.
    RECT caption = {0, 0, 8 * small, 3 * small};
    Pixels pixels;
    bool found = false;
    for (DWORD start = GetTickCount(); !found && GetTickCount() - start < 10000; Sleep(100))
        found = CaptureScreen(caption, &pixels) && ContainsPicture(pixels, icon);
    EXPECT_TRUE(found) << "icon 103 not seen in the title window's caption";
    EXPECT_FALSE(ContainsPicture(pixels, fallback));
    if (!found && !ArtifactDirectory().empty()) {
        CreateDirectoryA(ArtifactDirectory().c_str(), nullptr);
        SaveBitmap(ArtifactDirectory() + "caption.bmp", pixels);
    }

    EXPECT_EQ(Leave(main), 0u);
    DestroyIcon(expected);
    FreeLibrary(file);
}

TEST_F(Shell, ClosingTheTitleWindowEndsWithExitCodeZero)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    // The user cannot close the title window while the destination dialog disables it; a close
    // request still ends the program cleanly, taking the owned dialog with it.
    HWND dialog = DestinationDialog();
    ASSERT_NE(dialog, nullptr);

    ASSERT_TRUE(PostMessageA(main, WM_CLOSE, 0, 0));
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(setup_->WaitForExit(kExitTimeout, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(setup_->Boxes().empty()) << Describe(setup_->Boxes());
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(Shell, InstallCommandWithANotificationCodeStartsNothing)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND first = DestinationDialog();
    ASSERT_NE(first, nullptr);

    // The destination dialog's loop dispatches it to the title window; a second run of the
    // installation would open a second destination dialog at once.
    ASSERT_TRUE(PostMessageA(main, WM_COMMAND, MAKEWPARAM(100, 1), 0));
    Sleep(kDialogGrace);
    std::vector<HWND> dialogs = setup_->TopWindows(kDialogClass, kDestinationCaption);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs.front(), first);
    EXPECT_TRUE(setup_->TopWindows(kDialogClass, kProgressCaption).empty());

    EXPECT_EQ(Leave(main), 0u);
    std::set<HWND> destinationDialogs;
    for (const auto& seen : setup_->WindowsSeen())
        if (seen.caption == kDestinationCaption)
            destinationDialogs.insert(seen.window);
    EXPECT_LE(destinationDialogs.size(), 1u);
    EXPECT_TRUE(setup_->Boxes().empty()) << Describe(setup_->Boxes());
}

}  // namespace

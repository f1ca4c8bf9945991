#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "install/install.h"
#include "shell/screen.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"

static const char kTitle[] = "OLE for Point of Sale Setup";

// Windows are shared by the tests of a suite: without a window manager Wine takes seconds to
// withdraw a top-level window.
static HWND NewWindow(const char* name, int x, int y, int width, int height, DWORD style = WS_OVERLAPPEDWINDOW)
{
    return CreateWindowExA(0, "STATIC", name, style | WS_VISIBLE, x, y, width, height, nullptr, nullptr, nullptr,
                           nullptr);
}

class Messages : public ::testing::Test {
protected:
    static void SetUpTestSuite() { owner_ = NewWindow("owner", 50, 50, 400, 300); }
    static void TearDownTestSuite() { DestroyWindow(owner_); }
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        ASSERT_NE(owner_, nullptr);
        EnableWindow(owner_, TRUE);
    }
    static HWND owner_;
};
HWND Messages::owner_;

TEST_F(Messages, ShowMessageCaptionsTheBoxAndDisablesTheOwnerWhileUp)
{
    MessageBoxAnswerer boxes({IDRETRY});
    char text[] = "Some text of the caller's";
    std::strcpy(messageBuffer2, "gone");
    int answer = ShowMessage(owner_, text, MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION);
    EXPECT_EQ(answer, IDRETRY);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, kTitle);
    EXPECT_EQ(boxes.shown[0].text, text);
    EXPECT_EQ(boxes.shown[0].owner, owner_);
    EXPECT_FALSE(boxes.shown[0].ownerEnabled);
    EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION))
        << StyleName(boxes.shown[0].style);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_STREQ(messageBuffer2, kTitle);
}

TEST_F(Messages, ShowMessagePassesEveryAnswerBack)
{
    MessageBoxAnswerer boxes({IDYES, IDNO, IDIGNORE, IDABORT});
    EXPECT_EQ(ShowMessage(owner_, "a", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(ShowMessage(owner_, "b", MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(ShowMessage(owner_, "c", MB_ABORTRETRYIGNORE), IDIGNORE);
    EXPECT_EQ(ShowMessage(owner_, "d", MB_ABORTRETRYIGNORE), IDABORT);
    EXPECT_EQ(ShowMessage(owner_, "e", MB_OK | MB_ICONINFORMATION), IDOK);  // the default
    ASSERT_EQ(boxes.shown.size(), 5u);
    EXPECT_EQ(boxes.shown[1].style, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2))
        << StyleName(boxes.shown[1].style);
}

TEST_F(Messages, OwnerDisabledBeforeIsEnabledAfterwards)
{
    // As the main window is while the modal destination dialog runs.
    EnableWindow(owner_, FALSE);
    MessageBoxAnswerer boxes;
    ShowMessage(owner_, "text", MB_OK);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(boxes.shown[0].ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(Messages, ShowMessageIdLoadsTheTextIntoTheMessageBuffer)
{
    MessageBoxAnswerer boxes;
    EXPECT_EQ(ShowMessageId(owner_, 27, MB_OK | MB_ICONINFORMATION), IDOK);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Program installation is now complete.");
    EXPECT_EQ(boxes.shown[0].caption, kTitle);
    EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_STREQ(messageBuffer, "Program installation is now complete.");
    EXPECT_STREQ(messageBuffer2, kTitle);
}

static INT_PTR CALLBACK EndAtOnce(HWND dialog, UINT message, WPARAM, LPARAM parameter)
{
    if (message == WM_INITDIALOG) {
        EndDialog(dialog, parameter);
        return TRUE;
    }
    return FALSE;
}

TEST_F(Messages, ModalDialogResultAndFocusBackToTheOwner)
{
    SetFocus(nullptr);
    EXPECT_EQ(RunModalDialog(owner_, 101, EndAtOnce, 42), 42);
    EXPECT_EQ(GetFocus(), owner_);
    EXPECT_EQ(RunModalDialog(owner_, 999, EndAtOnce, 42), -1);  // no such template
}

// Placing a dialog: a pop-up owned by the reference window stands in for the dialog.
class Placement : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        owner_ = NewWindow("owner", 100, 80, 700, 500);
        dialog_ = CreateWindowExA(0, "STATIC", "dialog", WS_POPUP | WS_BORDER, 0, 0, 300, 200, owner_, nullptr,
                                  nullptr, nullptr);
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(dialog_);
        DestroyWindow(owner_);
    }
    void SetUp() override
    {
        ASSERT_NE(owner_, nullptr);
        ASSERT_NE(dialog_, nullptr);
        screenWidth = static_cast<unsigned short>(GetSystemMetrics(SM_CXSCREEN));
        screenHeight = static_cast<unsigned short>(GetSystemMetrics(SM_CYSCREEN));
        ShowWindow(owner_, SW_RESTORE);
        SetSize(300, 200);
    }

    void MoveOwner(int x, int y, int width, int height) { MoveWindow(owner_, x, y, width, height, FALSE); }
    void SetSize(int width, int height) { SetWindowPos(dialog_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE); }
    RECT Placed()
    {
        CentreDialog(dialog_, 0.5f, 0.6f);
        RECT placed;
        GetWindowRect(dialog_, &placed);
        return placed;
    }

    static HWND owner_;
    static HWND dialog_;
};
HWND Placement::owner_;
HWND Placement::dialog_;

TEST_F(Placement, CentreAtHalfTheWidthAndSixTenthsOfTheHeight)
{
    MoveOwner(100, 80, 700, 500);
    RECT placed = Placed();
    EXPECT_EQ(placed.left, 100 + 350 - 150);
    EXPECT_EQ(placed.top, 80 + 300 - 100);
    EXPECT_EQ(placed.right - placed.left, 300);  // the size stays
    EXPECT_EQ(placed.bottom - placed.top, 200);

    // Odd extents: the products and halves truncate.
    MoveOwner(101, 81, 333, 207);
    SetSize(301, 201);
    placed = Placed();
    EXPECT_EQ(placed.left, 101 + 166 - 150);  // 166.5
    EXPECT_EQ(placed.top, 81 + 124 - 100);    // 124.2
}

TEST_F(Placement, KeptOnTheScreen)
{
    // Off the left and top: flush with those edges.
    MoveOwner(-650, -450, 700, 500);
    RECT placed = Placed();
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);

    // Off the right and bottom: flush with those edges.
    MoveOwner(screenWidth - 100, screenHeight - 100, 700, 500);
    placed = Placed();
    EXPECT_EQ(placed.right, screenWidth);
    EXPECT_EQ(placed.bottom, screenHeight);

    // Larger than the screen: right and bottom win.
    MoveOwner(100, 80, 700, 500);
    SetSize(screenWidth + 200, screenHeight + 100);
    placed = Placed();
    EXPECT_EQ(placed.right, screenWidth);
    EXPECT_EQ(placed.bottom, screenHeight);
    EXPECT_EQ(placed.left, -200);
    EXPECT_EQ(placed.top, -100);
}

TEST_F(Placement, MinimisedOwnerMeansTheDesktop)
{
    MoveOwner(100, 80, 300, 250);
    ShowWindow(owner_, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(owner_));
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT placed = Placed();
    EXPECT_EQ(placed.left, desktop.left + (desktop.right - desktop.left) / 2 - 150);
    EXPECT_EQ(placed.top, desktop.top + static_cast<int>((desktop.bottom - desktop.top) * 0.6) - 100);
}

TEST_F(Placement, NoOwnerMeansTheDesktop)
{
    HWND alone = CreateWindowExA(0, "STATIC", "alone", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(alone, nullptr);
    CentreDialog(alone, 0.5f, 0.6f);
    RECT placed;
    GetWindowRect(alone, &placed);
    DestroyWindow(alone);
    EXPECT_EQ(placed.left, screenWidth / 2 - 150);
    EXPECT_EQ(placed.top, static_cast<int>(screenHeight * 0.6) - 100);
}

// Draining: a window that counts what reaches it.
static int received;
static UINT lastMessage;
static LRESULT CALLBACK Counter(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP || message == WM_CHAR || message == WM_KEYDOWN) {
        ++received;
        lastMessage = message;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Drain : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Counter;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QVXDRAINTEST";
        RegisterClassA(&windowClass);
        // A message-only window: no painting or activation traffic in the queue.
        window_ = CreateWindowExA(0, "QVXDRAINTEST", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        PumpMessages(50);
        received = 0;
    }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = nullptr;
};

TEST_F(Drain, HandlesAtMostOneMessage)
{
    DrainOneMessage();  // an empty queue: nothing happens, nothing waits
    EXPECT_EQ(received, 0);
    PostMessageA(window_, WM_APP, 0, 0);
    PostMessageA(window_, WM_APP + 1, 0, 0);
    DrainOneMessage();
    EXPECT_EQ(received, 1);
    EXPECT_EQ(lastMessage, static_cast<UINT>(WM_APP));
    DrainOneMessage();
    EXPECT_EQ(received, 2);
    EXPECT_EQ(lastMessage, static_cast<UINT>(WM_APP + 1));
}

TEST_F(Drain, TranslatesKeysIntoCharacters)
{
    PostMessageA(window_, WM_KEYDOWN, 'A', 0x001E0001);
    DrainOneMessage();
    EXPECT_EQ(lastMessage, static_cast<UINT>(WM_KEYDOWN));
    MSG character;
    EXPECT_TRUE(PeekMessageA(&character, window_, WM_CHAR, WM_CHAR, PM_NOREMOVE));  // left for later
    EXPECT_EQ(received, 1);
}

TEST_F(Drain, SwallowsAQuitRequest)
{
    PostQuitMessage(3);
    DrainOneMessage();
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    // A later loop ends only on a new request.
    PostMessageA(window_, WM_APP + 2, 0, 0);
    PostQuitMessage(9);
    int seen = 0;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        ++seen;
        DispatchMessageA(&message);
    }
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 9u);
    EXPECT_EQ(lastMessage, static_cast<UINT>(WM_APP + 2));
}

TEST_F(Drain, KeysGoToTheControlNotTheDialogManager)
{
    HWND owner = NewWindow("owner", 0, 0, 200, 100, WS_POPUP);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100), owner, EndAtOnce, 0);
    // EndAtOnce only hides it: the window and its controls stay.
    ASSERT_NE(dialog, nullptr);
    HWND field = GetDlgItem(dialog, 100);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(field);
    ASSERT_EQ(GetFocus(), field);
    PostMessageA(field, WM_KEYDOWN, VK_TAB, 0x000F0001);
    DrainOneMessage();
    // The dialog manager would have moved the focus on to the next control.
    EXPECT_EQ(GetFocus(), field);
    DestroyWindow(dialog);
    DestroyWindow(owner);
}

TEST(SourceDirectory, ProgramPathWithADriveGivesItsDirectory)
{
    DeriveSourceDirectory("D:\\INSTALL\\SETUP.EXE");
    EXPECT_STREQ(sourceDirectory, "D:\\INSTALL\\");
    DeriveSourceDirectory("c:\\a b\\c.d\\SETUP.EXE");
    EXPECT_STREQ(sourceDirectory, "c:\\a b\\c.d\\");
    DeriveSourceDirectory("C:\\SETUP.EXE");
    EXPECT_STREQ(sourceDirectory, "C:\\");
    DeriveSourceDirectory("C:/DISK1/SETUP.EXE");
    EXPECT_STREQ(sourceDirectory, "C:/DISK1/");
}

TEST(SourceDirectory, WithoutADriveTheRunningModulesDirectory)
{
    // Not the current directory: the setup's files lie beside it however it was started.
    ScratchDirectory elsewhere;
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().c_str()));
    std::string module = TestDirectory();
    for (const char* path : {"SETUP.EXE", "DISK1\\SETUP.EXE", "..\\SETUP.EXE", "\\INSTALL\\SETUP.EXE",
                             "\\\\server\\share\\SETUP.EXE", "", "E:SETUP.EXE"}) {
        std::strcpy(sourceDirectory, "stale");
        DeriveSourceDirectory(path);
        EXPECT_EQ(std::string(sourceDirectory), module) << path;
    }
    SetCurrentDirectoryA(saved);
}

// Ends any dialog that comes up, in case the install sequence runs when it must not.
static int dialogsSeen;
static BOOL CALLBACK EndDialogs(HWND window, LPARAM)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && std::string(name) == "#32770") {
        ++dialogsSeen;
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}
static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), EndDialogs, 0);
}

TEST(MainWindow, OnlyThePlainInstallCommandStartsTheInstallation)
{
    moduleInstance = GetModuleHandleA(nullptr);
    HWND window = NewWindow("main", 0, 0, 300, 200, WS_POPUP);
    ASSERT_NE(window, nullptr);
    mainWindow = window;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, Watchdog);
    dialogsSeen = 0;
    // The install sequence starts by reading the total-bytes figure.
    totalBytes = -7;
    bytesCopied = -7;
    for (WPARAM command : {MAKEWPARAM(100, 1), MAKEWPARAM(100, EN_CHANGE), WPARAM(101), WPARAM(0)})
        MainWindowProc(window, WM_COMMAND, command, 0);
    PumpMessages(200);
    KillTimer(nullptr, timer);
    EXPECT_EQ(totalBytes, -7);
    EXPECT_EQ(bytesCopied, -7);
    EXPECT_EQ(dialogsSeen, 0);
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    mainWindow = nullptr;
    DestroyWindow(window);
}

TEST(MainWindow, DestroyingItPostsTheQuitRequest)
{
    HWND window = NewWindow("main", 0, 0, 300, 200, WS_POPUP);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(MainWindowProc(window, WM_DESTROY, 0, 0), 0);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    DestroyWindow(window);
}

TEST(MainWindow, CompletionDeletesTheClassesKeyThenReportsAndQuits)
{
    moduleInstance = GetModuleHandleA(nullptr);
    HWND window = NewWindow("main", 0, 0, 300, 200, WS_POPUP);
    ASSERT_NE(window, nullptr);
    mainWindow = window;
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "OPOS", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    {
        MessageBoxAnswerer boxes;
        CompleteInstallation();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "Program installation is now complete.");
        EXPECT_EQ(boxes.shown[0].owner, window);
        EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    }
    EXPECT_NE(RegOpenKeyA(HKEY_CLASSES_ROOT, "OPOS", &key), ERROR_SUCCESS);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);

    // A missing key is no error: the report comes all the same.
    MessageBoxAnswerer again;
    CompleteInstallation();
    EXPECT_EQ(again.shown.size(), 1u);
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    mainWindow = nullptr;
    DestroyWindow(window);
}

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "destination/destination.h"
#include "install/install.h"
#include "resources/resource.h"
#include "shell/screen.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/msgbox_info.h"
#include "tests/support/support.h"

static const char kCaption[] = "OLE for Point of Sale Setup";
static const char kCreateQuestion[] =
    "The specified directory does not exist.\nDo you want to create the directory?";
static const char kBadDrive[] =
    "The specified destination drive is invalid.\nPlease specify another drive.";
static const char kPrompt[] = "Where should it go?";
static const UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION;                         // 36
static const UINT kBadDriveStyle = MB_OK | MB_ICONINFORMATION;                         // 64
static const UINT kLowSpaceStyle = MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2;  // 324

static std::string LowSpaceText(long required, char drive, long free)
{
    return "The specified destination drive does not have enough free disk space.  The full "
           "installation of OLE for Point of Sale requires " + std::to_string(required) +
           " KBytes of disk space and drive " + drive + ": only has " + std::to_string(free) +
           " KBytes free.\n\nDo you wish to attempt installation anyway?";
}

static bool SameText(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

static bool IsDirectory(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// --- Driving the modal dialog -----------------------------------------------------------------
// A thread timer fires inside the dialog's own message loop and runs the test's script there;
// the script presses buttons with BM_CLICK (handled at once, message boxes included) or posts
// keys, which the dialog manager handles once the script returns.

static std::function<void(HWND)> script;

static BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char name[32] = {}, caption[32] = {};
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, caption, sizeof caption);
    if (lstrcmpA(name, "#32770") == 0 && lstrcmpA(caption, "Enter Path") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

static HWND DestinationDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

static void CALLBACK StartScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HWND dialog = DestinationDialog();
    if (dialog == nullptr) {
        ADD_FAILURE() << "the destination dialog is not up";
        return;
    }
    script(dialog);
    if (::testing::Test::HasFatalFailure())
        EndDialog(dialog, 99);
}

static void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ADD_FAILURE() << "the destination dialog did not end";
    EndDialog(DestinationDialog(), 99);
}

static INT_PTR RunDialog(const char* defaultPath, std::function<void(HWND)> body)
{
    script = std::move(body);
    UINT_PTR start = SetTimer(nullptr, 0, 50, StartScript);
    UINT_PTR watchdog = SetTimer(nullptr, 0, 30000, Watchdog);
    INT_PTR result = AskDestination(mainWindow, destinationDirectory, kPrompt, defaultPath);
    KillTimer(nullptr, start);
    KillTimer(nullptr, watchdog);
    return result;
}

static std::string ItemText(HWND dialog, int id)
{
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

static void SetField(HWND dialog, const std::string& text)
{
    SetDlgItemTextA(dialog, IDC_PATH, text.c_str());
}

static void Type(HWND dialog, const char* text)
{
    for (const char* c = text; *c != '\0'; ++c)
        SendMessageA(GetDlgItem(dialog, IDC_PATH), WM_CHAR, static_cast<unsigned char>(*c), 1);
}

static void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

static void PostKey(HWND dialog, WPARAM key)
{
    PostMessageA(GetDlgItem(dialog, IDC_PATH), WM_KEYDOWN, key, 1);
}

// The dialog ends by hiding itself: a visible dialog after a press is still waiting.
static bool StillOpen(HWND dialog)
{
    return IsWindow(dialog) && IsWindowVisible(dialog);
}

static void PutOnClipboard(const char* text)
{
    ASSERT_TRUE(OpenClipboard(mainWindow));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, lstrlenA(text) + 1);
    lstrcpyA(static_cast<char*>(GlobalLock(memory)), text);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

static std::string ClipboardText()
{
    std::string text;
    if (OpenClipboard(mainWindow)) {
        HANDLE memory = GetClipboardData(CF_TEXT);
        if (memory != nullptr) {
            text = static_cast<const char*>(GlobalLock(memory));
            GlobalUnlock(memory);
        }
        CloseClipboard();
    }
    return text;
}

// A drive letter with nothing mapped to it, q if free.
static char UnmappedDrive()
{
    DWORD drives = GetLogicalDrives();
    for (char letter : std::string("qwvutsrponmlkjihgfe"))
        if (!(drives & (1u << (letter - 'a'))))
            return letter;
    return 0;
}

// Scripted answers press buttons; 0 is a real Enter key.
using Boxes = MessageBoxAnswerer;

// A drive of any size: the drive check's free-space query answered by the test.
static struct {
    DWORD freeClusters, sectorsPerCluster, bytesPerSector;
    BOOL result;
    std::string root;
} fakeDrive;

static BOOL WINAPI FakeQuery(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                             LPDWORD freeClusters, LPDWORD totalClusters)
{
    fakeDrive.root = root;
    *sectorsPerCluster = fakeDrive.sectorsPerCluster;
    *bytesPerSector = fakeDrive.bytesPerSector;
    *freeClusters = fakeDrive.freeClusters;
    *totalClusters = fakeDrive.freeClusters;
    return fakeDrive.result;
}

static void PresentDrive(DWORD freeClusters, DWORD sectorsPerCluster, DWORD bytesPerSector)
{
    fakeDrive = {freeClusters, sectorsPerCluster, bytesPerSector, TRUE, ""};
    queryDiskFreeSpace = FakeQuery;
}

class DestinationTest : public ::testing::Test {
protected:
    // One owner for all: under Wine without a window manager, every top-level window that goes
    // away costs a wait.
    static void SetUpTestSuite()
    {
        moduleInstance = GetModuleHandleA(nullptr);
        WNDCLASSA type = {};
        type.lpfnWndProc = DefWindowProcA;
        type.hInstance = moduleInstance;
        type.lpszClassName = "DestinationTestOwner";
        RegisterClassA(&type);
        mainWindow = CreateWindowA("DestinationTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   0, 0, 800, 600, nullptr, nullptr, moduleInstance, nullptr);
    }

    static void TearDownTestSuite()
    {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(mainWindow, nullptr);
        moduleInstance = GetModuleHandleA(nullptr);
        // What start-up saves; the dialog is kept inside it.
        screenWidth = static_cast<unsigned short>(GetSystemMetrics(SM_CXSCREEN));
        screenHeight = static_cast<unsigned short>(GetSystemMetrics(SM_CYSCREEN));
        totalBytes = 2675000;
        queryDiskFreeSpace = GetDiskFreeSpaceA;
    }

    void TearDown() override { queryDiskFreeSpace = GetDiskFreeSpaceA; }

    // The scratch directory without its trailing backslash.
    std::string Scratch() const { return scratch_.path().substr(0, scratch_.path().size() - 1); }

    ScratchDirectory scratch_;
};

// --- The dialog --------------------------------------------------------------------------------

TEST_F(DestinationTest, OpensWithTheDefaultOnTheWindowsDriveAndThePrompt)
{
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windows[0])));

    std::string field, prompt;
    bool fieldHasFocus = false;
    RECT owner, dialogRect;
    Boxes boxes;
    INT_PTR result = RunDialog("Q:\\Elsewhere\\QVX", [&](HWND dialog) {
        field = ItemText(dialog, IDC_PATH);
        prompt = ItemText(dialog, IDC_PROMPT);
        fieldHasFocus = GetFocus() == GetDlgItem(dialog, IDC_PATH);
        GetWindowRect(mainWindow, &owner);
        GetWindowRect(dialog, &dialogRect);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::string(destinationDirectory), std::string(1, drive) + ":\\Elsewhere\\QVX");
    EXPECT_EQ(field[0], drive);  // Wine's lower-case field lowers the text set into it, too
    EXPECT_TRUE(SameText(field, destinationDirectory)) << field;
    EXPECT_EQ(prompt, kPrompt);
    EXPECT_TRUE(fieldHasFocus);
    // Horizontally in the middle of the owner, its centre at 60 % of the owner's height.
    EXPECT_NEAR((dialogRect.left + dialogRect.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((dialogRect.top + dialogRect.bottom) / 2,
                owner.top + (owner.bottom - owner.top) * 6 / 10, 1);
    EXPECT_TRUE(boxes.shown.empty());

    // An empty default stays empty: no drive letter in place of its terminator.
    std::memset(destinationDirectory, 'x', kBufferSize);
    result = RunDialog("", [&](HWND dialog) {
        field = ItemText(dialog, IDC_PATH);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(destinationDirectory, "");
    EXPECT_EQ(field, "");
}

TEST_F(DestinationTest, FieldTakesOnlyPathCharactersUntilClosed)
{
    std::string typed, afterWide, afterControls, clipboard, unfiltered, pasted;
    bool openAfterClose = false;
    RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
        HWND field = GetDlgItem(dialog, IDC_PATH);
        SetField(dialog, "");
        Type(dialog, "C:\\Opos Dir/x.y\\QVX");
        typed = ItemText(dialog, IDC_PATH);

        // 'A' in the low byte of a wider value is not an 'A'.
        SendMessageA(field, WM_CHAR, 0x141, 1);
        afterWide = ItemText(dialog, IDC_PATH);

        // Copy, paste, cut and undo arrive as control characters: none of them acts.
        PutOnClipboard("clip");
        SetField(dialog, "abc");
        SendMessageA(field, EM_SETSEL, 0, -1);
        Type(dialog, "d");  // replaces the selection, so undo would bring back "abc"
        for (WPARAM control : {3, 22, 24, 26}) {
            SendMessageA(field, EM_SETSEL, 0, -1);
            SendMessageA(field, WM_CHAR, control, 1);
        }
        afterControls = ItemText(dialog, IDC_PATH);
        clipboard = ClipboardText();

        // Closing takes the filter off and leaves the dialog up.
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        openAfterClose = StillOpen(dialog);
        SetField(dialog, "");
        Type(dialog, "a b.c/d");
        unfiltered = ItemText(dialog, IDC_PATH);
        SendMessageA(field, EM_SETSEL, 0, -1);
        SendMessageA(field, WM_CHAR, 22, 1);
        pasted = ItemText(dialog, IDC_PATH);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(typed, "c:\\oposdirxy\\qvx");
    EXPECT_EQ(afterWide, typed);
    EXPECT_EQ(afterControls, "d");
    EXPECT_EQ(clipboard, "clip");
    EXPECT_TRUE(openAfterClose);
    EXPECT_EQ(unfiltered, "a b.c/d");
    EXPECT_EQ(pasted, "clip");  // the same paste works once the filter is gone
}

TEST_F(DestinationTest, EnterActsAsOk)
{
    Boxes boxes;
    INT_PTR result = RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
        SetField(dialog, Scratch());
        PostKey(dialog, VK_RETURN);
    });
    EXPECT_EQ(result, TRUE);
    EXPECT_TRUE(SameText(destinationDirectory, Scratch())) << destinationDirectory;
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DestinationTest, EscapeAndExitSetupEndWithZeroWhateverTheFieldHolds)
{
    Boxes boxes;
    const std::string nowhere = std::string(1, UnmappedDrive()) + ":\\nowhere";
    EXPECT_EQ(RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
                  SetField(dialog, nowhere);
                  PostKey(dialog, VK_ESCAPE);
              }),
              0);
    EXPECT_EQ(RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
                  SetField(dialog, "   ");
                  Click(dialog, IDCANCEL);
              }),
              0);
    EXPECT_EQ(RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
                  SetField(dialog, Scratch());
                  Click(dialog, IDCANCEL);
              }),
              0);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DestinationTest, ReadsAtMost254Characters)
{
    const std::string longPath = "c:\\" + std::string(297, 'x');
    Boxes boxes({IDNO});
    bool open = false;
    INT_PTR result = RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
        std::memset(destinationDirectory + 255, '#', kBufferSize - 255);
        SetField(dialog, longPath);
        Click(dialog, IDOK);
        open = StillOpen(dialog);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(open);
    EXPECT_EQ(std::string(destinationDirectory), longPath.substr(0, 254));
    EXPECT_EQ(std::string(destinationDirectory + 255, kBufferSize - 255),
              std::string(kBufferSize - 255, '#'));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kCreateQuestion);
}

TEST_F(DestinationTest, MissingDirectoryIsCreatedOnlyOnYesAndOkReadsTheFieldAgain)
{
    const std::string declined = Scratch() + "\\declined\\leaf";
    const std::string wanted = Scratch() + "\\new\\deeper\\leaf";
    Boxes boxes({IDNO, IDYES});
    bool openAfterNo = false, mainDisabledBefore = false, mainEnabledAfterBox = false;
    INT_PTR result = RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
        mainDisabledBefore = !IsWindowEnabled(mainWindow);
        SetField(dialog, declined);
        Click(dialog, IDOK);
        openAfterNo = StillOpen(dialog);
        // The box over the main window enabled it again although the dialog is still up.
        mainEnabledAfterBox = IsWindowEnabled(mainWindow) != FALSE;
        SetField(dialog, wanted);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, TRUE);
    EXPECT_TRUE(openAfterNo);
    EXPECT_TRUE(mainDisabledBefore);
    EXPECT_TRUE(mainEnabledAfterBox);
    EXPECT_FALSE(Exists(Scratch() + "\\declined"));
    EXPECT_TRUE(IsDirectory(wanted));
    EXPECT_TRUE(SameText(destinationDirectory, wanted)) << destinationDirectory;
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const MessageBoxInfo& box : boxes.shown) {
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.text, kCreateQuestion);
        EXPECT_EQ(box.owner, mainWindow);
        EXPECT_FALSE(box.ownerEnabled);
        EXPECT_EQ(box.style, kQuestionStyle) << StyleName(box.style);
    }
}

// Under the first message box, presses OK and then "Exit Setup" in the dialog.
static HWND interruptedDialog;
static bool interrupted;

static LRESULT CALLBACK InterruptChecks(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && !interrupted && IsMessageBox(reinterpret_cast<HWND>(wParam))) {
        interrupted = true;
        Click(interruptedDialog, IDOK);
        Click(interruptedDialog, IDCANCEL);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(DestinationTest, ExitDuringTheCreationQuestionWins)
{
    // The question is owned by the main window, so the dialog's buttons still work under it.
    const std::string wanted = Scratch() + "\\made";
    Boxes boxes({IDYES});
    interrupted = false;
    HHOOK hook = SetWindowsHookExA(WH_CBT, InterruptChecks, nullptr, GetCurrentThreadId());
    INT_PTR result = RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
        interruptedDialog = dialog;
        SetField(dialog, wanted);
        Click(dialog, IDOK);
    });
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(interrupted);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(boxes.shown.size(), 1u);  // the second OK asked nothing
    EXPECT_TRUE(IsDirectory(wanted));    // the Yes still counted
}

TEST_F(DestinationTest, EmptyEntryIsAnInvalidDrive)
{
    Boxes boxes;
    HWND owner = nullptr;
    bool open = false;
    RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
        owner = dialog;
        SetField(dialog, "   ");
        Click(dialog, IDOK);
        SetField(dialog, "\\  ");
        Click(dialog, IDOK);
        SetField(dialog, "");
        Click(dialog, IDOK);
        open = StillOpen(dialog);
        Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(open);
    ASSERT_EQ(boxes.shown.size(), 3u);  // no creation question for any
    for (const MessageBoxInfo& box : boxes.shown) {
        EXPECT_EQ(box.text, kBadDrive);
        EXPECT_EQ(box.owner, owner);
        EXPECT_EQ(box.style, kBadDriveStyle) << StyleName(box.style);
    }
}

TEST_F(DestinationTest, UnreadableDriveKeepsTheDialogOpen)
{
    const char letter = UnmappedDrive();
    ASSERT_NE(letter, 0);
    Boxes boxes({IDYES});
    HWND owner = nullptr;
    bool open = false;
    RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
        owner = dialog;
        SetField(dialog, std::string(1, letter) + ":\\opos");
        Click(dialog, IDOK);
        open = StillOpen(dialog);
        Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(open);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, kCreateQuestion);  // the creation fails unreported
    EXPECT_EQ(boxes.shown[1].caption, kCaption);
    EXPECT_EQ(boxes.shown[1].text, kBadDrive);
    EXPECT_EQ(boxes.shown[1].owner, owner);
    EXPECT_FALSE(boxes.shown[1].ownerEnabled);
    EXPECT_EQ(boxes.shown[1].style, kBadDriveStyle) << StyleName(boxes.shown[1].style);
}

TEST_F(DestinationTest, TooLittleSpaceAsksWithNoAsDefault)
{
    PresentDrive(46875, 1, 32);  // 1500000 bytes
    Boxes boxes({0, IDYES});     // Enter, then Yes
    HWND owner = nullptr;
    bool openAfterEnter = false;
    std::string rootAsked;
    INT_PTR result = RunDialog("c:\\OPOS\\QVX", [&](HWND dialog) {
        owner = dialog;
        SetField(dialog, Scratch());
        Click(dialog, IDOK);
        openAfterEnter = StillOpen(dialog);
        rootAsked = fakeDrive.root;
        fakeDrive.root.clear();
        Click(dialog, IDOK);
    });
    const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(Scratch()[0])));
    EXPECT_EQ(result, TRUE);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_TRUE(SameText(rootAsked, std::string(1, drive) + ":\\")) << rootAsked;
    EXPECT_FALSE(fakeDrive.root.empty());  // the second OK asked again
    ASSERT_EQ(boxes.shown.size(), 2u);
    const MessageBoxInfo& box = boxes.shown[0];
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.text, LowSpaceText(2612, drive, 1464));
    EXPECT_EQ(box.owner, owner);
    EXPECT_FALSE(box.ownerEnabled);
    EXPECT_EQ(box.style, kLowSpaceStyle) << StyleName(box.style);
}

// --- The checks called directly ----------------------------------------------------------------

TEST_F(DestinationTest, ExistenceIgnoresTrailingSpacesAndOneBackslash)
{
    const std::string dir = Scratch() + "\\sub";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(Scratch() + "\\afile", "x"));
    Boxes boxes({IDYES, IDYES});
    for (std::string entry : {dir, dir + "\\", dir + "   ", dir + "\\  ", Scratch() + "\\afile"}) {
        char buffer[kBufferSize];
        lstrcpyA(buffer, entry.c_str());
        EXPECT_EQ(CheckDestinationDirectory(buffer), 1) << entry;
        EXPECT_EQ(std::string(buffer), entry);  // the entry itself keeps what was read
    }
    EXPECT_TRUE(boxes.shown.empty());

    // Missing ones are created without the trailing characters.
    EXPECT_EQ(CheckDestinationDirectory((Scratch() + "\\spaced  ").c_str()), 1);
    EXPECT_EQ(CheckDestinationDirectory((Scratch() + "\\slashed\\").c_str()), 1);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(IsDirectory(Scratch() + "\\spaced"));
    EXPECT_TRUE(IsDirectory(Scratch() + "\\slashed"));
}

TEST_F(DestinationTest, FreeSpaceFiguresOnADriveOfAnySize)
{
    const std::string entry = "d:\\opos\\qvx";
    Boxes boxes({IDYES, IDYES, IDNO});

    PresentDrive(2675000, 1, 1);  // exactly the figure
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 1);
    PresentDrive(1048577, 8, 512);  // 4 GB and 4 KB: 4096 bytes in the low 32 bits
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 1);
    EXPECT_EQ(fakeDrive.root, "d:\\");
    EXPECT_TRUE(boxes.shown.empty());

    PresentDrive(1000, 1, 1);
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 1);  // Yes
    PresentDrive(0, 8, 512);
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 1);  // Yes
    PresentDrive(2674999, 1, 1);
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 0);  // No
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, LowSpaceText(2612, 'D', 1));
    EXPECT_EQ(boxes.shown[1].text, LowSpaceText(2612, 'D', 1));
    EXPECT_EQ(boxes.shown[2].text, LowSpaceText(2612, 'D', 2612));

    // The root comes from the first character, whatever it is; a failed query is string 34.
    fakeDrive.result = FALSE;
    EXPECT_EQ(CheckDestinationDrive(mainWindow, "opos"), 0);
    EXPECT_EQ(fakeDrive.root, "o:\\");
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[3].text, kBadDrive);
    EXPECT_EQ(boxes.shown[3].owner, mainWindow);
}

TEST_F(DestinationTest, LowSpaceTextTooLongToFormatIsShownUnformatted)
{
    // 254 characters of format; the largest figures make it 261 once formatted.
    VariantStrings strings("long_lowspace");
    ASSERT_TRUE(strings.loaded());
    char format[kBufferSize];
    ASSERT_EQ(LoadStringA(moduleInstance, IDS_LOW_SPACE, format, 255), 254);
    totalBytes = INT_MAX;
    PresentDrive(2000000000, 1, 1);
    Boxes boxes({IDNO});
    EXPECT_EQ(CheckDestinationDrive(mainWindow, "c:\\opos"), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, format);
    EXPECT_EQ(boxes.shown[0].style, kLowSpaceStyle) << StyleName(boxes.shown[0].style);
}

// --- Real drives -------------------------------------------------------------------------------

static void ReportQuery(const char* root)
{
    DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
    BOOL ok = GetDiskFreeSpaceA(root, &sectors, &bytes, &freeClusters, &total);
    std::printf("GetDiskFreeSpaceA(%s): %d, %lu sectors/cluster, %lu bytes/sector, %lu free of %lu "
                "clusters\n", root, ok, sectors, bytes, freeClusters, total);
}

TEST_F(DestinationTest, LargeRealDrivePassesWithoutAMessage)
{
    const std::string root = Scratch().substr(0, 3);
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free));
    ReportQuery(root.c_str());
    if (available.QuadPart <= 0x100000000ull)
        GTEST_SKIP() << root << " has no more than 4 GB free";
    totalBytes = INT_MAX;
    Boxes boxes;
    EXPECT_EQ(CheckDestinationDrive(mainWindow, Scratch().c_str()), 1);
    EXPECT_TRUE(boxes.shown.empty());
}

// Needs a small volume mapped as a drive, named by QVX_SMALL_DRIVE (scripts/small-drive.sh).
TEST_F(DestinationTest, SmallRealDriveShowsItsFreeSpace)
{
    const char* letter = std::getenv("QVX_SMALL_DRIVE");
    if (letter == nullptr || letter[0] == '\0')
        GTEST_SKIP() << "no small drive mapped (QVX_SMALL_DRIVE)";
    const std::string root = std::string(1, letter[0]) + ":\\";
    const std::string entry = root + "opos";
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free));
    ReportQuery(root.c_str());
    ASSERT_LT(available.QuadPart, 0x7FFFFFFFull);
    const long freeBytes = static_cast<long>(available.QuadPart);
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));

    Boxes boxes({IDYES});
    totalBytes = freeBytes;  // exactly enough
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 1);
    totalBytes = freeBytes + 1;
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 1);  // Yes
    totalBytes = 2675000;
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 0);  // Enter: No
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, LowSpaceText((freeBytes + 1) / 1024, upper, freeBytes / 1024));
    EXPECT_EQ(boxes.shown[1].text, LowSpaceText(2612, upper, freeBytes / 1024));

    // Filled up: nothing free, yet the message claims 1 KByte.
    const std::string filler = root + "filler";
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    static char block[4096];
    DWORD written;
    while (WriteFile(file, block, sizeof block, &written, nullptr) && written == sizeof block) {
    }
    CloseHandle(file);
    ReportQuery(root.c_str());
    EXPECT_EQ(CheckDestinationDrive(mainWindow, entry.c_str()), 0);
    DeleteFileA(filler.c_str());
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[2].text, LowSpaceText(2612, upper, 1));
}

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shell/screen.h"
#include "shell/shell.h"
#include "shell/title.h"
#include "tests/support/pixels.h"

// The title window as the setup registers it, but as a borderless pop-up so that the client
// area has exactly the size a test asks for.
static const char kClass[] = "QVXTITLETEST";

static bool IsWhiteInk(COLORREF c)
{
    // The background and the shadow carry no red at all, so any red is the white text's, whatever
    // lies under it.
    return GetRValue(c) > 0;
}

// Where a text drawn by DrawTextA at (0, 0) puts its ink, in a font of the given cell height.
struct Reference {
    InkBox ink;  // relative to the origin
    std::string face;
};

static Reference RenderReference(const char* text, int cellHeight, bool italic)
{
    const int origin = 40;
    MemoryCanvas canvas(1400, 300, RGB(0, 0, 0));
    HFONT font = CreateFontA(cellHeight, 0, 0, 0, 700, italic, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                             "Times New Roman");
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(canvas.dc(), sizeof face, face);
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), RGB(255, 255, 255));
    RECT area = {origin, origin, origin, origin};
    DrawTextA(canvas.dc(), text, -1, &area, DT_CALCRECT | DT_NOCLIP);
    DrawTextA(canvas.dc(), text, -1, &area, DT_NOCLIP);
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
    Reference reference;
    reference.face = face;
    ClientPixels shot = canvas.Read();
    reference.ink = shot.Find(0, 0, shot.width(), shot.height(),
                              [](COLORREF c, int, int) { return IsWhiteInk(c); });
    reference.ink.left -= origin;
    reference.ink.right -= origin;
    reference.ink.top -= origin;
    reference.ink.bottom -= origin;
    return reference;
}

struct RowPlacement {
    int stringId;
    int cellHeight;
    bool italic;
    int y;  // top of the text's cell (its shadow)
};

// The white ink of one row, after checking that it is the expected text in the expected font at
// (x - 3, y - 3) and that its black shadow lies 3 pixels right of and below it.
static InkBox CheckRow(const ClientPixels& shot, int x, const RowPlacement& row)
{
    std::string text = LoadMessage(row.stringId);
    Reference reference = RenderReference(text.c_str(), row.cellHeight, row.italic);
    EXPECT_FALSE(reference.ink.empty()) << "string " << row.stringId;
    InkBox expected = reference.ink;
    expected.left += x - 3;
    expected.right += x - 3;
    expected.top += row.y - 3;
    expected.bottom += row.y - 3;

    // Look a little beyond where the text and its shadow should be.
    int top = expected.top - 2;
    int bottom = expected.bottom + 5;
    InkBox white = shot.Find(0, top, shot.width(), bottom,
                             [](COLORREF c, int, int) { return IsWhiteInk(c); });
    EXPECT_EQ(white.left, expected.left) << "string " << row.stringId;
    EXPECT_EQ(white.top, expected.top) << "string " << row.stringId;
    // A row wider than the client area is cut at its right edge.
    bool cut = expected.right > shot.width();
    EXPECT_EQ(white.right, cut ? shot.width() : expected.right) << "string " << row.stringId;
    EXPECT_EQ(white.bottom, expected.bottom) << "string " << row.stringId;

    // Shadow: pixels without white ink that are darker than the gradient in their row (column 1
    // holds the plain gradient).
    InkBox shadow = shot.Find(0, top, shot.width(), bottom, [&shot](COLORREF c, int, int y) {
        return GetRValue(c) == 0 && GetBValue(c) < GetBValue(shot.At(1, y));
    });
    EXPECT_FALSE(shadow.empty()) << "string " << row.stringId;
    // The white text covers parts of the shadow, but never its right and bottom edges.
    if (!cut) {
        EXPECT_EQ(shadow.right - white.right, 3) << "string " << row.stringId;
    }
    EXPECT_EQ(shadow.bottom - white.bottom, 3) << "string " << row.stringId;
    return white;
}

class Title : public ::testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        savedHorizontal_ = horizontalPixelsPerInch;
        savedVertical_ = verticalPixelsPerInch;
        // As start-up saves them.
        HDC screen = GetDC(nullptr);
        verticalPixelsPerInch = static_cast<short>(GetDeviceCaps(screen, LOGPIXELSY));
        horizontalPixelsPerInch = static_cast<short>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);

        static bool registered;
        if (!registered) {
            WNDCLASSA windowClass = {};
            windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_BYTEALIGNCLIENT;
            windowClass.lpfnWndProc = MainWindowProc;
            windowClass.hInstance = moduleInstance;
            windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
            windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            windowClass.lpszClassName = kClass;
            registered = RegisterClassA(&windowClass) != 0;
        }
        ASSERT_TRUE(registered);
    }

    void TearDown() override
    {
        if (window_ != nullptr)
            DestroyWindow(window_);
        // The main window procedure posts the quit request when destroyed.
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        horizontalPixelsPerInch = savedHorizontal_;
        verticalPixelsPerInch = savedVertical_;
    }

    HWND Open(int width, int height)
    {
        window_ = CreateWindowExA(0, kClass, "title", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                  nullptr, moduleInstance, nullptr);
        UpdateWindow(window_);
        return window_;
    }

    void Resize(int width, int height)
    {
        SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(window_);
    }

    HWND window_ = nullptr;
    short savedHorizontal_ = 0;
    short savedVertical_ = 0;
};

TEST_F(Title, GradientRunsFromPureBlueToBlackInTwoPixelBands)
{
    ASSERT_NE(Open(300, 512), nullptr);
    ClientPixels shot(window_);
    ASSERT_EQ(shot.height(), 512);
    EXPECT_EQ(shot.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(shot.At(299, 0), RGB(0, 0, 255));
    EXPECT_EQ(shot.At(0, 511), RGB(0, 0, 0));
    for (int y = 0; y < 512; ++y)
        ASSERT_EQ(shot.At(1, y), RGB(0, 0, 255 - y / 2)) << "row " << y;
}

TEST_F(Title, ShortClientShowsTheLastBandStartingOnEachRow)
{
    // 128 rows for 256 bands: each row shows the second of the two bands that start on it.
    ASSERT_NE(Open(300, 128), nullptr);
    ClientPixels shot(window_);
    ASSERT_EQ(shot.height(), 128);
    EXPECT_EQ(shot.At(1, 0), RGB(0, 0, 254));
    EXPECT_EQ(shot.At(1, 127), RGB(0, 0, 0));
    for (int y = 0; y < 128; ++y)
        ASSERT_EQ(shot.At(1, y), RGB(0, 0, 254 - 2 * y)) << "row " << y;
}

TEST_F(Title, RowsAtTheScreenResolution)
{
    // A new prefix reports 96 pixels per inch.
    ASSERT_EQ(verticalPixelsPerInch, 96);
    ASSERT_EQ(horizontalPixelsPerInch, 96);
    ASSERT_NE(Open(760, 600), nullptr);
    ClientPixels shot(window_);
    CheckRow(shot, 48, {28, 48, true, 24});
    CheckRow(shot, 48, {29, 24, true, 80});
    CheckRow(shot, 48, {30, 32, true, 152});
    CheckRow(shot, 48, {31, 24, false, 600 - 72});
    // Each painting goes through the message buffer; the notice is loaded last.
    EXPECT_STREQ(messageBuffer, LoadMessage2(31));

    Reference font = RenderReference("X", 48, true);
    std::printf("title font as rendered: \"%s\"\n", font.face.c_str());
}

TEST_F(Title, RowsFollowTheSavedResolution)
{
    horizontalPixelsPerInch = 90;
    verticalPixelsPerInch = 90;
    ASSERT_NE(Open(1000, 600), nullptr);
    {
        ClientPixels shot(window_);
        // 22.5, 142.5 and 67.5 round up.
        CheckRow(shot, 45, {28, 45, true, 23});
        CheckRow(shot, 45, {29, 23, true, 75});
        CheckRow(shot, 45, {30, 30, true, 143});
        CheckRow(shot, 45, {31, 23, false, 600 - 68});
    }
    horizontalPixelsPerInch = 120;
    verticalPixelsPerInch = 144;  // x and the heights follow their own axis
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
    {
        ClientPixels shot(window_);
        CheckRow(shot, 60, {28, 72, true, 36});
        CheckRow(shot, 60, {29, 36, true, 120});
        CheckRow(shot, 60, {30, 48, true, 228});
        CheckRow(shot, 60, {31, 36, false, 600 - 108});
    }
}

TEST_F(Title, ResizingMovesOnlyTheNotice)
{
    const RowPlacement top[3] = {{28, 48, true, 24}, {29, 24, true, 80}, {30, 32, true, 152}};
    ASSERT_NE(Open(760, 640), nullptr);
    ClientPixels before(window_);
    InkBox rows[3];
    for (int row = 0; row < 3; ++row)
        rows[row] = CheckRow(before, 48, top[row]);
    InkBox notice = CheckRow(before, 48, {31, 24, false, 640 - 72});

    // Shrinking exposes nothing new: only the class's redraw styles repaint the window.
    Resize(760, 512);
    ClientPixels after(window_);
    ASSERT_EQ(after.height(), 512);
    EXPECT_EQ(after.At(1, 300), RGB(0, 0, 255 - 150));
    EXPECT_EQ(after.At(1, 511), RGB(0, 0, 0));
    for (int row = 0; row < 3; ++row) {
        InkBox same = CheckRow(after, 48, top[row]);
        EXPECT_EQ(same.top, rows[row].top);
        EXPECT_EQ(same.left, rows[row].left);
    }
    InkBox moved = CheckRow(after, 48, {31, 24, false, 512 - 72});
    EXPECT_EQ(notice.top - moved.top, 640 - 512);
    EXPECT_EQ(moved.left, notice.left);
}

TEST(ShadowedText, WhiteTextLiesThreePixelsLeftOfAndAboveItsShadow)
{
    MemoryCanvas canvas(400, 120, RGB(128, 128, 128));
    HFONT font = CreateFontA(40, 0, 0, 0, 700, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Times New Roman");
    HGDIOBJ oldFont = SelectObject(canvas.dc(), font);
    SetBkMode(canvas.dc(), TRANSPARENT);
    DrawShadowedText(canvas.dc(), 50, 30, "HIL");
    EXPECT_EQ(GetTextColor(canvas.dc()), RGB(255, 255, 255));
    SelectObject(canvas.dc(), oldFont);
    DeleteObject(font);

    ClientPixels shot = canvas.Read();
    InkBox white = shot.Find(0, 0, 400, 120, [](COLORREF c, int, int) { return GetBValue(c) > 128; });
    InkBox black = shot.Find(0, 0, 400, 120, [](COLORREF c, int, int) { return GetBValue(c) < 128; });
    ASSERT_FALSE(white.empty());
    ASSERT_FALSE(black.empty());
    // Upright capitals with square corners: every edge of the shadow shows.
    EXPECT_EQ(black.left - white.left, 3);
    EXPECT_EQ(black.top - white.top, 3);
    EXPECT_EQ(black.right - white.right, 3);
    EXPECT_EQ(black.bottom - white.bottom, 3);
    // The text starts at the given point: its cell top is y - 3 for the white copy.
    EXPECT_GE(white.top, 27);
    EXPECT_LT(white.top, 27 + 40 / 2);
    EXPECT_GE(white.left, 47);
    EXPECT_LT(white.left, 47 + 6);

    // The gradient fills the window's client area with brushes of its own and leaves the
    // selected brush in place. 256 rows: one per band.
    MemoryCanvas bands(100, 300, RGB(128, 128, 128));
    HGDIOBJ selected = GetCurrentObject(bands.dc(), OBJ_BRUSH);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 256, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    PaintGradient(bands.dc(), window);
    DestroyWindow(window);
    EXPECT_EQ(GetCurrentObject(bands.dc(), OBJ_BRUSH), selected);
    ClientPixels gradient = bands.Read();
    for (int y = 0; y < 256; ++y)
        ASSERT_EQ(gradient.At(49, y), RGB(0, 0, 255 - y)) << "row " << y;
    EXPECT_EQ(gradient.At(50, 0), RGB(128, 128, 128));
    EXPECT_EQ(gradient.At(0, 256), RGB(128, 128, 128));
}

// A resolution set in the prefix's registry reaches the title through start-up. Wine reads
// LogPixels when a process starts, so a child process (this program again, running only the
// disabled test below) runs the setup's start-up under it. Changing the resolution would upset
// anything else using the prefix meanwhile, so this runs only in a throw-away prefix.
static const char kDesktopKey[] = "Control Panel\\Desktop";

TEST(TitleResolution, FollowsTheResolutionSetInTheRegistry)
{
    char fresh[8] = "";
    GetEnvironmentVariableA("QVX_FRESH_PREFIX", fresh, sizeof fresh);
    if (std::string(fresh) != "1")
        GTEST_SKIP() << "changes the prefix's resolution: run with QVX_FRESH_PREFIX=1";

    HKEY desktop;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &desktop,
                              nullptr),
              ERROR_SUCCESS);
    DWORD dpi = 120;
    ASSERT_EQ(RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi),
              ERROR_SUCCESS);

    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string command = std::string("\"") + program +
                          "\" --gtest_filter=TitleChild.* --gtest_also_run_disabled_tests";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    DWORD code = 1;
    if (started) {
        if (WaitForSingleObject(child.hProcess, 120000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the child did not finish";
            TerminateProcess(child.hProcess, 1);
            WaitForSingleObject(child.hProcess, 10000);
        }
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    RegDeleteValueA(desktop, "LogPixels");
    RegCloseKey(desktop);
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 0u) << "the child's failures are printed above";
}

// In the child: a thread timer looks at the title once it has been painted, then leaves the
// setup through "Exit Setup" in the destination dialog, or, when no dialog has come up, by
// closing the title window.
static int childTicks;
static bool childChecked;

static BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM found)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == mainWindow && std::string(name) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK LookAtTheTitle(HWND, UINT, UINT_PTR timer, DWORD)
{
    ++childTicks;
    if (mainWindow == nullptr || !IsWindowVisible(mainWindow))
        return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&dialog));
    // Without a window manager Wine soon puts a maximised window back to its X window's size
    // (IsZoomed stays true): let that settle before looking.
    if (childTicks < 10 || (dialog == nullptr && childTicks < 30))
        return;
    KillTimer(nullptr, timer);
    UpdateWindow(mainWindow);
    ClientPixels shot(mainWindow);
    RECT frame;
    GetWindowRect(mainWindow, &frame);
    std::printf("title window (%s): zoomed %d, frame %ld,%ld-%ld,%ld, client %dx%d\n",
                dialog != nullptr ? "destination dialog up" : "no dialog", IsZoomed(mainWindow),
                frame.left, frame.top, frame.right, frame.bottom, shot.width(), shot.height());
    CheckRow(shot, 60, {28, 60, true, 30});
    CheckRow(shot, 60, {29, 30, true, 100});
    CheckRow(shot, 60, {30, 40, true, 190});
    CheckRow(shot, 60, {31, 30, false, shot.height() - 90});
    childChecked = true;
    if (dialog != nullptr)
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // "Exit Setup"
    else
        DestroyWindow(mainWindow);
}

TEST(TitleChild, DISABLED_PaintsAtTheResolutionSavedAtStartUp)
{
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    SetTimer(nullptr, 0, 100, LookAtTheTitle);
    EXPECT_EQ(RunSetup(GetModuleHandleA(nullptr), program), 0);
    EXPECT_EQ(verticalPixelsPerInch, 120);
    EXPECT_EQ(horizontalPixelsPerInch, 120);
    EXPECT_TRUE(childChecked);
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "install/install.h"
#include "install/progress.h"
#include "shell/screen.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/pixels.h"
#include "tests/support/support.h"

static const COLORREF kBlue = RGB(0, 0, 255);

class Progress : public ::testing::Test {
protected:
    void SetUp() override
    {
        moduleInstance = GetModuleHandleA(nullptr);
        screenWidth = static_cast<unsigned short>(GetSystemMetrics(SM_CXSCREEN));
        screenHeight = static_cast<unsigned short>(GetSystemMetrics(SM_CYSCREEN));
        cancelFlag = false;
        bytesCopied = 0;
        totalBytes = 1000;
        drawnPercentage = 0;
        ASSERT_NE(owner_, nullptr);
        dialog_ = CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(101), owner_, ProgressDialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
        PumpMessages(200);  // let the dialog finish painting itself before the bar is looked at
    }

    void TearDown() override
    {
        if (dialog_ != nullptr)
            DestroyWindow(dialog_);
    }

    // One owner for all: without a window manager Wine takes seconds to withdraw a window.
    static void SetUpTestSuite()
    {
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 700, 500,
                                 nullptr, nullptr, nullptr, nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(owner_); }

    // Covers the inside of the bar with a colour the bar never uses, to see whether it paints.
    void Smear()
    {
        RECT inside;
        GetClientRect(barControl, &inside);
        InflateRect(&inside, -1, -1);
        HDC dc = GetDC(barControl);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &inside, red);
        DeleteObject(red);
        ReleaseDC(barControl, dc);
    }

    bool StillSmeared()
    {
        ClientPixels bar(barControl);
        return bar.At(bar.width() / 2, bar.height() / 2) == RGB(255, 0, 0) &&
               bar.At(2, 2) == RGB(255, 0, 0) && bar.At(bar.width() - 3, bar.height() - 3) == RGB(255, 0, 0);
    }

    void CopiedSoFar(long copied)
    {
        bytesCopied = copied;
        UpdateProgressBar();
    }

    static HWND owner_;
    HWND dialog_ = nullptr;
};

HWND Progress::owner_;

TEST_F(Progress, OpensOverItsOwnerWithTheControlsKept)
{
    RECT owner;
    GetWindowRect(owner_, &owner);
    RECT dialog;
    GetWindowRect(dialog_, &dialog);
    int width = dialog.right - dialog.left;
    int height = dialog.bottom - dialog.top;
    int centreX = owner.left + (owner.right - owner.left) / 2;
    int centreY = owner.top + static_cast<int>((owner.bottom - owner.top) * static_cast<double>(0.6f));  // the factor is a float
    EXPECT_EQ(dialog.left, centreX - width / 2);
    EXPECT_EQ(dialog.top, centreY - height / 2);

    EXPECT_EQ(barControl, GetDlgItem(dialog_, 103));
    EXPECT_EQ(fileTextControl, GetDlgItem(dialog_, 104));
    EXPECT_EQ(destinationTextControl, GetDlgItem(dialog_, 105));
    EXPECT_NE(barControl, nullptr);
    EXPECT_NE(fileTextControl, nullptr);
    EXPECT_NE(destinationTextControl, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, IDCANCEL));
}

TEST_F(Progress, CancelAsksAndNoKeepsGoing)
{
    MessageBoxAnswerer boxes({IDNO});
    SendMessageA(GetDlgItem(dialog_, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    const MessageBoxInfo& box = boxes.shown[0];
    EXPECT_EQ(box.text, "Exit setup, Are you sure?");
    EXPECT_EQ(box.caption, "OLE for Point of Sale Setup");
    EXPECT_EQ(box.owner, dialog_);
    EXPECT_FALSE(box.ownerEnabled);
    EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2)) << StyleName(box.style);

    EXPECT_FALSE(cancelFlag);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_TRUE(IsWindowEnabled(dialog_));

}

// Presses Enter in the first message box that is up, through the box's dialog manager.
static void CALLBACK PressEnter(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = GetActiveWindow();
    if (box == nullptr || !IsMessageBox(box) || !IsWindowVisible(box))
        return;
    KillTimer(nullptr, timer);
    HWND focus = GetFocus();
    HWND target = focus != nullptr && IsChild(box, focus) ? focus : box;
    PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

TEST_F(Progress, EnterInTheQuestionAnswersNo)
{
    UINT_PTR timer = SetTimer(nullptr, 0, 20, PressEnter);
    SendMessageA(GetDlgItem(dialog_, IDCANCEL), BM_CLICK, 0, 0);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(cancelFlag);
    EXPECT_TRUE(IsWindowVisible(dialog_));
}

TEST_F(Progress, YesRaisesTheFlagAndEndsTheDialogButKeepsItsWindow)
{
    MessageBoxAnswerer boxes({IDYES});
    HWND bar = barControl;
    SendMessageA(GetDlgItem(dialog_, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(cancelFlag);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_TRUE(IsWindow(dialog_));  // destroyed by the install sequence, not here
    EXPECT_EQ(barControl, bar);
    EXPECT_TRUE(IsWindow(barControl));
}

TEST_F(Progress, OnlyTheCancelClickItselfAsks)
{
    MessageBoxAnswerer boxes;
    // Control 2 with a notification code, another control, the OK identifier.
    EXPECT_EQ(ProgressDialogProc(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, 1), 0), TRUE);
    EXPECT_EQ(ProgressDialogProc(dialog_, WM_COMMAND, MAKEWPARAM(104, 0), 0), TRUE);
    EXPECT_EQ(ProgressDialogProc(dialog_, WM_COMMAND, IDOK, 0), TRUE);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(cancelFlag);
    EXPECT_EQ(ProgressDialogProc(dialog_, WM_TIMER, 0, 0), FALSE);
}

// Where a text drawn with TA_CENTER|TA_TOP at (0, 0) in the bar's font puts its ink, and the
// height of "X" in that font.
struct TextInk {
    InkBox ink;
    int heightOfX;
};

static TextInk MeasureInBarFont(const char* text)
{
    HDC bar = GetDC(barControl);
    HGDIOBJ font = GetCurrentObject(bar, OBJ_FONT);
    MemoryCanvas canvas(300, 100, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    SetTextAlign(canvas.dc(), TA_CENTER | TA_TOP);
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), RGB(255, 255, 255));
    SIZE x = {};
    GetTextExtentPointA(canvas.dc(), "X", 1, &x);
    TextOutA(canvas.dc(), 150, 30, text, lstrlenA(text));
    SelectObject(canvas.dc(), old);
    ReleaseDC(barControl, bar);
    TextInk measured;
    measured.heightOfX = x.cy;
    ClientPixels shot = canvas.Read();
    measured.ink = shot.Find(0, 0, 300, 100, [](COLORREF c, int, int) { return c != RGB(0, 0, 0); });
    measured.ink.left -= 150;
    measured.ink.right -= 150;
    measured.ink.top -= 30;
    measured.ink.bottom -= 30;
    return measured;
}

static bool Between(COLORREF c, COLORREF a, COLORREF b)
{
    auto within = [](int v, int p, int q) { return (v >= p && v <= q) || (v >= q && v <= p); };
    return within(GetRValue(c), GetRValue(a), GetRValue(b)) && within(GetGValue(c), GetGValue(a), GetGValue(b)) &&
           within(GetBValue(c), GetBValue(a), GetBValue(b));
}

// Checks a painted bar: the inside split at the filled width, the text centred on the whole inside
// and drawn in the colour of the other part, the frame untouched.
static void CheckBar(int filledNumerator, int filledDenominator, const char* text)
{
    SCOPED_TRACE(text);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    ClientPixels bar(barControl);
    RECT inside = {1, 1, bar.width() - 1, bar.height() - 1};
    int width = inside.right - inside.left;
    int height = inside.bottom - inside.top;
    int edge = inside.left + width * filledNumerator / filledDenominator;

    // Every pixel is the part's colour, the text's colour (the other part's) or, at the smoothed
    // edges of the letters, a shade between the two.
    InkBox ink;
    for (int y = inside.top; y < inside.bottom; ++y)
        for (int x = inside.left; x < inside.right; ++x) {
            COLORREF c = bar.At(x, y);
            COLORREF ground = x < edge ? kBlue : window;
            ASSERT_TRUE(Between(c, kBlue, window)) << x << "," << y << " is " << std::hex << c;
            if (c != ground)
                ink.Add(x, y);
        }
    // The frame is the control's own.
    for (int y = 0; y < bar.height(); ++y) {
        EXPECT_NE(bar.At(0, y), kBlue) << y;
        EXPECT_NE(bar.At(bar.width() - 1, y), kBlue) << y;
    }

    TextInk reference = MeasureInBarFont(text);
    int originX = inside.left + width / 2;
    int originY = inside.top + (height - reference.heightOfX) / 2;
    ASSERT_FALSE(ink.empty());
    EXPECT_EQ(ink.left, originX + reference.ink.left);
    EXPECT_EQ(ink.right, originX + reference.ink.right);
    EXPECT_EQ(ink.top, originY + reference.ink.top);
    EXPECT_EQ(ink.bottom, originY + reference.ink.bottom);
}

TEST_F(Progress, HalfwayBarIsSplitInTheMiddleWithTheTextAcrossBoth)
{
    CopiedSoFar(500);
    EXPECT_EQ(drawnPercentage, 50);
    EXPECT_STREQ(messageBuffer, "50 %");
    CheckBar(1, 2, "50 %");

    // The text straddles the edge: part of it in each colour.
    ClientPixels bar(barControl);
    int middle = 1 + (bar.width() - 2) / 2;
    InkBox leftLetters = bar.Find(1, 1, middle, bar.height() - 1,
                                  [](COLORREF c, int, int) { return c == GetSysColor(COLOR_WINDOW); });
    InkBox rightLetters = bar.Find(middle, 1, bar.width() - 1, bar.height() - 1,
                                   [](COLORREF c, int, int) { return c == RGB(0, 0, 255); });
    EXPECT_FALSE(leftLetters.empty());
    EXPECT_FALSE(rightLetters.empty());
    EXPECT_EQ(bar.At(2, bar.height() / 2), kBlue);
    EXPECT_EQ(bar.At(bar.width() - 3, bar.height() / 2), GetSysColor(COLOR_WINDOW));
}

TEST_F(Progress, TextStaysCentredOnTheWholeBarAtAnyShare)
{
    CopiedSoFar(250);
    CheckBar(1, 4, "25 %");
    CopiedSoFar(875);  // 87.5 rounds up
    EXPECT_STREQ(messageBuffer, "88 %");
    CheckBar(875, 1000, "88 %");
}

TEST_F(Progress, PaintsOnlyWhenTheWholePercentChanges)
{
    Smear();
    CopiedSoFar(4);  // 0.4 % still reads 0, which is what the bar starts from
    EXPECT_TRUE(StillSmeared());
    EXPECT_EQ(drawnPercentage, 0);

    CopiedSoFar(5);  // 0.5 % is the first whole percent
    EXPECT_FALSE(StillSmeared());
    EXPECT_EQ(drawnPercentage, 1);
    EXPECT_STREQ(messageBuffer, "1 %");
    CheckBar(5, 1000, "1 %");

    CopiedSoFar(500);
    Smear();
    std::strcpy(messageBuffer, "kept");
    CopiedSoFar(504);  // 50.4 %: still 50
    EXPECT_TRUE(StillSmeared());
    EXPECT_STREQ(messageBuffer, "kept");
    CopiedSoFar(505);  // 50.5 %: 51
    EXPECT_FALSE(StillSmeared());
    CheckBar(505, 1000, "51 %");
}

TEST_F(Progress, MoreThanTheTotalShowsAFullBarAtOneHundred)
{
    CopiedSoFar(990);
    CopiedSoFar(2500);
    EXPECT_EQ(drawnPercentage, 100);
    EXPECT_STREQ(messageBuffer, "100 %");
    CheckBar(1, 1, "100 %");
}

TEST_F(Progress, ZeroTotalNeverPaints)
{
    totalBytes = 0;
    Smear();
    for (long copied : {0L, 1L, 5000L, 1000000L}) {
        CopiedSoFar(copied);
        EXPECT_TRUE(StillSmeared()) << copied;
        EXPECT_EQ(drawnPercentage, 0);
    }
}

TEST(ProgressWithoutDialog, UpdateIsANoOpBeforeTheDialogExists)
{
    HWND kept = barControl;
    barControl = nullptr;
    totalBytes = 100;
    bytesCopied = 50;
    drawnPercentage = 0;
    std::strcpy(messageBuffer, "untouched");
    UpdateProgressBar();
    EXPECT_EQ(drawnPercentage, 0);
    EXPECT_STREQ(messageBuffer, "untouched");
    barControl = kept;
}

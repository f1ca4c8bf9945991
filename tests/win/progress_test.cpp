#include <gtest/gtest.h>

#include "install/install.h"
#include "install/progress.h"
#include "shell/screen.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/pixels.h"
#include "tests/support/support.h"

TEST(Progress, CentredOverItsOwnerPaintedToTheShareAndCancelledByAskingOnly)
{
    moduleInstance = GetModuleHandleA(nullptr);
    screenWidth = static_cast<unsigned short>(GetSystemMetrics(SM_CXSCREEN));
    screenHeight = static_cast<unsigned short>(GetSystemMetrics(SM_CYSCREEN));
    HWND dialog = CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(101), TestWindow(), ProgressDialogProc, 0);
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT owner, placed;
    GetWindowRect(TestWindow(), &owner);
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.left + (placed.right - placed.left) / 2, owner.left + (owner.right - owner.left) / 2);
    EXPECT_EQ(placed.top + (placed.bottom - placed.top) / 2,
              owner.top + static_cast<int>(static_cast<float>(owner.bottom - owner.top) * 0.6f));

    totalBytes = 1000;
    bytesCopied = 875;  // 87.5 % shows as 88
    UpdateProgressBar();
    EXPECT_EQ(drawnPercentage, 88);
    const COLORREF blue = RGB(0, 0, 255), window = GetSysColor(COLOR_WINDOW);
    ClientPixels bar(barControl);
    const int width = bar.width - 2, height = bar.height - 2, edge = 1 + width * 7 / 8;  // inside the frame
    EXPECT_EQ(bar.At(edge - 1, 1 + height / 2), blue);
    EXPECT_EQ(bar.At(edge, 1 + height / 2), window);
    // The text, all on the blue part, in the window's colour; for reference, the same drawn where it
    // belongs: in the bar's own font, centred on the whole inside, a line high.
    auto isText = [&](COLORREF c, int, int) { return c == window; };
    InkBox text = bar.Find(1, 1, edge, 1 + height, isText);
    HDC dc = GetDC(barControl);
    SIZE line = {};
    GetTextExtentPointA(dc, "X", 1, &line);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    SetBkColor(dc, blue);
    SetTextColor(dc, window);
    RECT part = {1, 1, edge, 1 + height};
    ExtTextOutA(dc, 1 + width / 2, 1 + (height - line.cy) / 2, ETO_OPAQUE | ETO_CLIPPED, &part, "88 %", 4, nullptr);
    ReleaseDC(barControl, dc);
    EXPECT_NE(text[2], 0);
    EXPECT_EQ(ClientPixels(barControl).Find(1, 1, edge, 1 + height, isText), text);

    // Cancel asks; so does closing the title window meanwhile (any window stands in for it).
    cancelFlag = false;
    progressDialog = dialog;
    MessageBoxAnswerer boxes({IDNO, IDYES});
    ProgressDialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_SETFOCUS), 0);  // no click: no question
    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(!cancelFlag && IsWindowVisible(dialog));
    EXPECT_EQ(MainWindowProc(TestWindow(), WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(cancelFlag && !IsWindowVisible(dialog) && IsWindow(TestWindow()));
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const MessageBoxInfo& box : boxes.shown) {
        EXPECT_EQ(box.caption + "|" + box.text + "|" + StyleName(box.style),
                  "OLE for Point of Sale Setup|Exit setup, Are you sure?|MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2");
        EXPECT_TRUE(box.owner == dialog && !box.ownerEnabled);
    }

    // Once the dialog is gone, closing closes, and the bar has nothing to paint on.
    DestroyWindow(dialog);
    HWND title = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MainWindowProc(title, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(title));
    bytesCopied = 500;
    lstrcpyA(messageBuffer, "kept");
    UpdateProgressBar();
    EXPECT_EQ(drawnPercentage, 88);
    EXPECT_STREQ(messageBuffer, "kept");
    EXPECT_EQ(boxes.shown.size(), 2u);
}

#include <gtest/gtest.h>

#include "shell/screen.h"
#include "shell/shell.h"
#include "tests/support/pixels.h"

TEST(Title, BlueScreenWithRowsAtTheSavedResolution)
{
    horizontalPixelsPerInch = 120;  // x follows this one, the rows' heights and places the other
    verticalPixelsPerInch = 144;
    // The title window as the setup registers it, as a borderless pop-up of exactly this client size.
    moduleInstance = GetModuleHandleA(nullptr);
    WNDCLASSA type = {CS_VREDRAW | CS_HREDRAW, MainWindowProc, 0, 0, moduleInstance, nullptr, nullptr, nullptr,
                      nullptr, "QVXTITLETEST"};
    RegisterClassA(&type);
    HWND window = CreateWindowA("QVXTITLETEST", "", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 512, nullptr, nullptr,
                                moduleInstance, nullptr);
    UpdateWindow(window);
    ClientPixels shot(window);
    ASSERT_EQ(shot.height, 512);
    for (int y = 0; y < 512; ++y)  // 256 bands of two rows, pure blue down to black
        ASSERT_EQ(shot.At(1, y), RGB(0, 0, 255 - y / 2)) << "row " << y;

    // For reference, each row in green where its white text belongs: at (x - 3, y - 3), in bold Times
    // New Roman of its cell height, italic but for the notice, which is placed from the bottom.
    const int cells[] = {72, 36, 48, 36}, tops[] = {36, 120, 228, 512 - 108, 512 + 5};
    HDC dc = GetDC(window);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 255, 0));
    for (int row = 0; row < 4; ++row) {
        HGDIOBJ old = SelectObject(dc, CreateFontA(cells[row], 0, 0, 0, 700, row < 3, 0, 0, 0, 0, 0, 0, 0,
                                                   "Times New Roman"));
        RECT at = {60 - 3, tops[row] - 3, 60 - 3, tops[row] - 3};
        DrawTextA(dc, LoadMessage2(28 + row), -1, &at, DT_NOCLIP);
        DeleteObject(SelectObject(dc, old));
    }
    ReleaseDC(window, dc);
    ClientPixels reference(window);
    for (int row = 0; row < 4; ++row) {
        // Any green in the reference, any red in the shot is ink (the shadow: dialogs_e2e).
        const int top = tops[row] - 5, bottom = tops[row + 1] - 5;
        InkBox green = reference.Find(0, top, 1000, bottom, [](COLORREF c, int, int) {
            return GetGValue(c) > GetRValue(c);
        });
        InkBox white = shot.Find(0, top, 1000, bottom, [](COLORREF c, int, int) { return GetRValue(c) > 0; });
        EXPECT_NE(green[2], 0);
        EXPECT_EQ(white, green) << "string " << 28 + row;
    }
}

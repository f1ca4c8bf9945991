#include "shell/title.h"

#include "shell/rounding.h"
#include "shell/screen.h"
#include "shell/shell.h"
#include "shell/titlelayout.h"

enum { kShadowOffset = 3 };

HFONT CreateTitleFont(long sizeTwips, int weight, int italic)
{
    // A positive height asks for the cell height, not the character height.
    return CreateFontA(TwipsToPixels(sizeTwips, verticalPixelsPerInch), 0, 0, 0, weight,
                       static_cast<DWORD>(italic & 0xFF), FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
}

void PaintGradient(HDC dc, HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    for (int i = 0; i < kGradientBands; ++i) {
        int top;
        int bottom;
        GradientBand(client.bottom, i, &top, &bottom);
        RECT band = {client.left, top, client.right, bottom};
        // FillRect does not select the brush, so the context's own brush stays as it was.
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GradientBandColour(i)));
        if (brush != nullptr) {
            FillRect(dc, &band, brush);
            DeleteObject(brush);
        }
    }
}

void DrawShadowedText(HDC dc, int x, int y, const char* text)
{
    const UINT format = DT_LEFT | DT_TOP;
    RECT extent = {x, y, x, y};
    DrawTextA(dc, text, -1, &extent, format | DT_CALCRECT | DT_NOCLIP);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, text, -1, &extent, format | DT_NOCLIP);
    OffsetRect(&extent, -kShadowOffset, -kShadowOffset);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, text, -1, &extent, format | DT_NOCLIP);
}

void PaintTitleScreen(HWND window)
{
    int left = TitleTextLeft(horizontalPixelsPerInch);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    PaintGradient(dc, window);
    SetBkMode(dc, TRANSPARENT);
    for (const TitleRow& row : titleRows) {
        HFONT font = CreateTitleFont(row.fontTwips, kTitleWeight, row.italic);
        // Without the font the row is drawn in the context's current one.
        HGDIOBJ kept = font != nullptr ? SelectObject(dc, font) : nullptr;
        LoadMessage(row.stringId);
        DrawShadowedText(dc, left, TitleRowTop(row, verticalPixelsPerInch, client.bottom), messageBuffer);
        if (font != nullptr) {
            SelectObject(dc, kept);
            DeleteObject(font);
        }
    }
    EndPaint(window, &paint);
}

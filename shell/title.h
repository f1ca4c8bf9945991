// The title screen: blue gradient and shadowed product texts laid out in twips.
#pragma once
#include <windows.h>

// Paints the whole client area on WM_PAINT. Loads the texts through messageBuffer.
void PaintTitleScreen(HWND window);

// 256 horizontal bands over the window's client area, blue at the top to black at the bottom.
void PaintGradient(HDC dc, HWND window);

// text in white at (x, y) over its black shadow 3 pixels right of and below it. The caller sets
// the transparent background; the text colour is left white.
void DrawShadowedText(HDC dc, int x, int y, const char* text);

// "Times New Roman" with a cell sizeTwips high at the saved vertical resolution.
HFONT CreateTitleFont(long sizeTwips, int weight, int italic);

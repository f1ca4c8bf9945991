// The title screen: blue gradient and shadowed product texts laid out in twips.
#pragma once
#include <windows.h>

void PaintTitleScreen(HWND window);

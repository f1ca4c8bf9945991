// Screen size and resolution saved at start-up, and keeping a dialog on the screen.
// Portable: no platform headers.
#pragma once

extern unsigned short screenWidth;
extern unsigned short screenHeight;
extern short horizontalPixelsPerInch;
extern short verticalPixelsPerInch;

// Pulls a window centre so that a w x h window around it stays on the saved screen. Right and
// bottom are checked last, so a window larger than the screen ends flush with those edges.
void ClampToScreen(int* centreX, int* centreY, int width, int height);

#include "shell/screen.h"

unsigned short screenWidth;
unsigned short screenHeight;
short horizontalPixelsPerInch;
short verticalPixelsPerInch;

void ClampToScreen(int* centreX, int* centreY, int width, int height)
{
    int halfWidth = width / 2;
    int halfHeight = height / 2;
    if (*centreX - halfWidth < 0)
        *centreX = halfWidth;
    if (*centreY - halfHeight < 0)
        *centreY = halfHeight;
    if (*centreX + halfWidth > screenWidth)
        *centreX = screenWidth - halfWidth;
    if (*centreY + halfHeight > screenHeight)
        *centreY = screenHeight - halfHeight;
}

#include "shell/titlelayout.h"

#include "resources/resource.h"
#include "shell/rounding.h"

const TitleRow titleRows[kTitleRowCount] = {
    {IDS_TITLE_LINE1, 720, true, 360, false},
    {IDS_TITLE_LINE2, 360, true, 1200, false},
    {IDS_TITLE_LINE3, 480, true, 2280, false},
    {IDS_NOTICE, 360, false, 1080, true},
};

void GradientBand(int clientBottom, int index, int* top, int* bottom)
{
    // A power-of-two division is exact in single precision, so 256 bands end on the bottom.
    float height = static_cast<float>(clientBottom * (1.0 / kGradientBands));
    *top = static_cast<int>(static_cast<float>(index) * height);
    *bottom = static_cast<int>(static_cast<float>(index + 1) * height);
}

unsigned long GradientBandColour(int index)
{
    return static_cast<unsigned long>(255 - index) << 16;
}

int TitleTextLeft(short horizontalPixelsPerInch)
{
    return TwipsToPixels(720, horizontalPixelsPerInch);
}

int TitleRowTop(const TitleRow& row, short verticalPixelsPerInch, int clientBottom)
{
    int offset = TwipsToPixels(row.offsetTwips, verticalPixelsPerInch);
    return row.fromBottom ? clientBottom - offset : offset;
}

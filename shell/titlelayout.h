// Geometry of the title screen: the gradient bands and where the four text rows go.
// Portable: no platform headers.
#pragma once

enum { kGradientBands = 256, kTitleRowCount = 4, kTitleWeight = 700 };

// Pixel rows [top, bottom) of a gradient band in a client area clientBottom pixels high. Bands
// cover the area exactly; below 256 pixels some of them are empty.
void GradientBand(int clientBottom, int index, int* top, int* bottom);

// Colour of a band as a COLORREF: blue 255 at the top down to black.
unsigned long GradientBandColour(int index);

struct TitleRow {
    int stringId;
    long fontTwips;    // character cell height
    bool italic;
    long offsetTwips;  // top of the text below the client top, or above the bottom
    bool fromBottom;
};
extern const TitleRow titleRows[kTitleRowCount];

// Left edge of every row: half an inch in.
int TitleTextLeft(short horizontalPixelsPerInch);

// Top of a row's text in client pixels.
int TitleRowTop(const TitleRow& row, short verticalPixelsPerInch, int clientBottom);

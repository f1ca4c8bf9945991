// The progress bar's arithmetic: share copied, rounded percentage, filled width and where the
// percentage text goes. Portable: no platform headers.
#pragma once

// copied / total, within 0 to 1. A total of 0 (or less) gives 0 without dividing.
float ProgressFraction(long copied, long total);

// The whole percentage the bar shows for a fraction, halves rounded upward (37.5 gives 38).
int ProgressPercentage(float fraction);

// Width of the filled part of a bar whose inside is width pixels wide, truncated.
int FilledWidth(int width, float fraction);

// Origin for text drawn centred (TA_CENTER|TA_TOP) across the whole inside of the bar: the
// horizontal centre and the top of a line textHeight pixels high. Halves round toward minus
// infinity, so a font taller than the bar still sits symmetrically.
void ProgressTextOrigin(int left, int top, int width, int height, int textHeight, int* x, int* y);

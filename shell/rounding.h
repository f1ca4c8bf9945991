// Rounding and twips conversion for the title layout and the progress bar.
// Portable: no platform headers.
#pragma once

// Nearest integer of a non-negative value, halves upward (22.5 gives 23, not the even 22).
short RoundHalfAway(float value);

// Twips (1440 to the inch) to pixels at the given resolution, rounded half upward.
short TwipsToPixels(long twips, short pixelsPerInch);

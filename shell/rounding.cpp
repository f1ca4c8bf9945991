#include "shell/rounding.h"

#include <cmath>

short RoundHalfAway(float value)
{
    float whole;
    float fraction = std::modf(value, &whole);
    return static_cast<short>(fraction < 0.5f ? whole : whole + 1.0f);
}

short TwipsToPixels(long twips, short pixelsPerInch)
{
    // Product in double, then held in single precision before the rounding, as the layout
    // figures are defined.
    float value = static_cast<float>(static_cast<double>(twips) * (1.0 / 1440.0) * pixelsPerInch);
    return RoundHalfAway(value);
}

#include "install/progressmath.h"

#include "shell/rounding.h"

static int HalfDown(int value)
{
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

float ProgressFraction(long copied, long total)
{
    if (total <= 0)
        return 0.0f;
    float fraction = static_cast<float>(static_cast<double>(copied) / static_cast<double>(total));
    if (fraction > 1.0f)
        return 1.0f;
    // Only a miscounted (negative) counter could get here; the rounding takes no negatives.
    if (fraction < 0.0f)
        return 0.0f;
    return fraction;
}

int ProgressPercentage(float fraction)
{
    return RoundHalfAway(static_cast<float>(fraction * 100.0));
}

int FilledWidth(int width, float fraction)
{
    return static_cast<int>(width * fraction);
}

void ProgressTextOrigin(int left, int top, int width, int height, int textHeight, int* x, int* y)
{
    *x = left + HalfDown(width);
    *y = top + HalfDown(height - textHeight);
}

#include <gtest/gtest.h>

#include "install/progressmath.h"

static int PercentageOf(long copied, long total)
{
    return ProgressPercentage(ProgressFraction(copied, total));
}

TEST(ProgressPercentage, HalvesRoundUpAndBelowHalvesDown)
{
    EXPECT_EQ(PercentageOf(375, 1000), 38);
    EXPECT_EQ(PercentageOf(3749, 10000), 37);
    EXPECT_EQ(PercentageOf(1003125, 2675000), 38);  // exactly 37.5 % of the product's total
    EXPECT_EQ(PercentageOf(1, 2), 50);
    EXPECT_EQ(PercentageOf(1000, 1000), 100);
}

TEST(ProgressPercentage, FirstWholePercentAtHalfAPercent)
{
    // The bar starts at 0 and is first painted when the rounding reaches 1.
    EXPECT_EQ(PercentageOf(4, 1000), 0);
    EXPECT_EQ(PercentageOf(5, 1000), 1);
    EXPECT_EQ(PercentageOf(13374, 2675000), 0);
    EXPECT_EQ(PercentageOf(13375, 2675000), 1);
}

TEST(ProgressFraction, NeverAboveOneAndZeroTotalDividesNothing)
{
    EXPECT_EQ(ProgressFraction(2675001, 2675000), 1.0f);
    EXPECT_EQ(ProgressFraction(0x7FFFFFFFL, 1), 1.0f);
    EXPECT_EQ(PercentageOf(5000000, 2675000), 100);
    // A zero total would be a division by zero (inf or NaN): it gives 0, and so does a
    // nonsensical negative one.
    EXPECT_EQ(ProgressFraction(0, 0), 0.0f);
    EXPECT_EQ(ProgressFraction(12345, 0), 0.0f);
    EXPECT_EQ(ProgressFraction(12345, -10), 0.0f);
    EXPECT_EQ(ProgressFraction(-5, 100), 0.0f);
    EXPECT_EQ(PercentageOf(12345, 0), 0);
}

TEST(ProgressPercentage, ClimbsOnePercentAtATimeThroughAWholeCopy)
{
    // Block by block through the product's total, as the copy reports it: the percentage never
    // falls, never skips a value, and matches exact half-up rounding of 100 * copied / total.
    const long total = 2675000;
    int last = 0;
    for (long copied = 0; copied <= total + 4096; copied += 2048) {
        int shown = PercentageOf(copied, total);
        long long exact = (200LL * copied + total) / (2LL * total);
        if (exact > 100)
            exact = 100;
        ASSERT_EQ(shown, exact) << copied;
        ASSERT_GE(shown, last) << copied;
        ASSERT_LE(shown - last, 1) << copied;
        last = shown;
    }
    EXPECT_EQ(last, 100);
}

TEST(FilledWidth, TruncatesTowardZero)
{
    EXPECT_EQ(FilledWidth(179, 0.5f), 89);
    EXPECT_EQ(FilledWidth(180, 0.5f), 90);
    EXPECT_EQ(FilledWidth(179, 0.0f), 0);
    EXPECT_EQ(FilledWidth(179, 1.0f), 179);
    EXPECT_EQ(FilledWidth(179, ProgressFraction(2, 3)), 119);  // 119.33
    EXPECT_EQ(FilledWidth(179, ProgressFraction(999, 1000)), 178);  // 178.82, not rounded up
}

TEST(ProgressTextOrigin, CentresOnTheWholeInside)
{
    int x = 0;
    int y = 0;
    ProgressTextOrigin(1, 1, 178, 18, 13, &x, &y);
    EXPECT_EQ(x, 90);
    EXPECT_EQ(y, 3);  // 1 + 5/2
    ProgressTextOrigin(1, 1, 179, 19, 13, &x, &y);
    EXPECT_EQ(x, 90);
    EXPECT_EQ(y, 4);
    // A font taller than the bar: the spare height is negative and halves downward.
    ProgressTextOrigin(1, 1, 10, 10, 13, &x, &y);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(y, -1);
    ProgressTextOrigin(1, 1, 10, 10, 14, &x, &y);
    EXPECT_EQ(y, -1);
}

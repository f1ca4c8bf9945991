#include <gtest/gtest.h>

#include "shell/rounding.h"

TEST(RoundHalfAway, HalvesGoUp)
{
    EXPECT_EQ(RoundHalfAway(22.5f), 23);
    EXPECT_EQ(RoundHalfAway(142.5f), 143);
    EXPECT_EQ(RoundHalfAway(67.5f), 68);
    EXPECT_EQ(RoundHalfAway(37.49f), 37);
    EXPECT_EQ(RoundHalfAway(37.5f), 38);
    EXPECT_EQ(RoundHalfAway(0.0f), 0);
    EXPECT_EQ(RoundHalfAway(0.49999997f), 0);
    EXPECT_EQ(RoundHalfAway(100.0f), 100);
}

TEST(TwipsToPixels, LayoutTable)
{
    const long twips[] = {360, 480, 720, 1080, 1200, 2280};
    const short ppi[] = {72, 90, 96, 120, 144};
    const short expected[6][5] = {
        {18, 23, 24, 30, 36},   {24, 30, 32, 40, 48},      {36, 45, 48, 60, 72},
        {54, 68, 72, 90, 108},  {60, 75, 80, 100, 120},    {114, 143, 152, 190, 228},
    };
    for (int t = 0; t < 6; ++t)
        for (int p = 0; p < 5; ++p)
            EXPECT_EQ(TwipsToPixels(twips[t], ppi[p]), expected[t][p])
                << twips[t] << " twips at " << ppi[p] << " ppi";
}

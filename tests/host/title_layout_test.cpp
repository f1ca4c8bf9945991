#include <gtest/gtest.h>

#include "shell/rounding.h"
#include "shell/titlelayout.h"

static void ExpectBandsTile(int clientBottom)
{
    int previousBottom = 0;
    for (int i = 0; i < kGradientBands; ++i) {
        int top;
        int bottom;
        GradientBand(clientBottom, i, &top, &bottom);
        ASSERT_EQ(top, previousBottom) << "band " << i << " of " << clientBottom;
        ASSERT_GE(bottom, top) << "band " << i << " of " << clientBottom;
        previousBottom = bottom;
    }
    EXPECT_EQ(previousBottom, clientBottom);
}

TEST(GradientBand, BandsCoverTheClientAreaExactly)
{
    for (int height : {0, 1, 100, 128, 255, 256, 257, 512, 747, 768, 1080, 1200, 4096})
        ExpectBandsTile(height);
}

TEST(GradientBand, ShortClientLeavesEveryOtherBandEmpty)
{
    // 128 pixels: band 0 is empty, band 1 is the first to paint the top row (blue 254).
    int top;
    int bottom;
    GradientBand(128, 0, &top, &bottom);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(bottom, 0);
    GradientBand(128, 1, &top, &bottom);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(bottom, 1);
    EXPECT_EQ(GradientBandColour(1), 0xFE0000ul);
    GradientBand(128, 255, &top, &bottom);
    EXPECT_EQ(top, 127);
    EXPECT_EQ(bottom, 128);
    EXPECT_EQ(GradientBandColour(255), 0ul);
}

TEST(GradientBand, HeightsAtCommonClientSizes)
{
    for (int i = 0; i < kGradientBands; ++i) {
        int top;
        int bottom;
        GradientBand(512, i, &top, &bottom);
        ASSERT_EQ(top, 2 * i);
        ASSERT_EQ(bottom - top, 2);
    }
    // 1080 / 256 = 4.21875: 56 of the bands get a fifth row.
    int tall = 0;
    for (int i = 0; i < kGradientBands; ++i) {
        int top;
        int bottom;
        GradientBand(1080, i, &top, &bottom);
        ASSERT_TRUE(bottom - top == 4 || bottom - top == 5) << i;
        tall += bottom - top == 5;
    }
    EXPECT_EQ(tall, 56);
    int top;
    int bottom;
    GradientBand(1080, 1, &top, &bottom);
    EXPECT_EQ(top, 4);
    EXPECT_EQ(bottom, 8);  // 8.4375
    GradientBand(1080, 255, &top, &bottom);
    EXPECT_EQ(top, 1075);  // 1075.78
}

TEST(GradientBand, ColourRunsFromBlueToBlack)
{
    EXPECT_EQ(GradientBandColour(0), 0xFF0000ul);
    EXPECT_EQ(GradientBandColour(128), 0x7F0000ul);
    EXPECT_EQ(GradientBandColour(255), 0x000000ul);
}

TEST(TitleLayout, RowsAndFontsAtEveryResolution)
{
    struct Expected {
        short ppi;
        int left;
        int tops[3];
        int noticeAboveBottom;
        int fonts[4];
    };
    const Expected table[] = {
        {72, 36, {18, 60, 114}, 54, {36, 18, 24, 18}},
        {90, 45, {23, 75, 143}, 68, {45, 23, 30, 23}},
        {96, 48, {24, 80, 152}, 72, {48, 24, 32, 24}},
        {120, 60, {30, 100, 190}, 90, {60, 30, 40, 30}},
        {144, 72, {36, 120, 228}, 108, {72, 36, 48, 36}},
    };
    for (const Expected& e : table) {
        EXPECT_EQ(TitleTextLeft(e.ppi), e.left) << e.ppi;
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(TitleRowTop(titleRows[row], e.ppi, 768), e.tops[row]) << e.ppi << " row " << row;
            // Rows hung from the top ignore the client height.
            EXPECT_EQ(TitleRowTop(titleRows[row], e.ppi, 300), e.tops[row]) << e.ppi << " row " << row;
        }
        EXPECT_EQ(TitleRowTop(titleRows[3], e.ppi, 768), 768 - e.noticeAboveBottom) << e.ppi;
        EXPECT_EQ(TitleRowTop(titleRows[3], e.ppi, 500), 500 - e.noticeAboveBottom) << e.ppi;
        for (int row = 0; row < kTitleRowCount; ++row)
            EXPECT_EQ(TwipsToPixels(titleRows[row].fontTwips, e.ppi), e.fonts[row]) << e.ppi << " row " << row;
    }
}

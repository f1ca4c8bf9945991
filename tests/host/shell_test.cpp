#include <gtest/gtest.h>

#include <utility>

#include "shell/paths.h"
#include "shell/rounding.h"
#include "shell/screen.h"
#include "shell/text.h"
#include "shell/titlelayout.h"

TEST(Text, NumbersFollowAtoiSaturatingAt32BitsAndTextsAreNeverCut)
{
    const std::pair<const char*, long> rows[] = {
        {"2675000", 2675000}, {"  \t\n12abc", 12}, {"-7", -7}, {"+3", 3}, {"", 0}, {"- 5", 0}, {"0x10", 0},
        {"2147483647", 2147483647L}, {"99999999999999999999999", 2147483647L},
        {"-2147483648", -2147483647L - 1}, {"-99999999999999999999999", -2147483647L - 1}};
    for (const auto& row : rows)
        EXPECT_EQ(ParseNumber(row.first), row.second) << row.first;
    char buffer[8] = "keep", text[10] = "keep";
    EXPECT_FALSE(ComposeText(buffer, sizeof buffer, {"1234", "5678"}));  // needs 9 bytes
    EXPECT_FALSE(FormatText(text, sizeof text, "%s%s", "12345", "67890"));
    EXPECT_STREQ(buffer, "keep");
    EXPECT_STREQ(text, "keep");
    ASSERT_TRUE(ComposeText(buffer, sizeof buffer, {"c:\\", "op"}));
    ASSERT_TRUE(ComposeText(buffer, sizeof buffer, {buffer, "os"}));  // in place, exactly 8 bytes
    EXPECT_STREQ(buffer, "c:\\opos");
    ASSERT_TRUE(FormatText(text, sizeof text, "%d%%", 37));
    ASSERT_TRUE(FormatText(text, sizeof text, "[%s]....", text));  // an argument in the buffer, exactly 10
    EXPECT_STREQ(text, "[37%]....");
}

TEST(ClampToScreen, KeepsTheWindowOnTheScreen)
{
    screenWidth = 800;
    screenHeight = 600;
    const struct { int x, y, width, height, clampedX, clampedY; } rows[] = {
        {400, 300, 200, 100, 400, 300}, {50, 10, 200, 100, 100, 50}, {790, 590, 201, 101, 700, 550},
        {400, 300, 1000, 700, 300, 250} /* larger than the screen: the right and bottom edges win */};
    for (auto row : rows) {
        ClampToScreen(&row.x, &row.y, row.width, row.height);
        EXPECT_EQ(std::make_pair(row.x, row.y), std::make_pair(row.clampedX, row.clampedY)) << row.width;
    }
}

TEST(DirectoryOfPath, KeepsDriveAndDirectoryAndRefusesWhatWouldNotFit)
{
    const struct { const char* path; bool drive; const char* directory; } rows[] = {
        {"c:\\abc\\x.exe", true, "c:\\abc\\"} /* exactly 8 bytes */, {"c:/d/s.exe", true, "c:/d/"},
        {"e:setup.exe", true, "e:"} /* drive-relative */, {"\\\\s\\h\\SETUP.EXE", false, "\\\\s\\h\\"},
        {"SETUP.EXE", false, ""}};
    char out[8] = "keep";
    EXPECT_FALSE(DirectoryOfPath("c:\\abcd\\x.exe", out, sizeof out));
    EXPECT_STREQ(out, "keep");
    for (const auto& row : rows) {
        EXPECT_EQ(HasDriveLetter(row.path), row.drive) << row.path;
        ASSERT_TRUE(DirectoryOfPath(row.path, out, sizeof out)) << row.path;
        EXPECT_STREQ(out, row.directory);
    }
}

TEST(TitleLayout, BandsFromBlueToBlackAndRowsAndFontsAtEveryResolution)
{
    int top = 0, bottom = 0;
    for (int height : {0, 1, 128, 255, 257, 747, 768, 1080, 4096})
        for (int i = 0, previous = 0; i < kGradientBands; previous = bottom, ++i) {
            GradientBand(height, i, &top, &bottom);
            ASSERT_TRUE(top == previous && bottom >= top && (i < 255 || bottom == height)) << i << " of " << height;
        }
    GradientBand(1080, 1, &top, &bottom);  // 4.21875 rows a band, cut toward the top
    EXPECT_EQ(std::make_pair(top, bottom), std::make_pair(4, 8));
    EXPECT_EQ(GradientBandColour(0), 0xFF0000ul);
    EXPECT_EQ(GradientBandColour(128), 0x7F0000ul);
    EXPECT_EQ(GradientBandColour(255), 0ul);
    const struct { short ppi; int left, tops[3], noticeAboveBottom, fonts[4]; } rows[] = {
        {72, 36, {18, 60, 114}, 54, {36, 18, 24, 18}},   {90, 45, {23, 75, 143}, 68, {45, 23, 30, 23}},
        {96, 48, {24, 80, 152}, 72, {48, 24, 32, 24}},   {120, 60, {30, 100, 190}, 90, {60, 30, 40, 30}},
        {144, 72, {36, 120, 228}, 108, {72, 36, 48, 36}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ppi);
        EXPECT_EQ(TitleTextLeft(row.ppi), row.left);
        for (int i = 0; i < kTitleRowCount; ++i) {  // the notice hangs from the bottom
            EXPECT_EQ(TitleRowTop(titleRows[i], row.ppi, 500), i < 3 ? row.tops[i] : 500 - row.noticeAboveBottom);
            EXPECT_EQ(TwipsToPixels(titleRows[i].fontTwips, row.ppi), row.fonts[i]) << "row " << i;
        }
    }
    EXPECT_EQ(RoundHalfAway(37.5f), 38);
    EXPECT_EQ(RoundHalfAway(0.49999997f), 0);  // not 0.5 added and cut
}

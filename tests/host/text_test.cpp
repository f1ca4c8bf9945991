#include <gtest/gtest.h>

#include <cstring>

#include "shell/paths.h"
#include "shell/screen.h"
#include "shell/text.h"

TEST(ParseNumber, FollowsAtoi)
{
    EXPECT_EQ(ParseNumber("2675000"), 2675000);
    EXPECT_EQ(ParseNumber("  \t\n12abc"), 12);
    EXPECT_EQ(ParseNumber("-7"), -7);
    EXPECT_EQ(ParseNumber("+3"), 3);
    EXPECT_EQ(ParseNumber(""), 0);
    EXPECT_EQ(ParseNumber("abc"), 0);
    EXPECT_EQ(ParseNumber("- 5"), 0);
    EXPECT_EQ(ParseNumber("--5"), 0);
    EXPECT_EQ(ParseNumber("0x10"), 0);
    EXPECT_EQ(ParseNumber("1 2"), 1);
}

TEST(ParseNumber, SaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(ParseNumber("2147483647"), 2147483647L);
    EXPECT_EQ(ParseNumber("99999999999999999999999"), 2147483647L);
    EXPECT_EQ(ParseNumber("-2147483648"), -2147483647L - 1);
    EXPECT_EQ(ParseNumber("-99999999999999999999999"), -2147483647L - 1);
}

TEST(ComposeText, JoinsPartsThatFit)
{
    char buffer[12];
    ASSERT_TRUE(ComposeText(buffer, sizeof buffer, {"c:\\", "opos", "\\"}));
    EXPECT_STREQ(buffer, "c:\\opos\\");
    ASSERT_TRUE(ComposeText(buffer, sizeof buffer, {buffer, "qvx"}));  // append in place
    EXPECT_STREQ(buffer, "c:\\opos\\qvx");
    ASSERT_TRUE(ComposeText(buffer, sizeof buffer, {}));
    EXPECT_STREQ(buffer, "");
}

TEST(ComposeText, RefusesWithoutCuttingOrOverflowing)
{
    char buffer[8] = "keep";
    EXPECT_FALSE(ComposeText(buffer, sizeof buffer, {"1234", "5678"}));  // needs 9 bytes
    EXPECT_STREQ(buffer, "keep");
    EXPECT_TRUE(ComposeText(buffer, sizeof buffer, {"1234", "567"}));  // exactly 8 with the NUL
    EXPECT_STREQ(buffer, "1234567");
}

TEST(FormatText, RefusesWhatWouldNotFit)
{
    char buffer[10] = "keep";
    EXPECT_FALSE(FormatText(buffer, sizeof buffer, "%s%s", "12345", "67890"));
    EXPECT_STREQ(buffer, "keep");
    EXPECT_TRUE(FormatText(buffer, sizeof buffer, "%d %%", 37));
    EXPECT_STREQ(buffer, "37 %");
    EXPECT_TRUE(FormatText(buffer, sizeof buffer, "[%s]", buffer));  // argument in the buffer
    EXPECT_STREQ(buffer, "[37 %]");
}

TEST(ClampToScreen, KeepsTheWindowOnTheSavedScreen)
{
    screenWidth = 800;
    screenHeight = 600;
    int x = 400, y = 300;
    ClampToScreen(&x, &y, 200, 100);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);

    x = 50, y = 10;  // off the left and top: flush with them
    ClampToScreen(&x, &y, 200, 100);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);

    x = 790, y = 590;  // off the right and bottom
    ClampToScreen(&x, &y, 201, 101);
    EXPECT_EQ(x, 700);
    EXPECT_EQ(y, 550);

    x = 400, y = 300;  // larger than the screen: right and bottom edges win
    ClampToScreen(&x, &y, 1000, 700);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 250);
}

TEST(DirectoryOfPath, KeepsDriveAndDirectory)
{
    char out[260];
    EXPECT_TRUE(HasDriveLetter("D:\\INSTALL\\SETUP.EXE"));
    ASSERT_TRUE(DirectoryOfPath("D:\\INSTALL\\SETUP.EXE", out, sizeof out));
    EXPECT_STREQ(out, "D:\\INSTALL\\");
    ASSERT_TRUE(DirectoryOfPath("c:/dist/sub/setup.exe", out, sizeof out));
    EXPECT_STREQ(out, "c:/dist/sub/");
    ASSERT_TRUE(DirectoryOfPath("e:setup.exe", out, sizeof out));
    EXPECT_STREQ(out, "e:");

    EXPECT_FALSE(HasDriveLetter("SETUP.EXE"));
    EXPECT_FALSE(HasDriveLetter("..\\dist\\SETUP.EXE"));
    EXPECT_FALSE(HasDriveLetter("\\\\server\\share\\SETUP.EXE"));
    ASSERT_TRUE(DirectoryOfPath("\\\\server\\share\\SETUP.EXE", out, sizeof out));
    EXPECT_STREQ(out, "\\\\server\\share\\");
    ASSERT_TRUE(DirectoryOfPath("SETUP.EXE", out, sizeof out));
    EXPECT_STREQ(out, "");
}

TEST(DirectoryOfPath, RefusesWhatWouldNotFit)
{
    char out[8] = "keep";
    EXPECT_FALSE(DirectoryOfPath("c:\\abcdef\\x.exe", out, sizeof out));
    EXPECT_STREQ(out, "keep");
    EXPECT_TRUE(DirectoryOfPath("c:\\abc\\x.exe", out, sizeof out));  // 7 characters fit
    EXPECT_STREQ(out, "c:\\abc\\");
}

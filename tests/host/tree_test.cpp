#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "destination/tree.h"

// The levels CreateDirectoryTree tests and creates for path, in walk order; {"<refused>"} when
// the path does not fit the working copy.
static std::vector<std::string> Levels(const char* path)
{
    char tree[kTreeBufferSize];
    std::memset(tree, 'x', sizeof tree);
    if (!TreeDirectoryPart(path, tree))
        return {"<refused>"};
    std::vector<std::string> levels;
    std::size_t end;
    for (std::size_t at = FirstLevelSearch(tree); (end = NextLevelEnd(tree, at)) != 0; at = end + 1)
        levels.emplace_back(tree, end);
    return levels;
}

using Walk = std::vector<std::string>;

TEST(TrimTrailing, RemovesOnlyTheTrailingRun)
{
    char text[32] = "c:\\opos\\qvx   ";
    TrimTrailing(text, ' ');
    EXPECT_STREQ(text, "c:\\opos\\qvx");
    TrimTrailing(text, ' ');  // nothing left to trim
    EXPECT_STREQ(text, "c:\\opos\\qvx");

    std::strcpy(text, "  a b  ");
    TrimTrailing(text, ' ');
    EXPECT_STREQ(text, "  a b");

    std::strcpy(text, "    ");  // all of it, without stepping before the start
    TrimTrailing(text, ' ');
    EXPECT_STREQ(text, "");
    TrimTrailing(text, ' ');
    EXPECT_STREQ(text, "");

    std::strcpy(text, "c:\\a\\\\");
    TrimTrailing(text, '\\');
    EXPECT_STREQ(text, "c:\\a");
}

TEST(TreeDirectoryPart, KeepsDriveAndDirectoryOnly)
{
    char tree[kTreeBufferSize];
    ASSERT_TRUE(TreeDirectoryPart("c:\\opos\\qvx\\SAMPLE\\TESTCARD.EX_", tree));
    EXPECT_STREQ(tree, "c:\\opos\\qvx\\SAMPLE\\");
    ASSERT_TRUE(TreeDirectoryPart("c:\\opos\\qvx", tree));  // the last component is a name
    EXPECT_STREQ(tree, "c:\\opos\\");
    ASSERT_TRUE(TreeDirectoryPart("c:\\opos\\qvx\\", tree));
    EXPECT_STREQ(tree, "c:\\opos\\qvx\\");
    ASSERT_TRUE(TreeDirectoryPart("c:\\a/b.txt", tree));  // a slash also ends the directory
    EXPECT_STREQ(tree, "c:\\a/");
    ASSERT_TRUE(TreeDirectoryPart("x.txt", tree));
    EXPECT_STREQ(tree, "");
}

TEST(TreeDirectoryPart, RefusesPathsBeyondTheWorkingCopy)
{
    char tree[kTreeBufferSize] = "untouched";
    std::string fits = "c:\\" + std::string(246, 'd') + "\\f.txt";  // 255 characters
    ASSERT_EQ(fits.size(), 255u);
    ASSERT_TRUE(TreeDirectoryPart(fits.c_str(), tree));
    EXPECT_EQ(std::string(tree), fits.substr(0, 250));

    std::strcpy(tree, "untouched");
    std::string longer = fits + "x";  // 256: the copy would lose its terminator
    EXPECT_FALSE(TreeDirectoryPart(longer.c_str(), tree));
    EXPECT_STREQ(tree, "untouched");
    std::string huge(4000, 'a');
    EXPECT_FALSE(TreeDirectoryPart(huge.c_str(), tree));
    EXPECT_EQ(Levels(huge.c_str()), Walk{"<refused>"});
}

TEST(DirectoryLevels, WalkEveryLevelBelowTheRoot)
{
    EXPECT_EQ(Levels("c:\\opos\\qvx\\SAMPLE\\TESTCARD.EX_"),
              (Walk{"c:\\opos", "c:\\opos\\qvx", "c:\\opos\\qvx\\SAMPLE"}));
    EXPECT_EQ(Levels("c:\\opos\\qvx"), Walk{"c:\\opos"});
    EXPECT_EQ(Levels("c:\\opos\\qvx\\"), (Walk{"c:\\opos", "c:\\opos\\qvx"}));
    EXPECT_EQ(Levels("c:\\opos\\qvx\\System\\MFC42.DL_"),
              (Walk{"c:\\opos", "c:\\opos\\qvx", "c:\\opos\\qvx\\System"}));
}

TEST(DirectoryLevels, NothingToMakeForRootsAndBareNames)
{
    EXPECT_EQ(Levels("c:\\x.txt"), Walk{});
    EXPECT_EQ(Levels("c:\\"), Walk{});
    EXPECT_EQ(Levels("c:x.txt"), Walk{});
    EXPECT_EQ(Levels("x.txt"), Walk{});
    EXPECT_EQ(Levels("\\x.txt"), Walk{});
    EXPECT_EQ(Levels(""), Walk{});
}

TEST(DirectoryLevels, OddShapes)
{
    // Without a drive the walk starts past the first character.
    EXPECT_EQ(Levels("a\\b\\c.txt"), (Walk{"a", "a\\b"}));
    EXPECT_EQ(Levels("\\opos\\qvx\\f"), (Walk{"\\opos", "\\opos\\qvx"}));
    // A drive without a root: its first level is relative to the drive's current directory.
    EXPECT_EQ(Levels("c:opos\\f"), Walk{"c:opos"});
    // Slashes stay inside a level; a directory ending in one is still a level of its own.
    EXPECT_EQ(Levels("c:\\a/b\\c/d.txt"), (Walk{"c:\\a/b", "c:\\a/b\\c/"}));
    // Doubled separators give a level that ends in a backslash.
    EXPECT_EQ(Levels("c:\\a\\\\b\\f"), (Walk{"c:\\a", "c:\\a\\", "c:\\a\\\\b"}));
}

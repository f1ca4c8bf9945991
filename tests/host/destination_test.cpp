#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "destination/freespace.h"
#include "destination/pathchar.h"
#include "destination/tree.h"

TEST(DestinationTree, TrimsTheTrailingRunAndWalksEveryLevelBelowTheRoot)
{
    const struct { const char* text; char c; const char* trimmed; } trims[] = {
        {"c:\\opos\\qvx   ", ' ', "c:\\opos\\qvx"}, {"  a b  ", ' ', "  a b"}, {"    ", ' ', ""}, {"", ' ', ""},
        {"c:\\a\\\\", '\\', "c:\\a"}};
    for (const auto& row : trims) {
        char text[16];
        TrimTrailing(std::strcpy(text, row.text), row.c);
        EXPECT_STREQ(text, row.trimmed) << row.text;
    }
    // The levels CreateDirectoryTree tests and creates for a path, in walk order.
    using Walk = std::vector<std::string>;
    const std::string deep = "c:\\" + std::string(246, 'd');
    const struct { std::string path; Walk levels; } rows[] = {
        {"c:\\opos\\qvx\\SAMPLE\\TESTCARD.EX_", {"c:\\opos", "c:\\opos\\qvx", "c:\\opos\\qvx\\SAMPLE"}},
        {"c:\\opos\\qvx", {"c:\\opos"}} /* the last component is a name */,
        {"c:\\opos\\qvx\\", {"c:\\opos", "c:\\opos\\qvx"}},
        {"c:\\x.txt", {}}, {"c:\\", {}}, {"c:x.txt", {}}, {"x.txt", {}}, {"\\x.txt", {}}, {"", {}},
        {"a\\b\\c.txt", {"a", "a\\b"}}, {"\\opos\\qvx\\f", {"\\opos", "\\opos\\qvx"}}, {"c:opos\\f", {"c:opos"}},
        {"c:\\a/b\\c/d.txt", {"c:\\a/b", "c:\\a/b\\c/"}} /* a slash ends the directory, not a level */,
        {"c:\\a\\\\b\\f", {"c:\\a", "c:\\a\\", "c:\\a\\\\b"}},
        {deep + "\\f.txt", {deep}} /* 255 characters: the longest that fits */,
        {deep + "\\fx.txt", {"<refused>"}}, {std::string(4000, 'a'), {"<refused>"}}};
    for (const auto& row : rows) {
        char tree[kTreeBufferSize];
        std::memset(tree, 'x', sizeof tree);
        Walk levels;
        std::size_t end;
        if (!TreeDirectoryPart(row.path.c_str(), tree))
            levels.push_back("<refused>");
        else
            for (std::size_t at = FirstLevelSearch(tree); (end = NextLevelEnd(tree, at)) != 0; at = end + 1)
                levels.emplace_back(tree, end);
        EXPECT_EQ(levels, row.levels) << row.path;
    }
}

TEST(PathCharacter, AcceptsExactlyItsSetOverEveryCharacterValue)
{
    const std::string set = "\b!#$%&()-0123456789:ABCDEFGHIJKLMNOPQRSTUVWXYZ\\^_abcdefghijklmnopqrstuvwxyz{}~";
    for (unsigned code = 0; code <= 0xFFFF; ++code)
        EXPECT_EQ(IsPathCharacter(code), code != 0 && code < 128 && set.find(static_cast<char>(code)) != set.npos)
            << "code " << code;
    EXPECT_FALSE(IsPathCharacter(0x80000061u));  // the whole value counts, not its low bits
}

static const long kTotal = 2675000;

TEST(FreeSpace, SixtyFourBitBytesAndEnoughFromExactlyTheTotal)
{
    EXPECT_EQ(FreeSpaceBytes(0xFFFFFFFFu, 128, 4096), 0xFFFFFFFFull * 128 * 4096);
    EXPECT_TRUE(HasRoomFor(FreeSpaceBytes(1048576, 8, 512) + 1000, kTotal));  // 4 GB and 1000 bytes
    EXPECT_TRUE(HasRoomFor(kTotal, kTotal));
    EXPECT_FALSE(HasRoomFor(kTotal - 1, kTotal));
    EXPECT_TRUE(HasRoomFor(0, -5));  // a figure that is not positive needs no room
}

TEST(FreeSpace, MessageShowsWholeKilobytesAndTheUpperCaseDriveOrIsRefused)
{
    const struct { std::uint64_t freeBytes; char drive; long total; const char* shown; } rows[] = {
        {1500000, 'c', kTotal, "2612 C 1464"}, {1000, 'd', kTotal, "2612 D 1"} /* still 1 KByte */,
        {0, 'd', kTotal, "2612 D 1"}, {2047, 'Q', kTotal, "2612 Q 1"}, {2048, 'z', 2098175, "2048 Z 2"},
        {INT32_MAX - 1, 'c', INT32_MAX, "2097151 C 2097151"},
        {0, '{', kTotal, "2612 { 1"}, {0, '\xE9', kTotal, "2612 \xE9 1"}};  // other characters are kept
    for (const auto& row : rows) {
        char buffer[260];
        LowSpaceFigures figures = LowSpaceFiguresFor(row.freeBytes, row.total, row.drive);
        ASSERT_TRUE(FormatLowSpaceMessage(buffer, sizeof buffer, "%ld %c %ld", figures));
        EXPECT_STREQ(buffer, row.shown);
    }
    // Refused rather than cut, or formatted from a string that asks for other figures.
    LowSpaceFigures figures = LowSpaceFiguresFor(1500000, kTotal, 'c');
    char buffer[260] = "keep";
    EXPECT_FALSE(FormatLowSpaceMessage(buffer, 11, "%ld %c %ld", figures));  // "2612 C 1464" needs 12
    for (const char* format : {"%s", "%d %c %ld", "%ld %c %ld %ld", "%ld %s", "%*ld", "%ld %c %ld%"})
        EXPECT_FALSE(FormatLowSpaceMessage(buffer, sizeof buffer, format, figures)) << format;
    EXPECT_STREQ(buffer, "keep");
    ASSERT_TRUE(FormatLowSpaceMessage(buffer, 13, "%ld%% %c %ld", figures));  // a doubled percent sign is text
    EXPECT_STREQ(buffer, "2612% C 1464");
}

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "destination/freespace.h"

static const long kShippedTotal = 2675000;
static const char kLowSpace[] =
    "The specified destination drive does not have enough free disk space.  The full "
    "installation of OLE for Point of Sale requires %ld KBytes of disk space and drive %c: only "
    "has %ld KBytes free.\n\nDo you wish to attempt installation anyway?";

static std::string Message(std::uint64_t freeBytes, char drive, long total = kShippedTotal)
{
    char buffer[260];
    if (!FormatLowSpaceMessage(buffer, sizeof buffer, kLowSpace,
                               LowSpaceFiguresFor(freeBytes, total, drive)))
        return "(refused)";
    return buffer;
}

static std::string Expected(long required, char drive, long free)
{
    return "The specified destination drive does not have enough free disk space.  The full "
           "installation of OLE for Point of Sale requires " + std::to_string(required) +
           " KBytes of disk space and drive " + drive + ": only has " + std::to_string(free) +
           " KBytes free.\n\nDo you wish to attempt installation anyway?";
}

TEST(FreeSpace, ProductDoesNotWrapAt32Bits)
{
    EXPECT_EQ(FreeSpaceBytes(366, 8, 512), 1499136u);
    EXPECT_EQ(FreeSpaceBytes(1048576, 8, 512), 4294967296u);
    EXPECT_EQ(FreeSpaceBytes(0xFFFFFFFFu, 128, 4096), 0xFFFFFFFFull * 128 * 4096);
    EXPECT_EQ(FreeSpaceBytes(0, 8, 512), 0u);
}

TEST(FreeSpace, EnoughFromExactlyTheFigureUp)
{
    EXPECT_TRUE(HasRoomFor(kShippedTotal, kShippedTotal));
    EXPECT_FALSE(HasRoomFor(kShippedTotal - 1, kShippedTotal));
    EXPECT_FALSE(HasRoomFor(1500000, kShippedTotal));
    EXPECT_FALSE(HasRoomFor(0, kShippedTotal));
    // Beyond 4 GB; the low 32 bits alone (1000) would look nearly full.
    EXPECT_TRUE(HasRoomFor(FreeSpaceBytes(1048576, 8, 512) + 1000, kShippedTotal));
    EXPECT_TRUE(HasRoomFor(FreeSpaceBytes(0xFFFFFFFFu, 8, 512), INT32_MAX));
    // A figure that is not positive needs no room at all.
    EXPECT_TRUE(HasRoomFor(0, 0));
    EXPECT_TRUE(HasRoomFor(0, -5));
}

TEST(FreeSpace, MessageShowsKilobytesAndTheUpperCaseDrive)
{
    EXPECT_EQ(Message(1500000, 'c'), Expected(2612, 'C', 1464));
    // Below one kilobyte, nothing included, the message still claims 1 KByte.
    EXPECT_EQ(Message(1000, 'd'), Expected(2612, 'D', 1));
    EXPECT_EQ(Message(0, 'd'), Expected(2612, 'D', 1));
    EXPECT_EQ(Message(2047, 'Q'), Expected(2612, 'Q', 1));
    EXPECT_EQ(Message(2048, 'z'), Expected(2612, 'Z', 2));
}

TEST(FreeSpace, DriveCharacterOtherThanALetterIsKept)
{
    EXPECT_EQ(LowSpaceFiguresFor(0, kShippedTotal, '1').driveLetter, '1');
    EXPECT_EQ(LowSpaceFiguresFor(0, kShippedTotal, '\\').driveLetter, '\\');
    EXPECT_EQ(LowSpaceFiguresFor(0, kShippedTotal, '\xE9').driveLetter, '\xE9');
    EXPECT_EQ(LowSpaceFiguresFor(0, kShippedTotal, '{').driveLetter, '{');
}

TEST(FreeSpace, LargestFiguresStillFitTheMessageBuffer)
{
    EXPECT_EQ(Message(static_cast<std::uint64_t>(INT32_MAX) - 1, 'c', INT32_MAX),
              Expected(2097151, 'C', 2097151));
}

TEST(FreeSpace, RefusesInsteadOfCuttingOrMisreadingArguments)
{
    LowSpaceFigures figures = LowSpaceFiguresFor(1500000, kShippedTotal, 'c');
    char buffer[260];
    std::memset(buffer, 'x', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    const std::string before = buffer;

    // 237 characters once formatted: a buffer of 237 bytes is one short.
    EXPECT_FALSE(FormatLowSpaceMessage(buffer, 237, kLowSpace, figures));
    EXPECT_EQ(buffer, before);
    EXPECT_TRUE(FormatLowSpaceMessage(buffer, 238, kLowSpace, figures));
    EXPECT_EQ(std::strlen(buffer), 237u);
    std::memcpy(buffer, before.c_str(), before.size() + 1);

    for (const char* format : {"%s", "%d %c %ld", "%ld %c %ld %ld", "%ld %s", "%*ld", "%ld %c %ld%"})
        EXPECT_FALSE(FormatLowSpaceMessage(buffer, sizeof buffer, format, figures)) << format;
    EXPECT_EQ(buffer, before);

    // Fewer figures, widths and literal percent signs are harmless.
    ASSERT_TRUE(FormatLowSpaceMessage(buffer, sizeof buffer, "100%% of %5ld on %c:", figures));
    EXPECT_STREQ(buffer, "100% of  2612 on C:");
    ASSERT_TRUE(FormatLowSpaceMessage(buffer, sizeof buffer, "no figures", figures));
    EXPECT_STREQ(buffer, "no figures");
}

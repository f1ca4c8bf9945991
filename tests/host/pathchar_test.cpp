#include <gtest/gtest.h>

#include <set>

#include "destination/pathchar.h"

// Everything the path field lets through, written out character by character.
static const char kAccepted[] =
    "\b"
    "!#$%&()-"
    "0123456789:"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "\\^_"
    "abcdefghijklmnopqrstuvwxyz{"
    "}~";

TEST(PathCharacter, AcceptsExactlyItsSetOverEveryCharacterValue)
{
    std::set<unsigned> accepted;
    for (const char* p = kAccepted; *p != '\0'; ++p)
        accepted.insert(static_cast<unsigned char>(*p));
    ASSERT_EQ(accepted.size(), 78u);
    for (unsigned code = 0; code <= 0xFFFF; ++code)
        EXPECT_EQ(IsPathCharacter(code), accepted.count(code) != 0) << "code " << code;
}

TEST(PathCharacter, JudgesTheWholeValueNotItsLowBits)
{
    for (unsigned code : {0x10008u, 0x10041u, 0x80000061u, 0xFFFFFF5Cu, 0xFFFFFFFFu})
        EXPECT_FALSE(IsPathCharacter(code)) << std::hex << code;
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "integration/ddecommands.h"
#include "shell/text.h"

// The shipped group, items and documentation, as the group stage composes them.
TEST(DdeCommands, ShippedSequenceForDefaultDestination)
{
    const char* destination = "c:\\OPOS\\QVX\\";
    char group[kGroupCommandSize];
    char item[kItemCommandSize];
    char commandLine[kCommandLineSize];

    ASSERT_TRUE(FormatCreateGroupCommand(group, sizeof group, "OLE for Point of Sale", nullptr, ""));
    EXPECT_STREQ(group, "[CreateGroup(OLE for Point of Sale)]");
    ASSERT_TRUE(FormatShowGroupCommand(group, sizeof group, "OLE for Point of Sale"));
    EXPECT_STREQ(group, "[showgroup(OLE for Point of Sale,1)]");

    ASSERT_TRUE(FormatReplaceItemCommand(item, sizeof item, "Sample MSR Test Program"));
    EXPECT_STREQ(item, "[replaceitem(Sample MSR Test Program)]");
    ASSERT_TRUE(ComposeText(commandLine, sizeof commandLine, {destination, "Sample\\TestCard.exe"}));
    ASSERT_TRUE(FormatAddItemCommand(item, sizeof item, commandLine, "Sample MSR Test Program"));
    EXPECT_STREQ(item,
                 "[additem(c:\\OPOS\\QVX\\Sample\\TestCard.exe,Sample MSR Test Program,"
                 "c:\\OPOS\\QVX\\Sample\\TestCard.exe,0)]");

    ASSERT_TRUE(FormatReplaceItemCommand(item, sizeof item, "MSR Documentation"));
    EXPECT_STREQ(item, "[replaceitem(MSR Documentation)]");
    ASSERT_TRUE(ComposeText(commandLine, sizeof commandLine, {"wordpad.exe ", destination, "readme.doc"}));
    ASSERT_TRUE(FormatAddItemCommand(item, sizeof item, commandLine, "MSR Documentation"));
    EXPECT_STREQ(item,
                 "[additem(wordpad.exe c:\\OPOS\\QVX\\readme.doc,MSR Documentation,"
                 "wordpad.exe c:\\OPOS\\QVX\\readme.doc,0)]");

    EXPECT_STREQ(kExitCommand, "[exitprogman(1)]");
}

TEST(DdeCommands, ArgumentsGoInVerbatim)
{
    char item[kItemCommandSize];
    ASSERT_TRUE(FormatAddItemCommand(item, sizeof item, "wordpad.exe d:\\My Files\\Q V X\\readme.doc",
                                     "Docs, \"quoted\" (50%s)"));
    EXPECT_STREQ(item,
                 "[additem(wordpad.exe d:\\My Files\\Q V X\\readme.doc,Docs, \"quoted\" (50%s),"
                 "wordpad.exe d:\\My Files\\Q V X\\readme.doc,0)]");
}

TEST(DdeCommands, GroupFileIsNamedInTheWindowsDirectory)
{
    char group[kGroupCommandSize];
    ASSERT_TRUE(FormatCreateGroupCommand(group, sizeof group, "Group", "C:\\WINDOWS", "qvx.grp"));
    EXPECT_STREQ(group, "[CreateGroup(Group,C:\\WINDOWS\\qvx.grp)]");

    // Without a Windows directory there is no sound path to name: refused, not sent half-built.
    std::strcpy(group, "keep");
    EXPECT_FALSE(FormatCreateGroupCommand(group, sizeof group, "Group", nullptr, "qvx.grp"));
    EXPECT_STREQ(group, "keep");
}

TEST(DdeCommands, GroupLimitsAreRefusedNotCut)
{
    char group[kGroupCommandSize] = "keep";
    const std::string fits(64, 'g');
    const std::string tooLong(65, 'g');

    EXPECT_TRUE(FormatCreateGroupCommand(group, sizeof group, fits.c_str(), nullptr, ""));
    EXPECT_EQ(std::string(group), "[CreateGroup(" + fits + ")]");
    EXPECT_TRUE(FormatShowGroupCommand(group, sizeof group, fits.c_str()));
    EXPECT_EQ(std::strlen(group), 79u);

    std::strcpy(group, "keep");
    EXPECT_FALSE(FormatCreateGroupCommand(group, sizeof group, tooLong.c_str(), nullptr, ""));
    EXPECT_FALSE(FormatShowGroupCommand(group, sizeof group, tooLong.c_str()));
    EXPECT_STREQ(group, "keep");

    // With a group file, name + Windows directory + file may hold 62 characters together.
    const std::string windows(40, 'w');
    EXPECT_TRUE(FormatCreateGroupCommand(group, sizeof group, "1234567890", windows.c_str(),
                                         "123456789012"));
    EXPECT_FALSE(FormatCreateGroupCommand(group, sizeof group, "1234567890", windows.c_str(),
                                          "1234567890123"));
}

TEST(DdeCommands, ItemLimitsAreRefusedNotCut)
{
    std::string item(kItemCommandSize, '\0');
    char* buffer = &item[0];
    std::strcpy(buffer, "keep");

    EXPECT_TRUE(FormatReplaceItemCommand(buffer, kItemCommandSize, std::string(496, 'c').c_str()));
    EXPECT_EQ(std::strlen(buffer), 511u);
    std::strcpy(buffer, "keep");
    EXPECT_FALSE(FormatReplaceItemCommand(buffer, kItemCommandSize, std::string(497, 'c').c_str()));
    EXPECT_STREQ(buffer, "keep");

    // Two command lines and the caption share 496 characters.
    const std::string line(200, 'l');
    EXPECT_TRUE(FormatAddItemCommand(buffer, kItemCommandSize, line.c_str(), std::string(96, 'c').c_str()));
    EXPECT_EQ(std::strlen(buffer), 511u);
    std::strcpy(buffer, "keep");
    EXPECT_FALSE(FormatAddItemCommand(buffer, kItemCommandSize, line.c_str(), std::string(97, 'c').c_str()));
    EXPECT_FALSE(FormatAddItemCommand(buffer, kItemCommandSize, std::string(249, 'l').c_str(), ""));
    EXPECT_STREQ(buffer, "keep");
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "integration/ddecommands.h"
#include "integration/regscript.h"

// The group, an item and the exit as the group stage composes them: arguments go in verbatim.
TEST(DdeCommands, ShippedSequenceAndCommandsThatWouldNotFit)
{
    char group[kGroupCommandSize], item[kItemCommandSize];
    ASSERT_TRUE(FormatCreateGroupCommand(group, sizeof group, "OLE for Point of Sale", nullptr, ""));
    EXPECT_STREQ(group, "[CreateGroup(OLE for Point of Sale)]");
    ASSERT_TRUE(FormatCreateGroupCommand(group, sizeof group, "Group", "C:\\WINDOWS", "qvx.grp"));
    EXPECT_STREQ(group, "[CreateGroup(Group,C:\\WINDOWS\\qvx.grp)]");
    ASSERT_TRUE(FormatShowGroupCommand(group, sizeof group, "OLE for Point of Sale"));
    EXPECT_STREQ(group, "[showgroup(OLE for Point of Sale,1)]");
    ASSERT_TRUE(FormatReplaceItemCommand(item, sizeof item, "MSR Documentation"));
    EXPECT_STREQ(item, "[replaceitem(MSR Documentation)]");
    ASSERT_TRUE(FormatAddItemCommand(item, sizeof item, "wordpad.exe c:\\Q V\\readme.doc", "A, \"q\" (50%s)"));
    EXPECT_STREQ(item, "[additem(wordpad.exe c:\\Q V\\readme.doc,A, \"q\" (50%s),wordpad.exe c:\\Q V\\readme.doc,0)]");
    EXPECT_STREQ(kExitCommand, "[exitprogman(1)]");
    std::string name(64, 'g'), line(200, 'l');  // two command lines and the caption share 496 characters
    EXPECT_TRUE(FormatCreateGroupCommand(group, sizeof group, name.c_str(), nullptr, ""));
    EXPECT_TRUE(FormatAddItemCommand(item, sizeof item, line.c_str(), std::string(96, 'c').c_str()));
    EXPECT_EQ(std::strlen(group) + std::strlen(item), 79u + 511u);
    std::strcpy(group, "keep");
    std::strcpy(item, "keep");
    EXPECT_FALSE(FormatShowGroupCommand(group, sizeof group, (name + "g").c_str()));
    EXPECT_FALSE(FormatCreateGroupCommand(group, sizeof group, (name + "g").c_str(), nullptr, ""));
    EXPECT_FALSE(FormatCreateGroupCommand(group, sizeof group, "Group", nullptr, "qvx.grp"));  // no directory
    EXPECT_FALSE(FormatAddItemCommand(item, sizeof item, line.c_str(), std::string(97, 'c').c_str()));
    EXPECT_EQ(std::string(group) + std::string(item), "keepkeep");
}

// The destination in the script's "Service" line is escaped as REGEDIT4 reads it back.
TEST(RegistryScript, ServiceLineEscapesTheDestinationAndRefusesWhatWouldNotFit)
{
    const char* format = "\"Service\"=\"%sCARDSO.DLL\"\r\n";  // string 64 as shipped
    char line[260];
    ASSERT_TRUE(FormatServiceLine(line, sizeof line, format, "c:\\OPOS\\QVX\\"));
    EXPECT_STREQ(line, "\"Service\"=\"c:\\\\OPOS\\\\QVX\\\\CARDSO.DLL\"\r\n");
    ASSERT_TRUE(FormatServiceLine(line, sizeof line, "%s 100%%", "\\\\srv\\a \"b\"\\%d.~$\\"));
    EXPECT_STREQ(line, "\\\\\\\\srv\\\\a \\\"b\\\"\\\\%d.~$\\\\ 100%");
    // 24 fixed characters; the escaped destination may take the other 235 of 260 bytes.
    const std::string destination = std::string(117, '\\') + "a";
    ASSERT_TRUE(FormatServiceLine(line, sizeof line, format, destination.c_str()));
    EXPECT_EQ(std::strlen(line), 259u);
    std::strcpy(line, "keep");
    EXPECT_FALSE(FormatServiceLine(line, sizeof line, format, (destination + "a").c_str()));
    // The caller's buffer takes the longest destination with every character escaped.
    char room[kServiceLineSize];
    EXPECT_TRUE(FormatServiceLine(room, sizeof room, format, std::string(259, '\\').c_str()));
    EXPECT_FALSE(FormatServiceLine(line, sizeof line, "%d%s", "c:\\"));  // only the destination is taken
    EXPECT_FALSE(FormatServiceLine(line, sizeof line, "%s%", "c:\\"));
    EXPECT_STREQ(line, "keep");
}

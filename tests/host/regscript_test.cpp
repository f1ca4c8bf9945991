#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "integration/regscript.h"

// Strings 65, 64 and 66 exactly as shipped.
static const char kHead[] =
    "REGEDIT4\n\r\n\r[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR]\n\r"
    "@=\"QVXSO.QVXMSR\"\n\r";
static const char kServiceFormat[] = "\"Service\"=\"%sCARDSO.DLL\"\r\n";
static const char kTail[] =
    "\"Version\"=\"1.3.0\"\n\r\"Description\"=\"Quorvex MSR Service Object\"\n\r"
    "\"DeviceName\"=\"QVXSO.QVXMSR\"\n\r\"DeviceDesc\"=\"Quorvex MSR Service Object\"";

TEST(RegistryScript, DefaultDestinationGivesTheWholeScript)
{
    char line[260];
    ASSERT_TRUE(FormatServiceLine(line, sizeof line, kServiceFormat, "c:\\OPOS\\QVX\\"));
    EXPECT_STREQ(line, "\"Service\"=\"c:\\\\OPOS\\\\QVX\\\\CARDSO.DLL\"\r\n");

    // Every byte of the file, line ends included: LF CR everywhere but after the service line.
    const std::string expected =
        "REGEDIT4\n\r"
        "\n\r"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR]\n\r"
        "@=\"QVXSO.QVXMSR\"\n\r"
        "\"Service\"=\"c:\\\\OPOS\\\\QVX\\\\CARDSO.DLL\"\r\n"
        "\"Version\"=\"1.3.0\"\n\r"
        "\"Description\"=\"Quorvex MSR Service Object\"\n\r"
        "\"DeviceName\"=\"QVXSO.QVXMSR\"\n\r"
        "\"DeviceDesc\"=\"Quorvex MSR Service Object\"";
    EXPECT_EQ(std::string(kHead) + line + kTail, expected);
}

TEST(RegistryScript, EscapesBackslashesAndQuotesOnly)
{
    char line[260];
    ASSERT_TRUE(FormatServiceLine(line, sizeof line, kServiceFormat, "\\\\srv\\a \"b\"\\%d.~$\\"));
    EXPECT_STREQ(line, "\"Service\"=\"\\\\\\\\srv\\\\a \\\"b\\\"\\\\%d.~$\\\\CARDSO.DLL\"\r\n");

    ASSERT_TRUE(FormatServiceLine(line, sizeof line, "100%% %s", "x"));
    EXPECT_STREQ(line, "100% x");
}

TEST(RegistryScript, RefusesWhatWouldNotFit)
{
    // 24 fixed characters; the escaped destination may take the other 235 of 260 bytes.
    std::string destination = std::string(117, '\\') + "a";
    char line[260] = "keep";
    ASSERT_TRUE(FormatServiceLine(line, sizeof line, kServiceFormat, destination.c_str()));
    EXPECT_EQ(std::strlen(line), 259u);

    std::strcpy(line, "keep");
    destination += 'a';
    EXPECT_FALSE(FormatServiceLine(line, sizeof line, kServiceFormat, destination.c_str()));
    EXPECT_STREQ(line, "keep");

    // A format asking for anything but the destination is not formatted at all.
    EXPECT_FALSE(FormatServiceLine(line, sizeof line, "%d%s", "c:\\"));
    EXPECT_FALSE(FormatServiceLine(line, sizeof line, "%s%", "c:\\"));
    EXPECT_STREQ(line, "keep");
}

#include <gtest/gtest.h>

#include "shell/shell.h"
#include "tests/support/support.h"

// The texts exactly as the product defines them, written out independently of the .rc.
static const struct {
    int id;
    const char* text;
} kStrings[] = {
    {0, "OLE for Point of Sale Setup"},
    {1, "QVXSETUP"},
    {2, "The specified directory does not exist.\nDo you want to create the directory?"},
    {3, "The setup program will copy the OPOS files to the following directory:"},
    {4, "c:\\OPOS\\QVX"},
    {6, "Unable to copy file ["},
    {7, "].  Attempt to manually copy the file, setup will continue."},
    {10, "3"},
    {11, "12"},
    {12, "0"},
    {13, "0"},
    {18, "2675000"},
    {19, "1"},
    {20, "Unable to create program manager group for program icons."},
    {21, "readme.doc"},
    {22, "MSR Documentation"},
    {23, "wordpad.exe "},
    {27, "Program installation is now complete."},
    {28, "OLE for Point of Sale "},
    {29, "Magnetic Stripe Reader"},
    {30, "Version 1.3"},
    {32, "OPOS"},
    {34, "The specified destination drive is invalid.\nPlease specify another drive."},
    {35, "The specified destination drive does not have enough free disk space.  The full "
         "installation of OLE for Point of Sale requires %ld KBytes of disk space and drive %c: "
         "only has %ld KBytes free.\n\nDo you wish to attempt installation anyway?"},
    {36, "Exit setup, Are you sure?"},
    {44, "The currently installed version of %s is newer than the one that you are attempting to "
         "install."},
    {45, "The installed version of %s is in use and cannot be updated.  Restart windows and "
         "reattempt to install."},
    {46, "The installed version of %s is write protected.  Change the file attributes and retry "
         "installation."},
    {47, "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR"},
    {48, "QVXSO.QVXMSR"},
    {49, "Service"},
    {50, "Version"},
    {51, "1.3.0"},
    {52, "Description"},
    {53, "Quorvex MSR Service Object"},
    {54, "DeviceName"},
    {55, "QVXSO.QVXMSR"},
    {56, "DeviceDesc"},
    {57, "Quorvex MSR Service Object"},
    {58, "CARDSO.DLL"},
    {59, "Unable to update registry with OPOS information for Magnetic Stripe Reader, please "
         "attempt to manually update the registry with the CARD.REG file."},
    {61, "CARD.OCX"},
    {62, "CARDSO.DLL"},
    {63, "CARD.REG"},
    {64, "\"Service\"=\"%sCARDSO.DLL\"\r\n"},
    {65, "REGEDIT4\n\r\n\r[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR]\n\r"
         "@=\"QVXSO.QVXMSR\"\n\r"},
    {66, "\"Version\"=\"1.3.0\"\n\r\"Description\"=\"Quorvex MSR Service Object\"\n\r"
         "\"DeviceName\"=\"QVXSO.QVXMSR\"\n\r\"DeviceDesc\"=\"Quorvex MSR Service Object\""},
    {80, "MFC42.DL_"},
    {81, "MSVCRT.DL_"},
    {82, "OLEAUT32.DL_"},
    {96, "OLE for Point of Sale"},
    {97, "Sample\\TestCard.exe"},
    {98, "Sample MSR Test Program"},
    {128, "CARDHOOK.DL_"},
    {129, "CARD.OC_"},
    {130, "CARD.DA_"},
    {131, "CARDSO.DL_"},
    {132, "CARDSO.DA_"},
    {133, "README.DOC"},
    {134, "REGSVR32.EX_"},
    {135, "SAMPLE\\TESTCARD.EX_"},
    {136, "SAMPLE\\CARDOCX.VB_"},
    {137, "SAMPLE\\CARDFORM.FR_"},
    {138, "SAMPLE\\OPOS.BA_"},
    {139, "SAMPLE\\VB40032.DL_"},
};

class Strings : public ::testing::Test {
protected:
    void SetUp() override { moduleInstance = GetModuleHandleA(nullptr); }
};

TEST_F(Strings, EveryEntryLoadsByteForByte)
{
    for (const auto& entry : kStrings) {
        EXPECT_EQ(std::string(LoadMessage(entry.id)), entry.text) << "string " << entry.id;
        EXPECT_EQ(std::string(LoadMessage2(entry.id)), entry.text) << "string " << entry.id;
    }
}

TEST_F(Strings, NoticeIsTwoLines)
{
    std::string notice = LoadMessage(31);
    size_t nl = notice.find('\n');
    ASSERT_NE(nl, std::string::npos);
    EXPECT_GT(nl, 0u);
    EXPECT_EQ(notice.find('\n', nl + 1), std::string::npos);
    EXPECT_LT(nl + 1, notice.size());
}

TEST_F(Strings, NoOtherEntriesInTheTable)
{
    // Ids the product leaves free load as the empty text.
    for (int id : {5, 8, 9, 14, 15, 16, 17, 24, 25, 26, 33, 37, 43, 60, 79, 83, 95, 99, 127, 140,
                   383, 384, 512})
        EXPECT_STREQ(LoadMessage(id), "") << "string " << id;
}

TEST_F(Strings, AbsentIdEmptiesTheBufferAndLoadersKeepToTheirOwn)
{
    LoadMessage(27);
    LoadMessage2(36);
    EXPECT_STREQ(messageBuffer, "Program installation is now complete.");
    EXPECT_STREQ(messageBuffer2, "Exit setup, Are you sure?");
    EXPECT_STREQ(LoadMessage(5), "");
    EXPECT_STREQ(messageBuffer2, "Exit setup, Are you sure?");
    EXPECT_STREQ(LoadMessage2(9999), "");
    EXPECT_STREQ(messageBuffer, "");
    LoadMessage(29);
    EXPECT_STREQ(messageBuffer2, "");
    EXPECT_STREQ(messageBuffer, "Magnetic Stripe Reader");
}

TEST_F(Strings, LongEntryArrivesAsItsFirst254Characters)
{
    VariantStrings variant("long_strings");
    ASSERT_TRUE(variant.loaded());
    std::string expected;
    for (int i = 0; i < 300; ++i)
        expected += static_cast<char>('A' + i % 26);
    EXPECT_EQ(std::string(LoadMessage(0)), expected.substr(0, 254));
    EXPECT_EQ(std::string(LoadMessage2(0)), expected.substr(0, 254));
    EXPECT_EQ(std::string(LoadMessage(1)), expected.substr(0, 254));  // 255 characters stored
    EXPECT_EQ(std::string(LoadMessage(2)), expected.substr(0, 254));  // exactly 254 stored
    EXPECT_STREQ(LoadMessage(3), "short");
}

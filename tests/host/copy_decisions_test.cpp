#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "install/decisions.h"
#include "install/names.h"

enum { kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7, kBoxFailed = 0 };

TEST(SharedFind, OnlyTheExactStopResultsStop)
{
    EXPECT_TRUE(ShouldInstallAfterFind(0));
    EXPECT_TRUE(ShouldInstallAfterFind(1));  // VFF_CURNEDEST: installed elsewhere, or nowhere
    EXPECT_FALSE(ShouldInstallAfterFind(2));  // VFF_FILEINUSE
    EXPECT_FALSE(ShouldInstallAfterFind(4));  // VFF_BUFFTOOSMALL
    EXPECT_TRUE(ShouldInstallAfterFind(3));   // combinations are not their parts
    EXPECT_TRUE(ShouldInstallAfterFind(5));
    EXPECT_TRUE(ShouldInstallAfterFind(6));
}

TEST(SharedInstall, QuestionsFollowWholeResults)
{
    SharedQuestion newer = QuestionForResult(0x4);
    EXPECT_EQ(newer.stringId, 44);
    EXPECT_EQ(newer.style, 52u);  // MB_YESNO|MB_ICONEXCLAMATION
    SharedQuestion inUse = QuestionForResult(0x80);
    EXPECT_EQ(inUse.stringId, 45);
    EXPECT_EQ(inUse.style, 50u);  // MB_ABORTRETRYIGNORE|MB_ICONEXCLAMATION
    SharedQuestion writeProtected = QuestionForResult(0x40);
    EXPECT_EQ(writeProtected.stringId, 46);
    EXPECT_EQ(writeProtected.style, 50u);

    // Success, other failures and every combination end the attempts without a question; the
    // newer-installed result as the platform usually reports it (with VIF_MISMATCH and
    // VIF_TEMPFILE) among them.
    for (unsigned long result : {0x0ul, 0x1ul, 0x2ul, 0x5ul, 0x6ul, 0x7ul, 0x41ul, 0x81ul, 0xC0ul,
                                 0x100ul, 0x800ul, 0x2000ul, 0x10000ul, 0x40004ul})
        EXPECT_EQ(QuestionForResult(result).stringId, 0) << std::hex << result;
}

TEST(SharedInstall, AnswersToTheNewerQuestion)
{
    EXPECT_EQ(ActionForAnswer(44, kYes), SharedAction::ForceRetry);
    EXPECT_EQ(ActionForAnswer(44, kNo), SharedAction::Stop);
    EXPECT_EQ(ActionForAnswer(44, kBoxFailed), SharedAction::Stop);
    // Only Yes forces: the buttons of the other questions mean nothing here.
    EXPECT_EQ(ActionForAnswer(44, kIgnore), SharedAction::Stop);
    EXPECT_EQ(ActionForAnswer(44, kRetry), SharedAction::Stop);
}

TEST(SharedInstall, AnswersToTheInUseAndWriteProtectedQuestions)
{
    for (int id : {45, 46}) {
        EXPECT_EQ(ActionForAnswer(id, kIgnore), SharedAction::ForceRetry) << id;
        EXPECT_EQ(ActionForAnswer(id, kRetry), SharedAction::Retry) << id;
        EXPECT_EQ(ActionForAnswer(id, kAbort), SharedAction::Stop) << id;
        EXPECT_EQ(ActionForAnswer(id, kBoxFailed), SharedAction::Stop) << id;
        EXPECT_EQ(ActionForAnswer(id, kYes), SharedAction::Stop) << id;
    }
}

TEST(FileNames, NamePartAndReplacement)
{
    EXPECT_STREQ(FileNamePart("c:\\opos\\qvx\\System\\MFC42.DLL"), "MFC42.DLL");
    EXPECT_STREQ(FileNamePart("MFC42.DLL"), "MFC42.DLL");
    EXPECT_STREQ(FileNamePart("c:\\opos\\"), "");

    char path[260] = "c:\\opos\\qvx\\SAMPLE\\TESTCARD.EX_";
    ASSERT_TRUE(ReplacePathFileName(path, sizeof path, "TESTCARD.EXE"));
    EXPECT_STREQ(path, "c:\\opos\\qvx\\SAMPLE\\TESTCARD.EXE");
    std::strcpy(path, "CARDSO.DL_");  // no backslash: the whole path is the name
    ASSERT_TRUE(ReplacePathFileName(path, sizeof path, "CARDSO.DLL"));
    EXPECT_STREQ(path, "CARDSO.DLL");
    std::strcpy(path, "c:\\d\\x");
    ASSERT_TRUE(ReplacePathFileName(path, sizeof path, "longer-name.txt"));
    EXPECT_STREQ(path, "c:\\d\\longer-name.txt");
}

TEST(FileNames, ReplacementNeverOverflows)
{
    // A guard after the buffer catches any write past it.
    struct {
        char path[16];
        char guard[8];
    } area;
    std::memset(area.guard, 'G', sizeof area.guard);
    std::strcpy(area.path, "c:\\dir\\a.b_");
    EXPECT_FALSE(ReplacePathFileName(area.path, sizeof area.path, "123456789"));  // needs 17
    EXPECT_STREQ(area.path, "c:\\dir\\a.b_");
    EXPECT_TRUE(ReplacePathFileName(area.path, sizeof area.path, "12345678"));  // exactly 16
    EXPECT_STREQ(area.path, "c:\\dir\\12345678");
    EXPECT_EQ(std::string(area.guard, sizeof area.guard), std::string(8, 'G'));
}

TEST(FileNames, JoinUsesOneSeparator)
{
    char out[40];
    ASSERT_TRUE(JoinPath(out, sizeof out, "C:\\W\\SYS", "V1.TMP"));
    EXPECT_STREQ(out, "C:\\W\\SYS\\V1.TMP");
    ASSERT_TRUE(JoinPath(out, sizeof out, "C:\\W\\SYS\\", "V1.TMP"));
    EXPECT_STREQ(out, "C:\\W\\SYS\\V1.TMP");
    ASSERT_TRUE(JoinPath(out, sizeof out, "C:\\W\\SYS", "\\V1.TMP"));
    EXPECT_STREQ(out, "C:\\W\\SYS\\V1.TMP");
    ASSERT_TRUE(JoinPath(out, sizeof out, "C:\\W\\SYS\\", "\\V1.TMP"));
    EXPECT_STREQ(out, "C:\\W\\SYS\\V1.TMP");
    ASSERT_TRUE(JoinPath(out, sizeof out, out, "X"));  // the directory may be the output
    EXPECT_STREQ(out, "C:\\W\\SYS\\V1.TMP\\X");

    char small[8] = "keep";
    EXPECT_FALSE(JoinPath(small, sizeof small, "C:\\W", "ABC"));  // "C:\W\ABC" needs 9
    EXPECT_STREQ(small, "keep");
}

TEST(FileNames, FormatWithNameSubstitutesOnlyTheName)
{
    char out[200];
    ASSERT_TRUE(FormatWithName(out, sizeof out,
                               "The currently installed version of %s is newer than the one that "
                               "you are attempting to install.",
                               "MFC42.DLL"));
    EXPECT_STREQ(out, "The currently installed version of MFC42.DLL is newer than the one that "
                      "you are attempting to install.");
    // Other conversions are left as text instead of reading arguments that are not there.
    ASSERT_TRUE(FormatWithName(out, sizeof out, "%s: 100%% %d %n %", "A%sB"));
    EXPECT_STREQ(out, "A%sB: 100% %d %n %");

    char small[10] = "keep";
    EXPECT_FALSE(FormatWithName(small, sizeof small, "of %s.", "MFC42.DLL"));
    EXPECT_STREQ(small, "keep");
    EXPECT_TRUE(FormatWithName(small, sizeof small, "of %s.", "ABCDE"));  // exactly 10 with the NUL
    EXPECT_STREQ(small, "of ABCDE.");
}

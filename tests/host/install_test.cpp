#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "install/decisions.h"
#include "install/names.h"
#include "install/progressmath.h"
#include "shell/paths.h"
#include "shell/text.h"

enum { kOk = 1, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7, kBoxFailed = 0 };
using A = SharedAction;

TEST(SharedFiles, ResultsDecideTheQuestionFailureAndLeftoverCopyAndAnswersTheAction)
{
    const bool install[] = {true, true, false, true, false, true, true};  // after VerFindFileA's 0 to 6
    for (unsigned long result = 0; result < 7; ++result)
        EXPECT_EQ(ShouldInstallAfterFind(result), install[result]) << result;
    const struct { unsigned long result; int stringId; unsigned style; bool failed, temporary; } rows[] = {
        {0x0, 0, 0, false, false}, {0x4, 44, 0x34, false, false} /* newer: MB_YESNO|MB_ICONEXCLAMATION */,
        {0x80, 45, 0x32, true, false} /* in use: MB_ABORTRETRYIGNORE|MB_ICONEXCLAMATION */,
        {0x40, 46, 0x32, true, false} /* write-protected */, {0x7, 0, 0, false, true} /* newer, as Wine says */,
        {0x1, 0, 0, false, true}, {0x41, 0, 0, true, true}, {0xC0, 0, 0, true, false}, {0x10000, 0, 0, true, false},
        {0x40004, 0, 0, true, false}, {0x100001, 0, 0, true, true}};
    for (const auto& row : rows) {
        SharedQuestion question = QuestionForResult(row.result);
        EXPECT_EQ(std::make_pair(question.stringId, question.style), std::make_pair(row.stringId, row.style))
            << std::hex << row.result;
        EXPECT_EQ(SharedFileFailed(row.result), row.failed) << std::hex << row.result;
        EXPECT_EQ(LeavesTemporaryCopy(row.result), row.temporary) << std::hex << row.result;
    }
    const struct { int stringId, answer; SharedAction action; } answers[] = {
        {44, kYes, A::ForceRetry}, {44, kNo, A::Stop}, {44, kIgnore, A::Stop}, {44, kBoxFailed, A::Stop},
        {45, kIgnore, A::ForceRetry}, {45, kRetry, A::Retry}, {45, kAbort, A::Stop}, {45, kYes, A::Stop},
        {46, kIgnore, A::ForceRetry}, {46, kRetry, A::Retry}, {46, kBoxFailed, A::Stop}};
    for (const auto& row : answers)
        EXPECT_EQ(ActionForAnswer(row.stringId, row.answer), row.action) << row.stringId << " " << row.answer;
    // Unattended, a file in use, however the service says so, waits for the next restart.
    const struct { unsigned long result; bool unattended, replaced; } restart[] = {
        {0x80, true, true}, {0x81, true, true}, {0x1400, true, true}, {0x1401, true, true}, {0x1200, true, true},
        {0x80, false, false}, {0x1400, false, false}, {0x40, true, false}, {0x1000, true, false},
        {0x400, true, false}, {0xC0, true, false}, {0x1600, true, false}, {0x5, true, false}, {0x0, true, false}};
    for (const auto& row : restart)
        EXPECT_EQ(ShouldReplaceAtRestart(row.result, row.unattended), row.replaced) << std::hex << row.result;
    // Unattended nobody sees a box: the answer changes nothing, whatever the icon or modality.
    const std::pair<unsigned, int> silent[] = {{0x24, kNo}, {0x1034, kNo}, {0x32, kAbort}, {0x40, kOk}};
    for (const auto& style : silent)
        EXPECT_EQ(SilentAnswer(style.first), style.second) << std::hex << style.first;
}

TEST(FileNames, ExpandedReplacedJoinedAndFormatted)
{
    const struct { const char* name; char recorded; const char* expanded; } rows[] = {
        {"CARD.DA_", 'T', "CARD.DAT"}, {"CARD.DA_", 't', "CARD.DAT"}, {"c:\\Dist\\card.da_", 'T', "c:\\Dist\\card.dat"},
        {"c:\\v1.0\\README.", 'X', "c:\\v1.0\\README"} /* no extension: the dot goes */, {"A.B.", 'X', "A.B."},
        {"CARD.DA_", '\0', "CARD.DA_"}, {"CARD.OCX", 'T', "CARD.OCX"}, {"c:\\d\\", 'T', "c:\\d\\"}};
    for (const auto& row : rows) {
        char name[32];
        ApplyExpandedName(std::strcpy(name, row.name), row.recorded);
        EXPECT_STREQ(name, row.expanded) << row.name << " " << row.recorded;
    }
    char path[16] = "c:\\dir\\a.b_";
    EXPECT_FALSE(ReplacePathFileName(path, sizeof path, "123456789"));  // needs 17
    EXPECT_STREQ(path, "c:\\dir\\a.b_");
    ASSERT_TRUE(ReplacePathFileName(path, sizeof path, "12345678"));  // exactly 16
    EXPECT_STREQ(path, "c:\\dir\\12345678");
    char out[40], small[10] = "keep";
    for (const char* directory : {"C:\\W\\SYS", "C:\\W\\SYS\\"})
        for (const char* name : {"V1.TMP", "\\V1.TMP"}) {
            ASSERT_TRUE(JoinPath(out, sizeof out, directory, name));
            EXPECT_STREQ(out, "C:\\W\\SYS\\V1.TMP") << directory << " + " << name;
        }
    EXPECT_FALSE(JoinPath(small, sizeof small, "C:\\WIN", "ABC"));  // needs 11
    EXPECT_FALSE(FormatWithName(small, sizeof small, "of %s.", "MFC42.DLL"));
    EXPECT_STREQ(small, "keep");
    ASSERT_TRUE(FormatWithName(out, sizeof out, "%s: 100%% %d %n %", "A%sB"));
    EXPECT_STREQ(out, "A%sB: 100% %d %n %");  // only the name is substituted
}

TEST(Progress, PercentageRoundsHalvesUpTheBarIsCutAndTheTextCentred)
{
    const struct { long copied, total; int percent; } rows[] = {
        {375, 1000, 38}, {3749, 10000, 37}, {1003125, 2675000, 38} /* 37.5 % */, {4, 1000, 0}, {5, 1000, 1},
        {1000, 1000, 100}, {5000000, 2675000, 100}, {0x7FFFFFFFL, 1, 100}, {1, 0, 0}, {1, -10, 0}, {-5, 100, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(ProgressPercentage(ProgressFraction(row.copied, row.total)), row.percent) << row.copied;
    // Block by block through the product's total: exact half-up rounding of 100 * copied / total.
    for (long copied = 0, total = 2675000; copied <= total + 4096; copied += 2048)
        ASSERT_EQ(ProgressPercentage(ProgressFraction(copied, total)),
                  std::min((200LL * copied + total) / (2LL * total), 100LL)) << copied;
    EXPECT_EQ(FilledWidth(179, 0.5f), 89);
    EXPECT_EQ(FilledWidth(179, ProgressFraction(999, 1000)), 178);  // 178.82, not rounded up
    int x = 0, y = 0;
    ProgressTextOrigin(1, 1, 179, 18, 13, &x, &y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(90, 3));  // 1 + 5/2
    ProgressTextOrigin(1, 1, 10, 10, 13, &x, &y);  // a font taller than the bar: the spare halves downward
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(6, -1));
}

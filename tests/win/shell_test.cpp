#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "destination/destination.h"
#include "install/install.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"

TEST(Messages, CaptionedWithTheTitleTheirOwnerDisabledOnlyWhileUpAndNoneUnattended)
{
    moduleInstance = GetModuleHandleA(nullptr);
    HWND owner = TestWindow();
    MessageBoxAnswerer boxes({IDRETRY});
    EXPECT_EQ(ShowMessage(owner, "Text", MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION), IDRETRY);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption + "|" + boxes.shown[0].text + "|" + StyleName(boxes.shown[0].style),
              "OLE for Point of Sale Setup|Text|MB_ABORTRETRYIGNORE|MB_ICONEXCLAMATION");
    EXPECT_TRUE(boxes.shown[0].owner == owner && !boxes.shown[0].ownerEnabled && IsWindowEnabled(owner));

    // Unattended, the answer that changes nothing, unless the caller names one.
    runMode = RunMode::VerySilent;
    const std::vector<int> answers = {ShowMessage(owner, "a", MB_YESNO | MB_ICONQUESTION),
                                      ShowMessage(owner, "b", MB_ABORTRETRYIGNORE), ShowMessage(owner, "c", MB_OK),
                                      ShowMessageOr(owner, "d", MB_YESNO, IDYES)};
    runMode = RunMode::Interactive;
    EXPECT_EQ(answers, std::vector<int>({IDNO, IDABORT, IDOK, IDYES}));
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST(Messages, LoadersTakeAt254CharactersEachIntoItsOwnBuffer)
{
    VariantStrings strings("long_strings");  // entries 0 and 1 of 300 and 255 characters
    ASSERT_TRUE(strings.loaded());
    std::strcpy(messageBuffer2, "second");
    EXPECT_EQ(std::strlen(LoadMessage(1)), 254u);  // 255 stored
    EXPECT_STREQ(messageBuffer2, "second");
    std::strcpy(messageBuffer, "first");
    EXPECT_EQ(std::strlen(LoadMessage2(0)), 254u);  // 300 stored
    EXPECT_STREQ(messageBuffer, "first");
    EXPECT_STREQ(LoadMessage2(9999), "");
}

TEST(Startup, SourceIsTheProgramsDirectoryOrElseTheRunningModulesOne)
{
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));  // not where the module lies
    const std::string module = TestDirectory();
    const std::pair<const char*, std::string> cases[] = {
        {"D:\\INSTALL\\SETUP.EXE", "D:\\INSTALL\\"}, {"C:\\SETUP.EXE", "C:\\"}, {"E:SETUP.EXE", module},
        {"SETUP.EXE", module}, {"..\\SETUP.EXE", module}, {"\\\\server\\share\\SETUP.EXE", module}, {"", module}};
    for (const auto& test : cases) {
        std::strcpy(sourceDirectory, "stale");
        DeriveSourceDirectory(test.first);
        EXPECT_EQ(sourceDirectory, test.second) << test.first;
    }
}

static BOOL WINAPI UnreadableDrive(LPCSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD)
{
    return FALSE;
}

TEST(Startup, OnlyTheFirstPlainInstallCommandStartsTheInstallation)
{
    // Unattended into a directory on a drive that cannot be read, it reads the total, then stops.
    runMode = RunMode::VerySilent;
    commandLineDirectory = "c:\\";
    queryDiskFreeSpace = UnreadableDrive;
    const std::pair<WPARAM, bool> steps[] = {{MAKEWPARAM(100, 1), false}, {101, false}, {100, true}, {100, false}};
    for (const auto& step : steps) {
        totalBytes = -7;
        MainWindowProc(TestWindow(), WM_COMMAND, step.first, 0);
        EXPECT_EQ(totalBytes != -7, step.second) << step.first;
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    runMode = RunMode::Interactive;
    EXPECT_TRUE(destinationRefused);
}

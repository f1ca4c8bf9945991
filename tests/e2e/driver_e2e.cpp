// The driver's own promises that the other end-to-end tests lean on: a setup that does not end
// is ended and fails the test, and only that one process is touched.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

LaunchOptions SetupAlone()
{
    LaunchOptions options;
    options.application = SetupPath();
    return options;
}

TEST(Driver, ExitTimeOutEndsThatSetupAloneAndFails)
{
    SetupProcess waited(SetupAlone());
    SetupProcess other(SetupAlone());
    ASSERT_TRUE(waited.started());
    ASSERT_TRUE(other.started());
    // Both wait in the destination dialog, which nobody answers.
    ASSERT_NE(waited.WaitForWindow(kDialogClass, kDestinationCaption, 30000), nullptr);
    HWND dialog = other.WaitForWindow(kDialogClass, kDestinationCaption, 30000);
    ASSERT_NE(dialog, nullptr);

    DWORD code = 0;
    bool ended = true;
    EXPECT_NONFATAL_FAILURE(ended = waited.WaitForExit(500, &code), "did not end within 500 ms");
    EXPECT_FALSE(ended);
    EXPECT_FALSE(waited.running());
    EXPECT_TRUE(other.running());

    ASSERT_TRUE(ClickButton(dialog, IDCANCEL));
    ASSERT_TRUE(other.WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
}

TEST(Driver, ControlTextsRoundTripAcrossProcesses)
{
    SetupProcess setup(SetupAlone());
    HWND dialog = setup.WaitForWindow(kDialogClass, kDestinationCaption, 30000);
    ASSERT_NE(dialog, nullptr);
    HWND field = GetDlgItem(dialog, 100);
    ASSERT_NE(field, nullptr);

    // The path field holds lower case only, whichever way the text arrives.
    ASSERT_TRUE(SetControlText(field, "D:\\Set\\By\\Message"));
    EXPECT_EQ(ControlText(field), "d:\\set\\by\\message");
    ASSERT_TRUE(SetControlText(field, ""));
    ASSERT_TRUE(TypeCharacters(field, "E:\\Typed"));
    EXPECT_EQ(ControlText(field), "e:\\typed");
    EXPECT_EQ(ControlText(GetDlgItem(dialog, IDCANCEL)), "Exit Setup");

    ASSERT_TRUE(ClickButton(dialog, IDCANCEL));
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(setup.WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace

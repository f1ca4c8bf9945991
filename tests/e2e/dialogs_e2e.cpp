// The dialogs of an interactive installation, driven from outside as a user drives them.
#include "tests/e2e/e2e.h"
#include "tests/support/pixels.h"

using namespace e2e;

namespace {

const char kCreateQuestion[] = "The specified directory does not exist.\nDo you want to create the directory?";

// Whether lower is below window in the order of top-level windows.
bool Below(HWND window, HWND lower)
{
    while (window != nullptr && window != lower)
        window = GetWindow(window, GW_HWNDNEXT);
    return window != nullptr;
}

class Dialogs : public testing::Test {
protected:
    void SetUp() override { Clean(); }
};

// The title screen as the setup paints it with its own class, read from the screen while "Enter
// Path" is up: the blue gradient down to black, four rows of white text half an inch from the
// left, and under each white pixel the black shadow 3 pixels right and down. First here, before
// any test leaves the shell's windows about.
TEST_F(Dialogs, TitleScreenBehindEnterPathThenExitSetup)
{
    SetupRun setup(Dist() + "SETUP.EXE");
    HWND title = setup.WaitForWindow("QVXSETUP", kTitle);
    HWND dialog = setup.WaitForWindow("#32770", kDestinationCaption);
    ASSERT_TRUE(title != nullptr && dialog != nullptr);
    ClientPixels screen(GetDesktopWindow());
    RECT client = {}, covered = {};  // covered by the dialog; all in the title's client coordinates
    POINT origin = {};
    auto At = [&](int x, int y) { return screen.At(origin.x + x, origin.y + y); };
    auto Shown = [&](int x, int y) { return PtInRect(&client, {x, y}) && !PtInRect(&covered, {x, y}); };
    auto WhiteFrom = [&](int top, int bottom) {  // the left edge of the white ink in those rows, or -1
        InkBox box = screen.Find(origin.x, origin.y + top, origin.x + client.right, origin.y + bottom,
                                 [&](COLORREF c, int x, int y) { return GetRValue(c) > 0 && Shown(x - origin.x, y - origin.y); });
        return box[2] > 0 ? box[0] - origin.x : -1;
    };
    // Once the notice, painted last, shows and the title window lay still meanwhile (Wine without
    // a window manager moves it after it shows).
    ASSERT_TRUE(WaitFor(30000, [&] {
        RECT before = {}, after = {};
        GetWindowRect(title, &before);
        origin = {0, 0};
        GetClientRect(title, &client);
        GetWindowRect(dialog, &covered);
        ClientToScreen(title, &origin);
        OffsetRect(&covered, -origin.x, -origin.y);
        screen = ClientPixels(GetDesktopWindow());
        GetWindowRect(title, &after);
        return EqualRect(&before, &after) && At(1, 0) == RGB(0, 0, 255) && At(1, client.bottom - 1) == RGB(0, 0, 0) &&
               WhiteFrom(client.bottom - 80, client.bottom) >= 0;
    })) << "the title screen was not painted";
    const int height = client.bottom;
    for (int y = 0, band; y < height; ++y)  // band y * 256 / height, or the next if it starts early
        ASSERT_TRUE(At(1, y) == RGB(0, 0, 255 - (band = y * 256 / height)) || At(1, y) == RGB(0, 0, 254 - band))
            << "row " << y << ": " << std::hex << At(1, y);
    // Rows placed in twips from the top, the notice from the bottom.
    HDC display = GetDC(nullptr);
    const int dpi = GetDeviceCaps(display, LOGPIXELSY), left = MulDiv(720, GetDeviceCaps(display, LOGPIXELSX), 1440);
    ReleaseDC(nullptr, display);
    const int tops[] = {MulDiv(360, dpi, 1440), MulDiv(1200, dpi, 1440), MulDiv(2280, dpi, 1440),
                        height - MulDiv(1080, dpi, 1440), height + 5};
    for (int row = 0; row < 4; ++row)
        EXPECT_NEAR(WhiteFrom(tops[row] - 5, tops[row + 1] - 5), left - 3, 6) << "row " << row;
    // Under a fully white pixel the shadow was fully black: black shows there, or grey where the
    // white text's own edge lies over it, never the gradient.
    int shadowed = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < client.right; ++x)
            if (At(x, y) == RGB(255, 255, 255) && Shown(x, y) && Shown(x + 3, y + 3)) {
                COLORREF below = At(x + 3, y + 3);
                ASSERT_TRUE(GetRValue(below) == GetBValue(below) && GetGValue(below) == GetBValue(below))
                    << "no shadow at " << x + 3 << "," << y + 3 << ": " << std::hex << below;
                shadowed += below == RGB(0, 0, 0);
            }
    EXPECT_GT(shadowed, 1000);
    Click(dialog, IDCANCEL);
    EXPECT_EQ(setup.Exit(), 0u);
}

// Title window, "Enter Path" (a path typed, "Yes" to create it), and the completion message in
// front of every other window, even one that the shell opens after it.
// The group is there already, with another product's item: it and the group stay at removal.
TEST_F(Dialogs, TypedPathInstallsAndTheCompletionMessageIsInFront)
{
    char programs[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs), S_OK);
    const std::string group = std::string(programs) + "\\OLE for Point of Sale\\", other = group + "Other Product.lnk";
    ASSERT_TRUE(CreateDirectoryA(group.c_str(), nullptr));
    std::ofstream(other) << "another product's";
    SetupRun setup(Dist() + "SETUP.EXE");
    HWND title = setup.WaitForWindow("QVXSETUP", kTitle);
    HWND dialog = setup.WaitForWindow("#32770", kDestinationCaption);
    ASSERT_TRUE(title != nullptr && dialog != nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), title);

    // A second install command, then the keys: once the keys are in, the command before them
    // has been handled too, and it must not have opened a second dialog.
    HWND field = GetDlgItem(dialog, 100);
    DWORD_PTR result;
    ASSERT_TRUE(SendMessageTimeoutA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG,
                                    5000, &result));
    ASSERT_TRUE(PostMessageA(title, WM_COMMAND, 100, 0));
    for (char c : std::string("C:\\Qvx E2E\\.UI"))  // blank and dot do not pass the field
        PostMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_TRUE(WaitFor(30000, [&] { return Text(field) == "c:\\qvxe2e\\ui"; })) << Text(field);
    ASSERT_EQ(setup.Windows("#32770", kDestinationCaption).size(), 1u);

    Click(dialog, IDOK);
    HWND question = setup.WaitForBox(kCreateQuestion);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(GetWindow(question, GW_OWNER), title);
    Click(question, IDYES);

    HWND done = setup.WaitForBox("Program installation is now complete.");
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(GetWindow(done, GW_OWNER), title);
    // The shell may open the group's folder window a second after the message is up: a window of
    // this process stands in for it, opened and activated now. The display activates it in its
    // own time; then the message must still be above it.
    HWND folder = CreateWindowExA(0, "STATIC", "Folder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                  nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(folder);
    ASSERT_TRUE(WaitFor(10000, [&] { return GetForegroundWindow() == folder; }));
    EXPECT_TRUE(Below(done, folder)) << "the folder window covers the message";
    Click(done, IDOK);
    DestroyWindow(folder);
    EXPECT_EQ(setup.Exit(), 0u);
    ExpectInstalled("c:\\qvxe2e\\ui\\");

    // Items added over DDE go over DDE; the distribution's setup finds the installation through
    // its Programs and Features entry.
    const std::string program = Dist() + "SETUP.EXE";
    EXPECT_EQ(SetupRun(program, "\"" + program + "\" /UNINSTALL /VERYSILENT").Exit(), 0u);
    EXPECT_EQ(Bytes(other), "another product's");
    EXPECT_FALSE(Exists(group + "Sample MSR Test Program.lnk"));
    EXPECT_FALSE(Exists("c:\\qvxe2e\\ui"));
}

// Closing the title window while the files are copied asks the progress dialog's question;
// "Yes" ends the run there.
TEST_F(Dialogs, ClosingTheTitleWindowWhileCopyingAsksToCancel)
{
    const std::string program = BigDist() + "SETUP.EXE";
    SetupRun setup(program);
    HWND title = setup.WaitForWindow("QVXSETUP", kTitle);
    HWND dialog = setup.WaitForWindow("#32770", kDestinationCaption);
    ASSERT_TRUE(title != nullptr && dialog != nullptr);
    Click(dialog, IDOK);  // the default destination
    HWND question = setup.WaitForBox(kCreateQuestion);
    ASSERT_NE(question, nullptr);
    Click(question, IDYES);

    HWND progress = setup.WaitForWindow("#32770", kProgressCaption);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(GetWindow(progress, GW_OWNER), title);
    ASSERT_TRUE(PostMessageA(title, WM_CLOSE, 0, 0));
    HWND cancel = setup.WaitForBox("Exit setup, Are you sure?");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(GetWindow(cancel, GW_OWNER), progress);
    Click(cancel, IDYES);
    // The servers are registered still; those not copied yet say that they cannot be loaded.
    WaitFor(60000, [&] {
        if (HWND failed = setup.FindBox("Unable to load the library"))
            Click(failed, IDOK);
        return setup.Ended();
    });
    EXPECT_EQ(setup.Exit(), 0u);
    EXPECT_FALSE(Exists("c:\\OPOS\\QVX\\SAMPLE")) << "files after the cancel were copied";
    EXPECT_EQ(StartMenuGroup(), "");
}

}  // namespace

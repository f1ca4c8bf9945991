#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "destination/destination.h"
#include "install/install.h"
#include "resources/resource.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"

static const std::string kCreate = "The specified directory does not exist.\nDo you want to create the directory?";
static const std::string kBadDrive = "The specified destination drive is invalid.\nPlease specify another drive.";
static const UINT kOk = MB_OK | MB_ICONINFORMATION, kAsk = MB_YESNO | MB_ICONQUESTION,
                  kLowSpace = MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2;

// The drive check's free-space query, answered by the test; no free clusters: it cannot be read.
static DWORD freeClusters, clusterBytes;
static std::string rootAsked;

static BOOL WINAPI FakeQuery(LPCSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD free, LPDWORD total)
{
    rootAsked = root;
    *sectors = 1;
    *bytes = clusterBytes;
    *free = *total = freeClusters;
    return freeClusters != 0;
}

// The dialog as AskDestination shows it, but modeless, so that the test drives it directly: once
// it has ended it is hidden.
static HWND OpenDialog()
{
    moduleInstance = GetModuleHandleA(nullptr);
    mainWindow = TestWindow();
    totalBytes = 2675000;
    queryDiskFreeSpace = FakeQuery;
    return CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(IDD_DESTINATION), mainWindow, DestinationDialogProc,
                              reinterpret_cast<LPARAM>(destinationDirectory));
}

// Under the first question: OK again (ignored while the checks run), then "Exit Setup".
static HWND interrupted;

static LRESULT CALLBACK ExitUnderTheBox(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && interrupted != nullptr && IsMessageBox(reinterpret_cast<HWND>(wParam))) {
        SendMessageA(GetDlgItem(interrupted, IDOK), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(interrupted, IDCANCEL), BM_CLICK, 0, 0);
        interrupted = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Destination, OffersTheDefaultFiltersTypingAndChecksEntriesUntilOneIsTakenOrExitChosen)
{
    char windows[MAX_PATH] = "", typed[300] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    DefaultDestination(destinationDirectory, "Q:\\OPOS\\QVX");
    EXPECT_EQ(destinationDirectory, static_cast<char>(std::tolower(windows[0])) + std::string(":\\OPOS\\QVX"));
    HWND dialog = OpenDialog();
    GetDlgItemTextA(dialog, IDC_PATH, typed, sizeof typed);
    EXPECT_EQ(lstrcmpiA(typed, destinationDirectory), 0) << typed;  // Wine's lower-case field lowers it
    SetDlgItemTextA(dialog, IDC_PATH, "");
    for (WPARAM c : std::string("C:\\Opos Dir/x.y\\QVX") + '\x01')  // \x01 stands for 0x141, no 'A'
        SendMessageA(GetDlgItem(dialog, IDC_PATH), WM_CHAR, c == 1 ? 0x141 : c, 1);
    GetDlgItemTextA(dialog, IDC_PATH, typed, sizeof typed);
    EXPECT_STREQ(typed, "c:\\oposdirxy\\qvx");

    ScratchDirectory scratch;
    std::string dir = scratch.path().substr(0, scratch.path().size() - 1);
    CharLowerBuffA(&dir[0], static_cast<DWORD>(dir.size()));  // as the lower-case field gives it back
    const std::string tooLong = dir + "\\no" + std::string(300, 'x'), wanted = dir + "\\new\\deeper\\leaf";
    const std::string lowSpace = "The specified destination drive does not have enough free disk space.  The full "
                                 "installation of OLE for Point of Sale requires 2612 KBytes of disk space and drive " +
                                 std::string(1, static_cast<char>(std::toupper(dir[0]))) +
                                 ": only has 2612 KBytes free.\n\nDo you wish to attempt installation anyway?";
    const struct {
        std::string entry;  // set as a paste would, past the field's filter
        DWORD freeClusters, clusterBytes;
        int answer;
        std::string text;
        UINT style;  // the creation question is owned by the main window, the others by the dialog
    } steps[] = {
        {"   ", 2675000, 1, IDOK, kBadDrive, kOk},  // empty once trimmed: spaces, then one backslash
        {"\\  ", 2675000, 1, IDOK, kBadDrive, kOk},
        {dir + "\\*", 2675000, 1, IDOK, kBadDrive, kOk},  // wildcards, which a find-first would match
        {dir + "\\a?b", 2675000, 1, IDOK, kBadDrive, kOk},
        {tooLong, 2675000, 1, IDNO, kCreate, kAsk},  // only 254 characters are read
        {dir, 0, 1, IDOK, kBadDrive, kOk},
        {dir, 2674999, 1, IDNO, lowSpace, kLowSpace},  // a byte short
        {wanted, 1048577, 4096, IDYES, kCreate, kAsk},           // 4 GB and 4 KB free: beyond 32 bits
    };
    MessageBoxAnswerer boxes;
    std::string read;
    size_t step = 0;
    FillMemory(destinationDirectory + 255, kBufferSize - 255, '#');
    for (; step < sizeof steps / sizeof steps[0] && IsWindowVisible(dialog); ++step) {
        freeClusters = steps[step].freeClusters;
        clusterBytes = steps[step].clusterBytes;
        boxes.Add(steps[step].answer);
        SetDlgItemTextA(dialog, IDC_PATH, steps[step].entry.c_str());
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        read = steps[step].entry == tooLong ? destinationDirectory : read;
    }
    EXPECT_TRUE(step == sizeof steps / sizeof steps[0] && !IsWindowVisible(dialog)) << step;  // the last ended it
    EXPECT_EQ(read, tooLong.substr(0, 254));
    EXPECT_EQ(std::string(destinationDirectory + 255, kBufferSize - 255), std::string(kBufferSize - 255, '#'));
    EXPECT_EQ(GetFileAttributesA(read.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA(wanted.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(destinationDirectory, wanted);
    EXPECT_EQ(rootAsked, wanted.substr(0, 3));
    ASSERT_EQ(boxes.shown.size(), step);
    for (size_t i = 0; i < step; ++i) {
        const MessageBoxInfo& box = boxes.shown[i];
        EXPECT_EQ(box.caption + "|" + box.text + "|" + StyleName(box.style),
                  "OLE for Point of Sale Setup|" + steps[i].text + "|" + StyleName(steps[i].style));
        EXPECT_TRUE(box.owner == (steps[i].style == kAsk ? mainWindow : dialog) && !box.ownerEnabled) << i;
    }
    DestroyWindow(dialog);

    // "Exit Setup" while the creation question is up: nothing is made and no drive is checked.
    dialog = OpenDialog();
    freeClusters = 0;  // a drive check would say "invalid drive"
    rootAsked.clear();
    boxes.Add(IDYES);
    HHOOK hook = SetWindowsHookExA(WH_CBT, ExitUnderTheBox, nullptr, GetCurrentThreadId());
    SetDlgItemTextA(interrupted = dialog, IDC_PATH, (dir + "\\made").c_str());
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(boxes.shown.size(), step + 1);
    EXPECT_EQ(GetFileAttributesA((dir + "\\made").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(rootAsked, "");
    DestroyWindow(dialog);
}

// Directories the setup creates keep users from changing what an administrator later runs or
// removes. Wine keeps no descriptor on files, so the one the program builds is what is checked.
TEST(Destination, CreatedDirectoriesGetAProtectedAccessList)
{
    ProtectedDescriptor protection;
    ASSERT_TRUE(BuildProtectedDescriptor(&protection));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(&protection.descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "inherits from above";
    BOOL present = FALSE, defaulted = TRUE;
    ACL* acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(&protection.descriptor, &present, &acl, &defaulted));
    ASSERT_TRUE(present && acl != nullptr && IsValidAcl(acl));
    EXPECT_FALSE(defaulted);
    const struct { WELL_KNOWN_SID_TYPE who; DWORD rights; } expected[] = {
        {WinLocalSystemSid, FILE_ALL_ACCESS}, {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
        {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
    ASSERT_EQ(acl->AceCount, 3);
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(acl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << i;
        EXPECT_EQ(ace->Mask, expected[i].rights) << i;
        EXPECT_FALSE(ace->Mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC) && i == 2) << "Users may write";
        EXPECT_TRUE(IsWellKnownSid(&ace->SidStart, expected[i].who)) << i;
    }
    const char path[] = "c:\\qvxprotected";
    RemoveDirectoryA(path);
    EXPECT_TRUE(CreateProtectedDirectory(path));
    EXPECT_NE(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(CreateProtectedDirectory(path)) << "an existing directory is not made again";
    RemoveDirectoryA(path);
}

// Shared libraries through the platform's real version services.
#include <gtest/gtest.h>

#include "install/shared.h"
#include "tests/win/copyfiles.h"

enum { kMfc42 = 80 };  // "MFC42.DL_": Wine ships no MFC42.DLL

// The user makes the installed file writable while the question is up, before the answer.
static std::string fixWhileAsked;
static HHOOK fixingHook;
static LRESULT CALLBACK FixWhileAsked(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && IsMessageBox(reinterpret_cast<HWND>(wParam)) && !fixWhileAsked.empty())
        SetFileAttributesA(fixWhileAsked.c_str(), FILE_ATTRIBUTE_NORMAL);
    return CallNextHookEx(fixingHook, code, wParam, lParam);
}

using SharedTest = FileInstallTest;

TEST_F(SharedTest, VersionServicesDecideAndTheUserSettlesConflicts)
{
    char directory[MAX_PATH];
    GetSystemDirectoryA(directory, MAX_PATH);
    const std::string system = std::string(directory) + "\\", installed = system + "MFC42.DLL";
    std::string older, newer;
    ASSERT_TRUE(ReadWholeFile(TestDirectory() + "qvxver1.dll", &older));
    ASSERT_TRUE(ReadWholeFile(TestDirectory() + "qvxver2.dll", &newer));
    const std::string asked = "The installed version of MFC42.DLL is write protected.  Change the file "
                              "attributes and retry installation.";
    const std::string deep = destination + std::string(120, 'd') + "\\";
    enum Installed { kNone, kWritable, kReadOnly, kMadeWritableWhenAsked };
    const struct {
        const char* why;
        const std::string& distributed;
        Installed state;
        const std::string& present;
        std::deque<int> answers;
        std::size_t questions;
        const std::string& after;
        const std::string& into;
    } cases[] = {
        {"not installed", newer, kNone, older, {}, 0, newer, destination},
        {"not installed, staged deeper than 128", newer, kNone, older, {}, 0, newer, deep},
        // Newer is reported with other flags, which asks nothing; the temporary copy goes.
        {"newer installed", older, kWritable, newer, {}, 0, newer, destination},
        {"write protected, Abort", newer, kReadOnly, older, {IDABORT}, 1, older, destination},
        {"write protected, Retry, Retry, Abort", newer, kReadOnly, older, {IDRETRY, IDRETRY, IDABORT}, 3, older,
         destination},
        {"write protected, Ignore: the forced attempt asks nothing", newer, kReadOnly, older, {IDIGNORE}, 1, older,
         destination},
        {"made writable, Retry", newer, kMadeWritableWhenAsked, older, {IDRETRY}, 1, newer, destination},
        {"newer made writable, Ignore forces the older", older, kMadeWritableWhenAsked, newer, {IDIGNORE}, 1, older,
         destination},
    };
    auto temporaryCopies = [&] {  // what the version services leave in a directory they install into
        int count = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((system + "ver*.tmp").c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
            ++count;
        FindClose(search);
        return count;
    };
    const int temporaryBefore = temporaryCopies();
    auto remove = [&] {
        SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(installed.c_str());
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        remove();
        ASSERT_TRUE(WriteWholeFile(source + "MFC42.DL_", Packed(c.distributed, 'L')));
        ASSERT_TRUE(c.state == kNone || WriteWholeFile(installed, c.present));
        ASSERT_TRUE(c.state < kReadOnly || SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_READONLY));
        std::strcpy(destinationDirectory, c.into.c_str());
        MessageBoxAnswerer boxes(c.answers);
        fixWhileAsked = c.state == kMadeWritableWhenAsked ? installed : "";
        fixingHook = SetWindowsHookExA(WH_CBT, FixWhileAsked, nullptr, GetCurrentThreadId());

        EXPECT_EQ(InstallSharedFile(progressDialog, kMfc42), 1);

        UnhookWindowsHookEx(fixingHook);
        EXPECT_TRUE(Contents(installed) == c.after);
        EXPECT_TRUE(Contents(c.into + "System\\MFC42.DLL") == c.distributed) << "the expanded staged copy";
        ASSERT_EQ(boxes.shown.size(), c.questions);
        for (const MessageBoxInfo& box : boxes.shown) {
            EXPECT_EQ(box.text, asked);
            EXPECT_EQ(box.owner, mainWindow);
            EXPECT_EQ(box.style, static_cast<UINT>(MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION)) << StyleName(box.style);
        }
        EXPECT_EQ(temporaryCopies(), temporaryBefore);
    }
    remove();

    // Nothing to stage: the copy-failure message over the progress dialog.
    ASSERT_TRUE(DeleteFileA((source + "MFC42.DL_").c_str()));
    MessageBoxAnswerer boxes;
    EXPECT_EQ(InstallSharedFile(progressDialog, kMfc42), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, FailureText("MFC42.DL_"));
    EXPECT_EQ(boxes.shown[0].owner, progressDialog);
}

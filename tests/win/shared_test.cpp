#include <gtest/gtest.h>

#include <windows.h>
#include <winver.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <cstring>
#include <string>
#include <vector>

#include "install/install.h"
#include "install/progress.h"
#include "install/shared.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"
#include "tests/win/copyfiles.h"

static const UINT kConflictStyle = MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION;  // 50

// Listed names of the copy_names table: made-up libraries that no prefix ships.
enum { kCompressedLibrary = 80, kPlainLibrary = 81 };
static const char kInstalledName[] = "QVXSHR.DLL";

static std::string WriteProtectedText(const char* name)
{
    return std::string("The installed version of ") + name +
           " is write protected.  Change the file attributes and retry installation.";
}

static std::string SystemDirectory()
{
    char directory[MAX_PATH];
    GetSystemDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\";
}

static void Remove(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

// The temporary copies the version services may leave in a directory.
static std::vector<std::string> TemporaryCopies(const std::string& directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "ver*.tmp").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return names;
}

// Runs before the answerer presses its button: the user changes something while a box is up.
static std::string clearReadOnlyOf;
static HHOOK fixingHook;
static LRESULT CALLBACK ClearReadOnlyWhileAsked(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && IsMessageBox(reinterpret_cast<HWND>(wParam)) && !clearReadOnlyOf.empty())
        SetFileAttributesA(clearReadOnlyOf.c_str(), FILE_ATTRIBUTE_NORMAL);
    return CallNextHookEx(fixingHook, code, wParam, lParam);
}

class SharedTest : public FileInstallTest {
protected:
    void SetUp() override
    {
        FileInstallTest::SetUp();
        if (HasFatalFailure())
            return;
        system = SystemDirectory();
        installed = system + kInstalledName;
        Remove(installed);
        Remove(system + "QVXPLN.DLL");
        ASSERT_TRUE(ReadWholeFile(TestDirectory() + "qvxver1.dll", &older));
        ASSERT_TRUE(ReadWholeFile(TestDirectory() + "qvxver2.dll", &newer));
        temporaryBefore = TemporaryCopies(system);
    }

    void TearDown() override
    {
        Remove(installed);
        Remove(system + "QVXPLN.DLL");
        FileInstallTest::TearDown();
    }

    // The library as the distribution holds it: compressed as QVXSHR.DL_.
    void Distribute(const std::string& library)
    {
        ASSERT_TRUE(WriteWholeFile(source + "QVXSHR.DL_", Compressed(library, 'L')));
    }

    void Install(const std::string& library, bool readOnly)
    {
        ASSERT_TRUE(WriteWholeFile(installed, library));
        if (readOnly) {
            ASSERT_TRUE(SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_READONLY));
        }
    }

    std::string system;
    std::string installed;
    std::string older;
    std::string newer;
    std::vector<std::string> temporaryBefore;
};

// What the platform's version services answer in the situations below, asked directly. The
// other tests rely on these to know which branch they reach.
TEST_F(SharedTest, VersionServicesAsThePlatformAnswers)
{
    std::string staging = destination + "System\\";
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(staging.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(staging + kInstalledName, newer));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    // The platform's declarations take writable texts.
    char name[] = "QVXSHR.DLL";
    char application[MAX_PATH];
    std::strcpy(application, destinationDirectory);
    char stagingDirectory[MAX_PATH];
    std::strcpy(stagingDirectory, staging.c_str());

    auto find = [&](std::string* current, std::string* recommended) {
        char currentDirectory[260] = "", recommendedDirectory[260] = "";
        UINT currentLength = 260, recommendedLength = 260;
        DWORD result = VerFindFileA(VFFF_ISSHAREDFILE, name, windows, application, currentDirectory,
                                    &currentLength, recommendedDirectory, &recommendedLength);
        *current = currentDirectory;
        *recommended = recommendedDirectory;
        return result;
    };
    auto install = [&](DWORD flags, std::string current, std::string recommended, std::string* temporary) {
        char temporaryName[260] = "";
        UINT length = 260;
        DWORD result = VerInstallFileA(flags, name, name, stagingDirectory, &recommended[0], &current[0],
                                       temporaryName, &length);
        *temporary = temporaryName;
        return result;
    };
    std::string current, recommended, temporary;

    // Nothing installed: the system directory is recommended and the file installs.
    EXPECT_EQ(find(&current, &recommended), static_cast<DWORD>(VFF_CURNEDEST));
    EXPECT_EQ(current, "");
    EXPECT_EQ(lstrcmpiA((recommended + "\\").c_str(), system.c_str()), 0) << recommended;
    EXPECT_EQ(install(0, current, recommended, &temporary), 0u);
    EXPECT_EQ(Contents(installed), newer);

    // A newer version installed: "source older" comes with "mismatch" and a temporary copy.
    Remove(installed);
    Install(newer, false);
    ASSERT_TRUE(WriteWholeFile(staging + kInstalledName, older));
    EXPECT_EQ(find(&current, &recommended), 0u);
    EXPECT_EQ(lstrcmpiA((current + "\\").c_str(), system.c_str()), 0) << current;
    DWORD result = install(0, current, recommended, &temporary);
    EXPECT_EQ(result, static_cast<DWORD>(VIF_SRCOLD | VIF_MISMATCH | VIF_TEMPFILE));
    std::printf("newer installed: VerInstallFileA 0x%lx, temporary copy \"%s\"\n", result, temporary.c_str());
    std::vector<std::string> left = TemporaryCopies(system);
    EXPECT_EQ(left.size(), temporaryBefore.size() + 1);
    for (const std::string& name : left)
        if (std::find(temporaryBefore.begin(), temporaryBefore.end(), name) == temporaryBefore.end())
            Remove(system + name);

    // A read-only installed file is write protected, forced or not.
    Remove(installed);
    Install(older, true);
    ASSERT_TRUE(WriteWholeFile(staging + kInstalledName, newer));
    EXPECT_EQ(install(0, current, recommended, &temporary), static_cast<DWORD>(VIF_WRITEPROT));
    EXPECT_EQ(install(VIFF_FORCEINSTALL, current, recommended, &temporary), static_cast<DWORD>(VIF_WRITEPROT));

    // An installed file that another program holds open: VerFindFileA does not call it in use,
    // and VerInstallFileA fails to replace it with a combination of flags.
    SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE held = CreateFileA(installed.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(find(&current, &recommended), 0u);
    result = install(0, current, recommended, &temporary);
    std::printf("held open: VerInstallFileA 0x%lx\n", result);
    EXPECT_EQ(result, static_cast<DWORD>(VIF_CANNOTDELETE | VIF_SHARINGVIOLATION));
    CloseHandle(held);
    EXPECT_EQ(Contents(installed), older);
    EXPECT_EQ(TemporaryCopies(system), temporaryBefore);
}

TEST_F(SharedTest, MissingSourceIsReportedWithoutStaging)
{
    MessageBoxAnswerer boxes;

    EXPECT_EQ(InstallSharedFile(progressDialog, 80), 0);  // the shipped "MFC42.DL_"

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, FailureText("MFC42.DL_"));
    EXPECT_EQ(boxes.shown[0].caption, kCaption);
    EXPECT_EQ(boxes.shown[0].owner, progressDialog);
    EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_FALSE(Exists(destination + "System"));
    EXPECT_FALSE(Exists(destination));
}

TEST_F(SharedTest, NewLibraryIsStagedAndInstalledWithoutAQuestion)
{
    VariantStrings names("copy_names");
    ASSERT_TRUE(names.loaded());
    Distribute(newer);
    ASSERT_TRUE(WriteWholeFile(source + "QVXPLN.DLL", older));
    MessageBoxAnswerer boxes;

    EXPECT_EQ(InstallSharedFile(progressDialog, kCompressedLibrary), 1);
    EXPECT_EQ(InstallSharedFile(progressDialog, kPlainLibrary), 1);

    EXPECT_TRUE(boxes.shown.empty());
    // The expanded copies stay in the staging directory.
    EXPECT_EQ(Contents(destination + "System\\QVXSHR.DLL"), newer);
    EXPECT_FALSE(Exists(destination + "System\\QVXSHR.DL_"));
    EXPECT_EQ(Contents(destination + "System\\QVXPLN.DLL"), older);
    EXPECT_EQ(Contents(installed), newer);
    EXPECT_EQ(Contents(system + "QVXPLN.DLL"), older);
    EXPECT_EQ(bytesCopied, static_cast<long>(newer.size() + older.size()));
    EXPECT_EQ(TemporaryCopies(system), temporaryBefore);
}

TEST_F(SharedTest, NewerInstalledLibraryIsKeptAndTheTemporaryCopyRemoved)
{
    VariantStrings names("copy_names");
    ASSERT_TRUE(names.loaded());
    Install(newer, false);
    Distribute(older);
    MessageBoxAnswerer boxes;

    EXPECT_EQ(InstallSharedFile(progressDialog, kCompressedLibrary), 1);

    // The platform reports the newer version together with other flags, which asks nothing.
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Contents(installed), newer);
    EXPECT_EQ(Contents(destination + "System\\QVXSHR.DLL"), older);
    EXPECT_EQ(TemporaryCopies(system), temporaryBefore) << "the service's temporary copy is removed";
}

TEST_F(SharedTest, WriteProtectedLibraryAsksUntilAbortOrOneForcedAttempt)
{
    VariantStrings names("copy_names");
    ASSERT_TRUE(names.loaded());
    Distribute(newer);
    const struct {
        std::deque<int> answers;
        std::size_t questions;
    } cases[] = {
        {{IDABORT}, 1},
        {{IDIGNORE, IDIGNORE}, 1},  // the forced attempt fails again and asks nothing
        {{IDRETRY, IDRETRY, IDABORT}, 3},
        {{IDRETRY, IDIGNORE, IDIGNORE}, 2},
    };
    for (const auto& c : cases) {
        Remove(installed);
        Install(older, true);
        MessageBoxAnswerer boxes(c.answers);

        EXPECT_EQ(InstallSharedFile(progressDialog, kCompressedLibrary), 1);

        ASSERT_EQ(boxes.shown.size(), c.questions) << c.answers.size() << " answers";
        for (const MessageBoxInfo& box : boxes.shown) {
            EXPECT_EQ(box.text, WriteProtectedText(kInstalledName));
            EXPECT_EQ(box.caption, kCaption);
            EXPECT_EQ(box.owner, mainWindow);
            EXPECT_FALSE(box.ownerEnabled);
            EXPECT_EQ(box.style, kConflictStyle);
        }
        EXPECT_TRUE(IsWindowEnabled(mainWindow));
        EXPECT_EQ(Contents(installed), older);
        EXPECT_EQ(Contents(destination + "System\\QVXSHR.DLL"), newer);
    }
}

TEST_F(SharedTest, RetryInstallsOnceTheUserHasFixedTheAttributes)
{
    VariantStrings names("copy_names");
    ASSERT_TRUE(names.loaded());
    Install(older, true);
    Distribute(newer);
    MessageBoxAnswerer boxes({IDRETRY, IDABORT});
    clearReadOnlyOf = installed;  // while the question is up
    fixingHook = SetWindowsHookExA(WH_CBT, ClearReadOnlyWhileAsked, nullptr, GetCurrentThreadId());

    EXPECT_EQ(InstallSharedFile(progressDialog, kCompressedLibrary), 1);

    UnhookWindowsHookEx(fixingHook);
    clearReadOnlyOf.clear();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(Contents(installed), newer);
}

TEST_F(SharedTest, LibraryHeldOpenIsLeftWithoutAQuestion)
{
    VariantStrings names("copy_names");
    ASSERT_TRUE(names.loaded());
    Install(older, false);
    Distribute(newer);
    HANDLE held = CreateFileA(installed.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    MessageBoxAnswerer boxes;

    // A failure the questions do not cover ends the attempts; the services were reached.
    EXPECT_EQ(InstallSharedFile(progressDialog, kCompressedLibrary), 1);

    CloseHandle(held);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Contents(installed), older);
    EXPECT_EQ(Contents(destination + "System\\QVXSHR.DLL"), newer);
    EXPECT_EQ(TemporaryCopies(system), temporaryBefore);
}

TEST_F(SharedTest, StagingThatCannotBeWrittenIsReported)
{
    VariantStrings names("copy_names");
    ASSERT_TRUE(names.loaded());
    Distribute(newer);
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(destination + "System", "a file where the staging directory goes"));
    MessageBoxAnswerer boxes;

    EXPECT_EQ(InstallSharedFile(progressDialog, kCompressedLibrary), 0);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, FailureText("QVXSHR.DL_"));
    EXPECT_EQ(boxes.shown[0].owner, progressDialog);
    EXPECT_FALSE(Exists(installed));
}

TEST_F(SharedTest, StagingPathThatDoesNotFitIsRefused)
{
    VariantStrings names("copy_names");
    ASSERT_TRUE(names.loaded());
    Distribute(newer);
    // "System\QVXSHR.DL_" is 17 characters: the staging path would need 261 bytes.
    std::string longer = destination + std::string(260 - 17 - destination.size() - 1, 'd') + "\\";
    ASSERT_EQ(longer.size() + 17, 260u);
    std::strcpy(destinationDirectory, longer.c_str());
    MessageBoxAnswerer boxes;

    EXPECT_EQ(InstallSharedFile(progressDialog, kCompressedLibrary), 0);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, FailureText("QVXSHR.DL_"));
    EXPECT_FALSE(Exists(destination));
    EXPECT_FALSE(Exists(installed));
}

TEST_F(SharedTest, FileExistsOnlyForReadableFiles)
{
    ASSERT_TRUE(WriteWholeFile(source + "here.txt", "x"));
    EXPECT_EQ(FileExists((source + "here.txt").c_str()), 1);
    EXPECT_EQ(FileExists((source + "missing.txt").c_str()), 0);
    EXPECT_EQ(FileExists(""), 0);
    EXPECT_EQ(FileExists(source.c_str()), 0);  // a directory is no file
    // Still closed: the file can go.
    EXPECT_TRUE(DeleteFileA((source + "here.txt").c_str()));
}

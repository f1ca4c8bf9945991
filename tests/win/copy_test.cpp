#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "destination/tree.h"
#include "install/copy.h"
#include "install/install.h"
#include "install/progress.h"
#include "shell/shell.h"
#include "tests/support/answerer.h"
#include "tests/support/support.h"
#include "tests/win/copyfiles.h"

static const UINT kFailureStyle = MB_OK | MB_ICONINFORMATION;  // 64

// Listed names of the shipped table.
enum { kCardSo = 131, kReadme = 133, kTestCard = 135 };

static std::string ControlText(HWND control)
{
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

struct Times {
    FILETIME accessed;
    FILETIME written;
};

static Times TimesOf(const std::string& path)
{
    Times times = {};
    HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    EXPECT_TRUE(GetFileTime(file, nullptr, &times.accessed, &times.written));
    CloseHandle(file);
    return times;
}

static FILETIME At(WORD year, WORD month, WORD day)
{
    SYSTEMTIME system = {};
    system.wYear = year;
    system.wMonth = month;
    system.wDay = day;
    system.wHour = 4;
    system.wMinute = 5;
    system.wSecond = 6;
    FILETIME time;
    SystemTimeToFileTime(&system, &time);
    return time;
}

static void SetTimes(const std::string& path, const FILETIME& accessed, const FILETIME& written)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    ASSERT_TRUE(SetFileTime(file, nullptr, &accessed, &written));
    CloseHandle(file);
}

static std::uint64_t Value(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The write seam: records every block, and fails from block failAt on by writing only half of it.
static std::vector<std::size_t> writes;
static int failAt = -1;
static bool RecordingWrite(const void* data, std::size_t size, std::FILE* destination)
{
    writes.push_back(size);
    if (failAt >= 0 && static_cast<int>(writes.size()) > failAt) {
        std::fwrite(data, size / 2, 1, destination);
        return false;
    }
    return std::fwrite(data, size, 1, destination) == 1;
}

static void* RefuseBlock(std::size_t)
{
    return nullptr;
}

// Counts the messages the copy dispatches.
static int drained;
static LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP)
        ++drained;
    return DefWindowProcA(window, message, wParam, lParam);
}

class CopyTest : public FileInstallTest {
protected:
    void SetUp() override
    {
        FileInstallTest::SetUp();
        if (HasFatalFailure())
            return;
        writes.clear();
        failAt = -1;
        savedWrite = writeCopyBlock;
        savedAllocate = allocateCopyBlock;
        writeCopyBlock = RecordingWrite;
    }

    void TearDown() override
    {
        writeCopyBlock = savedWrite;
        allocateCopyBlock = savedAllocate;
        FileInstallTest::TearDown();
    }

    void Store(const std::string& listed, const std::string& contents)
    {
        std::string path = source + listed;
        CreateDirectoryTree(path.c_str());
        ASSERT_TRUE(WriteWholeFile(path, contents)) << path;
    }

    bool (*savedWrite)(const void*, std::size_t, std::FILE*) = nullptr;
    void* (*savedAllocate)(std::size_t) = nullptr;
};

TEST_F(CopyTest, PlainFileArrivesByteForByteUnderItsListedName)
{
    std::string data = Pattern(5000, 1);
    Store("README.DOC", data);
    MessageBoxAnswerer boxes;

    EXPECT_EQ(CopyProductFile(progressDialog, kReadme), 1);

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Contents(destination + "README.DOC"), data);
    EXPECT_EQ(bytesCopied, 5000);
    EXPECT_EQ(writes, (std::vector<std::size_t>{2048, 2048, 904}));
    EXPECT_EQ(ControlText(fileTextControl), "README.DOC");
    EXPECT_EQ(ControlText(destinationTextControl), destination + "README.DOC");
}

TEST_F(CopyTest, CompressedFileArrivesExpandedUnderItsExpandedName)
{
    std::string data = Pattern(7000, 2);
    Store("CARDSO.DL_", Compressed(data, 'L'));
    bytesCopied = 100;  // the counter grows over a whole run
    MessageBoxAnswerer boxes;

    EXPECT_EQ(CopyProductFile(progressDialog, kCardSo), 1);

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Contents(destination + "CARDSO.DLL"), data);
    EXPECT_FALSE(Exists(destination + "CARDSO.DL_"));
    EXPECT_EQ(bytesCopied, 7100);  // expanded bytes, not stored ones
    EXPECT_EQ(writes, (std::vector<std::size_t>{2048, 2048, 2048, 856}));
    EXPECT_EQ(ControlText(fileTextControl), "CARDSO.DL_");
    EXPECT_EQ(ControlText(destinationTextControl), destination + "CARDSO.DLL");

    // The caller's destination buffer holds the final path afterwards; a plain one keeps it.
    char path[kBufferSize];
    std::strcpy(path, (destination + "CARDSO.DL_").c_str());
    EXPECT_EQ(CopyExpandFile(kCardSo, path, (source + "CARDSO.DL_").c_str()), 1);
    EXPECT_EQ(std::string(path), destination + "CARDSO.DLL");
    Store("README.DOC", "plain");
    std::strcpy(path, (destination + "README.DOC").c_str());
    EXPECT_EQ(CopyExpandFile(kReadme, path, (source + "README.DOC").c_str()), 1);
    EXPECT_EQ(std::string(path), destination + "README.DOC");
}

TEST_F(CopyTest, SubdirectoryOfTheListedNameIsCreated)
{
    std::string data = Pattern(3000, 3);
    Store("SAMPLE\\TESTCARD.EX_", Compressed(data, 'E'));
    ASSERT_FALSE(Exists(destination));

    EXPECT_EQ(CopyProductFile(progressDialog, kTestCard), 1);

    EXPECT_TRUE(IsDirectory(destination + "SAMPLE"));
    EXPECT_EQ(Contents(destination + "SAMPLE\\TESTCARD.EXE"), data);
    EXPECT_EQ(ControlText(fileTextControl), "SAMPLE\\TESTCARD.EX_");
    EXPECT_EQ(ControlText(destinationTextControl), destination + "SAMPLE\\TESTCARD.EXE");
}

TEST_F(CopyTest, DestinationTakesTheStoredFilesTimesOnBothPaths)
{
    Store("README.DOC", Pattern(4000, 4));
    Store("CARDSO.DL_", Compressed(Pattern(4000, 5), 'L'));
    FILETIME accessed = At(2002, 3, 4);
    FILETIME written = At(2001, 2, 3);
    SetTimes(source + "README.DOC", accessed, written);
    SetTimes(source + "CARDSO.DL_", accessed, At(1999, 12, 31));

    ASSERT_EQ(CopyProductFile(progressDialog, kReadme), 1);
    ASSERT_EQ(CopyProductFile(progressDialog, kCardSo), 1);

    // Reading may move a source's last access on: compare with the source as it is now.
    struct {
        const char* stored;
        const char* copied;
        FILETIME written;
    } cases[] = {{"README.DOC", "README.DOC", At(2001, 2, 3)}, {"CARDSO.DL_", "CARDSO.DLL", At(1999, 12, 31)}};
    for (const auto& c : cases) {
        Times stored = TimesOf(source + c.stored);
        Times copied = TimesOf(destination + c.copied);
        EXPECT_EQ(Value(copied.written), Value(c.written)) << c.copied;
        EXPECT_EQ(Value(copied.written), Value(stored.written)) << c.copied;
        EXPECT_EQ(Value(copied.accessed), Value(stored.accessed)) << c.copied;
    }
}

TEST_F(CopyTest, ExistingDestinationIsOverwrittenWithoutAQuestion)
{
    std::string plain = Pattern(300, 6);
    std::string expanded = Pattern(500, 7);
    Store("README.DOC", plain);
    Store("CARDSO.DL_", Compressed(expanded, 'L'));
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(destination + "README.DOC", Pattern(9000, 8)));  // longer than the new one
    ASSERT_TRUE(WriteWholeFile(destination + "CARDSO.DLL", Pattern(9000, 9)));
    MessageBoxAnswerer boxes;

    EXPECT_EQ(CopyProductFile(progressDialog, kReadme), 1);
    EXPECT_EQ(CopyProductFile(progressDialog, kCardSo), 1);

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Contents(destination + "README.DOC"), plain);
    EXPECT_EQ(Contents(destination + "CARDSO.DLL"), expanded);
}

TEST_F(CopyTest, EmptySourceGivesAnEmptyFileAndNoCount)
{
    Store("README.DOC", "");
    Store("CARDSO.DL_", Compressed("", 'L'));
    bytesCopied = 42;

    EXPECT_EQ(CopyProductFile(progressDialog, kReadme), 1);
    EXPECT_EQ(CopyProductFile(progressDialog, kCardSo), 1);

    EXPECT_EQ(Contents(destination + "README.DOC"), "");
    EXPECT_EQ(Contents(destination + "CARDSO.DLL"), "");
    EXPECT_EQ(bytesCopied, 42);
    EXPECT_TRUE(writes.empty());
}

TEST_F(CopyTest, RefusedBlockBufferFallsBackTo255ByteBlocks)
{
    std::string plain = Pattern(1000, 10);
    std::string expanded = Pattern(600, 11);
    Store("README.DOC", plain);
    Store("CARDSO.DL_", Compressed(expanded, 'L'));
    allocateCopyBlock = RefuseBlock;

    ASSERT_EQ(CopyProductFile(progressDialog, kReadme), 1);
    EXPECT_EQ(writes, (std::vector<std::size_t>{255, 255, 255, 235}));
    writes.clear();
    ASSERT_EQ(CopyProductFile(progressDialog, kCardSo), 1);
    EXPECT_EQ(writes, (std::vector<std::size_t>{255, 255, 90}));

    EXPECT_EQ(Contents(destination + "README.DOC"), plain);
    EXPECT_EQ(Contents(destination + "CARDSO.DLL"), expanded);
    EXPECT_EQ(bytesCopied, 1600);
}

TEST_F(CopyTest, OnePendingMessageIsDispatchedPerBlock)
{
    Store("README.DOC", Pattern(3 * 2048, 12));
    HWND counter = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, moduleInstance, nullptr);
    ASSERT_NE(counter, nullptr);
    SetWindowLongPtrA(counter, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    PumpMessages(50);
    drained = 0;
    for (int i = 0; i < 10; ++i)
        PostMessageA(counter, WM_APP, 0, 0);

    ASSERT_EQ(CopyProductFile(progressDialog, kReadme), 1);

    EXPECT_EQ(drained, 3);
    DestroyWindow(counter);
}

TEST_F(CopyTest, MissingSourceIsReportedAndLeavesNoFile)
{
    MessageBoxAnswerer boxes;

    EXPECT_EQ(CopyProductFile(progressDialog, kTestCard), 0);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, FailureText("SAMPLE\\TESTCARD.EX_"));
    EXPECT_EQ(boxes.shown[0].caption, kCaption);
    EXPECT_EQ(boxes.shown[0].owner, progressDialog);
    EXPECT_FALSE(boxes.shown[0].ownerEnabled);
    EXPECT_EQ(boxes.shown[0].style, kFailureStyle);
    EXPECT_TRUE(IsWindowEnabled(progressDialog));
    // The directories made for the file stay; no file appears under either name.
    EXPECT_TRUE(IsDirectory(destination + "SAMPLE"));
    EXPECT_FALSE(Exists(destination + "SAMPLE\\TESTCARD.EX_"));
    EXPECT_FALSE(Exists(destination + "SAMPLE\\TESTCARD.EXE"));
    EXPECT_EQ(bytesCopied, 0);
}

TEST_F(CopyTest, TruncatedOrOverlongCompressedDataIsReportedAndRemoved)
{
    // The header promises more than the data holds, or less.
    const struct {
        std::string stored;
        const char* why;
    } cases[] = {
        {Compressed(Pattern(7000, 13), 'L').substr(0, 3000), "data cut short"},
        {Compressed(Pattern(100, 14), 'L', 5000), "header longer than the data"},
        {Compressed(Pattern(5000, 15), 'L', 100), "data longer than the header"},
        {Compressed("", 'L', 10), "no data at all"},
    };
    for (const auto& c : cases) {
        Store("CARDSO.DL_", c.stored);
        ASSERT_TRUE(CreateDirectoryTree(destination.c_str()));
        ASSERT_TRUE(WriteWholeFile(destination + "CARDSO.DLL", "previous"));
        MessageBoxAnswerer boxes;

        EXPECT_EQ(CopyProductFile(progressDialog, kCardSo), 0) << c.why;

        ASSERT_EQ(boxes.shown.size(), 1u) << c.why;
        EXPECT_EQ(boxes.shown[0].text, FailureText("CARDSO.DL_")) << c.why;
        EXPECT_EQ(boxes.shown[0].owner, progressDialog) << c.why;
        EXPECT_FALSE(Exists(destination + "CARDSO.DLL")) << c.why;
        EXPECT_FALSE(Exists(destination + "CARDSO.DL_")) << c.why;
        // The source is closed again: it can be replaced.
        EXPECT_TRUE(DeleteFileA((source + "CARDSO.DL_").c_str())) << c.why;
    }
}

TEST_F(CopyTest, UnknownCompressionIsCopiedAsStored)
{
    // The expansion service refuses the header; the file is then copied as it is.
    std::string stored = Compressed(Pattern(700, 16), 'L', -1, 'B');
    Store("CARDSO.DL_", stored);

    EXPECT_EQ(CopyProductFile(progressDialog, kCardSo), 1);

    EXPECT_EQ(Contents(destination + "CARDSO.DL_"), stored);
    EXPECT_FALSE(Exists(destination + "CARDSO.DLL"));
}

TEST_F(CopyTest, FailingWriteIsReportedAndRemovesThePartialFile)
{
    Store("README.DOC", Pattern(5000, 17));
    Store("CARDSO.DL_", Compressed(Pattern(5000, 18), 'L'));
    for (int id : {kReadme, kCardSo}) {
        writes.clear();
        failAt = 1;  // the second block is written only in part
        MessageBoxAnswerer boxes;

        EXPECT_EQ(CopyProductFile(progressDialog, id), 0) << id;

        EXPECT_EQ(writes.size(), 2u) << "the copy stops at the failed block";
        ASSERT_EQ(boxes.shown.size(), 1u) << id;
        EXPECT_EQ(boxes.shown[0].text, FailureText(id == kReadme ? "README.DOC" : "CARDSO.DL_"));
    }
    EXPECT_FALSE(Exists(destination + "README.DOC"));
    EXPECT_FALSE(Exists(destination + "CARDSO.DLL"));
    EXPECT_EQ(bytesCopied, 2 * 2048) << "only whole blocks count";
    EXPECT_TRUE(DeleteFileA((source + "README.DOC").c_str()));
    EXPECT_TRUE(DeleteFileA((source + "CARDSO.DL_").c_str()));
}

// Needs a small volume mapped as a drive, named by QVX_SMALL_DRIVE (scripts/small-drive.sh).
TEST_F(CopyTest, FullDriveFailsTheCopyAndLeavesNoPartialFile)
{
    const char* letter = std::getenv("QVX_SMALL_DRIVE");
    if (letter == nullptr || letter[0] == '\0')
        GTEST_SKIP() << "no small drive mapped (QVX_SMALL_DRIVE)";
    writeCopyBlock = savedWrite;  // the real writes
    std::string drive = std::string(1, letter[0]) + ":\\";
    std::string full = drive + "copytest\\";
    std::strcpy(destinationDirectory, full.c_str());
    Store("README.DOC", Pattern(4 << 20, 19));
    Store("CARDSO.DL_", Compressed(Pattern(4 << 20, 20), 'L'));

    for (int id : {kReadme, kCardSo}) {
        MessageBoxAnswerer boxes;
        EXPECT_EQ(CopyProductFile(progressDialog, id), 0) << id;
        ASSERT_EQ(boxes.shown.size(), 1u) << id;
    }
    EXPECT_TRUE(IsDirectory(full)) << "the failure came after the files were open";
    EXPECT_FALSE(Exists(full + "README.DOC"));
    EXPECT_FALSE(Exists(full + "CARDSO.DLL"));
    RemoveDirectoryA(full.c_str());

    // On a drive filled to the last byte a small file fits the stream's buffer and fails only
    // when it is flushed.
    std::strcpy(destinationDirectory, drive.c_str());
    EXPECT_FALSE(WriteWholeFile(drive + "filler", Pattern(4 << 20, 21)));
    Store("README.DOC", "small");
    {
        MessageBoxAnswerer boxes;
        EXPECT_EQ(CopyProductFile(progressDialog, kReadme), 0);
        EXPECT_EQ(boxes.shown.size(), 1u);
        EXPECT_FALSE(Exists(drive + "README.DOC"));
    }

    // With room again the same file arrives whole.
    ASSERT_TRUE(DeleteFileA((drive + "filler").c_str()));
    EXPECT_EQ(CopyProductFile(progressDialog, kReadme), 1);
    EXPECT_EQ(Contents(drive + "README.DOC"), "small");
    DeleteFileA((drive + "README.DOC").c_str());
}

TEST_F(CopyTest, UncreatableDestinationIsReportedAndTheSourceClosed)
{
    Store("README.DOC", "plain");
    Store("CARDSO.DL_", Compressed("expanded", 'L'));
    Store("SAMPLE\\TESTCARD.EX_", Compressed("x", 'E'));
    // Directories stand where the files should go, and a file where a directory should.
    ASSERT_TRUE(CreateDirectoryTree((destination + "README.DOC\\").c_str()));
    ASSERT_TRUE(CreateDirectoryTree((destination + "CARDSO.DLL\\").c_str()));
    ASSERT_TRUE(WriteWholeFile(destination + "SAMPLE", "a file, not a directory"));
    MessageBoxAnswerer boxes;

    EXPECT_EQ(CopyProductFile(progressDialog, kReadme), 0);
    EXPECT_EQ(CopyProductFile(progressDialog, kCardSo), 0);
    EXPECT_EQ(CopyProductFile(progressDialog, kTestCard), 0);

    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, FailureText("README.DOC"));
    EXPECT_EQ(boxes.shown[1].text, FailureText("CARDSO.DL_"));
    EXPECT_EQ(boxes.shown[2].text, FailureText("SAMPLE\\TESTCARD.EX_"));
    EXPECT_TRUE(IsDirectory(destination + "README.DOC"));
    EXPECT_TRUE(IsDirectory(destination + "CARDSO.DLL"));
    EXPECT_EQ(Contents(destination + "SAMPLE"), "a file, not a directory");
    EXPECT_TRUE(DeleteFileA((source + "README.DOC").c_str()));
    EXPECT_TRUE(DeleteFileA((source + "CARDSO.DL_").c_str()));
}

TEST_F(CopyTest, PathsThatDoNotFitAreRefused)
{
    Store("SAMPLE\\TESTCARD.EX_", Compressed("x", 'E'));
    const std::string listed = "SAMPLE\\TESTCARD.EX_";  // 19 characters
    // Destination paths of 260 (no room for the terminator) and of 256 characters (fits its
    // buffer but not tree creation's), then a source path of 260.
    std::string tooLong = destination + std::string(260 - 19 - destination.size() - 1, 'd') + "\\";
    std::string treeTooLong = destination + std::string(256 - 19 - destination.size() - 1, 'd') + "\\";
    ASSERT_EQ(tooLong.size() + listed.size(), 260u);
    ASSERT_EQ(treeTooLong.size() + listed.size(), 256u);
    for (const std::string& target : {tooLong, treeTooLong}) {
        std::strcpy(destinationDirectory, target.c_str());
        MessageBoxAnswerer boxes;
        EXPECT_EQ(CopyProductFile(progressDialog, kTestCard), 0);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, FailureText(listed));
    }
    EXPECT_FALSE(Exists(destination)) << "nothing is created for a refused path";

    std::strcpy(destinationDirectory, destination.c_str());
    std::string longSource = source + std::string(260 - 19 - source.size() - 1, 's') + "\\";
    std::strcpy(sourceDirectory, longSource.c_str());
    MessageBoxAnswerer boxes;
    EXPECT_EQ(CopyProductFile(progressDialog, kTestCard), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(Exists(destination));
}

TEST_F(CopyTest, FailureMessageTooLongForTheMessageBufferIsShownWhole)
{
    VariantStrings names("copy_names");
    ASSERT_TRUE(names.loaded());
    const std::string listed = "SAMPLE\\" + std::string(190, 'N') + ".EX_";
    MessageBoxAnswerer boxes;

    EXPECT_EQ(ReportCopyFailure(progressDialog, 90), IDOK);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, FailureText(listed));
    EXPECT_EQ(boxes.shown[0].style, kFailureStyle);
}

TEST(CreateDirectoryTree, CreatesEveryMissingLevel)
{
    ScratchDirectory scratch;
    std::string base = scratch.path();
    EXPECT_EQ(CreateDirectoryTree((base + "a\\b\\c\\file.txt").c_str()), 1);
    EXPECT_TRUE(IsDirectory(base + "a\\b\\c"));
    EXPECT_FALSE(Exists(base + "a\\b\\c\\file.txt"));

    // A directory path creates itself only with its trailing backslash.
    EXPECT_EQ(CreateDirectoryTree((base + "d\\e").c_str()), 1);
    EXPECT_TRUE(IsDirectory(base + "d"));
    EXPECT_FALSE(Exists(base + "d\\e"));
    EXPECT_EQ(CreateDirectoryTree((base + "d\\e\\").c_str()), 1);
    EXPECT_TRUE(IsDirectory(base + "d\\e"));

    // Levels that exist already, also when written with doubled or trailing separators.
    EXPECT_EQ(CreateDirectoryTree((base + "a\\\\b/c/x").c_str()), 1);
    EXPECT_EQ(CreateDirectoryTree((base + "a\\b\\c\\").c_str()), 1);

    // Nothing to make below a root.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string root = std::string(windows, 3);
    EXPECT_EQ(CreateDirectoryTree((root + "x.txt").c_str()), 1);
    EXPECT_FALSE(Exists(root + "x.txt"));
}

TEST(CreateDirectoryTree, StopsAtALevelItCannotCreate)
{
    ScratchDirectory scratch;
    std::string base = scratch.path();
    ASSERT_TRUE(WriteWholeFile(base + "a", "a file"));
    EXPECT_EQ(CreateDirectoryTree((base + "a\\b\\c.txt").c_str()), 0);
    EXPECT_FALSE(Exists(base + "a\\b"));

    EXPECT_EQ(CreateDirectoryTree((base + "new\\a\\b\\c.txt").c_str()), 1);  // levels before stay
    ASSERT_TRUE(WriteWholeFile(base + "new\\a\\b\\c.txt", ""));
    EXPECT_EQ(CreateDirectoryTree((base + "new\\a\\b\\c.txt\\d\\e.txt").c_str()), 0);
    EXPECT_TRUE(IsDirectory(base + "new\\a\\b"));
}

TEST(CreateDirectoryTree, RefusesPathsOver255Characters)
{
    ScratchDirectory scratch;
    std::string base = scratch.path() + "t\\";
    std::string fits = base + std::string(255 - base.size(), 'f');
    std::string longer = fits + "f";
    ASSERT_EQ(fits.size(), 255u);
    EXPECT_EQ(CreateDirectoryTree(longer.c_str()), 0);
    EXPECT_FALSE(Exists(base)) << "a refused path creates nothing";
    EXPECT_EQ(CreateDirectoryTree(fits.c_str()), 1);
    EXPECT_TRUE(IsDirectory(base));
}

#include <gtest/gtest.h>

#include <windows.h>
#include <lzexpand.h>
#include <process.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "install/copy.h"
#include "install/names.h"
#include "shell/paths.h"
#include "tests/win/copyfiles.h"

enum { kCardSo = 131, kReadme = 133, kTestCard = 135 };  // listed names of the shipped table

static void* RefuseBlock(std::size_t) { return nullptr; }

// Fails the second block after writing half of it.
static int blocksWritten;
static bool FailSecondBlock(const void* data, std::size_t size, std::FILE* out)
{
    bool fail = ++blocksWritten == 2;
    return std::fwrite(data, fail ? size / 2 : size, 1, out) == 1 && !fail;
}

using CopyTest = FileInstallTest;

// Files like the distribution's, compressed by our builder, expand under the platform's names, to the
// bytes Wine's expand.exe gives, over an older file, with the source's last-write time.
TEST_F(CopyTest, ExpansionAgreesWithThePlatformsExpander)
{
    std::string mixed = Pattern(1 << 20, 2);  // stretches of blanks, zeros and repeats, as in a program
    for (std::size_t at = 0; at + 70000 < mixed.size(); at += 131072) {
        mixed.replace(at, 20000, 20000, ' ');
        mixed.replace(at + 20000, 9000, 9000, '\0');
        mixed.replace(at + 55000, 10000, mixed, at + 40000, 10000);
    }
    const struct {
        const char* stored;
        char last;  // 0: stored as it is
        const char* expanded;
        std::string data;
        bool heapRefused;  // the blocks then pass through the message buffer
    } cases[] = {
        {"CARD.DA_", 'T', "CARD.DAT", "", false},
        {"cardform.fr_", 'M', "cardform.frm", Pattern(3000, 3), true},
        {"MIXED.DL_", 'L', "MIXED.DLL", mixed, false},
        {"README.DOC", 0, "README.DOC", Pattern(5000, 3), true},
        {"NEAR.DA_", 0, "NEAR.DA_", "SZDD\x88\xf0\x27\x34" + Pattern(2000, 7), false},  // nearly the signature
    };
    std::string ours = scratch.path() + "ours\\", theirs = scratch.path() + "theirs\\";
    ASSERT_TRUE(CreateDirectoryA(ours.c_str(), nullptr) && CreateDirectoryA(theirs.c_str(), nullptr));
    long total = 0;
    namespace fs = std::filesystem;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        std::string stored = source + c.stored;
        ASSERT_TRUE(WriteWholeFile(stored, c.last ? Packed(c.data, c.last) : c.data));
        fs::last_write_time(stored, fs::last_write_time(stored) - std::chrono::hours(24 * 400));
        ASSERT_TRUE(WriteWholeFile(ours + c.expanded, Pattern(c.data.size() + 3000, 4)));
        allocateCopyBlock = c.heapRefused ? RefuseBlock : savedAllocate;
        char path[kBufferSize];
        std::strcpy(path, (ours + c.stored).c_str());

        EXPECT_EQ(CopyExpandFile(kReadme, path, stored.c_str()), 1);
        ASSERT_EQ(_spawnlp(_P_WAIT, "expand.exe", "expand.exe", ("\"" + stored + "\"").c_str(),
                           ("\"" + theirs + c.expanded + "\"").c_str(), nullptr), 0);  // Wine's own expander
        char name[MAX_PATH] = "";
        GetExpandedNameA(&stored[0], name);  // the platform's naming

        EXPECT_EQ(std::string(path), ours + FileNamePart(name));
        EXPECT_TRUE(Contents(ours + c.expanded) == c.data) << Contents(ours + c.expanded).size() << " bytes";
        EXPECT_TRUE(Contents(theirs + c.expanded) == c.data) << Contents(theirs + c.expanded).size() << " bytes";
        EXPECT_EQ(Exists(ours + c.stored), c.last == 0);
        EXPECT_TRUE(fs::last_write_time(ours + c.expanded) == fs::last_write_time(stored));
        total += static_cast<long>(c.data.size());
    }
    EXPECT_EQ(bytesCopied, total);
}

// An error after both files are open fails the copy like any other: the copy-failure message
// over the progress dialog, and no partial or stale file.
TEST_F(CopyTest, FailedCopyIsReportedAndLeavesNoFile)
{
    const std::string tooDeep = destination + std::string(260 - 10 - destination.size() - 1, 'd') + "\\";
    const struct {
        const char* why;
        int id;
        std::string stored;  // "": no source
        bool failingWrite;
        std::string into;
    } cases[] = {
        {"compressed data cut short", kCardSo, Packed(Pattern(7000, 5), 'L').substr(0, 3000), false, destination},
        {"write fails, compressed", kCardSo, Packed(Pattern(5000, 8), 'L'), true, destination},
        {"write fails, plain", kReadme, Pattern(5000, 9), true, destination},
        {"no source", kReadme, "", false, destination},
        {"path of 260 characters", kCardSo, Packed("x", 'L'), false, tooDeep},
        // The signature says compressed, but the header cannot be expanded.
        {"header cut short", kCardSo, Packed("x", 'L').substr(0, 9), false, destination},
        {"unknown method", kCardSo, Packed(Pattern(3000, 6), 'L').replace(8, 1, "B"), false, destination},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::string listed = c.id == kReadme ? "README.DOC" : "CARDSO.DL_";
        std::string expanded = c.id == kReadme ? "README.DOC" : "CARDSO.DLL";
        ASSERT_TRUE(c.stored.empty() || WriteWholeFile(source + listed, c.stored));
        std::strcpy(destinationDirectory, c.into.c_str());
        writeCopyBlock = c.failingWrite ? FailSecondBlock : savedWrite;
        blocksWritten = 0;
        MessageBoxAnswerer boxes;

        EXPECT_EQ(CopyProductFile(progressDialog, c.id), 0);

        ASSERT_EQ(boxes.shown.size(), 1u);
        const MessageBoxInfo& box = boxes.shown[0];
        EXPECT_EQ(box.caption + "|" + box.text, "OLE for Point of Sale Setup|" + FailureText(listed));
        EXPECT_EQ(box.owner, progressDialog);
        EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION)) << StyleName(box.style);
        EXPECT_FALSE(Exists(c.into + expanded) || Exists(c.into + listed));
        EXPECT_EQ(DeleteFileA((source + listed).c_str()) != FALSE, !c.stored.empty()) << "the source is closed";
    }
    EXPECT_FALSE(Exists(tooDeep)) << "nothing is created for a path that does not fit";
}

// The user chose the distribution directory as the destination: a file is its own destination.
TEST_F(CopyTest, FileThatIsItsOwnDestinationKeepsItsBytes)
{
    std::string directory = source + "Distribution Files\\";
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
    char alias[MAX_PATH] = "";
    GetShortPathNameA(directory.c_str(), alias, MAX_PATH);
    ASSERT_NE(lstrcmpiA(alias, directory.c_str()), 0) << alias;
    std::string lower = directory;
    CharLowerA(&lower[0]);
    const std::string plain = Pattern(5000, 10), packed = Packed(Pattern(3000, 11), 'C');
    const struct {
        std::string written;
        const std::string& contents;
        int copied;
        long counted;
    } cases[] = {
        {directory + "README.DOC", plain, 1, 5000},
        {lower + "readme.doc", plain, 1, 5000},
        {alias + std::string("README.DOC"), plain, 1, 5000},
        // Compressed under a name that expands to itself: it cannot be installed there.
        {directory + "README.DOC", packed, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        ASSERT_TRUE(WriteWholeFile(directory + "README.DOC", c.contents));
        bytesCopied = 100;
        char path[kBufferSize];
        std::strcpy(path, c.written.c_str());

        EXPECT_EQ(CopyExpandFile(kReadme, path, (directory + "README.DOC").c_str()), c.copied);

        EXPECT_TRUE(Contents(directory + "README.DOC") == c.contents);
        EXPECT_EQ(bytesCopied, 100 + c.counted);
    }
}

// Distribution and destination both lie deeper than OpenFile and GetExpandedNameA reach.
TEST_F(CopyTest, DeepCompressedFileExpandsUnderItsExpandedName)
{
    std::string deepSource = source + std::string(100, 's') + "\\";
    std::string deepDestination = destination + std::string(100, 'd') + "\\";
    ASSERT_GT(deepSource.size(), 128u);
    ASSERT_TRUE(CreateDirectoryA(deepSource.c_str(), nullptr) &&
                CreateDirectoryA((deepSource + "SAMPLE").c_str(), nullptr));
    std::strcpy(sourceDirectory, deepSource.c_str());
    std::strcpy(destinationDirectory, deepDestination.c_str());
    std::string data = Pattern(7000, 12);
    ASSERT_TRUE(WriteWholeFile(deepSource + "SAMPLE\\TESTCARD.EX_", Packed(data, 'E')));
    MessageBoxAnswerer boxes;

    EXPECT_EQ(CopyProductFile(progressDialog, kTestCard), 1);

    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(Contents(deepDestination + "SAMPLE\\TESTCARD.EXE") == data);
    EXPECT_FALSE(Exists(deepDestination + "SAMPLE\\TESTCARD.EX_"));
    EXPECT_EQ(bytesCopied, 7000);
    char shown[2][kBufferSize];  // beside "Copying:" and "To:"
    GetWindowTextA(fileTextControl, shown[0], kBufferSize);
    GetWindowTextA(destinationTextControl, shown[1], kBufferSize);
    EXPECT_STREQ(shown[0], "SAMPLE\\TESTCARD.EX_");
    EXPECT_EQ(shown[1], deepDestination + "SAMPLE\\TESTCARD.EXE");
}

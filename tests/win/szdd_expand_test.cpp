// Our compressor's output as the platform's LZ expansion services read it.
#include <windows.h>
#include <lzexpand.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/support.h"
#include "tools/szdd.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    Bytes data(size);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(generator());
    return data;
}

std::string Packed(const Bytes& data, char last, SzddStats* stats = nullptr)
{
    Bytes packed;
    EXPECT_TRUE(CompressSzdd(data.data(), data.size(), last, &packed, stats));
    return std::string(packed.begin(), packed.end());
}

// Expands a file the way the setup's copy does: OpenFile, LZInit, the length from
// LZSeek(SEEK_END), back to the start, LZRead in blocks.
::testing::AssertionResult ExpandByRead(const std::string& path, std::string* out, LONG* length)
{
    OFSTRUCT reopen;
    HFILE file = OpenFile(path.c_str(), &reopen, OF_READ);
    if (file == HFILE_ERROR)
        return ::testing::AssertionFailure() << "cannot open " << path;
    INT handle = LZInit(file);
    if (handle < 1 || handle == file) {
        LZClose(handle < 1 ? file : handle);
        return ::testing::AssertionFailure() << "LZInit did not see a compressed file: " << handle;
    }
    *length = LZSeek(handle, 0, 2);
    LZSeek(handle, 0, 0);
    out->clear();
    char block[2048];
    INT got;
    while ((got = LZRead(handle, block, sizeof block)) > 0)
        out->append(block, got);
    LZClose(handle);
    if (got < 0)
        return ::testing::AssertionFailure() << "LZRead failed with " << got;
    return ::testing::AssertionSuccess();
}

std::string ExpandedName(const std::string& path)
{
    char name[MAX_PATH] = "";
    GetExpandedNameA(const_cast<char*>(path.c_str()), name);
    return name;
}

}  // namespace

TEST(SzddExpansion, PlatformExpandsOurStreamsByteForByte)
{
    ScratchDirectory scratch;

    Bytes blanks(300, ' ');
    blanks.push_back('!');
    Bytes pattern;
    for (int i = 0; i < 5000; ++i)
        pattern.push_back("abcd"[i % 4]);
    Bytes farRepeat = RandomBytes(4095, 1);  // repeated exactly one window's reach later
    farRepeat.insert(farRepeat.end(), farRepeat.begin(), farRepeat.begin() + 200);
    Bytes mixed = RandomBytes(1 << 20, 2);
    for (std::size_t at = 0; at + 70000 < mixed.size(); at += 131072) {
        std::fill(mixed.begin() + at, mixed.begin() + at + 30000, ' ');
        std::copy(mixed.begin() + at + 40000, mixed.begin() + at + 50000, mixed.begin() + at + 55000);
    }

    struct Case {
        const char* name;
        Bytes data;
        std::size_t SzddStats::*used;  // a kind of match the case must exercise, if any
    } cases[] = {
        {"EMPTY.DA_", Bytes(), nullptr},
        {"ONE.DA_", Bytes{'Q'}, nullptr},
        {"SHORT.DA_", RandomBytes(1000, 3), nullptr},
        {"BLANKS.DA_", blanks, &SzddStats::blankMatches},
        {"PATTERN.DA_", pattern, &SzddStats::overlapMatches},
        {"FAR.DA_", farRepeat, nullptr},
        {"MIXED.DA_", mixed, &SzddStats::matches},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SzddStats stats;
        std::string path = scratch.path() + test.name;
        ASSERT_TRUE(WriteWholeFile(path, Packed(test.data, 'T', &stats)));
        if (test.used != nullptr) {
            EXPECT_GT(stats.*test.used, 0u);
        }
        std::string expanded;
        LONG length = -1;
        ASSERT_TRUE(ExpandByRead(path, &expanded, &length));
        EXPECT_EQ(static_cast<LONG>(test.data.size()), length);
        EXPECT_TRUE(expanded == std::string(test.data.begin(), test.data.end()))
            << "expanded " << expanded.size() << " bytes";
        if (std::string(test.name) == "FAR.DA_") {
            EXPECT_EQ(4095u, stats.longestDistance);
        }
    }

    // LZCopy, the whole-file route, agrees.
    std::string source = scratch.path() + "MIXED.DA_";
    std::string target = scratch.path() + "MIXED.DAT";
    OFSTRUCT reopenIn, reopenOut;
    INT in = LZOpenFileA(const_cast<char*>(source.c_str()), &reopenIn, OF_READ);
    INT out = LZOpenFileA(const_cast<char*>(target.c_str()), &reopenOut, OF_CREATE | OF_WRITE);
    ASSERT_GE(in, 0);
    ASSERT_GE(out, 0);
    EXPECT_EQ(static_cast<LONG>(mixed.size()), LZCopy(in, out));
    LZClose(in);
    LZClose(out);
    std::string copied;
    ASSERT_TRUE(ReadWholeFile(target, &copied));
    EXPECT_TRUE(copied == std::string(mixed.begin(), mixed.end()));
}

TEST(SzddExpansion, ExpandedNameTakesTheRecordedCharacter)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(CreateDirectoryA((scratch.path() + "SAMPLE").c_str(), nullptr));
    struct Case {
        const char* stored;
        char last;
        const char* expanded;
    } cases[] = {
        {"CARDSO.DL_", 'L', "CARDSO.DLL"},
        {"CARD.OC_", 'X', "CARD.OCX"},
        {"SAMPLE\\TESTCARD.EX_", 'E', "SAMPLE\\TESTCARD.EXE"},
        {"SAMPLE\\CARDOCX.VB_", 'P', "SAMPLE\\CARDOCX.VBP"},
        // The platform matches the case of the name it is given.
        {"lower.da_", 'T', "lower.dat"},
        // Without a recorded character the platform cuts the name short: why we record it.
        {"NOCHAR.DL_", '\0', "NOCHAR.DL"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.stored);
        std::string path = scratch.path() + test.stored;
        ASSERT_TRUE(WriteWholeFile(path, Packed(Bytes{'x', 'y'}, test.last)));
        EXPECT_EQ(scratch.path() + test.expanded, ExpandedName(path));
    }
}

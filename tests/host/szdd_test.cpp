// The SZDD compressor against an independent decoder, and the distribution builder.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/distribution.h"
#include "tools/szdd.h"

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

// Expands a complete stream as the platform's expander does, strictly: the stream must hold
// exactly the recorded number of bytes, no match may run past it and nothing may follow.
::testing::AssertionResult Expand(const Bytes& packed, Bytes* out, unsigned char* last = nullptr)
{
    static const unsigned char magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    if (packed.size() < 14 || std::memcmp(packed.data(), magic, 8) != 0 || packed[8] != 'A')
        return ::testing::AssertionFailure() << "bad header";
    if (last != nullptr)
        *last = packed[9];
    std::size_t length = packed[10] | packed[11] << 8 | packed[12] << 16 | std::size_t(packed[13]) << 24;
    unsigned char ring[4096];
    std::memset(ring, ' ', sizeof ring);
    unsigned write = 4096 - 16;
    out->clear();
    std::size_t i = 14;
    while (out->size() < length) {
        if (i >= packed.size())
            return ::testing::AssertionFailure() << "stream ends after " << out->size() << " bytes";
        unsigned flags = packed[i++];
        for (int bit = 0; bit < 8 && out->size() < length; ++bit) {
            if (flags & (1u << bit)) {
                if (i >= packed.size())
                    return ::testing::AssertionFailure() << "literal missing";
                ring[write] = packed[i++];
                out->push_back(ring[write]);
                write = (write + 1) & 0xFFF;
                continue;
            }
            if (i + 1 >= packed.size())
                return ::testing::AssertionFailure() << "match reference cut short";
            unsigned position = packed[i] | ((packed[i + 1] & 0xF0) << 4);
            unsigned count = (packed[i + 1] & 0x0F) + 3;
            i += 2;
            for (unsigned k = 0; k < count; ++k) {
                if (out->size() == length)
                    return ::testing::AssertionFailure() << "match runs past the recorded length";
                unsigned char byte = ring[position];
                position = (position + 1) & 0xFFF;
                ring[write] = byte;
                write = (write + 1) & 0xFFF;
                out->push_back(byte);
            }
        }
    }
    if (i != packed.size())
        return ::testing::AssertionFailure() << packed.size() - i << " bytes after the data";
    return ::testing::AssertionSuccess();
}

Bytes RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    Bytes data(size);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(generator());
    return data;
}

Bytes TextBytes(std::size_t size)
{
    static const char* const words[] = {"magnetic ", "stripe ", "reader ", "track ", "card ",
                                        "service ", "object ", "control ", "\r\n", "OPOS "};
    std::mt19937 generator(7);
    Bytes data;
    while (data.size() < size) {
        const char* word = words[generator() % 10];
        data.insert(data.end(), word, word + std::strlen(word));
    }
    data.resize(size);
    return data;
}

Bytes Compress(const Bytes& data, SzddStats* stats = nullptr, char last = 'X')
{
    Bytes packed;
    EXPECT_TRUE(CompressSzdd(data.data(), data.size(), last, &packed, stats));
    return packed;
}

void ExpectRoundTrip(const Bytes& data, const char* what)
{
    SCOPED_TRACE(what);
    Bytes packed = Compress(data);
    Bytes back;
    ASSERT_TRUE(Expand(packed, &back));
    EXPECT_TRUE(back == data);
    // Never worse than all literals: one flag byte per eight.
    EXPECT_LE(packed.size(), kSzddHeaderSize + data.size() + (data.size() + 7) / 8);
}

}  // namespace

TEST(SzddCompressor, HeaderRecordsMagicModeLastCharacterAndLength)
{
    Bytes data = TextBytes(0x10203);
    Bytes packed = Compress(data, nullptr, 'L');
    ASSERT_GE(packed.size(), kSzddHeaderSize);
    EXPECT_EQ(0, std::memcmp(packed.data(), "SZDD\x88\xF0\x27\x33", 8));
    EXPECT_EQ('A', packed[8]);
    EXPECT_EQ('L', packed[9]);
    EXPECT_EQ(0x03, packed[10]);
    EXPECT_EQ(0x02, packed[11]);
    EXPECT_EQ(0x01, packed[12]);
    EXPECT_EQ(0x00, packed[13]);
}

TEST(SzddCompressor, RoundTripsSmallAndShortInputs)
{
    Bytes empty;
    Bytes packed = Compress(empty);
    EXPECT_EQ(kSzddHeaderSize, packed.size());
    Bytes back{1, 2, 3};
    ASSERT_TRUE(Expand(packed, &back));
    EXPECT_TRUE(back.empty());

    ExpectRoundTrip(Bytes{0x41}, "one byte");
    ExpectRoundTrip(Bytes{' '}, "one blank");
    ExpectRoundTrip(Bytes{0, 0}, "two bytes");
    ExpectRoundTrip(Bytes{'a', 'a', 'a'}, "three equal bytes");
    ExpectRoundTrip(TextBytes(100), "text shorter than a window");
    ExpectRoundTrip(TextBytes(4095), "text one byte short of a window");
    ExpectRoundTrip(TextBytes(4096), "text of one window");
    ExpectRoundTrip(TextBytes(4097), "text one byte over a window");
    ExpectRoundTrip(RandomBytes(3000, 1), "random data shorter than a window");
}

TEST(SzddCompressor, RoundTripsLargeInputsAndCompressesWhatRepeats)
{
    Bytes same(1 << 20, 'Q');
    SzddStats stats;
    Bytes packed = Compress(same, &stats);
    Bytes back;
    ASSERT_TRUE(Expand(packed, &back));
    EXPECT_TRUE(back == same);
    // Full-length matches cost 2 bytes and a flag bit per 18 bytes.
    EXPECT_LT(packed.size(), same.size() / 8);
    EXPECT_GT(stats.overlapMatches, 0u);

    Bytes random = RandomBytes(1 << 20, 2);
    packed = Compress(random, &stats);
    ASSERT_TRUE(Expand(packed, &back));
    EXPECT_TRUE(back == random);
    EXPECT_LE(packed.size(), kSzddHeaderSize + random.size() + random.size() / 8 + 1);

    Bytes text = TextBytes(1 << 20);
    packed = Compress(text, &stats);
    ASSERT_TRUE(Expand(packed, &back));
    EXPECT_TRUE(back == text);
    EXPECT_LT(packed.size(), text.size() / 2);
    EXPECT_GT(stats.longestDistance, 1000u);
}

TEST(SzddCompressor, UsesTheInitialBlanksOverlapsAndTheWholeWindow)
{
    // Leading blanks are already in the expander's window.
    Bytes blanks(40, ' ');
    blanks.push_back('x');
    SzddStats stats;
    Bytes packed = Compress(blanks, &stats);
    Bytes back;
    ASSERT_TRUE(Expand(packed, &back));
    EXPECT_TRUE(back == blanks);
    EXPECT_GT(stats.blankMatches, 0u);
    EXPECT_EQ(0, packed[kSzddHeaderSize] & 1) << "the first item should be a match";
    EXPECT_LT(packed.size(), kSzddHeaderSize + 10);

    // A short pattern repeated: matches that copy their own output.
    Bytes pattern;
    for (int i = 0; i < 300; ++i)
        pattern.push_back("abc"[i % 3]);
    packed = Compress(pattern, &stats);
    ASSERT_TRUE(Expand(packed, &back));
    EXPECT_TRUE(back == pattern);
    EXPECT_GT(stats.overlapMatches, 0u);

    // A block repeated 4095 bytes later is still within reach; one 4096 bytes later is not.
    for (std::size_t gap : {4095u, 4096u}) {
        Bytes data = RandomBytes(gap, 3);
        data.insert(data.end(), data.begin(), data.begin() + 50);
        packed = Compress(data, &stats);
        ASSERT_TRUE(Expand(packed, &back));
        EXPECT_TRUE(back == data);
        EXPECT_LE(stats.longestDistance, 4095u);
        if (gap == 4095) {
            EXPECT_EQ(4095u, stats.longestDistance);
        }
    }

    // Blanks in the data past the first window must not be confused with the initial ones.
    Bytes late = RandomBytes(5000, 4);
    late.insert(late.end(), 30, ' ');
    packed = Compress(late, &stats);
    ASSERT_TRUE(Expand(packed, &back));
    EXPECT_TRUE(back == late);
}

// ---------------------------------------------------------------------------------------------
// Distribution builder

namespace {

fs::path RepositoryRoot()
{
    return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

struct TempDirectory {
    fs::path path;
    TempDirectory()
    {
        static int counter;
        path = fs::temp_directory_path() /
               ("qvx_dist_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDirectory() { fs::remove_all(path); }
};

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Spit(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

const char kSmallTable[] =
    "STRINGTABLE\n"
    "BEGIN\n"
    "    10, \"1\"\n"
    "    11, \"3\"\n"
    "    12, \"0\"\n"
    "    18, \"40000\"\n"
    "    80, \"LIB.DL_\"\n"
    "    128, \"NOTES.TXT\"\n"
    "    129, \"SUB\\\\TOOL.EX_\"\n"
    "    130, \"DATA.DA_\"\n"
    "    384, \"NOT.USED\"\n"
    "END\n";

}  // namespace

TEST(StringTableScript, ReadsEntriesWithTheResourceCompilersEscapes)
{
    StringTable table;
    std::string error;
    ASSERT_TRUE(ParseStringTable("// comment\n"
                                 "IDI_SETUP ICON \"setup.ico\"\n"
                                 "STRINGTABLE\r\nBEGIN\r\n"
                                 "    // a comment inside\r\n"
                                 "    4,  \"c:\\\\OPOS\\\\QVX\"\r\n"
                                 "    64, \"\"\"Service\"\"=\"\"%s\"\"\\r\\n\"\r\n"
                                 "    2,  \"a\\nb\\tc\"\r\n"
                                 "    23, \"wordpad.exe \"\r\n"
                                 "END\r\n"
                                 "X DIALOG 1, 2, 3, 4\nBEGIN\n  CONTROL \"OK\", 1\nEND\n",
                                 &table, &error))
        << error;
    EXPECT_EQ(4u, table.size());
    EXPECT_EQ("c:\\OPOS\\QVX", table[4]);
    EXPECT_EQ("\"Service\"=\"%s\"\r\n", table[64]);
    EXPECT_EQ("a\nb\tc", table[2]);
    EXPECT_EQ("wordpad.exe ", table[23]);

    EXPECT_FALSE(ParseStringTable("STRINGTABLE\nBEGIN\n  5, \"open\nEND\n", &table, &error));
    EXPECT_FALSE(ParseStringTable("STRINGTABLE\nBEGIN\n  IDS_X, \"t\"\nEND\n", &table, &error));
    EXPECT_FALSE(ParseStringTable("STRINGTABLE\nBEGIN\n  5, \"\\q\"\nEND\n", &table, &error));
}

TEST(StringTableScript, TheSetupsTableListsFifteenFilesAndTheTotal)
{
    StringTable table;
    std::string error;
    ASSERT_TRUE(ParseStringTable(Slurp(RepositoryRoot() / "resources" / "setup.rc"), &table, &error))
        << error;
    std::vector<std::string> expected = {
        "MFC42.DL_",         "MSVCRT.DL_",          "OLEAUT32.DL_",       "CARDHOOK.DL_",
        "CARD.OC_",          "CARD.DA_",            "CARDSO.DL_",         "CARDSO.DA_",
        "README.DOC",        "REGSVR32.EX_",        "SAMPLE\\TESTCARD.EX_", "SAMPLE\\CARDOCX.VB_",
        "SAMPLE\\CARDFORM.FR_", "SAMPLE\\OPOS.BA_", "SAMPLE\\VB40032.DL_"};
    std::vector<std::string> listed;
    ASSERT_TRUE(ListedFiles(table, &listed, &error)) << error;
    EXPECT_EQ(expected, listed);
    EXPECT_EQ("2675000", table[18]);
}

TEST(CompanionData, HasTheExactLengthAndIsTheSameEveryTime)
{
    for (std::size_t bytes : {0u, 1u, 2u, 3u, 4u, 80u, 1000u, 123457u}) {
        std::string data = CompanionRecords(bytes, 5);
        EXPECT_EQ(bytes, data.size());
        EXPECT_EQ(data, CompanionRecords(bytes, 5));
    }
    EXPECT_NE(CompanionRecords(1000, 5), CompanionRecords(1000, 6));
    EXPECT_EQ(0u, CompanionRecords(1000, 5).rfind("CARD00001=%B4", 0));
}

TEST(DistributionBuilder, LaysOutCompressedFilesWhoseSizesAddUpToTheTotal)
{
    TempDirectory temp;
    fs::path in = temp.path / "in";
    fs::path out = temp.path / "out";
    fs::create_directories(in);
    Spit(in / "LIB.DLL", std::string(3000, 'L'));
    Spit(in / "NOTES.TXT", "plain notes\r\n");
    Bytes tool = RandomBytes(5000, 9);
    Spit(in / "TOOL.EXE", std::string(tool.begin(), tool.end()));
    Spit(in / "DATA.DAT", "[data]\r\n");
    Spit(in / "SETUP.EXE", "MZ setup");

    StringTable table;
    std::string error;
    ASSERT_TRUE(ParseStringTable(kSmallTable, &table, &error)) << error;
    table.erase(384);  // past the temporary list's count of 0: never read
    std::vector<DistributionInput> inputs = {{(in / "LIB.DLL").string(), false},
                                             {(in / "NOTES.TXT").string(), false},
                                             {(in / "TOOL.EXE").string(), false},
                                             {(in / "DATA.DAT").string(), true}};
    DistributionReport report;
    ASSERT_TRUE(BuildDistribution(table, inputs, (in / "SETUP.EXE").string(), out.string(),
                                  &report, &error))
        << error;

    EXPECT_EQ(40000u, report.total);
    EXPECT_EQ(40000u, report.expanded);
    EXPECT_EQ(40000u - 3000 - 13 - 5000 - 8, report.padding);
    EXPECT_EQ("MZ setup", Slurp(out / "SETUP.EXE"));
    EXPECT_EQ("plain notes\r\n", Slurp(out / "NOTES.TXT"));

    struct Expected {
        fs::path stored;
        unsigned char last;
        std::string start;
        std::size_t size;
    } expected[] = {
        {out / "LIB.DL_", 'L', std::string(3000, 'L'), 3000},
        {out / "SUB" / "TOOL.EX_", 'E', std::string(tool.begin(), tool.end()), 5000},
        {out / "DATA.DA_", 'T', "[data]\r\nCARD00001=%B4", report.padding + 8},
    };
    std::size_t sum = 13;
    for (const Expected& file : expected) {
        SCOPED_TRACE(file.stored.string());
        std::string stored = Slurp(file.stored);
        Bytes packed(stored.begin(), stored.end()), back;
        unsigned char last = 0;
        ASSERT_TRUE(Expand(packed, &back, &last));
        EXPECT_EQ(file.last, last);
        EXPECT_EQ(file.size, back.size());
        EXPECT_EQ(file.start, std::string(back.begin(), back.end()).substr(0, file.start.size()));
        sum += back.size();
    }
    EXPECT_EQ(40000u, sum);
    ASSERT_EQ(4u, report.files.size());
    EXPECT_EQ("SUB\\TOOL.EX_", report.files[2].listed);
    EXPECT_LT(Slurp(out / "LIB.DL_").size(), 500u);
}

TEST(DistributionBuilder, RefusesInputsThatDoNotFitTheList)
{
    TempDirectory temp;
    fs::path in = temp.path;
    for (const char* name : {"LIB.DLL", "LIB.DLX", "NOTES.TXT", "TOOL.EXE", "DATA.DAT", "EXTRA.BIN"})
        Spit(in / name, "x");
    Spit(in / "SETUP.EXE", "MZ");
    StringTable table;
    std::string error;
    ASSERT_TRUE(ParseStringTable(kSmallTable, &table, &error)) << error;
    DistributionReport report;
    auto build = [&](std::vector<std::string> names, const StringTable& t) {
        std::vector<DistributionInput> inputs;
        for (const std::string& name : names)
            inputs.push_back({(in / name).string(), name == "DATA.DAT"});
        error.clear();
        bool ok = BuildDistribution(t, inputs, (in / "SETUP.EXE").string(),
                                    (in / "out").string(), &report, &error);
        EXPECT_FALSE(error.empty() && !ok);
        return ok;
    };
    EXPECT_TRUE(build({"LIB.DLL", "NOTES.TXT", "TOOL.EXE", "DATA.DAT"}, table));
    EXPECT_FALSE(build({"NOTES.TXT", "TOOL.EXE", "DATA.DAT"}, table));
    EXPECT_NE(std::string::npos, error.find("LIB.DL_"));
    EXPECT_FALSE(build({"LIB.DLL", "LIB.DLX", "NOTES.TXT", "TOOL.EXE", "DATA.DAT"}, table));
    EXPECT_FALSE(build({"LIB.DLL", "NOTES.TXT", "TOOL.EXE", "DATA.DAT", "EXTRA.BIN"}, table));

    StringTable small = table;
    small[18] = "3";
    EXPECT_FALSE(build({"LIB.DLL", "NOTES.TXT", "TOOL.EXE", "DATA.DAT"}, small));
    EXPECT_NE(std::string::npos, error.find("more than the total"));
}

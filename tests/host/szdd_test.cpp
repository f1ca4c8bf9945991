// The SZDD compressor against an independent, strict decoder, and the distribution builder.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/distribution.h"
#include "tools/szdd.h"

namespace fs = std::filesystem;

// Expands a whole stream: it must hold exactly the recorded length, and no match may run past
// it or reach a whole window back (the slot being written), nor anything follow it.
static ::testing::AssertionResult Expand(const std::string& packed, std::string* out)
{
    if (packed.size() < kSzddHeaderSize || packed.compare(0, 9, "SZDD\x88\xF0\x27\x33" "A") != 0)
        return ::testing::AssertionFailure() << "bad header";
    std::size_t length = 0, i = kSzddHeaderSize;
    for (int k = 13; k >= 10; --k)
        length = length << 8 | static_cast<unsigned char>(packed[k]);
    std::string ring(4096, ' ');
    unsigned write = 4096 - 16;
    for (out->clear(); out->size() < length;) {
        unsigned flags = i < packed.size() ? static_cast<unsigned char>(packed[i++]) : 0;
        for (int bit = 0; bit < 8 && out->size() < length; ++bit, ++i) {
            bool literal = (flags & (1u << bit)) != 0;
            if (i + !literal >= packed.size())
                return ::testing::AssertionFailure() << "the stream ends after " << out->size() << " bytes";
            unsigned char low = packed[i], high = packed[i + !literal];
            unsigned position = low | (high & 0xF0) << 4, count = literal ? 1 : (high & 0x0F) + 3;
            i += !literal;
            if (!literal && position == write)
                return ::testing::AssertionFailure() << "a match a whole window back";
            for (unsigned k = 0; k < count; ++k, write = (write + 1) & 0xFFF) {
                if (out->size() == length)
                    return ::testing::AssertionFailure() << "a match runs past the recorded length";
                out->push_back(ring[write] = literal ? packed[i] : ring[(position + k) & 0xFFF]);
            }
        }
    }
    if (i != packed.size())
        return ::testing::AssertionFailure() << packed.size() - i << " bytes after the data";
    return ::testing::AssertionSuccess();
}

static std::string Random(std::size_t size, unsigned seed)
{
    std::string data(size, '\0');
    for (char& byte : data)
        byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return data;
}

static std::string Slurp(const fs::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

TEST(SzddCompressor, RoundTripsEveryShapeOfInputAndRecordsTheLastCharacter)
{
    const std::string random4095 = Random(4095, 3), random4096 = Random(4096, 3);
    std::string abc;
    while (abc.size() < 300)
        abc += "abc";
    const struct { const char* what; std::string data; std::size_t most; } rows[] = {
        // most: stored bytes after the header; 0: no worse than all literals (a flag bit each)
        {"empty", "", 0}, {"one byte", "A", 0}, {"one blank", " ", 0}, {"three equal", "aaa", 0},
        {"leading blanks, within the initial window", std::string(40, ' ') + "x", 10},
        {"leading zero bytes, which it does not hold", std::string(40, '\0') + "x", 0},
        {"a pattern that copies its own output", abc, 50},
        {"records one short of a window", CompanionRecords(4095, 7), 0},
        {"one window", CompanionRecords(4096, 7), 0}, {"one over", CompanionRecords(4097, 7), 0},
        {"repeat 4095 bytes back", random4095 + random4095.substr(0, 50), 0},
        {"repeat 4096 bytes back", random4096 + random4096.substr(0, 50), 0},
        {"blanks past the first window", Random(5000, 4) + std::string(30, ' '), 0},
        {"1 MiB the same", std::string(1 << 20, 'Q'), (1 << 20) / 8}, {"1 MiB random", Random(1 << 20, 2), 0},
        {"1 MiB of records", CompanionRecords(1 << 20, 7), (1 << 20) / 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<unsigned char> bytes;
        auto data = reinterpret_cast<const unsigned char*>(row.data.data());
        ASSERT_TRUE(CompressSzdd(data, row.data.size(), 'L', &bytes));
        std::string packed(bytes.begin(), bytes.end()), back;
        ASSERT_TRUE(Expand(packed, &back));
        EXPECT_TRUE(back == row.data);
        EXPECT_EQ(packed[9], 'L');  // the character the compressed name replaces with '_'
        EXPECT_LE(packed.size() - kSzddHeaderSize, row.most != 0 ? row.most : row.data.size() * 9 / 8 + 1);
    }
}

// Each listed name takes the input it stands for; compressed files record their last character;
// two padded files share an odd padding so that the expanded sizes add up to the total exactly.
TEST(DistributionBuilder, LaysOutFilesWhoseExpandedSizesAddUpToTheTotal)
{
    std::string temp = (fs::temp_directory_path() / "qvx_dist_XXXXXX").string();
    ASSERT_NE(::mkdtemp(temp.data()), nullptr);
    struct Removed { std::string path; ~Removed() { fs::remove_all(path); } } removed{temp};  // also on failure
    fs::path in = fs::path(temp) / "in", out = fs::path(temp) / "out";
    fs::create_directories(in);
    const std::pair<std::string, std::string> inputs[] = {
        {"LIB.DLL", std::string(3000, 'L')}, {"NOTES.TXT", "plain notes\r\n"}, {"TOOL.EXE", Random(5000, 9)},
        {"DATA.DAT", "[data]\r\n"}, {"CFG.DAT", "[cfg]\r\n"}, {"SETUP.EXE", "MZ setup"}};
    std::vector<DistributionInput> given;
    for (const auto& input : inputs) {
        std::ofstream(in / input.first, std::ios::binary) << input.second;
        given.push_back({(in / input.first).string(), input.first.find(".DAT") != std::string::npos});
    }
    given.pop_back();  // SETUP.EXE
    StringTable table;
    std::string error;
    DistributionReport report;
    ASSERT_TRUE(ParseStringTable("STRINGTABLE\nBEGIN\n  // the lists\n10, \"1\"\n11, \"4\"\n12, \"0\"\n18, \"40001\"\n"
                                 "80, \"LIB.DL_\"\n128, \"NOTES.TXT\"\n129, \"SUB\\\\TOOL.EX_\"\n130, \"DATA.DA_\"\n"
                                 "131, \"cfg.da_\"\n384, \"NOT.USED\"\nEND\n", &table, &error));
    ASSERT_TRUE(BuildDistribution(table, given, (in / "SETUP.EXE").string(), out.string(), &report, &error)) << error;
    EXPECT_EQ(Slurp(out / "SETUP.EXE") + Slurp(out / "NOTES.TXT"), "MZ setupplain notes\r\n");
    const struct { fs::path stored; char last; std::string start; } expected[] = {
        {out / "LIB.DL_", 'L', inputs[0].second}, {out / "SUB" / "TOOL.EX_", 'E', inputs[2].second},
        {out / "DATA.DA_", 'T', "[data]\r\nCARD00001=%B4"}, {out / "cfg.da_", 'T', "[cfg]\r\nCARD00001=%B4"}};
    std::size_t sum = 13;
    for (const auto& file : expected) {
        std::string packed = Slurp(file.stored), back;
        ASSERT_TRUE(Expand(packed, &back)) << file.stored;
        EXPECT_EQ(packed[9], file.last) << file.stored;
        EXPECT_EQ(back.substr(0, file.start.size()), file.start) << file.stored;
        sum += back.size();
    }
    EXPECT_EQ(sum, 40001u);
}

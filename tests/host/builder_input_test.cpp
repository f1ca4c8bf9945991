// The distribution builder stops, naming the entry, before it writes anything.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/distribution.h"

namespace fs = std::filesystem;

TEST(BuilderInput, RefusesAMistypedTableOrUnmatchedInputsAndWritesNothing)
{
    const std::vector<std::string> evil = {"EVIL.TXT"};
    const char* lib = "10, \"1\"\n80, \"LIB.DL_\"";
    const struct { const char* entries; std::vector<std::string> inputs; const char* named; } rows[] = {
        // Beside a total of 4 bytes; every input holds 4.
        {"99999999999, \"x\"", evil, "99999999999"}, {"10, \"2000000000\"", evil, "string 10"},
        {"11, \"257\"\n128, \"EVIL.TXT\"", evil, "string 11"}, {"12, \"-1\"", evil, "string 12"},
        {"10, \"1\"\n80, \"...\\\\EVIL.TXT\"", evil, "...\\EVIL.TXT"},  // "..." is ".." to Windows
        {"10, \"1\"\n80, \"\\\\EVIL.TXT\"", evil, "\\EVIL.TXT"},
        {"10, \"1\"\n80, \"c:\\\\EVIL.TXT\"", evil, "c:\\EVIL.TXT"},
        {lib, {}, "LIB.DL_"}, {lib, {"LIB.DL_"}, "LIB.DL_"}, {lib, {"LIB.DLL", "LIB.DLX"}, "LIB.DL_"},
        {lib, {"LIB.DLL", "EXTRA.BIN"}, "EXTRA.BIN"},
        {"10, \"2\"\n80, \"LIB.DL_\"\n81, \"B.TXT\"", {"LIB.DLL", "B.TXT"}, "more than the total"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entries);
        std::string temp = (fs::temp_directory_path() / "qvx_input_XXXXXX").string();
        ASSERT_NE(nullptr, ::mkdtemp(temp.data()));
        fs::path in = fs::path(temp) / "in";
        fs::create_directories(in);
        std::vector<DistributionInput> inputs;
        for (const std::string& name : row.inputs) {
            std::ofstream(in / name) << "evil";
            inputs.push_back({(in / name).string(), false});
        }
        std::ofstream(in / "SETUP.EXE") << "MZ";
        StringTable table;
        std::string error;
        DistributionReport report;
        std::string script = "STRINGTABLE\nBEGIN\n18, \"4\"\n" + std::string(row.entries) + "\nEND\n";
        EXPECT_FALSE(ParseStringTable(script, &table, &error) &&
                     BuildDistribution(table, inputs, (in / "SETUP.EXE").string(), temp + "/a/b/out", &report, &error));
        EXPECT_NE(std::string::npos, error.find(row.named)) << error;
        // Only the input directory and its files: no output directory, nothing beside it.
        EXPECT_EQ(2 + row.inputs.size(), std::distance(fs::recursive_directory_iterator(temp), {}));
        fs::remove_all(temp);
    }
}

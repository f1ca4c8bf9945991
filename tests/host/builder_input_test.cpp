// A mistyped string table stops the distribution builder with a reason that names the entry,
// before anything is written: no identifier out of range, no count past its block, no listed
// name that leaves the output directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/distribution.h"

namespace fs = std::filesystem;

TEST(BuilderInput, RefusesAMistypedTableAndWritesNothing)
{
    struct Row {
        const char* entries;  // beside a total of 4 bytes, which the one input EVIL.TXT holds
        const char* named;    // the error must mention this
    } rows[] = {
        {R"(99999999999, "x")", "99999999999"},
        {R"(10, "2000000000")", "string 10"},
        {R"(11, "257")" "\n" R"(128, "EVIL.TXT")", "string 11"},
        {R"(12, "-1")", "string 12"},
        {R"(10, "1")" "\n" R"(80, "..\\..\\EVIL.TXT")", R"(..\..\EVIL.TXT)"},
        {R"(10, "1")" "\n" R"(80, "\\EVIL.TXT")", R"(\EVIL.TXT)"},
        {R"(10, "1")" "\n" R"(80, "c:\\EVIL.TXT")", R"(c:\EVIL.TXT)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.entries);
        std::string pattern = (fs::temp_directory_path() / "qvx_input_XXXXXX").string();
        ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
        fs::path temp = pattern;
        fs::create_directories(temp / "in");
        std::ofstream(temp / "in" / "EVIL.TXT") << "evil";
        std::ofstream(temp / "in" / "SETUP.EXE") << "MZ";

        std::string script = "STRINGTABLE\nBEGIN\n18, \"4\"\n" + std::string(row.entries) + "\nEND\n";
        StringTable table;
        std::string error;
        DistributionReport report;
        bool built = ParseStringTable(script, &table, &error) &&
                     BuildDistribution(table, {{(temp / "in" / "EVIL.TXT").string(), false}},
                                       (temp / "in" / "SETUP.EXE").string(),
                                       (temp / "a" / "b" / "out").string(), &report, &error);
        EXPECT_FALSE(built);
        EXPECT_NE(std::string::npos, error.find(row.named)) << error;
        // Only the input directory and its two files: no output directory, nothing beside it.
        EXPECT_EQ(3, std::distance(fs::recursive_directory_iterator(temp), {}));
        fs::remove_all(temp);
    }
}

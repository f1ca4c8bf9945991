// qvx_dist: lays out the distribution directory.
//   qvx_dist --strings SETUP.RC --setup SETUP.EXE --out DIR [--pad FILE]... FILE...
// FILE and --pad FILE name the inputs by their expanded names; --pad inputs also take the bytes
// that make the expanded sizes add up to the table's total-bytes figure.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/distribution.h"

static int Usage()
{
    std::fprintf(stderr, "usage: qvx_dist --strings SETUP.RC --setup SETUP.EXE --out DIR "
                         "[--pad FILE]... FILE...\n");
    return 2;
}

int main(int argc, char** argv)
{
    std::string strings, setup, out;
    std::vector<DistributionInput> inputs;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        bool takesValue = option == "--strings" || option == "--setup" || option == "--out" ||
                          option == "--pad";
        if (takesValue && i + 1 >= argc)
            return Usage();
        if (option == "--strings")
            strings = argv[++i];
        else if (option == "--setup")
            setup = argv[++i];
        else if (option == "--out")
            out = argv[++i];
        else if (option == "--pad")
            inputs.push_back({argv[++i], true});
        else if (option.rfind("--", 0) == 0)
            return Usage();
        else
            inputs.push_back({option, false});
    }
    if (strings.empty() || setup.empty() || out.empty())
        return Usage();

    std::ifstream in(strings, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qvx_dist: cannot read %s\n", strings.c_str());
        return 1;
    }
    std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    StringTable table;
    std::string error;
    DistributionReport report;
    if (!ParseStringTable(script, &table, &error)) {
        std::fprintf(stderr, "qvx_dist: %s: %s\n", strings.c_str(), error.c_str());
        return 1;
    }
    if (!BuildDistribution(table, inputs, setup, out, &report, &error)) {
        std::fprintf(stderr, "qvx_dist: %s\n", error.c_str());
        return 1;
    }
    for (const DistributedFile& file : report.files)
        std::printf("%-22s %9zu -> %9zu\n", file.listed.c_str(), file.expandedSize, file.storedSize);
    std::printf("%zu files, %zu bytes expanded (%zu of them padding), %zu stored (%.1f %%)\n",
                report.files.size(), report.expanded, report.padding, report.stored,
                report.expanded ? 100.0 * report.stored / report.expanded : 0.0);
    return 0;
}

// Lays out a distribution directory from the setup's own string table: every listed file under
// its listed name (compressed when that name ends in an underscore), SETUP.EXE beside them, and
// the expanded sizes made to add up to the table's total-bytes figure.
// Portable: no platform headers.
#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <vector>

using StringTable = std::map<int, std::string>;

// Reads the `id, "text"` entries of the STRINGTABLE blocks of a resource script, with the
// script's escapes ("" \" \\ \n \r \t) resolved. False, with a reason naming the line, on a
// malformed entry or an identifier beyond 65535.
bool ParseStringTable(const std::string& script, StringTable* table, std::string* error);

// The listed names of the system, product and temporary file lists, in that order. False, with
// a reason naming the string, when a count is not a number or runs past its list's block of
// identifiers (80..95, 128..383, 384..511), when a listed string is missing, or when a name
// would leave the distribution directory (a drive, a leading \ or /, an empty, . or .. segment).
bool ListedFiles(const StringTable& table, std::vector<std::string>* listed, std::string* error);

// Companion data records of the given exact length, the same for the same seed.
std::string CompanionRecords(std::size_t bytes, unsigned seed);

struct DistributionInput {
    std::string path;      // a built or source file; its name is the expanded name
    bool padded = false;   // receives the bytes that make the total come out exact
};

struct DistributedFile {
    std::string listed;        // as in the string table, e.g. SAMPLE\TESTCARD.EX_
    std::string source;        // input path
    char lastCharacter = 0;    // recorded in the header; 0 for a plain copy
    std::size_t expandedSize = 0;
    std::size_t storedSize = 0;
};

struct DistributionReport {
    std::vector<DistributedFile> files;
    std::size_t total = 0;        // the figure of string 18
    std::size_t expanded = 0;     // sum of the expanded sizes (equals total on success)
    std::size_t stored = 0;       // sum of the stored sizes
    std::size_t padding = 0;      // bytes added to the padded inputs
};

// Matches every listed file to one input: a name ending in an underscore takes the input whose
// name differs from it only in that last character, any other name the input of the same name
// (letter case aside). Every input must be used. Then writes the directory. False, with a
// reason, when the lists are refused (see ListedFiles; nothing is written then), when a file is
// missing or ambiguous, when the inputs already exceed the total, or when something cannot be
// read or written.
bool BuildDistribution(const StringTable& table, const std::vector<DistributionInput>& inputs,
                       const std::string& setupProgram, const std::string& outputDirectory,
                       DistributionReport* report, std::string* error);

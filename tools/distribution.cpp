#include "tools/distribution.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "shell/text.h"
#include "tools/szdd.h"

namespace fs = std::filesystem;

namespace {

// String identifiers of the setup's table that shape the distribution.
constexpr int kSystemCountId = 10;
constexpr int kProductCountId = 11;
constexpr int kTemporaryCountId = 12;
constexpr int kTotalBytesId = 18;
constexpr int kSystemListBase = 80;
constexpr int kGroupNameId = 96;
constexpr int kProductListBase = 128;
constexpr int kTemporaryListBase = 384;
constexpr int kRemoveListBase = 512;
constexpr long kLastStringId = 65535;  // string identifiers are 16 bits wide

// A file list: its count and the block of identifiers it may fill, up to the next block.
struct FileList {
    const char* what;
    int countId;
    int first;
    int end;
};
constexpr FileList kFileLists[] = {{"system", kSystemCountId, kSystemListBase, kGroupNameId},
                                   {"product", kProductCountId, kProductListBase, kTemporaryListBase},
                                   {"temporary", kTemporaryCountId, kTemporaryListBase, kRemoveListBase}};

std::string Trim(const std::string& text)
{
    std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Reads the quoted text that starts at text[at] (the opening quote). Adjacent quotes stand for
// one quote character, as in the resource compiler.
bool ReadQuoted(const std::string& text, std::size_t at, std::string* value, std::size_t* end)
{
    value->clear();
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                value->push_back('"');
                ++i;
                continue;
            }
            *end = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < text.size()) {
            char e = text[++i];
            switch (e) {
            case 'n': value->push_back('\n'); break;
            case 'r': value->push_back('\r'); break;
            case 't': value->push_back('\t'); break;
            case '\\': value->push_back('\\'); break;
            case '"': value->push_back('"'); break;
            default: return false;
            }
            continue;
        }
        value->push_back(c);
    }
    return false;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string BaseName(const std::string& path)
{
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadFile(const std::string& path, std::string* contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    contents->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const fs::path& path, const unsigned char* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return !out.fail();
}

long Number(const StringTable& table, int id)
{
    auto found = table.find(id);
    return found == table.end() ? 0 : ParseNumber(found->second.c_str());
}

// Reads a file list's count: absent means none, anything else must be a plain decimal number
// that keeps the list inside its own block, so a typo cannot pull in the strings that follow.
bool ReadCount(const StringTable& table, const FileList& list, long* count, std::string* error)
{
    *count = 0;
    auto found = table.find(list.countId);
    if (found == table.end())
        return true;
    std::string text = Trim(found->second);
    long places = list.end - list.first;
    std::string entry = "string " + std::to_string(list.countId) + " (the " + list.what +
                        " file count) \"" + found->second + "\"";
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        *error = entry + " is not a count of files";
        return false;
    }
    for (char c : text) {
        *count = *count * 10 + (c - '0');
        if (*count > places) {
            *error = entry + " runs past the " + std::to_string(places) + " places of strings " +
                     std::to_string(list.first) + ".." + std::to_string(list.end - 1);
            return false;
        }
    }
    return true;
}

// Why a listed name would land outside the distribution directory, on either system; null when
// it stays inside. A colon is refused anywhere: a drive, or a stream name on the target.
const char* EscapeOf(const std::string& name)
{
    if (name.empty())
        return "is empty";
    if (name.find(':') != std::string::npos)
        return "names a drive";
    if (!name.empty() && (name.front() == '\\' || name.front() == '/'))
        return "starts at the root";
    for (std::size_t start = 0;;) {
        std::size_t slash = name.find_first_of("\\/", start);
        std::string segment = name.substr(start, slash == std::string::npos ? slash : slash - start);
        if (segment.empty())
            return "has an empty path segment";
        // Windows drops trailing dots and blanks, so "..." and ".. " climb as ".." does.
        if (segment.find_first_not_of(". ") == std::string::npos)
            return "climbs out of the distribution directory";
        if (slash == std::string::npos)
            return nullptr;
        start = slash + 1;
    }
}

// A simple linear congruential generator: the records only need to be the same every build.
struct Sequence {
    unsigned state;
    unsigned Next()
    {
        state = state * 1103515245u + 12345u;
        return (state >> 8) & 0xFFFFFF;
    }
};

// One test-card record: track 1 and track 2 of a card with a Luhn-valid account number.
std::string CardRecord(unsigned number, Sequence& random)
{
    static const char* const surnames[] = {"ADAMS", "BAKER", "CLARKE", "DUNN", "EVANS",
                                           "FISHER", "GRANT", "HUGHES", "IRWIN", "JONES"};
    static const char* const given[] = {"ANN", "BEN", "CARL", "DORA", "EMMA",
                                        "FRED", "GAIL", "HUGO", "IDA", "JACK"};
    char digits[17];
    digits[0] = '4';
    for (int i = 1; i < 15; ++i)
        digits[i] = static_cast<char>('0' + random.Next() % 10);
    int sum = 0;
    for (int i = 14, doubled = 1; i >= 0; --i, doubled ^= 1) {
        int d = digits[i] - '0';
        if (doubled)
            d = d * 2 > 9 ? d * 2 - 9 : d * 2;
        sum += d;
    }
    digits[15] = static_cast<char>('0' + (10 - sum % 10) % 10);
    digits[16] = '\0';
    unsigned year = 27 + random.Next() % 8;
    unsigned month = 1 + random.Next() % 12;
    unsigned discretionary = random.Next() % 100000;
    const char* surname = surnames[random.Next() % 10];
    const char* first = given[random.Next() % 10];
    char line[160];
    std::snprintf(line, sizeof line,
                  "CARD%05u=%%B%s^%s/%s^%02u%02u101%05u?;%s=%02u%02u101%05u?\r\n", number,
                  digits, surname, first, year, month, discretionary, digits, year, month,
                  discretionary);
    return line;
}

}  // namespace

bool ParseStringTable(const std::string& script, StringTable* table, std::string* error)
{
    table->clear();
    std::istringstream lines(script);
    std::string line;
    bool inside = false;
    bool inBlock = false;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::string text = Trim(line);
        if (!inside) {
            if (text == "STRINGTABLE" || text.rfind("STRINGTABLE ", 0) == 0)
                inside = true;
            continue;
        }
        if (!inBlock) {
            if (text == "BEGIN" || text == "{")
                inBlock = true;
            continue;
        }
        if (text == "END" || text == "}") {
            inside = inBlock = false;
            continue;
        }
        if (text.empty() || text.rfind("//", 0) == 0)
            continue;
        std::size_t comma = text.find(',');
        std::size_t quote = text.find('"');
        if (comma == std::string::npos || quote == std::string::npos || quote < comma) {
            *error = "line " + std::to_string(number) + ": not an `id, \"text\"` entry";
            return false;
        }
        std::string id = Trim(text.substr(0, comma));
        if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) {
            *error = "line " + std::to_string(number) + ": identifier is not a number";
            return false;
        }
        std::string value;
        std::size_t end = 0;
        if (!ReadQuoted(text, quote, &value, &end) || !Trim(text.substr(end)).empty()) {
            *error = "line " + std::to_string(number) + ": malformed text";
            return false;
        }
        long identifier = 0;
        for (std::size_t i = 0; i < id.size() && identifier <= kLastStringId; ++i)
            identifier = identifier * 10 + (id[i] - '0');
        if (identifier > kLastStringId) {
            *error = "line " + std::to_string(number) + ": identifier " + id +
                     " is beyond the last string identifier " + std::to_string(kLastStringId);
            return false;
        }
        (*table)[static_cast<int>(identifier)] = value;
    }
    return true;
}

bool ListedFiles(const StringTable& table, std::vector<std::string>* listed, std::string* error)
{
    listed->clear();
    for (const FileList& list : kFileLists) {
        long count = 0;
        if (!ReadCount(table, list, &count, error))
            return false;
        for (long i = 0; i < count; ++i) {
            int id = list.first + static_cast<int>(i);
            std::string entry = "string " + std::to_string(id) + " (" + list.what + " file " +
                                std::to_string(i + 1) + " of " + std::to_string(count) + ")";
            auto found = table.find(id);
            if (found == table.end()) {
                *error = entry + " is missing";
                return false;
            }
            if (const char* escape = EscapeOf(found->second)) {
                *error = entry + " \"" + found->second + "\" " + escape;
                return false;
            }
            listed->push_back(found->second);
        }
    }
    return true;
}

std::string CompanionRecords(std::size_t bytes, unsigned seed)
{
    std::string data;
    data.reserve(bytes);
    Sequence random{seed};
    for (unsigned number = 1;; ++number) {
        std::string record = CardRecord(number, random);
        if (data.size() + record.size() > bytes)
            break;
        data += record;
    }
    // What no whole record fills becomes a comment line (or blanks when even that is too long).
    std::size_t rest = bytes - data.size();
    if (rest >= 3)
        data += ";" + std::string(rest - 3, '-') + "\r\n";
    else
        data.append(rest, ' ');
    return data;
}

bool BuildDistribution(const StringTable& table, const std::vector<DistributionInput>& inputs,
                       const std::string& setupProgram, const std::string& outputDirectory,
                       DistributionReport* report, std::string* error)
{
    *report = DistributionReport();
    long total = Number(table, kTotalBytesId);
    if (total <= 0) {
        *error = "the string table has no positive total-bytes figure";
        return false;
    }
    report->total = static_cast<std::size_t>(total);

    std::vector<std::string> names;
    if (!ListedFiles(table, &names, error))
        return false;
    std::vector<bool> used(inputs.size(), false);
    std::vector<std::size_t> chosen;
    for (const std::string& listed : names) {
        std::string name = Upper(BaseName(listed));
        bool compressed = name.back() == '_';
        std::size_t match = inputs.size();
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            std::string candidate = Upper(BaseName(inputs[i].path));
            bool fits = compressed ? candidate.size() == name.size() &&
                                         candidate.compare(0, name.size() - 1, name, 0, name.size() - 1) == 0 &&
                                         candidate.back() != '_'
                                   : candidate == name;
            if (!fits)
                continue;
            if (match != inputs.size()) {
                *error = "more than one input fits " + listed;
                return false;
            }
            match = i;
        }
        if (match == inputs.size()) {
            *error = "no input for " + listed;
            return false;
        }
        if (used[match]) {
            *error = inputs[match].path + " fits more than one listed file";
            return false;
        }
        used[match] = true;
        chosen.push_back(match);
        DistributedFile file;
        file.listed = listed;
        file.source = inputs[match].path;
        file.lastCharacter = compressed ? BaseName(inputs[match].path).back() : 0;
        report->files.push_back(file);
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (!used[i]) {
            *error = inputs[i].path + " is not a listed file";
            return false;
        }
    }

    std::vector<std::string> contents(report->files.size());
    std::size_t given = 0;
    std::size_t paddedCount = 0;
    for (std::size_t i = 0; i < report->files.size(); ++i) {
        if (!ReadFile(report->files[i].source, &contents[i])) {
            *error = "cannot read " + report->files[i].source;
            return false;
        }
        given += contents[i].size();
        if (inputs[chosen[i]].padded)
            ++paddedCount;
    }
    if (given > report->total) {
        *error = "the listed files hold " + std::to_string(given) +
                 " bytes, more than the total-bytes figure " + std::to_string(report->total);
        return false;
    }
    report->padding = report->total - given;
    if (report->padding != 0 && paddedCount == 0) {
        *error = "the listed files hold " + std::to_string(given) + " bytes, not " +
                 std::to_string(report->total) + ", and no input takes padding";
        return false;
    }
    std::size_t share = paddedCount == 0 ? 0 : report->padding / paddedCount;
    std::size_t left = report->padding;
    for (std::size_t i = 0; i < report->files.size(); ++i) {
        if (!inputs[chosen[i]].padded)
            continue;
        std::size_t bytes = --paddedCount == 0 ? left : share;
        left -= bytes;
        unsigned seed = 0;
        for (char c : Upper(BaseName(report->files[i].source)))
            seed = seed * 31 + static_cast<unsigned char>(c);
        contents[i] += CompanionRecords(bytes, seed);
    }

    std::error_code failure;
    fs::path root(outputDirectory);
    fs::create_directories(root, failure);
    if (failure) {
        *error = "cannot create " + outputDirectory + ": " + failure.message();
        return false;
    }
    for (std::size_t i = 0; i < report->files.size(); ++i) {
        DistributedFile& file = report->files[i];
        fs::path target = root;
        std::string rest = file.listed;
        for (std::size_t slash; (slash = rest.find('\\')) != std::string::npos;) {
            target /= rest.substr(0, slash);
            rest.erase(0, slash + 1);
        }
        target /= rest;
        fs::create_directories(target.parent_path(), failure);
        if (failure) {
            *error = "cannot create " + target.parent_path().string() + ": " + failure.message();
            return false;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(contents[i].data());
        std::vector<unsigned char> packed;
        if (file.lastCharacter != 0) {
            if (!CompressSzdd(bytes, contents[i].size(), file.lastCharacter, &packed)) {
                *error = file.source + " is too large to compress";
                return false;
            }
            bytes = packed.data();
        }
        file.expandedSize = contents[i].size();
        file.storedSize = file.lastCharacter != 0 ? packed.size() : contents[i].size();
        if (!WriteFile(target, bytes, file.storedSize)) {
            *error = "cannot write " + target.string();
            return false;
        }
        report->expanded += file.expandedSize;
        report->stored += file.storedSize;
    }

    std::string setup;
    if (!ReadFile(setupProgram, &setup)) {
        *error = "cannot read " + setupProgram;
        return false;
    }
    fs::path setupTarget = root / "SETUP.EXE";
    if (!WriteFile(setupTarget, reinterpret_cast<const unsigned char*>(setup.data()), setup.size())) {
        *error = "cannot write " + setupTarget.string();
        return false;
    }
    return true;
}

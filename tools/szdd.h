// SZDD compression: the LZ format that the platform's LZ expansion services read.
// Portable: no platform headers, so the host tools and the Windows tests share it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Layout of the stream, shared with the decoders in the tests.
constexpr std::size_t kSzddHeaderSize = 14;     // magic (8), mode 'A', last character, length
constexpr unsigned kSzddWindowSize = 4096;      // ring window, initially all blanks
constexpr unsigned kSzddFirstWrite = 4096 - 16; // ring position of the first expanded byte
constexpr unsigned kSzddMinMatch = 3;
constexpr unsigned kSzddMaxMatch = 18;
extern const unsigned char kSzddMagic[8];

// What the match finder did, for tests and the tools' reports.
struct SzddStats {
    std::size_t literals = 0;
    std::size_t matches = 0;
    std::size_t blankMatches = 0;   // matches that reach into the window's initial blanks
    std::size_t overlapMatches = 0; // matches longer than their distance (copy their own output)
    std::size_t longestDistance = 0;
};

// Compresses data into a complete SZDD stream. lastCharacter is the character that the
// compressed file's name replaces with an underscore ('L' for CARDSO.DL_ from CARDSO.DLL);
// the expansion services put it back when they report the expanded name. Inputs of 4 GiB or
// more cannot be described by the header: the result is then false and out is left empty.
bool CompressSzdd(const unsigned char* data, std::size_t size, char lastCharacter,
                  std::vector<unsigned char>* out, SzddStats* stats = nullptr);

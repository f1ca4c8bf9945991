// The drive check's decision on free space and the figures of its message. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

// Free bytes of a drive from the free-space query. Formed in 64 bits: any drive beyond 4 GB
// would otherwise wrap around and look nearly full.
std::uint64_t FreeSpaceBytes(std::uint32_t freeClusters, std::uint32_t sectorsPerCluster,
                             std::uint32_t bytesPerSector);

// True when the drive holds the whole installation of totalBytes bytes (exactly as many free
// bytes is enough; a figure that is not positive asks for nothing).
bool HasRoomFor(std::uint64_t freeBytes, long totalBytes);

// What the too-little-space message shows.
struct LowSpaceFigures {
    long requiredKBytes;  // the total-bytes figure in whole kilobytes
    char driveLetter;     // the entry's first character, a to z in upper case
    long freeKBytes;      // the free space in whole kilobytes, at least 1
};
LowSpaceFigures LowSpaceFiguresFor(std::uint64_t freeBytes, long totalBytes, char firstCharacter);

// Formats the message from its format text, which takes the three figures as %ld, %c and %ld in
// that order (a format may use fewer). Returns false, leaving buffer unchanged, when the format
// asks for anything else or the result would not fit in size bytes.
bool FormatLowSpaceMessage(char* buffer, std::size_t size, const char* format,
                           const LowSpaceFigures& figures);

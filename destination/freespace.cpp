#include "destination/freespace.h"

#include <climits>
#include <cstring>

#include "shell/text.h"

std::uint64_t FreeSpaceBytes(std::uint32_t freeClusters, std::uint32_t sectorsPerCluster,
                             std::uint32_t bytesPerSector)
{
    // At most 2^96 in theory; real drives stay far below 2^64.
    return static_cast<std::uint64_t>(freeClusters) * sectorsPerCluster * bytesPerSector;
}

bool HasRoomFor(std::uint64_t freeBytes, long totalBytes)
{
    return totalBytes <= 0 || freeBytes >= static_cast<std::uint64_t>(totalBytes);
}

LowSpaceFigures LowSpaceFiguresFor(std::uint64_t freeBytes, long totalBytes, char firstCharacter)
{
    LowSpaceFigures figures;
    figures.requiredKBytes = totalBytes / 1024;
    figures.driveLetter = firstCharacter >= 'a' && firstCharacter <= 'z'
                              ? static_cast<char>(firstCharacter - 'a' + 'A')
                              : firstCharacter;
    // An empty drive still shows 1 KByte rather than a puzzling 0.
    std::uint64_t shown = freeBytes < 1024 ? 1024 : freeBytes;
    std::uint64_t kbytes = shown / 1024;
    // Only a drive short of a 32-bit figure gets here, but never let the figure wrap.
    figures.freeKBytes = kbytes > static_cast<std::uint64_t>(INT32_MAX)
                             ? INT32_MAX
                             : static_cast<long>(kbytes);
    return figures;
}

// True when the conversions of format are a leading part of "%ld %c %ld": anything else would
// read arguments that are not there.
static bool TakesFigures(const char* format)
{
    static const char* const expected[] = {"ld", "c", "ld"};
    std::size_t next = 0;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%')
            continue;
        if (*++p == '%')
            continue;
        while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr)
            ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        if (*p == '.')
            for (++p; *p >= '0' && *p <= '9'; ++p) {
            }
        if (next == 3)
            return false;
        std::size_t length = std::strlen(expected[next]);
        if (std::strncmp(p, expected[next], length) != 0)
            return false;
        p += length - 1;
        ++next;
    }
    return true;
}

bool FormatLowSpaceMessage(char* buffer, std::size_t size, const char* format,
                           const LowSpaceFigures& figures)
{
    if (!TakesFigures(format))
        return false;
    return FormatText(buffer, size, format, figures.requiredKBytes,
                      static_cast<int>(static_cast<unsigned char>(figures.driveLetter)),
                      figures.freeKBytes);
}

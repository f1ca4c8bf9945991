#include "tools/szdd.h"

#include <algorithm>

const unsigned char kSzddMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

namespace {

// The data is searched as one virtual stream: a window's worth of blanks (what the expander's
// ring holds before the first byte) followed by the input. Byte y of that stream sits at ring
// position (y - 16) mod 4096, so the first input byte lands on kSzddFirstWrite.
constexpr std::size_t kPreload = kSzddWindowSize;
constexpr unsigned kRingMask = kSzddWindowSize - 1;
// A reference one full window back names the slot about to be overwritten; the platform's
// expander reads before it writes, but others may not, so stay one short of it.
constexpr std::size_t kMaxDistance = kSzddWindowSize - 1;
constexpr unsigned kHashBits = 15;
constexpr int kMaxChain = 1024;

struct MatchFinder {
    const std::vector<unsigned char>& stream;
    std::vector<int32_t> head;
    std::vector<int32_t> previous;
    std::size_t inserted = 0;

    explicit MatchFinder(const std::vector<unsigned char>& s)
        : stream(s), head(std::size_t(1) << kHashBits, -1), previous(s.size(), -1)
    {
    }

    unsigned Hash(std::size_t y) const
    {
        unsigned h = (stream[y] << 10) ^ (stream[y + 1] << 5) ^ stream[y + 2];
        return (h ^ (h >> kHashBits)) & ((1u << kHashBits) - 1);
    }

    // Makes every position before end a candidate.
    void InsertBefore(std::size_t end)
    {
        for (; inserted < end; ++inserted) {
            if (inserted + 2 >= stream.size())
                continue;
            unsigned h = Hash(inserted);
            previous[inserted] = head[h];
            head[h] = static_cast<int32_t>(inserted);
        }
    }

    // Longest match for position y among the candidates within reach; ties go to the nearest.
    // Returns 0 when nothing of at least kSzddMinMatch bytes is found.
    unsigned Find(std::size_t y, std::size_t* from)
    {
        std::size_t limit = std::min<std::size_t>(kSzddMaxMatch, stream.size() - y);
        if (limit < kSzddMinMatch)
            return 0;
        InsertBefore(y);
        unsigned best = 0;
        int chain = kMaxChain;
        for (int32_t c = head[Hash(y)]; c >= 0 && chain-- > 0; c = previous[c]) {
            std::size_t candidate = static_cast<std::size_t>(c);
            if (y - candidate > kMaxDistance)
                break;
            if (stream[candidate + best] != stream[y + best])
                continue;
            // A candidate may run on into y itself: the expander then copies bytes it has
            // just written, which is exactly what the stream holds there.
            unsigned length = 0;
            while (length < limit && stream[candidate + length] == stream[y + length])
                ++length;
            if (length > best) {
                best = length;
                *from = candidate;
                if (best == limit)
                    break;
            }
        }
        return best >= kSzddMinMatch ? best : 0;
    }
};

struct Encoder {
    std::vector<unsigned char>* out;
    std::size_t flagsAt = 0;
    unsigned items = 8;

    void StartItem(bool literal)
    {
        if (items == 8) {
            flagsAt = out->size();
            out->push_back(0);
            items = 0;
        }
        if (literal)
            (*out)[flagsAt] |= static_cast<unsigned char>(1u << items);
        ++items;
    }

    void Literal(unsigned char byte)
    {
        StartItem(true);
        out->push_back(byte);
    }

    void Match(std::size_t from, unsigned length)
    {
        StartItem(false);
        unsigned position = static_cast<unsigned>(from + kSzddFirstWrite - kPreload) & kRingMask;
        out->push_back(static_cast<unsigned char>(position & 0xFF));
        out->push_back(static_cast<unsigned char>(((position >> 4) & 0xF0) | (length - kSzddMinMatch)));
    }
};

}  // namespace

bool CompressSzdd(const unsigned char* data, std::size_t size, char lastCharacter,
                  std::vector<unsigned char>* out, SzddStats* stats)
{
    out->clear();
    if ((static_cast<unsigned long long>(size) >> 32) != 0)
        return false;

    out->reserve(kSzddHeaderSize + size + size / 8 + 1);
    out->insert(out->end(), kSzddMagic, kSzddMagic + sizeof kSzddMagic);
    out->push_back('A');
    out->push_back(static_cast<unsigned char>(lastCharacter));
    for (int shift = 0; shift < 32; shift += 8)
        out->push_back(static_cast<unsigned char>((static_cast<unsigned long long>(size) >> shift) & 0xFF));

    std::vector<unsigned char> stream(kPreload, ' ');
    stream.insert(stream.end(), data, data + size);
    MatchFinder finder(stream);
    Encoder encoder{out};
    SzddStats counted;

    // Greedy with one step of lookahead: a match is put off by one literal when the next
    // position has a longer one.
    std::size_t y = kPreload;
    std::size_t from = 0;
    unsigned length = finder.Find(y, &from);
    while (y < stream.size()) {
        std::size_t nextFrom = 0;
        unsigned next = 0;
        if (length != 0 && length < kSzddMaxMatch && y + 1 < stream.size())
            next = finder.Find(y + 1, &nextFrom);
        if (length == 0 || next > length) {
            encoder.Literal(stream[y]);
            ++counted.literals;
            ++y;
            if (next > length) {
                length = next;
                from = nextFrom;
            } else {
                length = y < stream.size() ? finder.Find(y, &from) : 0;
            }
            continue;
        }
        encoder.Match(from, length);
        ++counted.matches;
        std::size_t distance = y - from;
        if (from < kPreload)
            ++counted.blankMatches;
        if (length > distance)
            ++counted.overlapMatches;
        counted.longestDistance = std::max(counted.longestDistance, distance);
        y += length;
        length = y < stream.size() ? finder.Find(y, &from) : 0;
    }
    if (stats != nullptr)
        *stats = counted;
    return true;
}

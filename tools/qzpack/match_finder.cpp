#include "tools/qzpack/match_finder.h"

#include <algorithm>
#include <cstring>

static constexpr uint32_t noPosition = 0xFFFFFFFFu;
static constexpr unsigned hashBits = 20;

static uint32_t hash3(const uint8_t* p)
{
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (v * 2654435761u) >> (32 - hashBits);
}

// The nearest candidate for each length, then up to `others` of the longest remaining ones.
static void appendCandidates(std::vector<MatchCandidate>& out, std::vector<MatchCandidate>& found, uint32_t others)
{
    std::sort(found.begin(), found.end(), [](const MatchCandidate& a, const MatchCandidate& b) {
        return a.distance < b.distance || (a.distance == b.distance && a.length > b.length);
    });
    uint32_t longest = 1;
    uint32_t lastDistance = 0;
    for (MatchCandidate& c : found) {
        if (c.length > longest) {
            c.nearest = true;
            out.push_back(c);
            longest = c.length;
        } else if (c.distance == lastDistance) {
            c.length = 0;
        }
        lastDistance = c.distance;
    }
    if (others == 0) return;
    std::stable_sort(found.begin(), found.end(),
                     [](const MatchCandidate& a, const MatchCandidate& b) { return a.length > b.length; });
    for (const MatchCandidate& c : found) {
        if (others == 0 || c.length < 3) break;
        if (!c.nearest) {
            out.push_back(c);
            --others;
        }
    }
}

// Number of equal bytes at a and b, up to limit. b may overlap a.
static size_t commonLength(const uint8_t* a, const uint8_t* b, size_t limit)
{
    size_t n = 0;
    while (n + 8 <= limit) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) return n + size_t(__builtin_ctzll(x ^ y) / 8);
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

size_t RunCache::matchLength(const uint8_t* data, size_t n, size_t i, uint32_t d, size_t longLength)
{
    for (const Run& run : runs)
        if (run.distance == d && run.end > i) return run.end - i;
    size_t length = commonLength(data + i, data + i - d, std::min(longLength, n - i));
    if (length == longLength && i + length < n) {
        length += commonLength(data + i + length, data + i + length - d, n - i - length);
        runs[next] = Run{d, uint32_t(i + length)};
        next = (next + 1) % runCount;
    }
    return length;
}

MatchTable findMatches(const uint8_t* data, size_t length, const MatchSearchSettings& settings)
{
    MatchTable table;
    table.longLength = std::max<uint32_t>(settings.longLength, 16);
    table.first.assign(length + 1, 0);
    std::vector<uint32_t> head2(65536, noPosition);
    std::vector<uint32_t> prev2(length, noPosition);
    std::vector<uint32_t> head3(size_t(1) << hashBits, noPosition);
    std::vector<uint32_t> prev3(length, noPosition);
    std::vector<MatchCandidate> found;
    RunCache runs;

    for (size_t i = 0; i < length; ++i) {
        table.first[i] = uint32_t(table.matches.size());
        if (i + 2 > length) continue;
        const uint8_t* here = data + i;
        const size_t rest = length - i;
        found.clear();
        // Matches as long as the longest so far are kept too (they offer
        // another distance), but only while that length is short; past it
        // only longer ones count. Either way one byte comparison turns most
        // candidates away before any measuring.
        size_t best = 1;
        auto consider = [&](uint32_t j) {
            size_t probe = best < table.longLength ? best - 1 : best;
            if (data[j + probe] != here[probe] || data[j] != here[0]) return;
            size_t n = runs.matchLength(data, length, i, uint32_t(i - j), table.longLength);
            if (n > probe) {
                best = std::max(best, n);
                found.push_back({uint32_t(n), uint32_t(i - j), false});
            }
        };

        uint32_t key2 = uint32_t(here[0]) | uint32_t(here[1]) << 8;
        for (uint32_t j = head2[key2]; j != noPosition && i - j <= settings.nearDistance && best < rest; j = prev2[j])
            consider(j);
        prev2[i] = head2[key2];
        head2[key2] = uint32_t(i);

        if (i + 3 <= length) {
            uint32_t key3 = hash3(here);
            uint32_t depth = settings.chainDepth;
            best = std::max<size_t>(best, 2);
            for (uint32_t j = head3[key3]; j != noPosition && depth != 0 && best < rest; j = prev3[j], --depth)
                consider(j);
            prev3[i] = head3[key3];
            head3[key3] = uint32_t(i);
        }
        appendCandidates(table.matches, found, settings.otherDistances);
    }
    table.first[length] = uint32_t(table.matches.size());
    return table;
}

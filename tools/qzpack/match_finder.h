// Finding, for every position of a buffer, the earlier copies of the bytes
// that start there: for each length, the nearest distance the search found.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct MatchCandidate {
    uint32_t length;    // the full length of the match
    uint32_t distance;  // 1 or more
    bool nearest;       // no nearer match is as long
};

struct MatchSearchSettings {
    uint32_t longLength = 64;     // longer matches are offered whole only, and measured once per run (16 or more)
    uint32_t nearDistance = 638;  // every two-byte match within this distance is examined
    uint32_t chainDepth = 512;    // earlier three-byte matches examined per position
    uint32_t otherDistances = 4;  // farther matches kept per position besides the nearest ones
};

// Candidates of position i are matches[first[i]] to matches[first[i + 1] - 1],
// every length at least 2: first those marked nearest, lengths and distances
// both strictly increasing, then a few farther ones that are not, which give
// the parse a choice of distance for the RepeatMatch tokens after them.
struct MatchTable {
    uint32_t longLength;
    std::vector<uint32_t> first;
    std::vector<MatchCandidate> matches;
};

MatchTable findMatches(const uint8_t* data, size_t length, const MatchSearchSettings& settings);

// Remembers where recent long matches end. A match of distance d that runs
// to `end` from one position runs to the same end from every later position
// before it, so long runs are measured once, not once per position.
struct RunCache {
    struct Run {
        uint32_t distance;
        uint32_t end;
    };
    static constexpr int runCount = 16;
    Run runs[runCount] = {};
    int next = 0;

    // Full length of the match at position i from distance d (1 to i) in
    // data[0, n), for positions that never go backwards between calls.
    size_t matchLength(const uint8_t* data, size_t n, size_t i, uint32_t d, size_t longLength);
};

// Packing works in rounds. Each round finds the cheapest token sequence by a
// forward pass over all positions (keeping a few cheapest ways of arriving at
// each, which differ in the distance a RepeatMatch would reuse), pricing
// literals and LongMatch offsets with the literal widths and offset bits the
// previous round settled on. The round then chooses, exactly for its own token
// sequence, where to switch the literal width (and base) and the offset bits.
// The cheapest round is written.
#include "tools/qzpack/packer.h"

#include <algorithm>
#include <limits>

#include "image/packed_image.h"
#include "tools/qzpack/stream_cost.h"
#include "tools/qzpack/stream_writer.h"

// Per-position prices for the parse.
struct Prices {
    std::vector<uint8_t> literalBits;
    std::vector<uint8_t> offsetLowBits;
};

static bool literalFits(int mode, uint8_t byte) { return mode == literalWidth8 || uint8_t(byte - mode) < 128; }

static uint32_t literalBits(int mode) { return mode == literalWidth8 ? literal8Bits : literal7Bits; }

// A byte outside a seven-bit window costs a width switch as well; charging
// half of a switch there and back keeps the parse from fleeing such windows
// without pretending the byte is free.
static constexpr uint32_t literalOutsideWindowBits = literal8Bits + 8;

// One way of arriving at a position: its cost so far and the distance a
// RepeatMatch there would reuse. A position keeps its few cheapest arrivals
// with different distances, because a dearer arrival with a useful distance
// can win later through cheap RepeatMatch tokens.
struct Arrival {
    uint32_t cost;
    uint32_t lastOffset;
    uint32_t from;      // where the token that arrives here starts
    uint32_t distance;  // its copy distance
    uint16_t fromSlot;  // the arrival at `from` it continues
    TokenKind kind;
};

struct ArrivalTable {
    int perPosition;
    std::vector<Arrival> slots;
    std::vector<uint8_t> count;

    Arrival* at(size_t position) { return &slots[position * size_t(perPosition)]; }

    // Keeps the list sorted by cost, one arrival per distance.
    void offer(size_t position, const Arrival& a)
    {
        Arrival* list = at(position);
        uint8_t& n = count[position];
        int s = -1;
        for (int k = 0; k < n; ++k) {
            if (list[k].lastOffset == a.lastOffset) {
                if (a.cost >= list[k].cost) return;
                s = k;
                break;
            }
        }
        if (s < 0) {
            if (n < perPosition) {
                s = n++;
            } else if (a.cost < list[perPosition - 1].cost) {
                s = perPosition - 1;
            } else {
                return;
            }
        }
        while (s > 0 && list[s - 1].cost > a.cost) {
            list[s] = list[s - 1];
            --s;
        }
        list[s] = a;
    }
};

static std::vector<Token> parse(const uint8_t* data, size_t n, const MatchTable& table, const Prices& prices,
                                int arrivals)
{
    ArrivalTable reach{arrivals, std::vector<Arrival>((n + 1) * size_t(arrivals)), std::vector<uint8_t>(n + 1, 0)};
    reach.offer(0, Arrival{0, 1, 0, 0, 0, TokenKind::Literal});
    RunCache runs;
    const uint32_t longLength = table.longLength;
    std::vector<uint32_t> repeatLengths(static_cast<size_t>(arrivals));

    for (size_t i = 0; i < n; ++i) {
        const int count = reach.count[i];
        if (count == 0) continue;
        const Arrival* here = reach.at(i);
        auto offer = [&](int slot, size_t to, uint32_t price, TokenKind kind, uint32_t distance, uint32_t lastOffset) {
            reach.offer(to, Arrival{here[slot].cost + price, lastOffset, uint32_t(i), distance, uint16_t(slot), kind});
        };

        const MatchCandidate* first = table.matches.data() + table.first[i];
        const MatchCandidate* last = table.matches.data() + table.first[i + 1];
        const unsigned lowBits = prices.offsetLowBits[i];
        for (int slot = 0; slot < count; ++slot) {
            uint32_t rep = here[slot].lastOffset;
            repeatLengths[slot] = rep <= i ? uint32_t(runs.matchLength(data, n, i, rep, longLength)) : 0;
        }

        // Tokens that keep the distance, from every arrival.
        const uint8_t byte = data[i];
        uint32_t nearDistance = 0;
        if (byte != 0) {
            size_t nearest = std::min<size_t>(nearByteMaxDistance, i);
            for (size_t d = 1; d <= nearest && nearDistance == 0; ++d)
                if (data[i - d] == byte) nearDistance = uint32_t(d);
        }
        for (int slot = 0; slot < count; ++slot) {
            const uint32_t rep = here[slot].lastOffset;
            offer(slot, i + 1, prices.literalBits[i], TokenKind::Literal, 0, rep);
            if (byte == 0) offer(slot, i + 1, byteTokenBits, TokenKind::ZeroByte, 0, rep);
            if (nearDistance != 0) offer(slot, i + 1, byteTokenBits, TokenKind::NearByte, nearDistance, rep);
            if (i + 256 <= n) offer(slot, i + 256, rawBlockBits, TokenKind::RawBlock, 0, rep);
            const uint32_t repeatLength = repeatLengths[slot];
            for (uint32_t length = 2; length <= repeatLength && length < longLength; ++length)
                offer(slot, i + length, repeatMatchBits(length), TokenKind::RepeatMatch, rep, rep);
            if (repeatLength >= longLength)
                offer(slot, i + repeatLength, repeatMatchBits(repeatLength), TokenKind::RepeatMatch, rep, rep);
        }

        // Tokens that set a new distance: only the cheapest arrival matters.
        uint32_t shorter = 1;
        for (const MatchCandidate* c = first; c != last; ++c) {
            const uint32_t distance = c->distance;
            const uint32_t bonus = lengthBonus(distance);
            if (!c->nearest) {  // only its whole length, for the distance it leaves behind
                if (distance <= shortMatchMaxDistance && c->length <= shortMatchMaxLength)
                    offer(0, i + c->length, shortMatchBits, TokenKind::ShortMatch, distance, distance);
                else if (c->length >= bonus + 2)
                    offer(0, i + c->length, 2 + longDistanceBits(distance, lowBits) + gammaBits(c->length - bonus),
                          TokenKind::LongMatch, distance, distance);
                continue;
            }
            uint32_t length = shorter + 1;
            if (distance <= shortMatchMaxDistance) {
                for (; length <= c->length && length <= shortMatchMaxLength; ++length)
                    offer(0, i + length, shortMatchBits, TokenKind::ShortMatch, distance, distance);
            }
            length = std::max(length, bonus + 2);
            if (length <= c->length) {
                const uint32_t distanceBits = 2 + longDistanceBits(distance, lowBits);
                for (; length <= c->length && length < longLength; ++length)
                    offer(0, i + length, distanceBits + gammaBits(length - bonus), TokenKind::LongMatch, distance,
                          distance);
                if (c->length >= longLength)
                    offer(0, i + c->length, distanceBits + gammaBits(c->length - bonus), TokenKind::LongMatch, distance,
                          distance);
            }
            shorter = c->length;
        }
    }

    std::vector<Token> tokens;
    int slot = 0;
    for (size_t at = n; at != 0;) {
        const Arrival& step = reach.at(at)[slot];
        tokens.push_back(Token{step.kind, step.from, uint32_t(at - step.from), step.distance});
        at = step.from;
        slot = step.fromSlot;
    }
    std::reverse(tokens.begin(), tokens.end());
    return tokens;
}

// Cheapest SetLiteralWidth placement for the literals of `tokens`: a pass over
// the literals with one state per literal mode (width 8, or width 7 above one
// of 256 bases). Returns the total literal and switch bits.
static uint64_t chooseLiteralWidths(const uint8_t* data, const std::vector<Token>& tokens, std::vector<int>& switches)
{
    constexpr int modeCount = 257;
    constexpr uint64_t unreachableCost = std::numeric_limits<uint64_t>::max() / 4;
    std::vector<uint32_t> literalTokens;
    for (size_t k = 0; k < tokens.size(); ++k)
        if (tokens[k].kind == TokenKind::Literal) literalTokens.push_back(uint32_t(k));
    switches.assign(tokens.size(), noSwitch);
    if (literalTokens.empty()) return 0;

    std::vector<uint64_t> cost(modeCount, unreachableCost);
    std::vector<uint64_t> next(modeCount);
    // switchedInto[j * modeCount + mode]: the best way to be in `mode` at literal j begins with a switch there
    std::vector<bool> switchedInto(literalTokens.size() * modeCount);
    std::vector<int16_t> modeBeforeSwitch(literalTokens.size());
    for (size_t j = 0; j < literalTokens.size(); ++j) {
        uint64_t cheapest = j == 0 ? 0 : unreachableCost;
        int cheapestMode = literalWidth8;
        if (j != 0) {
            for (int mode = 0; mode < modeCount; ++mode) {
                if (cost[mode] < cheapest) {
                    cheapest = cost[mode];
                    cheapestMode = mode;
                }
            }
        }
        modeBeforeSwitch[j] = int16_t(cheapestMode);
        const uint8_t byte = data[tokens[literalTokens[j]].position];
        for (int mode = 0; mode < modeCount; ++mode) {
            if (!literalFits(mode, byte)) {
                next[mode] = unreachableCost;
                continue;
            }
            uint64_t switched = cheapest + setLiteralWidthBits(mode != literalWidth8);
            bool doSwitch = switched < cost[mode];
            switchedInto[j * modeCount + mode] = doSwitch;
            next[mode] = (doSwitch ? switched : cost[mode]) + literalBits(mode);
        }
        cost.swap(next);
    }
    int mode = int(std::min_element(cost.begin(), cost.end()) - cost.begin());
    uint64_t total = cost[mode];
    for (size_t j = literalTokens.size(); j-- != 0;) {
        if (switchedInto[j * modeCount + mode]) {
            switches[literalTokens[j]] = mode;
            mode = modeBeforeSwitch[j];
        }
    }
    return total;
}

// Cheapest SetOffsetBits placement for the LongMatch tokens, starting from
// the decoder's 8 low bits. Returns the distance and switch bits.
static uint64_t chooseOffsetBits(const std::vector<Token>& tokens, std::vector<int>& switches)
{
    constexpr int largestLowBits = 24;  // more low bits than this never pay for offsets below 2^32
    constexpr uint64_t unreachableCost = std::numeric_limits<uint64_t>::max() / 4;
    switches.assign(tokens.size(), noSwitch);
    std::vector<uint32_t> longTokens;
    for (size_t k = 0; k < tokens.size(); ++k)
        if (tokens[k].kind == TokenKind::LongMatch) longTokens.push_back(uint32_t(k));

    uint64_t cost[largestLowBits + 1];
    std::fill(cost, cost + largestLowBits + 1, unreachableCost);
    cost[8] = 0;
    std::vector<uint32_t> switchedInto(longTokens.size());
    std::vector<uint8_t> bitsBeforeSwitch(longTokens.size());
    for (size_t j = 0; j < longTokens.size(); ++j) {
        int cheapestBits = int(std::min_element(cost + 1, cost + largestLowBits + 1) - cost);
        uint64_t cheapest = cost[cheapestBits];
        bitsBeforeSwitch[j] = uint8_t(cheapestBits);
        uint32_t mask = 0;
        const uint32_t distance = tokens[longTokens[j]].distance;
        for (int bits = 1; bits <= largestLowBits; ++bits) {
            uint64_t switched = cheapest + setOffsetBitsBits(unsigned(bits));
            if (switched < cost[bits]) {
                cost[bits] = switched;
                mask |= uint32_t(1) << bits;
            }
            cost[bits] += longDistanceBits(distance, unsigned(bits));
        }
        switchedInto[j] = mask;
    }
    int bits = int(std::min_element(cost + 1, cost + largestLowBits + 1) - cost);
    uint64_t total = longTokens.empty() ? 0 : cost[bits];
    for (size_t j = longTokens.size(); j-- != 0;) {
        if (switchedInto[j] >> bits & 1) {
            switches[longTokens[j]] = bits;
            bits = bitsBeforeSwitch[j];
        }
    }
    return total;
}

// Everything but literals and LongMatch distances, which depend on the modes.
static uint64_t fixedTokenBits(const std::vector<Token>& tokens)
{
    uint64_t bits = endOfStreamBits;
    for (size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        switch (t.kind) {
        case TokenKind::Literal: break;
        case TokenKind::ZeroByte:
        case TokenKind::NearByte: bits += byteTokenBits; break;
        case TokenKind::ShortMatch: bits += shortMatchBits; break;
        case TokenKind::RepeatMatch: bits += repeatMatchBits(t.length); break;
        case TokenKind::LongMatch: bits += 2 + gammaBits(t.length - lengthBonus(t.distance)); break;
        case TokenKind::RawBlock:
            bool continues = k > 0 && tokens[k - 1].kind == TokenKind::RawBlock;
            bits += continues ? rawBlockMoreBits : rawBlockBits;
            break;
        }
    }
    return bits;
}

static Plan planRound(const uint8_t* data, size_t n, const MatchTable& table, const Prices& prices, int arrivals)
{
    Plan plan;
    plan.tokens = parse(data, n, table, prices, arrivals);
    plan.bits = fixedTokenBits(plan.tokens);
    plan.bits += chooseLiteralWidths(data, plan.tokens, plan.literalSwitch);
    plan.bits += chooseOffsetBits(plan.tokens, plan.offsetSwitch);
    return plan;
}

// Prices for the next round: the modes in force where the plan put them.
static void priceFromPlan(const uint8_t* data, const Plan& plan, Prices& prices)
{
    int mode = literalWidth8;
    for (int s : plan.literalSwitch) {
        if (s != noSwitch) {
            mode = s;
            break;
        }
    }
    unsigned lowBits = 8;
    for (size_t k = 0; k < plan.tokens.size(); ++k) {
        const Token& t = plan.tokens[k];
        if (plan.literalSwitch[k] != noSwitch) mode = plan.literalSwitch[k];
        if (plan.offsetSwitch[k] != noSwitch) lowBits = unsigned(plan.offsetSwitch[k]);
        for (uint32_t p = t.position; p < t.position + t.length; ++p) {
            prices.literalBits[p] = uint8_t(literalFits(mode, data[p]) ? literalBits(mode) : literalOutsideWindowBits);
            prices.offsetLowBits[p] = uint8_t(lowBits);
        }
    }
}

std::vector<uint8_t> packImage(const uint8_t* data, size_t length, const PackSettings& settings)
{
    MatchTable table = findMatches(data, length, settings.search);
    Prices prices;
    prices.literalBits.assign(length, literal8Bits);
    prices.offsetLowBits.assign(length, 8);

    Plan best;
    best.bits = std::numeric_limits<uint64_t>::max();
    for (int round = 0; round < std::max(settings.passes, 1); ++round) {
        Plan plan = planRound(data, length, table, prices, std::clamp(settings.arrivals, 1, 64));
        if (plan.bits >= best.bits) break;
        priceFromPlan(data, plan, prices);
        best = std::move(plan);
    }

    const uint32_t size = uint32_t(length);
    const uint32_t checksum = packedChecksum(data, length);
    std::vector<uint8_t> out = {packedMagic0,           packedMagic1,           uint8_t(size),
                                uint8_t(size >> 8),     uint8_t(size >> 16),    uint8_t(size >> 24),
                                uint8_t(checksum),      uint8_t(checksum >> 8), uint8_t(checksum >> 16),
                                uint8_t(checksum >> 24)};
    writeStream(data, best, out);
    return out;
}

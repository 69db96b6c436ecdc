#include "cardbase/phone/phone_feed.h"

#include <cmath>
#include <cstdio>

#include "cardbase/phone/phone_level.h"
#include "cardbase/phone/phone_margin.h"

void feedSetCall(PhoneFeed& feed, CardSetCall call, int32_t value, int64_t nowMs)
{
    if (!recordSetCall(feed.pending, call, value)) return;
    PhoneTuning& tuning = feed.tuning;
    ++tuning.number;
    tuning.frequencyMHz = feed.pending.frequencyMHz;
    tuning.polarization = feed.pending.polarization;
    tuning.symbolRate = feed.pending.symbolRate;
    tuning.diseqcCode = feed.pending.diseqcCode;
    tuning.atMs = nowMs;
    feed.userBandNote.clear();
}

void feedReading(PhoneFeed& feed, const SignalReading& reading, const std::string& network, const LinkMargin& margin,
                 int64_t nowMs, const PeakReading& peak)
{
    PeakReading taken = peak;
    taken.tune = feed.tuning.number;
    taken.wallMs = nowMs;
    feed.peakClockMs = taken.atMs;
    const double bestBefore = feed.peak.best;
    if (peakTakeReading(feed.peak, taken) || feed.peak.best != bestBefore) ++feed.peakVersion;

    feed.network = network;
    feed.margin = margin;
    PhoneReading& slot = feed.ring[++feed.lastSeq % feed.ring.size()];
    const bool finite = std::isfinite(reading.snr);
    // Under the C/N on the chart only where it makes a margin.
    const bool threshold = margin.state == MarginKnown;
    slot.seq = feed.lastSeq;
    slot.timeMs = nowMs;
    slot.locked = reading.locked;
    slot.quality = reading.quality;
    slot.carrierToNoiseDb = finite ? reading.snr : 0.0f;
    slot.carrierToNoiseOrMore = reading.locked && reading.unit == SnrUnitDecibelOrMore;
    slot.carrierToNoiseOrLess = reading.locked && reading.unit == SnrUnitDecibelOrLess;
    slot.searchingMs = reading.locked ? 0 : reading.searchingMs;
    slot.tune = feed.tuning.number;
    slot.thresholdDb = threshold ? static_cast<float>(margin.thresholdDb) : NAN;
    slot.network = network;
    slot.margin = margin;
    slot.level = reading.level;
}

std::vector<PhoneReading> readingsAfter(const PhoneFeed& feed, uint32_t seq)
{
    const uint32_t held = feed.lastSeq < feed.ring.size() ? feed.lastSeq : static_cast<uint32_t>(feed.ring.size());
    uint32_t first = feed.lastSeq - held + 1;
    if (seq >= first) first = seq + 1;
    std::vector<PhoneReading> readings;
    // A seq ahead of the feed (a feed begun anew) gives nothing rather than wrapping round.
    if (seq > feed.lastSeq) return readings;
    for (uint32_t s = first; s <= feed.lastSeq; ++s) readings.push_back(feed.ring[s % feed.ring.size()]);
    return readings;
}

const char* polarizationLetter(int32_t polarization) { return polarization == 0 ? "H" : polarization == 1 ? "V" : ""; }

const char* switchLetters(int32_t diseqcCode)
{
    static const char* const letters[] = {"", "A", "B", "AA", "BA", "AB", "BB"};
    return diseqcCode >= 0 && diseqcCode <= 6 ? letters[diseqcCode] : "";
}

std::string jsonNumber(double value, const char* pattern)
{
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

static std::string number(int64_t value) { return std::to_string(value); }

static std::string decibels(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
    return text;
}

static std::string wordsOrNull(const std::string& words) { return words.empty() ? "null" : jsonString(words); }

// What every message carries besides its own figures: the server's run, the
// card, the network and margin (of the reading's moment, else the newest),
// the single-cable device's words and the tuning.
static std::string stateFields(const PhoneFeed& feed, const std::string& network, const LinkMargin& margin)
{
    std::string out = "\"run\":" + jsonString(feed.run) + ",\"card\":" + jsonString(feed.card);
    const PhoneTuning& t = feed.tuning;
    out = out + ",\"network\":" + network + ",\"margin\":" + marginJson(margin) +
          ",\"canSweep\":" + (feed.canSweep ? "true" : "false") +
          ",\"canMotor\":" + (feed.canMotor ? "true" : "false") + ",\"singleCable\":" + wordsOrNull(feed.singleCable) +
          ",\"userBand\":" + wordsOrNull(feed.userBandNote) + ",\"tune\":";
    if (t.number == 0) return out + "null";
    return out + "{\"n\":" + number(t.number) + ",\"frequencyMHz\":" + number(t.frequencyMHz) + ",\"polarization\":\"" +
           polarizationLetter(t.polarization) + "\",\"symbolRate\":" + number(t.symbolRate) + ",\"switch\":\"" +
           switchLetters(t.diseqcCode) + "\",\"at\":" + number(t.atMs) + "}";
}

std::string streamOpening(const PhoneFeed& feed, int64_t nowMs)
{
    // A row per reading of the last minute: seq, time, lock, quality, C/N,
    // start, threshold, whether the C/N is at least (1) or at most (-1) the figure, level.
    std::string rows;
    for (const PhoneReading& r : readingsAfter(feed, 0)) {
        if (r.timeMs <= nowMs - static_cast<int64_t>(phoneHistoryMs)) continue;
        if (!rows.empty()) rows += ',';
        rows += "[" + number(r.seq) + "," + number(r.timeMs) + "," + (r.locked ? "1" : "0") + "," + number(r.quality) +
                "," + decibels(r.carrierToNoiseDb) + "," + number(r.tune) + "," +
                (std::isfinite(r.thresholdDb) ? decibels(r.thresholdDb) : "null") + "," +
                (r.carrierToNoiseOrMore   ? "1"
                 : r.carrierToNoiseOrLess ? "-1"
                                          : "0") +
                "," + levelJson(r.level) + "]";
    }
    return "retry: 1000\n\nevent: history\ndata: {\"t\":" + number(nowMs) + "," +
           stateFields(feed, feed.network, feed.margin) + ",\"thresholds\":" + thresholdsJson() +
           ",\"record\":" + (feed.recordFolder.empty() ? "false" : "true") + ",\"readings\":[" + rows + "]}\n\n";
}

std::string readingEvent(const PhoneFeed& feed, const PhoneReading& r)
{
    return "event: reading\ndata: {\"seq\":" + number(r.seq) + ",\"t\":" + number(r.timeMs) +
           ",\"lock\":" + (r.locked ? "true" : "false") + ",\"quality\":" + number(r.quality) +
           ",\"cn\":" + decibels(r.carrierToNoiseDb) + ",\"cnOrMore\":" + (r.carrierToNoiseOrMore ? "true" : "false") +
           ",\"cnOrLess\":" + (r.carrierToNoiseOrLess ? "true" : "false") +
           ",\"searchingMs\":" + (r.searchingMs > 0 ? number(r.searchingMs) : "null") +
           ",\"level\":" + levelJson(r.level) + ",\"tuneOf\":" + number(r.tune) + "," +
           stateFields(feed, r.network, r.margin) + "}\n\n";
}

std::string idleEvent(const PhoneFeed& feed, int64_t nowMs)
{
    return "event: idle\ndata: {\"t\":" + number(nowMs) + "," + stateFields(feed, feed.network, feed.margin) + "}\n\n";
}

std::string networkJson(const NetworkReport& report, const std::vector<PositionTenths>& expected)
{
    static const char* const states[] = {"unlocked", "reading", "known", "none"};
    static const char* const verdicts[] = {"unknown", "unexpected", "expected", "wrong", "probable"};
    const bool known = report.state == NetworkKnown;
    const NetworkIdentity& identity = report.identity;
    const bool hasPosition = known && identity.certainty != PositionUnknown;
    std::string expectedList;
    for (PositionTenths position : expected)
        expectedList += (expectedList.empty() ? "" : ",") + jsonString(positionDegreesText(position));
    char id[16];
    std::snprintf(id, sizeof id, "\"0x%04x\"", static_cast<unsigned>(identity.networkId));
    return std::string("{\"state\":\"") + states[report.state] +
           "\",\"name\":" + (known ? jsonString(identity.networkName) : "null") + ",\"id\":" + (known ? id : "null") +
           ",\"position\":" + (hasPosition ? jsonString(positionDegreesText(identity.position)) : "null") +
           ",\"uncertain\":" + (hasPosition && identity.certainty == PositionMostCommon ? "true" : "false") +
           ",\"expected\":[" + expectedList + "],\"verdict\":\"" +
           verdicts[known ? judgePosition(identity, expected) : VerdictUnknown] + "\"}";
}

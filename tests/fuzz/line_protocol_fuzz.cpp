// Any bytes from the other side of the link, cut into chunks anywhere: the
// helper's session answers each line with one well-formed reply, reaches
// the frontend only in the calls' order, and a request it accepts is one
// that the card would have written in exactly that form; so is a reply or
// a network answer the card accepts, and a reply's words are ones the card
// reads (a reading's unit, its level, the sweep's lines, the user band's
// state, where the skew can be judged and the LNB's error among them); a
// single-cable setting the helper takes is one the card's request writes
// so. A tune said to be replaced by a later one of the queue is. A
// positioner's command reaches the frontend only from a Motor request the
// card would have written so, and leaves no tuning.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>

#include "dvb/protocol/level_answer.h"
#include "dvb/protocol/lnb_answer.h"
#include "dvb/protocol/modcod_answer.h"
#include "dvb/protocol/motor_words.h"
#include "dvb/protocol/network_answer.h"
#include "dvb/protocol/reading_words.h"
#include "dvb/protocol/session.h"
#include "dvb/protocol/single_cable_words.h"
#include "dvb/protocol/skew_answer.h"
#include "dvb/protocol/sweep_answer.h"

namespace {

struct CountingFrontend : FrontendPort {
    bool opened = false;
    int tunes = 0;
    int motors = 0;
    std::string motorWords;  // the latest command's, as the card writes them
    bool open(std::string*) override { return opened = true; }
    bool tune(const CardTuning&, std::string*) override { return ++tunes > 0; }
    bool measure(SignalReading* reading) override
    {
        *reading = SignalReading{tunes % 2 == 1, 40, 9.5f};
        reading->unit = static_cast<SnrUnit>(tunes % 4);
        reading->searchingMs = reading->locked ? 0 : static_cast<uint32_t>(tunes % 3) * 1700;
        return true;
    }
    NetworkReport network() override
    {
        NetworkReport report;
        report.state = static_cast<NetworkState>(tunes % 4);
        report.identity.known = report.state == NetworkKnown;
        report.identity.networkId = static_cast<uint16_t>(tunes * 977);
        report.identity.certainty = static_cast<PositionCertainty>(tunes % 3);
        report.identity.position = tunes % 3601 - 1800;
        report.identity.networkName = std::string(static_cast<size_t>(tunes % 90), static_cast<char>(' ' + tunes % 95));
        return report;
    }
    std::string singleCableRefusal() override { return tunes % 7 == 3 ? "no device steps here" : ""; }
    std::string userBandNote() override { return tunes % 2 ? "another receiver uses user band 1" : ""; }
    bool motor(const MotorCommand& command, uint32_t travelMs, std::string* reason) override
    {
        ++motors;
        motorWords = motorRequestWords(command, travelMs);
        *reason = "no positioner here";
        return tunes % 3 != 1;
    }
    ModcodAnswer modcod() override
    {
        ModcodAnswer answer;
        answer.locked = tunes % 3 != 0;
        answer.carrierToNoiseInDecibels = tunes % 2 == 0;
        answer.tuner = tunes % 5 == 0 ? knownWord(modcodThresholds[tunes % modcodThresholdCount].modcod)
                                      : missingWord(static_cast<ModcodGap>(tunes % 13));
        answer.network = missingWord(static_cast<ModcodGap>((tunes * 7) % 13));
        return answer;
    }
    LnbError lnbError() override
    {
        LnbError error;
        error.state = static_cast<LnbErrorState>(tunes % 4);
        error.errorKHz = (tunes % 2 ? -1 : 1) * tunes * 131;
        error.oscillatorMHz = tunes % 3 ? 10600 : 5150;
        return error;
    }
};

// As many as the helper queues for a peer.
constexpr size_t queuedLinesChecked = 64;

static void check(bool holds)
{
    if (!holds) std::abort();
}

// A reply's words are among those the card reads: a network or modcod
// answer, a reading's unit, a level, or a line of the sweep.
static bool cardReadsWords(const std::string& text, const SweepStatus& sweep)
{
    NetworkReport network;
    ModcodAnswer modcod;
    SignalLevel level;
    SweepStatus state;
    size_t peaks = 0;
    SweepPeak peak;
    std::vector<SweepPoint> points;
    UserBandAnswer band;
    SkewChance skew;
    LnbError lnb;
    return parseUserBandAnswer(text, &band) || parseSkewAnswer(text, &skew) || parseLnbAnswer(text, &lnb) ||
           parseNetworkAnswer(text, &network) || parseModcodAnswer(text, &modcod) ||
           readingUnitOf(text) != SnrUnitOfCard || parseLevelAnswer(text, &level) ||
           parseSweepState(text, &state, &peaks) || parseSweepPeak(text, &peak) || parseSweepPeakName(text, &peak) ||
           parseSweepLevels(text, sweep.plan, 0, &points);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte chooses the chunk size, as the network would.
    const size_t chunk = size > 0 ? 1 + data[0] % 64 : 1;
    const char* bytes = reinterpret_cast<const char*>(data);
    LineReader reader;
    Session session;
    CountingFrontend frontend;
    // All lines first, as a peer's queue holds them.
    std::deque<ReadLine> queued;
    for (size_t at = size > 0 ? 1 : 0; at < size; at += chunk) {
        std::vector<ReadLine> lines;
        readLines(reader, bytes + at, size - at < chunk ? size - at : chunk, &lines);
        queued.insert(queued.end(), lines.begin(), lines.end());
    }
    while (!queued.empty()) {
        const ReadLine line = queued.front();
        queued.pop_front();
        check(line.tooLong || line.text.size() <= maxLineLength + 1);
        Request request;
        if (!line.tooLong && parseRequest(line.text, &request)) check(formatRequest(request) == line.text);
        Reply replyRead;
        if (!line.tooLong && parseReply(line.text, &replyRead) && replyRead.ok)
            check(formatReply(replyRead) == line.text);
        NetworkReport answer;
        if (!line.tooLong && parseNetworkAnswer(line.text, &answer)) check(networkAnswerText(answer) == line.text);
        ModcodAnswer modcodRead;
        if (!line.tooLong && parseModcodAnswer(line.text, &modcodRead))
            check(modcodAnswerText(modcodRead) == line.text);
        LnbError lnbRead;
        if (!line.tooLong && parseLnbAnswer(line.text, &lnbRead)) check(lnbAnswerText(lnbRead) == line.text);
        UserBandAnswer bandRead;
        if (!line.tooLong && parseUserBandAnswer(line.text, &bandRead))
            check(userBandAnswerText(bandRead) == line.text);
        SkewChance skewRead;
        if (!line.tooLong && parseSkewAnswer(line.text, &skewRead)) check(skewAnswerText(skewRead) == line.text);

        // A tune said to be replaced by a later one of the queue is: the
        // queue handled as it stands tunes again.
        check(!laterTuningQueued(session, std::deque<ReadLine>(1, line)));
        if (queued.size() < queuedLinesChecked) {
            std::deque<ReadLine> ahead(queued);
            ahead.push_front(line);
            if (laterTuningQueued(session, ahead)) {
                Session copy = session;
                CountingFrontend counting = frontend;
                for (const ReadLine& each : ahead) handleLine(copy, each, counting);
                check(counting.tunes >= frontend.tunes + 2);
            }
        }

        const int tunesBefore = frontend.tunes;
        const int motorsBefore = frontend.motors;
        const Session before = session;
        const Reply reply = handleLine(session, line, frontend);
        // A setting taken came in a request of its own, and the card's request writes it back.
        if (session.singleCable &&
            (!before.singleCable || singleCableSettingText(before.singleCableSetting, true) !=
                                        singleCableSettingText(session.singleCableSetting, true))) {
            Request taken;
            check(reply.ok && parseRequest(line.text, &taken) && taken.kind == RequestSingleCable);
            SingleCableSetting back;
            std::string reason;
            check(parseSingleCable(singleCableRequest(session.singleCableSetting).words, &back, &reason) &&
                  singleCableSettingText(back, true) == singleCableSettingText(session.singleCableSetting, true));
        }
        // A command reached the positioner only as the card writes it, and the start is forgotten.
        if (frontend.motors != motorsBefore) {
            Request asked;
            check(parseRequest(line.text, &asked) && asked.kind == RequestMotor &&
                  formatRequest(Request{RequestMotor, 0, frontend.motorWords}) == line.text);
            check(frontend.motors == motorsBefore + 1 && !session.tuned);
        }
        const std::string text = formatReply(reply);
        Reply back;
        check(text.size() <= maxLineLength && parseReply(text, &back) && back.ok == reply.ok);
        if (!back.text.empty()) check(cardReadsWords(back.text, frontend.sweepStatus()));
        // A search under way is said so that the card reads back how long.
        if (!back.ok && back.reason.compare(0, 10, "searching ") == 0) check(searchingMsOf(back.reason) > 0);
        check(frontend.opened || frontend.tunes == 0);
        check(frontend.tunes <= tunesBefore + 1);
    }
    return 0;
}

#include "dvb/helper/frontend/tuned_report.h"

#include <algorithm>

#include "cardbase/reading_pace.h"
#include "dvb/helper/frontend/helper_margin.h"

uint32_t tunedLockWaitMs(const TuningSequence& sequence)
{
    const uint32_t attempts = static_cast<uint32_t>(std::max<size_t>(sequence.attempts.size(), 1));
    // The first reading after the round may be the one with the lock.
    uint32_t round = std::max(attempts * sequence.attemptWindowMs, minimumRoundMs) + 2 * readingIntervalMs;
    // Through a single-cable device the command may be said once more, and the attempt then sent again.
    if (sequence.singleCable) round += scrRetryMostMs + scrCommandLeadMs + scrCommandTailMs + sequence.attemptWindowMs;
    return std::min(round, tunedLockWaitLimitMs);
}

bool networkSettled(const NetworkReport& report)
{
    return report.state == NetworkKnown || report.state == NetworkNoInformation;
}

std::string tunedReport(const FrontendDescription& description, const std::string& entry, const LatestReading& latest,
                        const ModcodWord& user, const SingleCableUse& singleCable)
{
    std::string report = statusReport(description, latest.figures);
    const bool locked = latest.answered && latest.reading.locked;
    const std::string lockLine = std::string("lock: ") + (locked ? "yes" : "no") + "\n";
    const size_t at = report.find(lockLine);
    if (at != std::string::npos) {
        if (locked) report.insert(at + lockLine.size(), "system: " + attemptSystemText(latest.attempt) + "\n");
        report.insert(at,
                      "tuned: " + entry + "\n" +
                          (singleCable.used ? "single cable: " + singleCableWords(singleCable.setting) + "\n" : ""));
    }
    report += "quality: " + std::to_string(locked ? latest.reading.quality : 0) + " %\n";
    const NetworkIdentity identity = latest.network.state == NetworkKnown ? latest.network.identity : NetworkIdentity();
    report += networkLine(identity) + "\n" + positionLine(identity) + "\n";
    const LinkMargin margin = helperMargin(latest, user);
    report += modulationLine(margin) + "\n" + marginLine(margin) + "\n";
    report += lnbErrorLine(locked ? latest.lnbError : LnbError()) + "\n";
    if (!latest.userBandNote.empty()) report += latest.userBandNote + "\n";
    return report;
}

std::string untunedMarginLines(const FrontendFigures& figures)
{
    MarginInputs inputs;
    inputs.locked = figures.statistics.locked;
    inputs.carrierToNoiseInDecibels = carrierToNoiseInDecibels(figures);
    inputs.carrierToNoiseDb = figures.statistics.carrierToNoiseDb;
    inputs.carrierToNoiseAtLeast = figures.carrierToNoiseAtLeast;
    inputs.carrierToNoiseAtMost = figures.carrierToNoiseAtMost;
    inputs.tuner = missingWord(GapNotTunedHere);
    const LinkMargin margin = linkMargin(inputs);
    return modulationLine(margin) + "\n" + marginLine(margin) + "\n";
}

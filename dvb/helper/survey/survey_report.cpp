#include "dvb/helper/survey/survey_report.h"

#include <cstdio>

static std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

static std::string seconds(uint32_t ms) { return fixed(ms / 1000.0, 1) + " s"; }

static std::string padded(const std::string& text, size_t width)
{
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

static std::string marginText(const LinkMargin& margin)
{
    if (margin.state != MarginKnown) return "margin unknown (" + marginUnknownText(margin) + ")";
    return "margin " + marginDecibelsText(margin.marginDb) + " (" + verdictWord(margin.verdict) + ")";
}

std::string surveyLine(const SurveyResult& result)
{
    const std::string head = padded(result.transponder.entry, 15);
    if (!result.refusal.empty()) return head + "not tuned: " + result.refusal;
    if (!result.entry.locked) return head + "no lock within " + seconds(result.waitedMs);
    const RecordSpread& cn = result.entry.carrierToNoiseDb;
    // What it carries where known; else the system the tuner was set to when it locked.
    const ModcodChoice& choice = result.entry.margin.choice;
    const std::string carried = choice.source == SourceUnknown ? result.system : modcodName(choice.modcod);
    return head + padded(carried, 17) + "locked in " + seconds(result.entry.timeToLockMs) + "  C/N " +
           (cn.known ? fixed(cn.median, 1) + " dB" : std::string("-")) + "  quality " +
           fixed(result.entry.qualityPercent.median, 0) + " %  " + marginText(result.entry.margin);
}

std::string listsLine(const SurveyOutcome& outcome)
{
    const ListedTransponders& listed = outcome.listed;
    size_t streams = 0;
    for (const NitTable& table : outcome.lists.tables) streams += table.streams.size();
    std::string line = "lists: " + std::to_string(outcome.lists.tables.size()) + " network table" +
                       (outcome.lists.tables.size() == 1 ? "" : "s") + ", " + std::to_string(streams) + " entries; ";
    if (!outcome.hasPosition) return line + "the satellite's position is unknown";
    line += std::to_string(listed.tunable.size()) + " transponder" + (listed.tunable.size() == 1 ? "" : "s") + " at " +
            positionText(outcome.position);
    if (listed.circular > 0)
        line += ", " + std::to_string(listed.circular) + " circularly polarized left out (Azimora tunes H and V)";
    if (listed.untypable > 0)
        line += ", " + std::to_string(listed.untypable) + " beyond what Azimora's keypad takes left out";
    return line;
}

static std::string spreadText(const RecordSpread& spread, int decimals)
{
    if (!spread.known) return "-";
    return fixed(spread.minimum, decimals) + "/" + fixed(spread.median, decimals) + "/" + fixed(spread.peak, decimals);
}

static std::string networkText(const NetworkReport& network)
{
    if (network.state != NetworkKnown) return "-";
    const NetworkIdentity& identity = network.identity;
    const std::string name = identity.networkName.empty() ? "(no name)" : identity.networkName;
    return identity.certainty == PositionUnknown ? name : name + " " + positionText(identity.position);
}

std::string surveyTable(const SurveyOutcome& outcome)
{
    std::string table = padded("transponder", 15) + padded("band", 5) + padded("lock", 8) + padded("locked", 7) +
                        padded("C/N dB min/med/peak", 20) + padded("quality %", 12) + padded("modulation", 19) +
                        padded("margin", 17) + "network\n";
    for (const SurveyResult& result : outcome.results) {
        const LinkMargin& margin = result.entry.margin;
        table += padded(result.transponder.entry, 15) + padded(highBand(result) ? "high" : "low", 5);
        if (!result.entry.locked) {
            table += padded("no", 8) + padded("-", 7) + padded("-", 20) + padded("-", 12) + padded("-", 19) +
                     padded("-", 17) + "-\n";
            continue;
        }
        table +=
            padded(seconds(result.entry.timeToLockMs), 8) + padded(fixed(100.0 * lockedShare(result), 0) + " %", 7) +
            padded(spreadText(result.entry.carrierToNoiseDb, 1), 20) +
            padded(spreadText(result.entry.qualityPercent, 0), 12) +
            padded(margin.choice.source == SourceUnknown ? "unknown" : modcodName(margin.choice.modcod), 19) +
            padded(margin.state == MarginKnown ? marginDecibelsText(margin.marginDb) + " " + verdictWord(margin.verdict)
                                               : std::string("unknown"),
                   17) +
            networkText(result.entry.network) + "\n";
    }
    return table;
}

std::vector<std::string> lnbErrorLines(const SurveyOutcome& outcome)
{
    std::vector<LnbError> errors;
    LnbError why;
    for (const SurveyResult& result : outcome.results) {
        if (!result.entry.locked) continue;
        errors.push_back(result.entry.lnbError);
        if (result.entry.lnbError.state != LnbErrorUnlocked) why = result.entry.lnbError;
    }
    std::vector<std::string> lines;
    for (const OscillatorErrors& each : errorsByOscillator(errors)) lines.push_back(oscillatorErrorsLine(each));
    if (lines.empty() && !errors.empty()) lines.push_back(lnbErrorLine(why));
    return lines;
}

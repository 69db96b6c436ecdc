#include "dvb/helper/survey_report.h"

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
    const std::string entry = padded(result.transponder.entry, 15);
    if (!result.refusal.empty()) return entry + "not tuned: " + result.refusal;
    if (!result.locked) return entry + "no lock within " + seconds(result.lockMs);
    const FigureSpread& cn = result.carrierToNoiseDb;
    // What it carries where known; else the system the tuner was set to when it locked.
    const ModcodChoice& choice = result.margin.choice;
    const std::string carried = choice.source == SourceUnknown ? result.system : modcodName(choice.modcod);
    return entry + padded(carried, 17) + "locked in " + seconds(result.lockMs) + "  C/N " +
           (cn.known ? fixed(cn.median, 1) + " dB" : std::string("-")) + "  quality " +
           fixed(result.qualityPercent.median, 0) + " %  " + marginText(result.margin);
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

static std::string spreadText(const FigureSpread& spread, int decimals)
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
        const LinkMargin& margin = result.margin;
        table += padded(result.transponder.entry, 15) + padded(highBand(result) ? "high" : "low", 5);
        if (!result.locked) {
            table += padded("no", 8) + padded("-", 7) + padded("-", 20) + padded("-", 12) + padded("-", 19) +
                     padded("-", 17) + "-\n";
            continue;
        }
        table +=
            padded(seconds(result.lockMs), 8) + padded(fixed(100.0 * lockedShare(result), 0) + " %", 7) +
            padded(spreadText(result.carrierToNoiseDb, 1), 20) + padded(spreadText(result.qualityPercent, 0), 12) +
            padded(margin.choice.source == SourceUnknown ? "unknown" : modcodName(margin.choice.modcod), 19) +
            padded(margin.state == MarginKnown ? marginDecibelsText(margin.marginDb) + " " + verdictWord(margin.verdict)
                                               : std::string("unknown"),
                   17) +
            networkText(result.network) + "\n";
    }
    return table;
}

// RFC 4180: a field with a comma, a quote or a line break goes in quotes,
// its quotes doubled.
static std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string surveyCsvHeader()
{
    return "entry,frequency_mhz,polarization,symbol_rate_ksps,switch,band,found_in,locked,time_to_lock_s,"
           "locked_share,cn_min_db,cn_median_db,cn_peak_db,quality_min,quality_median,quality_peak,system,"
           "modulation,modulation_source,margin_db,margin_verdict,network_name,network_id,network_position\r\n";
}

static const char* foundWord(SurveyFound found)
{
    switch (found) {
    case FoundAsStart: return "start";
    case FoundInCatalogue: return "catalogue";
    case FoundInLists: return "lists";
    case FoundInFile: return "file";
    }
    return "";
}

std::string surveyCsvLine(const SurveyResult& result)
{
    const CardTuning& tuning = result.transponder.tuning;
    const FigureSpread& cn = result.carrierToNoiseDb;
    const FigureSpread& quality = result.qualityPercent;
    const LinkMargin& margin = result.margin;
    const bool known = result.locked && result.network.state == NetworkKnown;
    const NetworkIdentity& identity = result.network.identity;
    char id[8] = "";
    if (known) std::snprintf(id, sizeof id, "0x%04x", static_cast<unsigned>(identity.networkId));
    const std::vector<std::string> fields = {
        result.transponder.entry,
        std::to_string(tuning.frequencyMHz),
        tuning.polarization == 0 ? "H" : "V",
        std::to_string(tuning.symbolRate),
        switchLetters(tuning.diseqcCode),
        highBand(result) ? "high" : "low",
        foundWord(result.transponder.found),
        result.locked ? "yes" : "no",
        fixed(result.lockMs / 1000.0, 1),
        result.locked ? fixed(lockedShare(result), 2) : "",
        cn.known ? fixed(cn.minimum, 1) : "",
        cn.known ? fixed(cn.median, 1) : "",
        cn.known ? fixed(cn.peak, 1) : "",
        quality.known ? fixed(quality.minimum, 0) : "",
        quality.known ? fixed(quality.median, 0) : "",
        quality.known ? fixed(quality.peak, 0) : "",
        result.system,
        margin.choice.source == SourceUnknown ? "" : modcodText(margin.choice.modcod),
        margin.choice.source == SourceUnknown ? "" : sourceWord(margin.choice.source),
        margin.state == MarginKnown ? fixed(margin.marginDb, 1) : "",
        margin.state == MarginKnown ? verdictWord(margin.verdict) : "",
        known ? identity.networkName : "",
        id,
        known && identity.certainty != PositionUnknown ? positionText(identity.position) : "",
    };
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + csvField(fields[i]);
    return line + "\r\n";
}

#include "sim/dish/dish_view.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/dish_level.h"

static std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

DishView dishView(const DishModel& model, uint32_t nowMs)
{
    DishView view{};
    view.site = model.site;
    view.diameterM = model.diameterM;
    view.pointing = model.pointing;
    view.tuning = model.tuning;
    const int nearest = nearestSatellite(model, &view.nearestOffAxisDeg);
    view.nearest = nearest;
    if (nearest >= 0) view.nearestName = model.sky[nearest].name;

    const DishSignal signal = dishSignal(model, nowMs);
    view.verdict = signal.verdict;
    view.carrierToNoiseDb = signal.carrierToNoiseDb;
    view.lockThresholdDb = signal.verdict == TooWeak || signal.verdict == Locked ? signal.lockThresholdDb : NAN;
    view.levelAboveNoiseDb = NAN;
    if (model.levelHeld && model.tuning.tuned)
        view.levelAboveNoiseDb =
            model.levelDbm - channelNoiseDbm(model.tuning.frequencyMHz, channelWidthMHz(model.tuning.symbolRate));
    view.quality = signal.verdict == Locked ? qualityFromCarrierToNoise(signal.carrierToNoiseDb) : 0;
    const DishCable& cable = model.cable;
    view.singleCable = cable.throughDevice;
    if (cable.throughDevice) {
        view.singleCableSetting = cable.settingRead ? singleCableWords(cable.setting) : cable.refusal;
        if (cable.settingRead) view.singleCableRefusal = cable.refusal;
        if (!cable.lastCommand.empty() && cable.demodulatorKHz > 0)
            view.singleCableSent = cable.lastCommand + format(" at %u MHz", (cable.demodulatorKHz + 500) / 1000);
        view.userBandNote = cable.userBandNote;
    }
    // The satellite the transponder belongs to, not a neighbour repeating it.
    const int own = tunedSatelliteOf(model);
    view.tunedSatellite = own >= 0 ? own : signal.satellite;
    const int target = view.tunedSatellite >= 0 ? view.tunedSatellite : nearest;
    if (target >= 0) {
        const LookAngles angles = lookAngles(model.site, model.sky[target].longitudeDeg);
        view.targetName = model.sky[target].name;
        view.target = angles.direction;
        view.targetOffAxisDeg = pointingErrorDeg(model.pointing, angles.direction);
        view.skewErrorDeg = skewErrorDeg(model.pointing.skewDeg, angles.direction.skewDeg);
    }
    return view;
}

static std::string format(const char* pattern, ...)
{
    char text[128];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(text, sizeof text, pattern, arguments);
    va_end(arguments);
    return text;
}

// The catalogue aligns positions with runs of blanks; one is enough here.
std::string shortSatelliteName(const std::string& name, size_t room)
{
    std::string squeezed;
    for (char c : name)
        if (c != ' ' || (!squeezed.empty() && squeezed.back() != ' ')) squeezed += c;
    while (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
    return squeezed.size() > room ? squeezed.substr(0, room) : squeezed;
}

static std::string degreesOf(double value, char positive, char negative)
{
    return format("%.2f%c", std::fabs(value), value < 0 ? negative : positive);
}

static std::string diseqcName(int32_t code)
{
    static const char* const names[] = {"none", "A", "B", "AA", "BA", "AB", "BB"};
    return code >= 0 && code <= 6 ? names[code] : std::to_string(code);
}

std::string dishSignalText(const DishView& view)
{
    switch (view.verdict) {
    case NotTuned: return "no lock: not tuned";
    case NoLnbOnPort: return "no lock: no LNB on DiSEqC " + diseqcName(view.tuning.diseqcCode);
    case WrongLnbBand: return "no lock: LNB band or LO wrong";
    case ToneLost: return "no lock: no 22 kHz tone at LNB";
    case EighteenLost: return "no lock: no 18 V at LNB";
    case NoTransponder: return "no lock: no such transponder";
    case BelowHorizon: return "no lock: below the horizon";
    case TooWeak: return format("C/N %.1f dB, no lock", view.carrierToNoiseDb);
    case ScrRefused: return "no lock: nothing sent, see Cable";
    case NoScrAnswer: return singleCableNoAnswerText;
    case ScrNotAsked: return "no lock: single cable, set scr=";
    case Locked: break;
    }
    return format("C/N %.1f dB, locked, %d %%", view.carrierToNoiseDb, static_cast<int>(view.quality));
}

// Two lines: the network's own word on where the dish points, and whether
// that is where it should.
static void addNetworkLines(const DishView& view, std::vector<std::string>& lines)
{
    const NetworkIdentity& identity = view.network.identity;
    switch (view.network.state) {
    case NetworkNotLocked: lines.push_back("Net    -"); break;
    case NetworkReading: lines.push_back("Net    reading the network table"); break;
    case NetworkNoInformation: lines.push_back("Net    no network information"); break;
    case NetworkKnown:
        lines.push_back("Net    " + shortSatelliteName(identity.networkName, 24) + " " +
                        (identity.certainty == PositionUnknown ? std::string("position unknown")
                                                               : positionText(identity.position)) +
                        (identity.certainty == PositionMostCommon ? "?" : ""));
        break;
    }
    const PositionVerdict verdict =
        view.network.state == NetworkKnown ? judgePosition(identity, view.expected) : VerdictUnknown;
    if (verdict == VerdictWrong)
        lines.push_back(std::string(wrongSatelliteLine) + ": expected " + positionText(view.expected.front()));
    else if (verdict == VerdictAsExpected) lines.push_back("       the satellite expected");
    else lines.push_back("");
}

// The margin while locked: "Margin +5.4 dB good, S2-8PSK-3/4", or why there
// is none.
static std::string marginText(const DishView& view)
{
    const LinkMargin& margin = view.margin;
    std::string text = marginLinePrefix;
    switch (margin.state) {
    case MarginNoLock: return text + "-";
    case MarginNoDecibels: return text + "unknown: no C/N in dB";
    case MarginNoModcod: return text + "unknown: modulation unknown";
    case MarginKnown: break;
    }
    return text + marginDecibelsText(margin.marginDb) + " " + verdictWord(margin.verdict) + ", " +
           modcodText(margin.choice.modcod);
}

// "LABEL  text", carried on to further lines indented as far, each broken
// at a blank where it can be.
static void addWrapped(std::vector<std::string>& lines, const std::string& label, const std::string& text)
{
    std::string line = label;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        const bool first = line.size() == label.size();
        if (!first && line.size() + 1 + word.size() > dishLineWidth) {
            lines.push_back(line);
            line = std::string(label.size(), ' ');
        }
        line += (line.size() == label.size() ? "" : " ") + word;
        start = end + 1;
    }
    lines.push_back(line);
}

static void addSingleCableLines(const DishView& view, std::vector<std::string>& lines)
{
    if (!view.singleCable) return;
    const std::string more(7, ' ');
    addWrapped(lines, "Cable  ", view.singleCableSetting);
    if (!view.singleCableRefusal.empty()) addWrapped(lines, more, view.singleCableRefusal);
    else if (!view.singleCableSent.empty()) addWrapped(lines, more, view.singleCableSent);
    if (!view.userBandNote.empty()) addWrapped(lines, more, view.userBandNote);
}

static std::string anglesText(const DishPointing& p)
{
    return format("az %.1f  el %.1f  skew %+.1f", p.azimuthDeg, p.elevationDeg, p.skewDeg);
}

std::vector<std::string> dishWindowLines(const DishView& view)
{
    const size_t room = dishLineWidth - 7;
    std::vector<std::string> lines;
    lines.push_back("Site   " + degreesOf(view.site.latitudeDeg, 'N', 'S') + " " +
                    degreesOf(view.site.longitudeDeg, 'E', 'W') + format(", dish %.2f m", view.diameterM));
    lines.push_back("Dish   " + anglesText(view.pointing));
    if (view.nearestName.empty()) {
        lines.push_back("Near   no satellite above the horizon");
        lines.push_back("");
    } else {
        lines.push_back("Near   " + shortSatelliteName(view.nearestName, room));
        lines.push_back(format("       %.2f deg off axis", view.nearestOffAxisDeg));
    }
    const CardTuning& t = view.tuning;
    if (t.tuned) {
        const char* letter = t.polarization == 0 ? "H" : t.polarization == 1 ? "V" : "-";
        lines.push_back(format("Tuned  %d %s %d, DiSEqC ", static_cast<int>(t.frequencyMHz), letter,
                               static_cast<int>(t.symbolRate)) +
                        diseqcName(t.diseqcCode));
    } else {
        lines.push_back("Tuned  nothing yet");
    }
    addSingleCableLines(view, lines);
    if (view.targetName.empty()) {
        lines.push_back("Target none");
        lines.push_back("");
        lines.push_back("");
    } else {
        lines.push_back("Target " + shortSatelliteName(view.targetName, room));
        lines.push_back("       " + anglesText(view.target));
        lines.push_back(format("Error  %.2f deg, skew %+.1f", view.targetOffAxisDeg, view.skewErrorDeg));
    }
    addWrapped(lines, "Signal ", dishSignalText(view));
    lines.push_back(marginText(view));
    addNetworkLines(view, lines);
    if (!view.peak.empty()) addWrapped(lines, peakLinePrefix, view.peak);
    static const char* const help[] = {"Drag on the chart to steer, Shift fine",
                                       "Double-click a satellite: aim near it", "Arrows 0.1 deg, with Shift 1 deg",
                                       "[ ] or PgDn PgUp: skew 1, Shift 5"};
    for (const char* line : help)
        if (lines.size() < dishReadoutLines) lines.push_back(line);
    for (std::string& line : lines)
        if (line.size() > dishLineWidth) line.resize(dishLineWidth);
    return lines;
}

#include "cardbase/motor/arc_words.h"

#include <cmath>
#include <cstdio>

#include "cardbase/motor/motor_plan.h"
#include "cardbase/pointing/pointing_input.h"
#include "cardbase/pointing/pointing_text.h"

static const char degree[] = "\xC2\xB0";
// A difference of losses across the arc worth a word.
static const double patternDb = 0.3;
// Along the arc the peaks are found to a few hundredths of a degree; an
// offset below this is not worth turning the motor for.
static const double alongWorthDeg = 0.15;

static std::string decimals(double value, int places)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    // A value that rounds to nothing has no sign.
    const std::string written = text;
    return written.find_first_not_of("-0.") == std::string::npos && written[0] == '-' ? written.substr(1) : written;
}

static std::string degrees(double value, int places = 1) { return decimals(std::fabs(value), places) + degree; }

std::string arcPointLine(const ArcPoint& point)
{
    std::string line = squeezedName(point.satellite.name) + ": motor " + motorAngleText(point.motorAngleDeg);
    if (!point.found) return line + ", nothing found: no lock and no level";
    const double along = std::round(point.alongDeg * 100.0) / 100.0;
    line +=
        along == 0.0 ? ", peaks there" : ", peaks " + degrees(along, 2) + (along > 0 ? " east" : " west") + " of it";
    if (point.byLevel) line += " (by its level)";
    if (!point.locked) return line + ", no lock at the peak";
    line += ", C/N " + decimals(point.peakCnDb, 1) + " dB";
    if (!std::isnan(point.lossDb))
        line += " (clear sky " + decimals(point.satellite.clearSkyCnDb, 1) + " dB, loss " + decimals(point.lossDb, 1) +
                " dB)";
    if (!point.networkKnown) return line + ", network position unknown";
    line += ", network " + orbitalPositionText(point.networkLongitudeDeg);
    if (std::fabs(point.networkLongitudeDeg - point.satellite.longitudeDeg) > 0.5) line += ": another satellite";
    return line;
}

std::string arcTooFewText(int satellites, int withLoss)
{
    return "no verdict: " + std::to_string(satellites) + " satellites measured, " + std::to_string(withLoss) +
           " with a lock and a clear-sky C/N; at least " + std::to_string(arcLeastSatellites) + " are needed";
}

std::string arcAskingAtText(const ArcPoint& point)
{
    return "the dish stands at " + squeezedName(point.satellite.name) + ", the satellite with the largest loss (" +
           decimals(point.lossDb, 1) + " dB)";
}

std::vector<std::string> arcPicture(const ArcResult& result, const DishSite& site)
{
    const int width = 61, rows = 12;
    double low = 1e9, high = -1e9, east = -1e9, west = 1e9;
    for (const ArcPoint& p : result.points) {
        east = std::fmax(east, p.motorAngleDeg);
        west = std::fmin(west, p.motorAngleDeg);
        if (!p.locked) continue;
        low = std::fmin(low, p.peakCnDb);
        high = std::fmax(high, std::isnan(p.lossDb) ? p.peakCnDb : p.satellite.clearSkyCnDb);
    }
    if (low > high) return {"(no satellite locked: no picture)"};
    low = std::floor(low) - 1.0;
    high = std::ceil(high) + 0.5;
    east = std::ceil(east / 10.0) * 10.0;
    west = std::floor(west / 10.0) * 10.0;
    if (east <= west) east = west + 10.0;
    const bool eastLeft = site.latitudeDeg >= 0.0;
    const auto column = [&](double angle) {
        const double share = (angle - west) / (east - west);
        return static_cast<int>(std::lround((eastLeft ? 1.0 - share : share) * (width - 1)));
    };
    const auto row = [&](double cn) { return static_cast<int>(std::lround((high - cn) / (high - low) * (rows - 1))); };
    std::vector<std::string> grid(static_cast<size_t>(rows), std::string(static_cast<size_t>(width), ' '));
    for (const ArcPoint& p : result.points) {
        if (!p.locked) continue;
        const size_t x = static_cast<size_t>(column(p.motorAngleDeg));
        if (!std::isnan(p.lossDb)) grid[static_cast<size_t>(row(p.satellite.clearSkyCnDb))][x] = '-';
        grid[static_cast<size_t>(row(p.peakCnDb))][x] = 'o';
    }
    std::vector<std::string> picture{"C/N dB  (o at the peak, - in clear sky)"};
    for (int r = 0; r < rows; ++r) {
        const double cn = high - (high - low) * r / (rows - 1);
        picture.push_back((r % 2 == 0 ? decimals(cn, 1) : std::string()) +
                          std::string(7 - (r % 2 == 0 ? decimals(cn, 1).size() : 0), ' ') + "|" +
                          grid[static_cast<size_t>(r)]);
    }
    picture.push_back("       +" + std::string(static_cast<size_t>(width), '-'));
    std::string scale(static_cast<size_t>(width) + 8, ' ');
    for (double angle = west; angle <= east + 0.001; angle += 10.0) {
        const std::string label = decimals(std::fabs(angle), 0);
        const size_t at = static_cast<size_t>(8 + column(angle)) - label.size() / 2;
        if (at + label.size() <= scale.size()) scale.replace(at, label.size(), label);
    }
    picture.push_back(scale);
    const std::string left = eastLeft ? "east" : "west", right = eastLeft ? "west" : "east";
    picture.push_back("        " + left + std::string(static_cast<size_t>(width) - left.size() - right.size(), ' ') +
                      right + "  (motor angle, degrees)");
    return picture;
}

std::string adjustmentWords(MountAdjustment adjustment, double sizeDeg)
{
    const std::string size = degrees(sizeDeg, 1);
    const bool more = sizeDeg > 0;
    switch (adjustment) {
    case AdjustDeclination:
        return "the declination is " + size + (more ? " too much" : " too little") + ": tilt the dish " + size +
               (more ? " up" : " down") + " on its declination bracket";
    case AdjustElevation:
        return "the mount's elevation is " + size + (more ? " too high" : " too low") + ": " +
               (more ? "lower" : "raise") + " the polar axis " + size + " on the mount's elevation scale";
    default:
        return "the mount is turned " + size + (more ? " east" : " west") + ": turn the whole mount " + size +
               (more ? " west" : " east") + " on its pole";
    }
}

std::string alongWords(double zeroDeg)
{
    const std::string size = degrees(zeroDeg, 2);
    const bool east = zeroDeg > 0;
    return std::string("every satellite peaks ") + size + (east ? " west" : " east") +
           " of where the motor sends the dish: the motor's zero, the site's longitude or the mount's turn is " + size +
           (east ? " east" : " west") + ": turn the motor " + size + (east ? " west" : " east") +
           " on the mount, or correct site=";
}

// What the losses do across the arc, by the model that fits them.
static std::string patternWords(const ArcResult& result)
{
    const std::vector<double>& loss = result.fit.fittedLossDb;
    int eastEnd = -1, westEnd = -1, middle = -1;
    for (size_t i = 0; i < result.points.size(); ++i) {
        if (std::isnan(result.points[i].lossDb)) continue;
        const int at = static_cast<int>(i);
        if (eastEnd < 0) eastEnd = at;
        westEnd = at;
        if (middle < 0 || std::fabs(result.points[i].motorAngleDeg) <
                              std::fabs(result.points[static_cast<size_t>(middle)].motorAngleDeg))
            middle = at;
    }
    if (middle < 0) return "";
    const double m = loss[static_cast<size_t>(middle)], e = loss[static_cast<size_t>(eastEnd)],
                 w = loss[static_cast<size_t>(westEnd)];
    const std::string figures = " (" + decimals(e, 1) + " dB at the east end, " + decimals(m, 1) +
                                " dB in the middle, " + decimals(w, 1) + " dB at the west end)";
    if (result.fit.mountRight) return "the loss across the arc is a polar mount's own tracking" + figures;
    std::string shape;
    if (e > m + patternDb && w > m + patternDb) shape = "grows towards both ends";
    else if (e > m + patternDb) shape = "grows towards the east end";
    else if (w > m + patternDb) shape = "grows towards the west end";
    else if (m > std::fmax(e, w) + patternDb) shape = "is largest in the middle of the arc";
    else if (m > patternDb) shape = "is much the same everywhere";
    else shape = "is small everywhere";
    return "the loss across the arc " + shape + figures;
}

std::vector<std::string> arcVerdictLines(const ArcResult& result)
{
    if (!result.problem.empty()) return {result.problem};
    const ArcFitResult& fit = result.fit;
    std::vector<std::string> lines;
    lines.push_back(patternWords(result));
    if (result.asked)
        lines.push_back("pressed at " +
                        squeezedName(result.points[static_cast<size_t>(result.askedPoint)].satellite.name) +
                        ": the level " + (result.levelRose ? "rose" : "did not rise"));
    for (int j = 0; j < adjustmentCount; ++j)
        if (fit.best.uses[j]) lines.push_back(adjustmentWords(static_cast<MountAdjustment>(j), fit.best.sizeDeg[j]));
    // A mount turned on its pole also moves every peak along the arc.
    double along = 0.0;
    int found = 0;
    for (const ArcPoint& point : result.points) {
        if (!point.found) continue;
        along += point.alongDeg;
        ++found;
    }
    along = found ? along / found : 0.0;
    if (fit.best.uses[AdjustAzimuth] && std::fabs(along) >= alongWorthDeg)
        lines.push_back("which is also why every satellite peaks " + degrees(along, 2) +
                        (along > 0 ? " east" : " west") + " of where the motor sends the dish");
    if (fit.ambiguous) {
        std::string other;
        for (int j = 0; j < adjustmentCount; ++j) {
            if (!fit.rival.uses[j] || std::fabs(fit.rival.sizeDeg[j]) < fit.resolutionDeg) continue;
            other +=
                (other.empty() ? "" : "; ") + adjustmentWords(static_cast<MountAdjustment>(j), fit.rival.sizeDeg[j]);
        }
        lines.push_back("or else, as this dish cannot tell them apart: " +
                        (other.empty() ? "the mount is right" : other));
    }
    const bool alongOff = fit.zeroKnown && std::fabs(fit.zeroDeg) >= alongWorthDeg;
    if (alongOff) lines.push_back(alongWords(fit.zeroDeg));
    if (fit.mountRight && !alongOff)
        lines.push_back("the mount is right, within what this dish can tell (" + degrees(fit.resolutionDeg, 1) +
                        " on its " + degrees(fit.beamwidthDeg, 1) + " beam)");
    else if (fit.mountRight)
        lines.push_back("across the arc the mount is right, within what this dish can tell (" +
                        degrees(fit.resolutionDeg, 1) + " on its " + degrees(fit.beamwidthDeg, 1) + " beam)");
    return lines;
}

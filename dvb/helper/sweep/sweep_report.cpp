#include "dvb/helper/sweep/sweep_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

static const char* unitName(LevelUnit unit) { return levelUnitName(unit); }

static std::string format(const char* pattern, double value)
{
    char text[48];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string sweepPicture(const SweepResult& result)
{
    std::vector<const SweepPoint*> measured;
    for (const SweepPoint& point : result.points)
        if (point.measured) measured.push_back(&point);
    if (measured.empty()) return "";
    // Each column shows the highest level of the steps measured in its stretch of the band; a column
    // the fine pass left between measured steps takes the level between them.
    const int columns = std::min<int>(sweepPictureColumns, static_cast<int>(result.points.size()));
    const int32_t low = result.points.front().frequencyMHz, high = result.points.back().frequencyMHz;
    const auto columnOf = [&](int32_t frequency) {
        return static_cast<size_t>((static_cast<int64_t>(frequency - low) * columns) / (high - low + 1));
    };
    std::vector<double> tops(static_cast<size_t>(columns), -1e9);
    std::vector<bool> seen(static_cast<size_t>(columns), false);
    for (const SweepPoint* point : measured) {
        const size_t column = columnOf(point->frequencyMHz);
        tops[column] = std::max(tops[column], point->level);
        seen[column] = true;
    }
    for (size_t column = 0, before = 0; column < tops.size(); ++column) {
        if (seen[column]) {
            before = column;
            continue;
        }
        size_t after = column;
        while (after < tops.size() && !seen[after]) ++after;
        if (!seen[before]) tops[column] = after < tops.size() ? tops[after] : measured.back()->level;
        else if (after == tops.size()) tops[column] = tops[before];
        else
            tops[column] = tops[before] + (tops[after] - tops[before]) * static_cast<double>(column - before) /
                                              static_cast<double>(after - before);
    }
    const double bottom = std::floor(result.floor - 1.0);
    const double top = std::max(bottom + sweepPictureRows, std::ceil(*std::max_element(tops.begin(), tops.end())));
    const double perRow = (top - bottom) / sweepPictureRows;
    std::string picture;
    for (int row = sweepPictureRows - 1; row >= 0; --row) {
        const double rowLevel = bottom + (row + 0.5) * perRow;
        std::string label(9, ' ');
        if (row == sweepPictureRows - 1 || row == 0) {
            label = format("%5.0f ", row == 0 ? bottom : top) + unitName(result.unit);
            label.resize(9, ' ');
        }
        picture += label + "|";
        for (double level : tops) picture += level >= rowLevel ? '#' : ' ';
        picture += "\n";
    }
    picture += std::string(9, ' ') + "+" + std::string(static_cast<size_t>(columns), '-') + "\n";
    const std::string first = std::to_string(low);
    const std::string middle = std::to_string(result.points[result.points.size() / 2].frequencyMHz);
    const std::string last = std::to_string(high) + " MHz";
    std::string axis(static_cast<size_t>(10 + columns + 4), ' ');
    axis.replace(10, first.size(), first);
    axis.replace(static_cast<size_t>(10 + columns / 2) - middle.size() / 2, middle.size(), middle);
    axis.replace(static_cast<size_t>(10 + columns) - last.size() + 4, last.size(), last);
    while (!axis.empty() && axis.back() == ' ') axis.pop_back();
    return picture + axis + "\n";
}

std::string sweepPeakLine(const SweepPeak& peak, const SweepPlan& plan, LevelUnit unit)
{
    const bool percent = !levelInDecibels(unit);
    const bool decibel = unit == LevelDecibel;
    std::string line = "peak: " + std::to_string(peak.frequencyMHz) + " MHz " +
                       (plan.request.polarization == 1 ? "V" : "H") + ", level " +
                       format(percent   ? "%.0f %%"
                              : decibel ? "%.1f dB"
                                        : "%.1f dBm",
                              peak.level) +
                       format(percent ? " (%+.0f over the floor)" : " (%+.1f dB over the floor)", peak.aboveFloor) +
                       format(", %.0f MHz wide", peak.widthMHz);
    if (!peak.tried) return line;
    if (!peak.locked) {
        std::string rates;
        for (int32_t rate : symbolRatesToTry(peak)) rates += (rates.empty() ? "" : ", ") + std::to_string(rate);
        return line + ": no lock at " + rates + " kS/s";
    }
    line += ": locked at " + std::to_string(peak.symbolRate) + " kS/s";
    if (peak.hasModcod) line += ", " + modcodName(peak.modcod);
    if (!peak.network.known) return line + ", no network information";
    char id[16];
    std::snprintf(id, sizeof id, "0x%04x", static_cast<unsigned>(peak.network.networkId));
    line += ", network " + (peak.network.networkName.empty() ? std::string("(no name)") : peak.network.networkName) +
            " (" + id + ")";
    if (peak.network.certainty != PositionUnknown) line += ", " + positionText(peak.network.position);
    return line;
}

std::string sweepReport(const SweepStatus& status)
{
    const SweepResult& result = status.result;
    size_t measured = 0;
    for (const SweepPoint& point : result.points) measured += point.measured ? 1 : 0;
    const std::string fewer = measured < result.points.size() ? ", " + std::to_string(measured) + " measured" : "";
    std::string report = "sweep " + sweepTitle(status.plan) + ": " + std::to_string(status.stepsDone) + " steps of " +
                         std::to_string(status.plan.request.stepMHz) + " MHz" + fewer + ", floor " +
                         format(result.unit == LevelPercent ? "%.0f %%" : "%.1f ", result.floor) +
                         (result.unit == LevelPercent ? "" : unitName(result.unit)) + ", " +
                         std::to_string(result.peaks.size()) + (result.peaks.size() == 1 ? " peak\n" : " peaks\n");
    report += sweepPicture(result);
    for (const SweepPeak& peak : result.peaks) report += sweepPeakLine(peak, status.plan, result.unit) + "\n";
    return report;
}

std::string sweepCsv(const SweepStatus& status)
{
    const char* polarization = status.plan.request.polarization == 1 ? "V" : "H";
    std::string csv = "frequency_mhz,polarisation,level,unit\r\n";
    for (const SweepPoint& point : status.result.points) {
        csv += std::to_string(point.frequencyMHz) + "," + polarization + ",";
        if (point.measured) csv += format("%.2f", point.level) + "," + unitName(status.result.unit);
        else csv += ",";
        csv += "\r\n";
    }
    return csv;
}

#include "dvb/helper/sweep_report.h"

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
    // Each column shows the highest level of its steps.
    const int columns = std::min<int>(sweepPictureColumns, static_cast<int>(measured.size()));
    std::vector<double> tops(static_cast<size_t>(columns), -1e9);
    for (size_t i = 0; i < measured.size(); ++i) {
        const size_t column = i * static_cast<size_t>(columns) / measured.size();
        tops[column] = std::max(tops[column], measured[i]->level);
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
    const std::string first = std::to_string(measured.front()->frequencyMHz);
    const std::string middle = std::to_string(measured[measured.size() / 2]->frequencyMHz);
    const std::string last = std::to_string(measured.back()->frequencyMHz) + " MHz";
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
    std::string report = "sweep " + sweepTitle(status.plan) + ": " + std::to_string(status.stepsDone) + " steps of " +
                         std::to_string(status.plan.request.stepMHz) + " MHz, floor " +
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

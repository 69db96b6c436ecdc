#include "dvb/helper/sweep/user_band_find.h"

#include <algorithm>

const char en50607BandsText[] =
    "an EN 50607 device gives its user bands only in answers to a DiSEqC query, which common tuners cannot read: "
    "read them from the device's label (scr=en50607,UB,MHZ[,PIN])";

SweepPlan cableSweepPlan(int32_t stepMHz)
{
    SweepRequest request;
    request.stepMHz = stepMHz;
    SweepPlan plan = planSweep(request);
    plan.oscillatorMHz = 0;
    plan.toneOn = false;
    plan.frequenciesMHz.clear();
    // A user band's tone is a few MHz wide: a coarse pass could step over it.
    plan.coarseStride = 1;
    for (int32_t f = lowestIntermediateMHz; f <= highestIntermediateMHz; f += plan.request.stepMHz)
        plan.frequenciesMHz.push_back(f);
    return plan;
}

std::vector<int32_t> userBandsFound(const SweepResult& result)
{
    std::vector<int32_t> bands;
    for (const SweepPeak& peak : result.peaks) bands.push_back(peak.frequencyMHz);
    std::sort(bands.begin(), bands.end());
    return bands;
}

std::string userBandReport(const std::vector<int32_t>& bandsMHz, const SingleCableUse& given)
{
    if (bandsMHz.empty()) return "no user band found: is the device an EN 50494 one, on this cable, and powered?\n";
    std::string report;
    for (int32_t band : bandsMHz) report += "user band: " + std::to_string(band) + " MHz\n";
    SingleCableSetting suggested;
    suggested.standard = En50494;
    suggested.userBand = 1;
    if (given.used) {
        suggested.pin = given.setting.pin;
        if (static_cast<size_t>(given.setting.userBand) <= bandsMHz.size()) suggested.userBand = given.setting.userBand;
    }
    suggested.bandMHz = bandsMHz[static_cast<size_t>(suggested.userBand - 1)];
    return report + "suggested: scr=" + singleCableSettingText(suggested, true) + " (user band " +
           std::to_string(suggested.userBand) + " counted from the lowest; the device's label numbers them)\n";
}

// The band sweep: what is asked and the steps it makes, the humps found in
// a band's levels, and the practice dish's sweep, which shows every
// transponder of the satellite in the beam where the catalogue puts it and
// locks each when its peaks are tried.
#include <array>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

#include "cardbase/sweep/sweep_plan.h"
#include "cardbase/sweep/sweep_result.h"
#include "sim/dish/dish_level.h"
#include "sim/dish/dish_model.h"
#include "sim/dish/dish_network.h"
#include "sim/dish/dish_sweep.h"
#include "tests/native/committed_file.h"

TEST(SweepPlan, BandsOscillatorsAndSteps)
{
    SweepRequest low;
    const SweepPlan lowPlan = planSweep(low);
    EXPECT_EQ(10700, lowPlan.frequenciesMHz.front());
    EXPECT_EQ(11698, lowPlan.frequenciesMHz.back());
    EXPECT_EQ(500u, lowPlan.frequenciesMHz.size());
    EXPECT_FALSE(lowPlan.toneOn);
    EXPECT_EQ(950, intermediateMHzOf(lowPlan, 10700));
    EXPECT_NEAR(2.0, lowPlan.symbolRate * 1.35 / 1000.0, 0.01);  // a channel a step wide

    SweepRequest high;
    high.band = SweepHighBand;
    high.stepMHz = 5;
    const SweepPlan highPlan = planSweep(high);
    EXPECT_TRUE(highPlan.toneOn);
    EXPECT_EQ(11700, highPlan.frequenciesMHz.front());
    EXPECT_EQ(12750, highPlan.frequenciesMHz.back());
    EXPECT_EQ(2150, intermediateMHzOf(highPlan, 12750));

    SweepRequest cBand;
    cBand.oscillatorMHz = 5150;
    const SweepPlan cPlan = planSweep(cBand);
    EXPECT_TRUE(cPlan.oscillatorAbove);
    EXPECT_EQ(3000, cPlan.frequenciesMHz.front());
    EXPECT_EQ(4200, cPlan.frequenciesMHz.back());
    EXPECT_EQ(2150, intermediateMHzOf(cPlan, 3000));
    SweepRequest single;
    single.oscillatorMHz = 10750;
    single.band = SweepHighBand;  // one oscillator: no bands
    const SweepPlan singlePlan = planSweep(single);
    EXPECT_FALSE(singlePlan.toneOn);
    EXPECT_EQ(11700, singlePlan.frequenciesMHz.front());
    EXPECT_EQ(12900, singlePlan.frequenciesMHz.back());
    EXPECT_EQ("11700-12900 MHz H, LNB 10750 MHz", sweepTitle(singlePlan));
    SweepRequest switched = low;
    switched.polarization = 1;
    switched.diseqcCode = 5;
    EXPECT_EQ("10700-11698 MHz V, low band, switch AB", sweepTitle(planSweep(switched)));
}

TEST(SweepPlan, TheWordsThatAskForASweep)
{
    SweepRequest request;
    std::string problem;
    ASSERT_TRUE(
        parseSweepRequestWords("band=high pol=v switch=ba lnb=universal step=4 try=1", ' ', &request, &problem));
    EXPECT_EQ(SweepHighBand, request.band);
    EXPECT_EQ(1, request.polarization);
    EXPECT_EQ(4, request.diseqcCode);
    EXPECT_EQ(0, request.oscillatorMHz);
    EXPECT_EQ(4, request.stepMHz);
    EXPECT_TRUE(request.tryPeaks);
    EXPECT_EQ("band=high pol=V switch=BA lnb=universal step=4 try=1", sweepRequestWords(request));
    SweepRequest again;
    ASSERT_TRUE(parseSweepRequestWords(sweepRequestWords(request), ' ', &again, &problem));
    EXPECT_EQ(sweepRequestWords(request), sweepRequestWords(again));
    ASSERT_TRUE(parseSweepRequestWords("band=low&pol=H&switch=&lnb=5150", '&', &request, &problem));
    EXPECT_EQ(0, request.diseqcCode);
    EXPECT_EQ(5150, request.oscillatorMHz);
    EXPECT_EQ(2, request.stepMHz);
    EXPECT_FALSE(request.tryPeaks);

    for (const char* wrong : {"band=middle", "pol=L", "switch=C", "lnb=2000", "lnb=big", "step=0", "step=51", "step=-2",
                              "try=yes", "colour=red", "band"}) {
        problem.clear();
        EXPECT_FALSE(parseSweepRequestWords(wrong, ' ', &request, &problem)) << wrong;
        EXPECT_FALSE(problem.empty()) << wrong;
    }
    int32_t value = 0;
    EXPECT_FALSE(parseSweepStep("3.5", &value, &problem));
    EXPECT_TRUE(parseSweepLnb("10750", &value, &problem));
    EXPECT_EQ(10750, value);
    EXPECT_TRUE(parseSweepLnb("UNIVERSAL", &value, &problem));
    EXPECT_EQ(0, value);
}

namespace {

// A band of noise with raised-cosine humps on it, as a tuner a step wide would read it.
SweepResult syntheticBand(const std::vector<std::array<double, 3>>& carriers, double floorDbm = -65.0,
                          int32_t stepMHz = 2)
{
    SweepResult result;
    for (int32_t f = 10700; f <= 11700; f += stepMHz) {
        double milliwatts = std::pow(10.0, floorDbm / 10.0);
        for (const auto& c : carriers) {  // frequency, symbol rate MS/s, dB over the noise
            const double share = carrierShareWithin(f - stepMHz / 2.0 - c[0], f + stepMHz / 2.0 - c[0], c[1], 0.35);
            milliwatts += share * c[1] / stepMHz * std::pow(10.0, (floorDbm + c[2]) / 10.0);
        }
        result.points.push_back(SweepPoint{f, true, 10.0 * std::log10(milliwatts)});
    }
    return result;
}

}  // namespace

TEST(SweepPeaks, EachHumpItsMiddleAndWidth)
{
    // Two neighbours 38 MHz apart, a narrow one and a weak one barely out of the noise.
    SweepResult band = syntheticBand(
        {{{10778.0, 27.5, 12.0}}, {{10816.0, 27.5, 9.0}}, {{11000.0, 5.0, 10.0}}, {{11400.0, 30.0, -3.0}}});
    findSweepPeaks(band);
    EXPECT_NEAR(-65.0, band.floor, 0.1);
    ASSERT_EQ(3u, band.peaks.size());
    EXPECT_LE(std::abs(band.peaks[0].frequencyMHz - 10778), 1);
    EXPECT_LE(std::abs(band.peaks[1].frequencyMHz - 10816), 1);
    EXPECT_LE(std::abs(band.peaks[2].frequencyMHz - 11000), 1);
    EXPECT_NEAR(27.5, band.peaks[0].widthMHz, 1.0);
    EXPECT_NEAR(5.0, band.peaks[2].widthMHz, 0.5);
    EXPECT_NEAR(12.0, band.peaks[0].aboveFloor, 0.5);
    // A lone step above the floor is no hump; an unmeasured band has none.
    SweepResult flat = syntheticBand({});
    flat.points[100].level += 4.0;
    findSweepPeaks(flat);
    EXPECT_EQ(1u, flat.peaks.size());  // one step: a narrow carrier can be that; it is there
    for (SweepPoint& point : flat.points) point.measured = false;
    findSweepPeaks(flat);
    EXPECT_TRUE(flat.peaks.empty());
    // A relative scale: points, half-way down for the edges.
    SweepResult relative = syntheticBand({{{11200.0, 22.0, 10.0}}});
    relative.unit = LevelPercent;
    for (SweepPoint& point : relative.points) point.level = 20.0 + 3.0 * (point.level + 65.0);
    findSweepPeaks(relative);
    ASSERT_EQ(1u, relative.peaks.size());
    EXPECT_LE(std::abs(relative.peaks[0].frequencyMHz - 11200), 1);
}

TEST(SweepPeaks, TheSymbolRatesTriedFirstAreTheLikeliest)
{
    SweepPeak peak;
    peak.widthMHz = 28.0;
    std::vector<int32_t> rates = symbolRatesToTry(peak);
    ASSERT_EQ(6u, rates.size());
    EXPECT_EQ(28000, rates[0]);
    EXPECT_EQ(27500, rates[1]);
    for (int32_t rate : rates) EXPECT_LE(std::abs(rate - 28000), 5600);
    // A rate no list has: the estimate and 3 % either side, so that an error of 6 % still locks.
    peak.widthMHz = 5.63;
    rates = symbolRatesToTry(peak);
    ASSERT_GE(rates.size(), 3u);
    EXPECT_EQ((std::vector<int32_t>{5630, 5460, 5790}), std::vector<int32_t>(rates.begin(), rates.begin() + 3));
    peak.widthMHz = 0.0;
    EXPECT_EQ(1000, symbolRatesToTry(peak).front());
}

namespace {

std::vector<Satellite> practiceSky()
{
    std::vector<Satellite> sky = skyFromCatalogue(committedFile("resources/satellite.ini"));
    addLookalikeTransponders(sky);
    return sky;
}

// Whether another carrier of the satellite, of the same polarization, shares the band with this one.
bool overlapsAnother(const Satellite& satellite, size_t index)
{
    const Transponder& t = satellite.transponders[index];
    for (size_t i = 0; i < satellite.transponders.size(); ++i) {
        const Transponder& other = satellite.transponders[i];
        if (i == index || other.polarization != t.polarization) continue;
        const double apart = std::fabs(other.frequencyMHz - t.frequencyMHz);
        if (apart < (other.symbolRate + t.symbolRate) * 1.35 / 2000.0) return true;
    }
    return false;
}

}  // namespace

TEST(DishSweep, EveryTransponderOfTheSatelliteInTheBeamIsAHumpWhereTheCatalogueHasItAndLocks)
{
    int checked = 0;
    for (double position : {13.0, 19.2, 36.0, 16.0}) {
        DishSetup setup;
        setup.aimed = true;
        setup.aimLongitudeDeg = position;
        const DishModel model = newDishModel(setup, practiceSky());
        int satellite = -1;
        for (size_t i = 0; i < model.sky.size(); ++i)
            if (std::fabs(model.sky[i].longitudeDeg - position) < 0.05) satellite = static_cast<int>(i);
        ASSERT_GE(satellite, 0);
        const Satellite& aimed = model.sky[static_cast<size_t>(satellite)];
        for (SweepBand band : {SweepLowBand, SweepHighBand}) {
            for (int32_t polarization : {0, 1}) {
                SweepRequest request;
                request.band = band;
                request.polarization = polarization;
                request.tryPeaks = true;
                const SweepPlan plan = planSweep(request);
                const SweepResult result = sweepDish(model, plan, 0);
                ASSERT_EQ(plan.frequenciesMHz.size(), result.points.size());
                for (size_t i = 0; i < aimed.transponders.size(); ++i) {
                    const Transponder& t = aimed.transponders[i];
                    // A carrier the band's edge cuts is half a hump: no sweep of this band can tell its middle.
                    const double halfWidth = t.symbolRate * 1.35 / 2000.0;
                    if (t.polarization != polarization || t.frequencyMHz - halfWidth < plan.frequenciesMHz.front() ||
                        t.frequencyMHz + halfWidth > plan.frequenciesMHz.back() || overlapsAnother(aimed, i))
                        continue;
                    const SweepPeak* found = nullptr;
                    for (const SweepPeak& peak : result.peaks)
                        if (std::abs(peak.frequencyMHz - t.frequencyMHz) <= 3) found = &peak;
                    ASSERT_NE(nullptr, found) << aimed.name << " " << t.frequencyMHz << " " << polarization;
                    EXPECT_NEAR(t.symbolRate / 1000.0, found->widthMHz, t.symbolRate / 1000.0 * 0.05)
                        << aimed.name << " " << t.frequencyMHz;
                    EXPECT_TRUE(found->locked) << aimed.name << " " << t.frequencyMHz;
                    EXPECT_EQ(satelliteNetwork(aimed).position, found->network.position);
                    ++checked;
                }
                // Every other hump is a neighbour's carrier heard faintly through a
                // side lobe, too weak to lock, or one the band's edge cuts.
                for (const SweepPeak& peak : result.peaks)
                    if (!peak.locked && peak.frequencyMHz - peak.widthMHz > plan.frequenciesMHz.front())
                        EXPECT_LT(peak.aboveFloor, 6.0) << aimed.name << " " << peak.frequencyMHz;
            }
        }
    }
    EXPECT_GE(checked, 20);
}

TEST(DishSweep, WhatTheLnbDoesNotPassShowsNoHumps)
{
    DishSetup setup;
    setup.aimed = true;
    setup.aimLongitudeDeg = 13.0;
    const DishModel model = newDishModel(setup, practiceSky());
    SweepRequest request;
    request.diseqcCode = 2;  // port B: nothing there
    const SweepResult empty = sweepDish(model, planSweep(request), 0);
    EXPECT_TRUE(empty.peaks.empty());
    EXPECT_LT(empty.floor, channelNoiseDbm(11000, 2.0) - 20.0);
    // Off every satellite: the LNB's noise alone.
    DishModel away = model;
    away.pointing.elevationDeg += 20.0;
    EXPECT_TRUE(sweepDish(away, planSweep(SweepRequest()), 0).peaks.empty());
    // The sweep leaves the model as it was.
    EXPECT_FALSE(model.tuning.tuned);
}

// The one sweep-and-try loop every card's sweep runs (cardbase/sweep/
// sweep_run.h): a coarse pass and fine steps only at the carriers' edges
// find each carrier where a sweep of every step finds it, from far fewer
// steps; a sweep for narrow tones measures every step; and its one rule for
// being interrupted: asked before every step, tune and reading, and once
// interrupted (the card's own calls may say so too) nothing more is tuned
// or read.
#include <array>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

#include "cardbase/sweep/carrier_spectrum.h"
#include "cardbase/sweep/sweep_refine.h"
#include "cardbase/sweep/sweep_run.h"

namespace {

// Carriers on a floor of noise, as a tuner with a channel `widthMHz` wide reads them at `f`.
struct Band {
    std::vector<std::array<double, 3>> carriers;  // frequency, symbol rate MS/s, dB over the noise
    double floorDbm = -65.0;
    double levelAt(int32_t f, double widthMHz) const
    {
        double milliwatts = std::pow(10.0, floorDbm / 10.0);
        for (const auto& c : carriers) {
            const double share = carrierShareWithin(f - widthMHz / 2.0 - c[0], f + widthMHz / 2.0 - c[0], c[1], 0.35);
            milliwatts += share * c[1] / widthMHz * std::pow(10.0, (floorDbm + c[2]) / 10.0);
        }
        return 10.0 * std::log10(milliwatts);
    }
};

// A card on that band that counts its calls; after `interruptAfter`
// measures, tunes and reads it says it was interrupted.
struct CountingCard {
    Band band;
    size_t measures = 0, tunes = 0, reads = 0, reports = 0;
    size_t interruptAfter = static_cast<size_t>(-1);
    bool interruptedInTheLock = false;  // the card's own call says so, as BDA's does inside its lock
    bool ending = false;
    uint64_t clock = 0;
    std::vector<int32_t> measured;
    size_t calls() const { return measures + tunes + reads; }
    bool interrupted() const { return calls() >= interruptAfter; }
    // What the loop asks: where the card also checks in its own calls, the
    // loop may hear of it a call late (the program called just after).
    bool heard() const { return interruptedInTheLock ? calls() > interruptAfter : interrupted(); }
    SweepCard card(const SweepPlan& plan)
    {
        SweepCard card;
        card.begin = [](std::string*) { return SweepCallOk; };
        card.measure = [this, &plan](int32_t f, SignalLevel* level, std::string*) {
            if (interruptedInTheLock && interrupted()) return SweepCallInterrupted;
            ++measures;
            measured.push_back(f);
            level->state = LevelLive;
            level->value = band.levelAt(f, channelWidthMHz(plan.symbolRate));
            return SweepCallOk;
        };
        card.tune = [this](int32_t, int32_t, uint32_t* lockWaitMs) {
            if (interruptedInTheLock && interrupted()) return SweepCallInterrupted;
            ++tunes;
            *lockWaitMs = 300;
            return SweepCallOk;
        };
        card.read = [this](TryReading* reading) {
            if (interruptedInTheLock && interrupted()) return SweepCallInterrupted;
            ++reads;
            reading->locked = false;
            return SweepCallOk;
        };
        card.pause = [this](uint32_t ms) {
            clock += ms;
            return true;
        };
        card.interrupted = [this] { return heard(); };
        card.report = [this](const SweepStatus&) {
            ++reports;
            return !ending;
        };
        card.nowMs = [this] { return clock; };
        card.interruptedProblem = "Azimora began measuring";
        return card;
    }
};

bool peakNear(const SweepResult& result, double frequencyMHz, double withinMHz)
{
    for (const SweepPeak& peak : result.peaks)
        if (std::fabs(peak.frequencyMHz - frequencyMHz) <= withinMHz) return true;
    return false;
}

}  // namespace

TEST(SweepLoop, ACoarsePassAndFineStepsAtTheEdgesFindEachCarrierAsEveryStepWould)
{
    CountingCard counting;
    // Neighbours 38 MHz apart, DVB-S2's narrower roll-off aside, a 7.2 MS/s carrier, a weak one.
    counting.band.carriers = {{{10778.0, 27.5, 12.0}}, {{10816.0, 27.5, 9.0}},  {{10971.0, 7.2, 10.0}},
                              {{11135.0, 22.0, 8.0}},  {{11362.0, 29.9, 14.0}}, {{11590.0, 30.0, 5.0}}};
    SweepRequest request;
    request.tryPeaks = true;
    const SweepPlan plan = planSweep(request);
    EXPECT_EQ(4, plan.coarseStride);
    const SweepStatus swept = runSweepLoop(plan, counting.card(plan));
    ASSERT_EQ(SweepDone, swept.state) << swept.problem;
    EXPECT_EQ(500u, swept.stepsDone);
    ASSERT_EQ(500u, swept.result.points.size());
    // Every step a sweep of every step would measure, for what it finds.
    SweepResult every;
    for (int32_t f : plan.frequenciesMHz)
        every.points.push_back(SweepPoint{f, true, counting.band.levelAt(f, channelWidthMHz(plan.symbolRate))});
    findSweepPeaks(every);
    ASSERT_EQ(every.peaks.size(), swept.result.peaks.size());
    for (size_t i = 0; i < every.peaks.size(); ++i) {
        EXPECT_LE(std::abs(swept.result.peaks[i].frequencyMHz - every.peaks[i].frequencyMHz), 1) << i;
        EXPECT_NEAR(every.peaks[i].widthMHz, swept.result.peaks[i].widthMHz, 1.0) << i;
    }
    for (const auto& carrier : counting.band.carriers)
        EXPECT_TRUE(peakNear(swept.result, carrier[0], 3.0)) << carrier[0];
    // A coarse pass of 126 steps and a few fine steps at each edge: well under half the band.
    EXPECT_EQ(counting.measures, counting.measured.size());
    EXPECT_LT(counting.measures, 200u);
    EXPECT_GT(counting.measures, coarseSweepSteps(plan).size());
    size_t measuredPoints = 0;
    for (const SweepPoint& point : swept.result.points) measuredPoints += point.measured ? 1 : 0;
    EXPECT_EQ(counting.measures, measuredPoints);
    // Each peak tried at each of its likely rates, none locking.
    EXPECT_GE(counting.tunes, swept.result.peaks.size());
    for (const SweepPeak& peak : swept.result.peaks) EXPECT_TRUE(peak.tried && !peak.locked);
}

TEST(SweepLoop, ASweepOfEveryStepMeasuresEachInTurn)
{
    CountingCard counting;
    counting.band.carriers = {{{11000.0, 1.0, 10.0}}};  // a narrow tone a coarse pass could step over
    SweepRequest request;
    request.stepMHz = 10;
    SweepPlan plan = planSweep(request);
    EXPECT_EQ(1, plan.coarseStride);
    runSweepLoop(plan, counting.card(plan));
    EXPECT_EQ(plan.frequenciesMHz, counting.measured);
    // A plan may ask for every step at any step size.
    CountingCard tones;
    SweepPlan fine = planSweep(SweepRequest());
    fine.coarseStride = 1;
    runSweepLoop(fine, tones.card(fine));
    EXPECT_EQ(fine.frequenciesMHz, tones.measured);
}

TEST(SweepLoop, OnceInterruptedNothingMoreIsTunedOrRead)
{
    Band band;
    band.carriers = {{{11000.0, 27.5, 12.0}}, {{11400.0, 27.5, 12.0}}};
    SweepRequest request;
    request.tryPeaks = true;
    const SweepPlan plan = planSweep(request);
    // Asked before every step, every tune and every reading, at each point of the sweep.
    for (size_t after : {0u, 1u, 10u, 130u, 140u, 150u, 160u}) {
        for (bool inTheLock : {false, true}) {
            CountingCard counting;
            counting.band = band;
            counting.interruptAfter = after;
            counting.interruptedInTheLock = inTheLock;
            const SweepStatus status = runSweepLoop(plan, counting.card(plan));
            EXPECT_EQ(SweepFailed, status.state) << after;
            EXPECT_EQ("Azimora began measuring", status.problem) << after;
            EXPECT_EQ(after, counting.calls()) << after << (inTheLock ? " in the lock" : "");
        }
    }
    // A card that is ending stops at its next report.
    CountingCard ending;
    ending.band = band;
    ending.ending = true;
    runSweepLoop(plan, ending.card(plan));
    EXPECT_EQ(1u, ending.measures);
    EXPECT_EQ(1u, ending.reports);
}

TEST(SweepLoop, ALevelThatNeverComesOrNeverMovesIsNoneWhereTheCardCannotVouchForIt)
{
    const SweepPlan plan = planSweep(SweepRequest());
    for (bool comes : {false, true}) {
        SweepCard card;
        size_t measures = 0;
        card.begin = [](std::string*) { return SweepCallOk; };
        card.measure = [&](int32_t, SignalLevel* level, std::string*) {
            ++measures;
            if (comes) {
                level->state = LevelLive;
                level->value = -52.0;
            }
            return SweepCallOk;
        };
        card.pause = [](uint32_t) { return true; };
        card.interrupted = [] { return false; };
        card.report = [](const SweepStatus&) { return true; };
        card.nowMs = [] { return uint64_t(0); };
        card.probeLevel = true;
        const SweepStatus status = runSweepLoop(plan, card);
        EXPECT_EQ(SweepFailed, status.state);
        EXPECT_EQ(sweepProbeSteps, measures);
        EXPECT_EQ(comes ? "the frontend repeats one level wherever it is tuned: it gives none without a lock"
                        : "the frontend gives no level without a lock: a sweep cannot see the band",
                  status.problem);
        // A card that vouches for its level (a known live driver's flat stretch) sweeps on.
        card.probeLevel = false;
        EXPECT_EQ(SweepDone, runSweepLoop(plan, card).state);
    }
}

// The practice dish on a single-cable installation: the scenario's device,
// the simulated card's setting and the steps it carries out against the
// device, what the tuner then receives, another receiver on the band, the
// refusals, the release and what the dish's window says of it all.
#include <algorithm>
#include <gtest/gtest.h>

#include "sim/card/scenario.h"
#include "sim/card/sim_cable.h"
#include "sim/dish/dish_model.h"
#include "sim/dish/dish_network.h"
#include "sim/dish/dish_view.h"
#include "tests/native/committed_file.h"
#include "tuner/lnb_rules.h"

namespace {

const std::vector<Satellite>& practiceSky()
{
    static const std::vector<Satellite> sky = [] {
        std::vector<Satellite> built = skyFromCatalogue(committedFile("resources/satellite.ini"));
        addLookalikeTransponders(built);
        return built;
    }();
    return sky;
}

// The practice dish aimed at HotBird, with the scenario's lines, and the
// card's settings file.
struct Installation {
    DishModel model;
    SimCable card;
    std::vector<std::string> log;
    uint32_t nowMs = 1000;
};

Installation installation(const std::string& scenarioLines, const std::string& settings)
{
    std::string errors;
    const Scenario scenario = parseScenario("aim 13.0e\n" + scenarioLines, &errors);
    EXPECT_EQ("", errors);
    Installation made{newDishModel(scenario.dish, practiceSky()), simCableFrom(settings), {}, 1000};
    startDishCable(made.card, made.model.cable);
    return made;
}

// As the card does it: each step against the cable, the pauses passing.
void carryOut(Installation& at, const std::vector<SingleCableStep>& steps)
{
    for (const SingleCableStep& step : steps) {
        at.log.push_back(cableStep(at.model.cable, step, at.card.plan, at.model.eighteenLost, at.nowMs));
        if (step.kind == ScrPause) at.nowMs += step.ms;
    }
}

// The program's six calls in its order, then the card's start through the cable.
std::string tune(Installation& at, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate, int32_t diseqc = 0)
{
    DishModel& model = at.model;
    recordTuning(model, SetLnbSelectionCall, lnbSelectionFor(frequencyMHz));
    recordTuning(model, SetLnbFrequencyCall, lnbFrequencyFor(frequencyMHz));
    recordTuning(model, SetPolarityCall, polarization);
    recordTuning(model, SetSymbolRateCall, symbolRate);
    recordTuning(model, SetTransponderFrequencyCall, frequencyMHz);
    EXPECT_TRUE(recordTuning(model, SetDiseqcCall, diseqc));
    std::string refusal;
    const std::vector<SingleCableStep> steps = simCableTune(at.card, model.tuning, at.nowMs, &refusal);
    model.cable.refusal = refusal;
    carryOut(at, steps);
    return refusal;
}

DishVerdict poll(Installation& at, uint32_t laterMs = 100)
{
    at.nowMs += laterMs;
    pollDish(at.model, at.nowMs);
    return dishSignal(at.model, at.nowMs).verdict;
}

std::vector<std::string> windowLines(const Installation& at) { return dishWindowLines(dishView(at.model, at.nowMs)); }

bool hasLine(const std::vector<std::string>& lines, const std::string& wanted)
{
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

const char hotBirdDevice[] = "scr-device en50494 1210,1420,1680,2040\n";

}  // namespace

TEST(DishSingleCable, ScenarioLinesAndTheCardsSettingRead)
{
    std::string errors;
    Scenario s = parseScenario("scr-device en50607 1210,1420,1680,2040,985 pin 0\nscr-neighbour 3 every 4\n", &errors);
    EXPECT_EQ("", errors);
    EXPECT_TRUE(s.dish.enabled) << "a dish word";
    EXPECT_TRUE(s.dish.singleCable.present);
    EXPECT_EQ(En50607, s.dish.singleCable.standard);
    EXPECT_EQ(5u, s.dish.singleCable.bandsMHz.size());
    EXPECT_EQ(0, s.dish.singleCable.pin);
    EXPECT_EQ(3, s.dish.singleCable.neighbourBand);
    EXPECT_EQ(4000u, s.dish.singleCable.neighbourEveryMs);
    parseScenario("scr-device en50494 1210,800\nscr-neighbour 1 each 4\n", &errors);
    EXPECT_NE(std::string::npos, errors.find("unknown scenario line: scr-device en50494 1210,800 (user band 800 MHz "
                                             "is not 950-2150)\n"))
        << errors;
    EXPECT_NE(std::string::npos, errors.find("unknown scenario line: scr-neighbour 1 each 4 (scr-neighbour UB every "
                                             "SECONDS)\n"))
        << errors;

    SimCable card = simCableFrom("phone=8474\r\nSCR = EN50494, 2, 1420, 77\r\n");
    EXPECT_TRUE(card.wanted && card.settingRead);
    EXPECT_EQ("en50494,2,1420,77", singleCableSettingText(card.setting, true));
    card = simCableFrom("scr=en50494,9,1210\n");
    EXPECT_TRUE(card.wanted);
    EXPECT_FALSE(card.settingRead);
    EXPECT_EQ("scr= refused: user band 9 is not 1-8 for EN 50494", card.badValue);
    EXPECT_FALSE(simCableFrom("scr=\n").wanted) << "an emptied line turns it off";
    EXPECT_FALSE(simCableFrom("; scr=en50494,1,1210\n").wanted);
    EXPECT_EQ("Practice dish (simulated card); scr= refused: user band 9 is not 1-8 for EN 50494",
              simCardLine("Practice dish (simulated card)", card.badValue));
    EXPECT_EQ("Simulated card", simCardLine("Simulated card", ""));
}

// Both standards: nothing is on the cable before the command; the steps in
// their order; then the asked transponder at the demodulator's frequency,
// its own stream; at the release the power-off frees the band.
TEST(DishSingleCable, TheCommandPutsTheAskedTransponderOnTheUserBandAndThePowerOffFreesIt)
{
    const std::pair<const char*, const char*> standards[] = {
        {"scr-device en50494 1210,1420,1680,2040\n", "scr=en50494,2,1420\n"},
        {"scr-device en50607 1210,1420,1680,2040\n", "scr=en50607,2,1420\n"},
    };
    for (const auto& standard : standards) {
        Installation at = installation(standard.first, standard.second);
        recordTuning(at.model, SetTransponderFrequencyCall, 10723);  // half a start: nothing asked yet
        EXPECT_EQ(NoScrAnswer, poll(at));
        ASSERT_EQ("", tune(at, 10723, 0, 29900));
        const std::string command = singleCableCommandText(at.card.plan.command);
        const std::string demodulator = std::to_string(at.card.plan.demodulatorKHz);
        const std::vector<std::string> steps = {"ScrTone off",
                                                "ScrSupply 18",
                                                "ScrPause 15",
                                                "ScrCommand " + command + " -> tuned",
                                                "ScrPause 50",
                                                "ScrSupply 13",
                                                "ScrTune " + demodulator + " kHz"};
        EXPECT_EQ(steps, at.log) << standard.second;
        EXPECT_EQ(Locked, poll(at)) << standard.second;
        uint16_t stream = 0;
        ASSERT_TRUE(lockedStreamId(at.model, at.nowMs, &stream));
        EXPECT_EQ(transportStreamIdOf(13.0, 10723, 0), stream);
        const uint32_t demodulatorMHz = (at.card.plan.demodulatorKHz + 500) / 1000;
        EXPECT_TRUE(hasLine(windowLines(at), "       " + command + " at " + std::to_string(demodulatorMHz) + " MHz"));

        at.log.clear();
        carryOut(at, simCableRelease(at.card));
        const std::string powerOff = singleCableCommandText(singleCablePowerOff(at.card.setting));
        const std::vector<std::string> release = {
            "ScrTone off", "ScrSupply 18", "ScrPause 15",  "ScrPowerOff " + powerOff + " -> freed",
            "ScrPause 50", "ScrSupply 13", "ScrSupply off"};
        EXPECT_EQ(release, at.log);
        EXPECT_EQ(NoScrAnswer, poll(at));
        EXPECT_TRUE(simCableRelease(at.card).empty()) << "once";
    }
}

// Wherever nothing answers: no lock, and the window says why in the
// sentence every card uses; the command goes once more after the driver's time.
TEST(DishSingleCable, WithoutAnAnswerThereIsNoLockAndTheSentenceSaysWhereToLook)
{
    const std::pair<const char*, const char*> faults[] = {
        {"scr-device en50494 1210,1420 pin 77\n", "scr=en50494,1,1210,78\n"},  // wrong PIN
        {"scr-device en50494 1210,1420 pin 77\n", "scr=en50494,1,1210\n"},     // none
        {"scr-device en50494 1210,1420\n", "scr=en50494,3,1680\n"},            // a band it lacks
        {"", "scr=en50494,1,1210\n"},                                          // no device
        {"scr-device en50494 1210,1420\nfault no-18v\n", "scr=en50494,1,1210\n"},
    };
    for (const auto& fault : faults) {
        Installation at = installation(fault.first, fault.second);
        ASSERT_EQ("", tune(at, 10723, 0, 29900));
        EXPECT_EQ(NoScrAnswer, poll(at)) << fault.first << fault.second;
        const std::vector<std::string> lines = windowLines(at);
        EXPECT_TRUE(hasLine(lines, "Signal no answer from the single-cable")) << fault.second;
        EXPECT_TRUE(hasLine(lines, "       device: user band, PIN or 18 V")) << fault.second;
        EXPECT_LE(lines.size(), dishReadoutLines);

        EXPECT_TRUE(simCableAfterPoll(at.card, false, at.nowMs, 7).empty()) << "not before the driver's time";
        const std::vector<SingleCableStep> retry = simCableAfterPoll(at.card, false, at.nowMs + 1000, 7);
        ASSERT_FALSE(retry.empty());
        EXPECT_EQ(singleCableRetrySteps(7).front().ms, retry.front().ms);
        EXPECT_TRUE(simCableAfterPoll(at.card, false, at.nowMs + 5000, 7).empty()) << "once a tune";
    }
    Installation at = installation("scr-device en50494 1210,1420 pin 77\n", "scr=en50494,1,1210,78\n");
    tune(at, 10723, 0, 29900);
    EXPECT_EQ("ScrCommand E0 10 5C 08 C4 4E -> wrong PIN", at.log[3]);
    at = installation("scr-device en50494 1210,1420 pin 77\n", "scr=en50494,1,1210,77\n");
    tune(at, 10723, 0, 29900);
    EXPECT_EQ(Locked, poll(at)) << "with its PIN";
    EXPECT_TRUE(simCableAfterPoll(at.card, true, at.nowMs + 2000, 7).empty()) << "locked: no retry";
}

TEST(DishSingleCable, WhatTheDeviceCannotServeIsRefusedAndNothingSent)
{
    Installation at = installation(hotBirdDevice, "scr=en50494,1,1210\n");
    EXPECT_EQ("a single-cable device serves Ku band only: 3740 MHz is not a Ku-band transponder",
              tune(at, 3740, 1, 29270));
    EXPECT_TRUE(at.log.empty());
    EXPECT_EQ(ScrRefused, poll(at));
    std::vector<std::string> lines = windowLines(at);
    EXPECT_TRUE(hasLine(lines, "Signal no lock: nothing sent, see Cable"));
    EXPECT_EQ(dishReadoutLines, lines.size());
    EXPECT_TRUE(hasLine(lines, "Cable  EN 50494, user band 1 at 1210 MHz"));
    EXPECT_TRUE(hasLine(lines, "       a single-cable device serves Ku"));

    EXPECT_EQ("EN 50494 addresses positions 1 and 2 only, not position 3", tune(at, 10723, 0, 29900, 5));
    EXPECT_TRUE(at.log.empty());
    EXPECT_TRUE(simCableRelease(at.card).empty()) << "nothing to free";

    at = installation(hotBirdDevice, "scr=en50494,1,9999\n");
    EXPECT_EQ("scr= refused: user band frequency 9999 MHz is not 950-2150", tune(at, 10723, 0, 29900));
    EXPECT_TRUE(at.log.empty());
    EXPECT_EQ(ScrRefused, poll(at));
    lines = windowLines(at);
    EXPECT_TRUE(hasLine(lines, "Cable  scr= refused: user band frequency"));
    EXPECT_TRUE(hasLine(lines, "       9999 MHz is not 950-2150"));
}

TEST(DishSingleCable, ADeviceTheCardDoesNotAskGivesNothing)
{
    Installation at = installation(hotBirdDevice, "");
    tune(at, 10723, 0, 29900);
    EXPECT_TRUE(at.log.empty());
    EXPECT_EQ(ScrNotAsked, poll(at));
    EXPECT_TRUE(hasLine(windowLines(at), "Signal no lock: single cable, set scr="));
}

// Another receiver takes the band under a steady tune: the card stays
// locked on the stream it put there, whose id differs, and says so.
TEST(DishSingleCable, AnotherReceiverOnTheBandChangesTheStreamUnderASteadyTune)
{
    Installation at = installation(std::string(hotBirdDevice) + "scr-neighbour 1 every 2\n", "scr=en50494,1,1210\n");
    ASSERT_EQ("", tune(at, 10723, 0, 29900));
    ASSERT_EQ(Locked, poll(at));
    uint16_t first = 0;
    ASSERT_TRUE(lockedStreamId(at.model, at.nowMs, &first));
    EXPECT_FALSE(userBandStreamSeen(at.card.watch, first));
    EXPECT_EQ(Locked, poll(at, 1000)) << "not yet its turn";

    EXPECT_EQ(Locked, poll(at, 1000)) << "a stream the card's demodulator follows";
    uint16_t second = 0;
    ASSERT_TRUE(lockedStreamId(at.model, at.nowMs, &second));
    EXPECT_NE(first, second);
    EXPECT_TRUE(userBandStreamSeen(at.card.watch, second));
    at.model.cable.userBandNote = userBandSharedText(at.card.setting);
    EXPECT_TRUE(hasLine(windowLines(at), "       another receiver uses user band 1"));

    // Its own band is left alone.
    Installation other = installation(std::string(hotBirdDevice) + "scr-neighbour 2 every 1\n", "scr=en50494,1,1210\n");
    tune(other, 10723, 0, 29900);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(Locked, poll(other, 1000));
    ASSERT_TRUE(lockedStreamId(other.model, other.nowMs, &second));
    EXPECT_EQ(transportStreamIdOf(13.0, 10723, 0), second);
}

TEST(DishSingleCable, EveryTransponderOfASatelliteCarriesItsOwnStream)
{
    for (const Satellite& satellite : practiceSky())
        for (size_t i = 0; i < satellite.transponders.size(); ++i)
            for (size_t j = i + 1; j < satellite.transponders.size(); ++j) {
                const Transponder& a = satellite.transponders[i];
                const Transponder& b = satellite.transponders[j];
                if (a.frequencyMHz != b.frequencyMHz || a.polarization != b.polarization)
                    EXPECT_NE(a.streamId, b.streamId) << satellite.name << " " << a.frequencyMHz;
            }
    EXPECT_NE(transportStreamIdOf(13.0, 10723, 0), transportStreamIdOf(16.0, 10723, 0));
}

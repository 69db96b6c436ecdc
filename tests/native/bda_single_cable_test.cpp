// Single cable through the BDA bridge, checked as a single-cable device on
// the cable hears the steps (cardbase/single_cable_device.h): 18 V from a
// horizontal tune at the demodulator's frequency, no tone ever, the
// command in the standards' windows, then the measuring tune at 13 V; the
// command once more, and the power-off at the release; through the node
// and through a maker's set alike. And the trial of the route after a
// maker's set that locked nothing.
#include <gtest/gtest.h>

#include "bda/bda_route_trial.h"
#include "bda/bda_single_cable.h"
#include "cardbase/single_cable_device.h"

namespace {

CardTuning tuningOf(int32_t frequencyMHz, bool horizontal, int32_t diseqcCode = 0)
{
    CardTuning tuning;
    tuning.lnbSelection = frequencyMHz > 11699 ? 1 : 0;
    tuning.lnbFrequencyMHz = frequencyMHz > 11699 ? 10600 : 9750;
    tuning.polarization = horizontal ? 0 : 1;
    tuning.symbolRate = 27500;
    tuning.frequencyMHz = frequencyMHz;
    tuning.diseqcCode = diseqcCode;
    return tuning;
}

SingleCableSetting settingOf(const std::string& text)
{
    SingleCableSetting setting;
    std::string reason;
    EXPECT_TRUE(parseSingleCable(text, &setting, &reason)) << reason;
    return setting;
}

// What the cable carries while the steps are carried out, each call taking no time.
struct Cable {
    std::vector<std::string> heard;  // each command as the device took it
    std::vector<uint32_t> commandLeadMs;
    std::vector<uint32_t> commandAtMs;
    bool toneEver = false;
    bool horizontalAtEnd = false;
    int tunes = 0;
    int makerTonesOff = 0;
    int nodeSteps = 0;
    int makerSteps = 0;
    uint32_t tunedKHz = 0;  // the demodulator's frequency at the latest tune
};

Cable listen(ScrDevice& device, const std::vector<BdaStep>& steps, const BdaTuneValues& values)
{
    Cable cable;
    uint32_t now = 0, supplyAt = 0, tunedAt = 0;
    bool horizontal = false;
    for (const BdaStep& step : steps) {
        switch (step.kind) {
        case BdaStepTune:
        case BdaStepRaiseSupply: {
            horizontal = step.kind == BdaStepRaiseSupply;
            if (horizontal) supplyAt = now;
            tunedAt = now;
            ++cable.tunes;
            cable.toneEver = cable.toneEver || values.carrierKHz >= step.lnb.switchKHz;
            cable.tunedKHz =
                static_cast<uint32_t>(values.carrierKHz - oscillatorForCarrierKHz(step.lnb, values.carrierKHz));
            break;
        }
        case BdaStepSettle: now = tunedAt + step.ms > now ? tunedAt + step.ms : now; break;
        case BdaStepPause: now += step.ms; break;
        case BdaStepMakerTone:
            ++cable.makerSteps;
            if (!step.toneOn) ++cable.makerTonesOff;
            cable.toneEver = cable.toneEver || step.toneOn;
            break;
        case BdaStepCommand:
        case BdaStepMakerCommand: {
            (step.kind == BdaStepCommand ? cable.nodeSteps : cable.makerSteps)++;
            const ScrHeard heard = scrDeviceHears(device, step.command, step.commandLength, horizontal, false, now);
            cable.heard.push_back(std::string(scrHeardName(heard)));
            cable.commandLeadMs.push_back(now - supplyAt);
            cable.commandAtMs.push_back(now);
            break;
        }
        case BdaStepEnableCommands: ++cable.nodeSteps; break;
        default: break;
        }
    }
    cable.horizontalAtEnd = horizontal;
    return cable;
}

ScrDevice deviceOf(const std::string& words)
{
    ScrDeviceSetup setup;
    std::vector<std::string> split;
    std::string word;
    for (char c : words + " ") {
        if (c != ' ') word += c;
        else if (!word.empty()) split.push_back(word), word.clear();
    }
    std::string error;
    EXPECT_TRUE(parseScrDeviceWords(split, &setup, &error)) << error;
    ScrDevice device;
    resetScrDevice(device, setup);
    return device;
}

// The LNB frequency that shows where the demodulator tunes, or 0 where nothing does.
uint32_t lnbFrequencyAt(const ScrDevice& device, uint32_t cableKHz)
{
    ScrSource source;
    return scrCableSource(device, cableKHz, &source) ? source.lnbIfKHz : 0;
}

TEST(BdaSingleCable, TheSettingsLine)
{
    EXPECT_FALSE(singleCableFromSettings("tuner=x\r\n").asked);
    const BdaSingleCable cable = singleCableFromSettings("tuner=x\r\nSCR = en50607, 3, 1420, 0\r\n");
    EXPECT_TRUE(cable.asked);
    EXPECT_EQ("", cable.refusal);
    EXPECT_EQ(En50607, cable.setting.standard);
    EXPECT_EQ(3, cable.setting.userBand);
    EXPECT_EQ(0, cable.setting.pin);
    const BdaSingleCable bad = singleCableFromSettings("scr=en50494,9,1210\r\n");
    EXPECT_TRUE(bad.asked);
    EXPECT_EQ("user band 9 is not 1-8 for EN 50494", bad.refusal);
    EXPECT_NE("", singleCableFromSettings("scr=\r\n").refusal);
    EXPECT_FALSE(singleCableFromSettings("; scr=en50494,1,1210\r\n").asked);
}

struct Vector {
    int32_t frequencyMHz;
    bool horizontal;
    int32_t diseqcCode;
    const char* setting;
    const char* device;
    const char* command;
    uint32_t demodulatorKHz;
};

// The vectors worked by hand, through the node and through a maker's set.
TEST(BdaSingleCable, TheDeviceHearsTheCommandAt18VWithoutToneAndTheMeasuringTuneFindsTheTransponder)
{
    const Vector vectors[] = {
        {11778, false, 0, "en50494,1,1210", "en50494 1210,1420,1680,2040", "E0 10 5A 04 F7", 1210000},
        {11778, false, 1, "en50607,1,1210", "en50607 1210,1420,1680,2040", "70 04 36 01", 1210000},
        {12515, true, 2, "en50494,2,1420", "en50494 1210,1420,1680,2040", "E0 10 5A 3D E4", 1421000},
        {11778, false, 0, "en50494,1,1210,77", "en50494 1210,1420,1680,2040 pin 77", "E0 10 5C 04 F7 4D", 1210000},
    };
    for (const Vector& v : vectors) {
        for (bool throughMaker : {false, true}) {
            const std::string at = std::string(v.setting) + (throughMaker ? " by the set" : " by the node");
            const CardTuning tuning = tuningOf(v.frequencyMHz, v.horizontal, v.diseqcCode);
            const SingleCablePlan plan = singleCablePlanFor(tuning, settingOf(v.setting));
            ASSERT_EQ("", plan.refusal) << at;
            const BdaTuneValues values = bdaSingleCableValues(tuning, plan);
            EXPECT_EQ(bdaPolarisationVertical, values.polarisation) << at;
            EXPECT_EQ(plan.position - 1, values.switchPort) << at;
            const std::vector<BdaStep> steps = bdaSingleCableSteps(ScrStartSequence, plan, throughMaker, values.lnb);
            EXPECT_EQ(BdaStepSpaceRange, steps[0].kind) << at;  // the space's own range back first
            ScrDevice device = deviceOf(v.device);
            const Cable cable = listen(device, steps, values);
            EXPECT_EQ(std::vector<std::string>({"tuned"}), cable.heard) << at;
            EXPECT_EQ(v.command, singleCableCommandText(plan.command)) << at;
            EXPECT_FALSE(cable.toneEver) << at;
            EXPECT_FALSE(cable.horizontalAtEnd) << at;  // 13 V for the measurement
            EXPECT_EQ(2, cable.tunes) << at;
            ASSERT_EQ(1u, cable.commandLeadMs.size()) << at;
            EXPECT_GE(cable.commandLeadMs[0], 4u) << at;
            EXPECT_LE(cable.commandLeadMs[0], 22u) << at;
            EXPECT_EQ(v.demodulatorKHz, cable.tunedKHz) << at;
            EXPECT_EQ(plan.intermediateMHz * 1000, lnbFrequencyAt(device, cable.tunedKHz)) << at;
            // Through the set the tone is put off first; through the node nothing goes to the set.
            EXPECT_EQ(throughMaker ? 1 : 0, cable.makerTonesOff) << at;
            EXPECT_EQ(throughMaker ? 0 : 3, cable.nodeSteps)
                << at;  // enabled before and after the 18 V tune, the command
        }
    }
}

TEST(BdaSingleCable, TheCommandOnceMoreAfterARandomPauseAndThePowerOffAtTheRelease)
{
    const CardTuning tuning = tuningOf(11778, false);
    const SingleCablePlan plan = singleCablePlanFor(tuning, settingOf("en50494,1,1210"));
    const BdaTuneValues values = bdaSingleCableValues(tuning, plan);
    for (uint32_t random : {0u, 50u, 0xFFFFFFFFu}) {
        const std::vector<BdaStep> retry = bdaSingleCableSteps(ScrRetrySequence, plan, false, values.lnb, random);
        ScrDevice device = deviceOf("en50494 1210,1420,1680,2040");
        const Cable cable = listen(device, retry, values);
        ASSERT_EQ(1u, cable.commandAtMs.size());
        // The pause, then 18 V and the command in its window after it.
        EXPECT_GE(cable.commandAtMs[0], 68u + 4u);
        EXPECT_LE(cable.commandAtMs[0], 118u + 22u);
        EXPECT_EQ(std::vector<std::string>({"tuned"}), cable.heard);
        EXPECT_EQ(1210000u, cable.tunedKHz);
        EXPECT_FALSE(cable.horizontalAtEnd);
    }
    for (bool throughMaker : {false, true}) {
        ScrDevice device = deviceOf("en50494 1210,1420,1680,2040");
        listen(device, bdaSingleCableSteps(ScrStartSequence, plan, throughMaker, values.lnb), values);
        const std::vector<BdaStep> release = bdaSingleCableSteps(ScrReleaseSequence, plan, throughMaker, values.lnb);
        const Cable cable = listen(device, release, values);
        EXPECT_EQ(std::vector<std::string>({"freed"}), cable.heard);
        EXPECT_FALSE(cable.toneEver);
        EXPECT_EQ(0u, lnbFrequencyAt(device, 1210000));
        EXPECT_FALSE(cable.horizontalAtEnd);  // 13 V before the graph stops
    }
    EXPECT_EQ("tune H 11810000 kHz, no tone; 15 ms; command E0 10 5A 04 F7; 50 ms; tune V 11810000 kHz, no tone",
              bdaStepsText(bdaSingleCableSteps(ScrStartSequence, plan, false, values.lnb), values.carrierKHz));
    EXPECT_EQ("set's tone off; tune H 11810000 kHz, no tone; 15 ms; set's command E0 10 5A 00 00; 50 ms; "
              "tune V 11810000 kHz, no tone",
              bdaStepsText(bdaSingleCableSteps(ScrReleaseSequence, plan, true, values.lnb), values.carrierKHz));
}

// The transponder's band ends above the switch frequency: the tunes stay without tone all the same.
TEST(BdaSingleCable, HighBandTranspondersAreAskedWithoutTone)
{
    const CardTuning tuning = tuningOf(12722, true, 4);  // "BA": position 2
    const SingleCablePlan plan = singleCablePlanFor(tuning, settingOf("en50607,5,1760"));
    ASSERT_EQ("", plan.refusal);
    const BdaTuneValues values = bdaSingleCableValues(tuning, plan);
    EXPECT_EQ(10600000 + 1760000, values.carrierKHz);
    EXPECT_GT(values.lnb.switchKHz, values.carrierKHz);
    ScrDevice device = deviceOf("en50607 1210,1420,1680,2040,1760");
    const Cable cable = listen(device, bdaSingleCableSteps(ScrStartSequence, plan, true, values.lnb), values);
    EXPECT_EQ(std::vector<std::string>({"tuned"}), cable.heard);
    EXPECT_FALSE(cable.toneEver);
    EXPECT_EQ(2122000u, lnbFrequencyAt(device, 1760000));
}

TEST(BdaSingleCable, OnlyACommandReachesTheDevice)
{
    EXPECT_EQ("", singleCableRouteRefusal(SwitchByMaker));
    EXPECT_EQ("", singleCableRouteRefusal(SwitchByCommand));
    EXPECT_EQ("it needs a DiSEqC command, which the LNB source cannot carry",
              singleCableRouteRefusal(SwitchByLnbSource));
    EXPECT_EQ("it needs a DiSEqC command, which the input range cannot carry",
              singleCableRouteRefusal(SwitchBySpaceRange));
    EXPECT_EQ(singleCableRouteRefusal(SwitchBySpaceRange), singleCableRouteRefusal(SwitchByRangeProperty));
    EXPECT_NE("", singleCableRouteRefusal(SwitchUnreachable));
}

TEST(BdaSingleCable, TheCommandGoesOnceMoreOnlyWhereNothingLockedInTheDriversTime)
{
    ScrRetry retry{1000, false, false};
    EXPECT_FALSE(scrRetryDue(retry, false, 1499, 500));
    EXPECT_TRUE(scrRetryDue(retry, false, 1500, 500));
    EXPECT_FALSE(scrRetryDue(retry, false, 3000, 500));  // once
    ScrRetry locked{1000, false, false};
    EXPECT_FALSE(scrRetryDue(locked, true, 1200, 500));
    EXPECT_FALSE(scrRetryDue(locked, false, 1600, 500));  // a lock that went is no reason
}

SwitchMeans meansOf(bool maker, bool commands, bool source, bool range)
{
    return SwitchMeans{maker, commands, source, range, range};
}

// A set taken and ignored gives way to the route after it where that one locks; no lock alone keeps the set.
TEST(BdaRouteTrial, TheRouteAfterASetThatLockedNothingIsTriedForARound)
{
    EXPECT_EQ(SwitchByCommand, routeToTryAfterSet(2, meansOf(true, true, true, true), SwitchAuto, false));
    // Never the LNB source, whose requests are another start's.
    EXPECT_EQ(SwitchBySpaceRange, routeToTryAfterSet(2, meansOf(true, false, true, true), SwitchAuto, false));
    EXPECT_EQ(SwitchUnreachable, routeToTryAfterSet(2, meansOf(true, false, true, true), SwitchAuto, true));
    EXPECT_EQ(SwitchUnreachable, routeToTryAfterSet(2, meansOf(true, true, true, true), SwitchOnlyMaker, false));

    RouteTrial trial{0, NoSwitchAsked, false};
    EXPECT_EQ(TrialWait, routeTrialAfterReading(trial, false, 1499, 1500));
    EXPECT_EQ(TrialBegin, routeTrialAfterReading(trial, false, 1500, 1500));
    routeTrialBegun(trial, SwitchByCommand, 1500);
    EXPECT_EQ(TrialWait, routeTrialAfterReading(trial, false, 2000, 1500));
    EXPECT_EQ(TrialKeep, routeTrialAfterReading(trial, true, 2100, 1500));
    EXPECT_EQ(TrialWait, routeTrialAfterReading(trial, true, 9000, 1500));

    RouteTrial unaligned{0, NoSwitchAsked, false};
    EXPECT_EQ(TrialBegin, routeTrialAfterReading(unaligned, false, 1500, 1500));
    routeTrialBegun(unaligned, SwitchByCommand, 1500);
    EXPECT_EQ(TrialBack, routeTrialAfterReading(unaligned, false, 3000, 1500));
    EXPECT_EQ(TrialWait, routeTrialAfterReading(unaligned, false, 9000, 1500));  // one trial a start

    RouteTrial serves{0, NoSwitchAsked, false};
    EXPECT_EQ(TrialWait, routeTrialAfterReading(serves, true, 300, 1500));
    EXPECT_EQ(TrialWait, routeTrialAfterReading(serves, false, 5000, 1500));  // the set locked once: it serves

    RouteTrial nowhere{0, NoSwitchAsked, false};
    EXPECT_EQ(TrialBegin, routeTrialAfterReading(nowhere, false, 1500, 1500));
    routeTrialBegun(nowhere, SwitchUnreachable, 1500);
    EXPECT_TRUE(nowhere.over);
}

}  // namespace

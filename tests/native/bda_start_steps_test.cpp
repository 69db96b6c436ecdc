// What a start sends to a BDA tuner on each way to the switch, checked as a
// switch on the cable would hear it: every command (through the tuner's node
// or its maker's set) after a tune has powered the LNB, with the supply
// settled, without the tone, at DiSEqC's pace, the tone burst for "A" and
// "B", and last the tune with the band's tone; and what the tuning space's
// input range holds at that tune.
#include <gtest/gtest.h>

#include "bda/bda_start_steps.h"

static CardTuning tuningOf(int32_t frequencyMHz, int32_t lnbMHz, int32_t diseqcCode)
{
    CardTuning tuning;
    tuning.lnbSelection = lnbMHz == 10600 ? 1 : 0;
    tuning.lnbFrequencyMHz = lnbMHz;
    tuning.polarization = 0;
    tuning.symbolRate = 27500;
    tuning.frequencyMHz = frequencyMHz;
    tuning.diseqcCode = diseqcCode;
    return tuning;
}

// What the cable carries as the steps are carried out, each call taking no time.
struct Cable {
    int tunes = 0;
    int commands = 0;
    int bursts = 0;
    bool burstB = false;
    bool toneAtLastTune = false;
    bool lastTuneAfterSwitch = false;
    uint32_t shortestSettleMs = UINT32_MAX;  // from the latest tune to a command
    uint32_t shortestCommandGapMs = UINT32_MAX;
    uint32_t burstAfterCommandMs = 0;
    bool commandOverTone = false;
    bool commandBeforeTune = false;
    int32_t range = bdaRangeNotSet;
    bool rangeBeforeTune = false;
    std::string spaceRange;  // "" the space's own
    bool spaceRangeBeforeTune = false;
    bool spaceRangeRequired = false;
    int makerSteps = 0;
    int nodeSteps = 0;  // enabling, commands and bursts through the node
    int makerTones = 0;
    bool makerToneOn = false;
    bool makerToneAfterBurst = false;
};

static Cable listen(const std::vector<BdaStep>& steps, int32_t carrierKHz)
{
    Cable cable;
    uint32_t now = 0, tunedAt = 0, commandAt = 0;
    bool tone = false;
    for (const BdaStep& step : steps) {
        switch (step.kind) {
        case BdaStepTune:
        case BdaStepRaiseSupply:
            ++cable.tunes;
            tone = carrierKHz >= step.lnb.switchKHz;
            tunedAt = now;
            cable.lastTuneAfterSwitch = cable.commands > 0 || cable.range != bdaRangeNotSet;
            break;
        case BdaStepSettle: now = tunedAt + step.ms > now ? tunedAt + step.ms : now; break;
        case BdaStepPause: now += step.ms; break;
        case BdaStepEnableCommands: ++cable.nodeSteps; break;
        case BdaStepMakerCommand:
        case BdaStepCommand:
            if (step.kind == BdaStepMakerCommand) {
                ++cable.makerSteps;
            } else {
                ++cable.nodeSteps;
            }
            if (cable.tunes == 0) cable.commandBeforeTune = true;
            if (tone) cable.commandOverTone = true;
            if (now - tunedAt < cable.shortestSettleMs) cable.shortestSettleMs = now - tunedAt;
            if (cable.commands > 0 && now - commandAt < cable.shortestCommandGapMs)
                cable.shortestCommandGapMs = now - commandAt;
            commandAt = now;
            ++cable.commands;
            break;
        case BdaStepMakerBurst:
        case BdaStepToneBurst:
            if (step.kind == BdaStepMakerBurst) ++cable.makerSteps;
            else ++cable.nodeSteps;
            ++cable.bursts;
            cable.burstB = step.burstB;
            cable.burstAfterCommandMs = now - commandAt;
            break;
        case BdaStepMakerTone:
            ++cable.makerSteps;
            ++cable.makerTones;
            cable.makerToneOn = step.toneOn;
            cable.makerToneAfterBurst = cable.bursts > 0;
            break;
        case BdaStepRangeProperty:
            cable.range = step.range;
            cable.rangeBeforeTune = cable.tunes == 0;
            break;
        case BdaStepSpaceRange:
            cable.spaceRange = step.rangeText;
            cable.spaceRangeRequired = step.required;
            cable.spaceRangeBeforeTune = cable.tunes == 0;
            break;
        }
    }
    cable.toneAtLastTune = tone;
    return cable;
}

TEST(BdaStartSteps, TheCommandFollowsAToneFreeTuneAtDiseqcsPaceAndTheBandsTuneComesLast)
{
    struct Case {
        int32_t frequencyMHz;
        int32_t lnbMHz;
        bool tone;
    };
    for (const Case c :
         {Case{11720, 10600, true}, Case{12750, 10600, true}, Case{10714, 9750, false}, Case{3400, 5150, false}}) {
        for (int32_t code = 1; code <= 6; ++code) {
            const BdaTuneValues values = bdaTuneValuesFor(tuningOf(c.frequencyMHz, c.lnbMHz, code));
            const std::vector<BdaStep> steps = bdaStartSteps(values, SwitchByCommand);
            const Cable cable = listen(steps, values.carrierKHz);
            const std::string at = std::to_string(c.frequencyMHz) + " code " + std::to_string(code);
            EXPECT_EQ(2, cable.commands) << at;
            EXPECT_FALSE(cable.commandBeforeTune) << at;
            EXPECT_FALSE(cable.commandOverTone) << at;
            EXPECT_GE(cable.shortestSettleMs, poweredLnbSettleMs) << at;
            EXPECT_GE(cable.shortestCommandGapMs, 100u) << at;
            EXPECT_EQ(2, cable.tunes) << at;
            EXPECT_TRUE(cable.lastTuneAfterSwitch) << at;
            EXPECT_EQ(c.tone, cable.toneAtLastTune) << at;
            EXPECT_EQ(code <= 2 ? 1 : 0, cable.bursts) << at;
            if (code <= 2) {
                EXPECT_EQ(code == 2, cable.burstB) << at;
                EXPECT_GE(cable.burstAfterCommandMs, diseqcQuietMs) << at;
            }
            // The first command is the one whose refusal sends the start another way.
            int required = 0;
            for (const BdaStep& step : steps) required += step.kind == BdaStepCommand && step.required;
            EXPECT_EQ(1, required) << at;
            // Commands are enabled before anything is tuned for them, and again after the tune.
            EXPECT_EQ(BdaStepEnableCommands, steps[1].kind) << at;
            EXPECT_EQ(BdaStepEnableCommands, steps[4].kind) << at;
            EXPECT_EQ(0, cable.makerSteps) << at;

            // Through the maker's set the switch hears the same, and nothing goes to the node.
            const std::vector<BdaStep> makers = bdaStartSteps(values, SwitchByMaker);
            const Cable maker = listen(makers, values.carrierKHz);
            EXPECT_EQ(2, maker.commands) << at;
            EXPECT_FALSE(maker.commandOverTone) << at;
            EXPECT_GE(maker.shortestSettleMs, poweredLnbSettleMs) << at;
            EXPECT_GE(maker.shortestCommandGapMs, 100u) << at;
            EXPECT_TRUE(maker.lastTuneAfterSwitch) << at;
            EXPECT_EQ(c.tone, maker.toneAtLastTune) << at;
            EXPECT_EQ(cable.bursts, maker.bursts) << at;
            EXPECT_EQ(0, maker.nodeSteps) << at;
            // After a burst through the set, the tone as the band wants it, through the same set.
            EXPECT_EQ(code <= 2 ? 1 : 0, maker.makerTones) << at;
            if (code <= 2) {
                EXPECT_TRUE(maker.makerToneAfterBurst) << at;
                EXPECT_EQ(c.tone, maker.makerToneOn) << at;
            }
            // No command through the set carries a burst of its own.
            for (const BdaStep& step : makers)
                if (step.kind == BdaStepMakerCommand) EXPECT_EQ(4u, step.commandLength) << at;
        }
    }
}

TEST(BdaStartSteps, OtherRoutesTuneOnceAndTheInputRangeComesFirst)
{
    const BdaTuneValues plain = bdaTuneValuesFor(tuningOf(11720, 10600, 0));
    const std::vector<BdaStep> one = bdaStartSteps(plain, NoSwitchAsked);
    ASSERT_EQ(2u, one.size());
    EXPECT_EQ(BdaStepTune, one[1].kind);
    EXPECT_EQ(plain.lnb, one[1].lnb);
    // Every start gives the space back its own range, whatever the start before put there.
    const Cable none = listen(one, plain.carrierKHz);
    EXPECT_EQ("", none.spaceRange);
    EXPECT_TRUE(none.spaceRangeBeforeTune);
    EXPECT_FALSE(none.spaceRangeRequired);

    const BdaTuneValues portC = bdaTuneValuesFor(tuningOf(11720, 10600, 5));
    const Cable source = listen(bdaStartSteps(portC, SwitchByLnbSource), portC.carrierKHz);
    EXPECT_EQ(1, source.tunes);
    EXPECT_EQ(0, source.commands);
    EXPECT_TRUE(source.toneAtLastTune);

    EXPECT_EQ("", source.spaceRange);

    // The tuning space carries the port to every tune the provider makes; the
    // RF tuner's own range, the last resort, is put in a change before the tune.
    const Cable space = listen(bdaStartSteps(portC, SwitchBySpaceRange), portC.carrierKHz);
    EXPECT_EQ("3", space.spaceRange);
    EXPECT_TRUE(space.spaceRangeRequired);
    EXPECT_TRUE(space.spaceRangeBeforeTune);
    EXPECT_EQ(bdaRangeNotSet, space.range);
    EXPECT_EQ(1, space.tunes);
    InputRangeForms letters;
    letters.port[2] = "C";
    EXPECT_EQ("C", listen(bdaStartSteps(portC, SwitchBySpaceRange, letters), portC.carrierKHz).spaceRange);

    const Cable range = listen(bdaStartSteps(portC, SwitchByRangeProperty), portC.carrierKHz);
    EXPECT_EQ(3, range.range);
    EXPECT_EQ("", range.spaceRange);
    EXPECT_TRUE(range.rangeBeforeTune);
    EXPECT_EQ(1, range.tunes);
    EXPECT_EQ(0, range.commands);

    EXPECT_TRUE(bdaStartSteps(portC, SwitchUnreachable).empty());
}

// A start is given up only after every wait and each call's allowance.
TEST(BdaStartSteps, TheBoundCoversEveryWaitAndEveryCall)
{
    const BdaTuneValues plain = bdaTuneValuesFor(tuningOf(11720, 10600, 0));
    EXPECT_EQ(tuneAllowanceMs + callAllowanceMs, bdaStepsBoundMs(bdaStartSteps(plain, NoSwitchAsked)));
    const BdaTuneValues portA = bdaTuneValuesFor(tuningOf(11720, 10600, 1));
    const std::vector<BdaStep> steps = bdaStartSteps(portA, SwitchByCommand);
    uint32_t waits = 0, calls = 0, tunes = 0;
    for (const BdaStep& step : steps) {
        if (step.kind == BdaStepSettle || step.kind == BdaStepPause) waits += step.ms;
        else if (step.kind == BdaStepTune) ++tunes;
        else ++calls;
    }
    EXPECT_EQ(6u, calls);  // the space's range, enable twice, two commands, the burst
    EXPECT_EQ(waits + tunes * tuneAllowanceMs + calls * callAllowanceMs, bdaStepsBoundMs(steps));
}

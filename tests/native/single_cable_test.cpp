// The single-cable setting, the commands worked by hand from the two
// standards, and the steps every card carries out.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "cardbase/single_cable.h"
#include "tests/native/program_tuning.h"
#include "tuner/lnb_rules.h"

static SingleCableSetting setting(const std::string& text)
{
    SingleCableSetting read;
    std::string reason;
    EXPECT_TRUE(parseSingleCable(text, &read, &reason)) << text << ": " << reason;
    return read;
}

TEST(SingleCable, SettingsReadInTheOneFormAndRefuseWithTheirReason)
{
    const SingleCableSetting plain = setting("en50494,1,1210");
    EXPECT_EQ(En50494, plain.standard);
    EXPECT_EQ(1, plain.userBand);
    EXPECT_EQ(1210, plain.bandMHz);
    EXPECT_EQ(noSingleCablePin, plain.pin);
    const SingleCableSetting withPin = setting(" EN50607 , 32 , 2150 , 0 ");
    EXPECT_EQ(En50607, withPin.standard);
    EXPECT_EQ(32, withPin.userBand);
    EXPECT_EQ(0, withPin.pin) << "0 is a PIN";
    EXPECT_EQ("en50607,32,2150,0", singleCableSettingText(withPin, true));
    EXPECT_EQ("en50607,32,2150", singleCableSettingText(withPin, false));
    EXPECT_EQ("EN 50494, user band 1 at 1210 MHz", singleCableWords(plain));

    const struct {
        const char* text;
        const char* reasonHas;
    } bad[] = {
        {"en50494,9,1210", "not 1-8 for EN 50494"},
        {"en50607,33,1210", "not 1-32 for EN 50607"},
        {"en50494,0,1210", "user band 0"},
        {"en50494,1,949", "949 MHz is not 950-2150"},
        {"en50494,1,2151", "not 950-2150"},
        {"en50494,1,1210,256", "PIN 256 is not 0-255"},
        {"en50494,1,1210,-1", "PIN -1"},
        {"unicable,1,1210", "neither en50494 nor en50607"},
        {"en50494,1", "the form is"},
        {"en50494,1,1210,1,2", "the form is"},
        {"en50494,1,12x0", "user band frequency"},
        {"", "the form is"},
        {"en50494,99999999999,1210", "user band"},
    };
    for (const auto& each : bad) {
        SingleCableSetting untouched;
        untouched.userBand = 7;
        std::string reason;
        EXPECT_FALSE(parseSingleCable(each.text, &untouched, &reason)) << each.text;
        EXPECT_NE(std::string::npos, reason.find(each.reasonHas)) << each.text << ": " << reason;
        EXPECT_EQ(7, untouched.userBand) << "a refused setting leaves nothing behind: " << each.text;
    }
}

TEST(SingleCable, CommandsWorkedByHand)
{
    const struct {
        const char* setting;
        int32_t frequencyMHz;
        int32_t polarization;
        int32_t diseqcCode;
        const char* command;
        uint32_t demodulatorKHz;
        const char* powerOff;
    } cases[] = {
        {"en50494,1,1210", 11778, 1, 0, "E0 10 5A 04 F7", 1210000, "E0 10 5A 00 00"},
        {"en50607,1,1210", 11778, 1, 0, "70 04 36 01", 1210000, "70 00 00 00"},
        {"en50494,2,1420", 12515, 0, 2, "E0 10 5A 3D E4", 1421000, "E0 10 5A 20 00"},
        {"en50494,1,1210,77", 11778, 1, 1, "E0 10 5C 04 F7 4D", 1210000, "E0 10 5C 00 00 4D"},
        {"en50607,3,1680,5", 10714, 0, 6, "71 13 60 0E 05", 1680000, "71 10 00 00 05"},
        {"en50494,8,2040", 10714, 1, 0, "E0 10 5A E1 91", 2040000, "E0 10 5A E0 00"},
    };
    for (const auto& each : cases) {
        const SingleCablePlan plan = singleCablePlanFor(
            programTuning(each.frequencyMHz, each.polarization, each.diseqcCode), setting(each.setting));
        EXPECT_EQ("", plan.refusal) << each.setting;
        EXPECT_EQ(each.command, singleCableCommandText(plan.command)) << each.setting << " " << each.frequencyMHz;
        EXPECT_EQ(each.demodulatorKHz, plan.demodulatorKHz) << each.setting << " " << each.frequencyMHz;
        EXPECT_EQ(each.powerOff, singleCableCommandText(plan.powerOff)) << each.setting;
        EXPECT_EQ(plan.powerOff, singleCablePowerOff(setting(each.setting)));
    }
}

TEST(SingleCable, EveryKuTransponderLandsWithinTwoMegahertzOfTheUserBand)
{
    // EN 50494's device steps by 4 MHz, so the transponder lands within
    // 2 MHz of the band's centre; EN 50607's lands on it.
    for (const char* each : {"en50494,1,1210", "en50494,8,2150", "en50607,17,950"}) {
        const SingleCableSetting device = setting(each);
        for (int32_t frequency = 10700; frequency <= 12747; ++frequency) {
            const SingleCablePlan plan = singleCablePlanFor(programTuning(frequency, frequency % 2), device);
            ASSERT_EQ("", plan.refusal) << each << " " << frequency;
            const long offset = static_cast<long>(plan.demodulatorKHz) - device.bandMHz * 1000L;
            ASSERT_LE(std::labs(offset), 2000L) << each << " " << frequency;
        }
    }
}

TEST(SingleCable, WhatTheDeviceCannotServeIsRefusedWithNothingToSend)
{
    const SingleCableSetting en50494 = setting("en50494,1,1210");
    const SingleCableSetting en50607 = setting("en50607,1,1210");
    const SingleCablePlan cBand = singleCablePlanFor(programTuning(3900, 0), en50494);
    EXPECT_NE(std::string::npos, cBand.refusal.find("Ku band")) << cBand.refusal;
    EXPECT_EQ(0, cBand.command.length);
    const SingleCablePlan position3 = singleCablePlanFor(programTuning(11778, 1, 5), en50494);
    EXPECT_NE(std::string::npos, position3.refusal.find("positions 1 and 2")) << position3.refusal;
    EXPECT_NE(std::string::npos, singleCablePlanFor(programTuning(11778, 1, 6), en50494).refusal.find("position 4"));
    EXPECT_EQ("", singleCablePlanFor(programTuning(11778, 1, 6), en50607).refusal) << "EN 50607 takes all four";
    EXPECT_EQ(4, singleCablePlanFor(programTuning(11778, 1, 6), en50607).position);
    for (int32_t frequency : {12748, 12749, 12750}) {
        const SingleCablePlan plan = singleCablePlanFor(programTuning(frequency, 0), en50607);
        EXPECT_NE("", plan.refusal) << frequency;
        EXPECT_EQ(0, plan.command.length) << frequency;
    }
    EXPECT_EQ("", singleCablePlanFor(programTuning(12750, 0), en50494).refusal);
    EXPECT_NE("", singleCablePlanFor(programTuning(11778, 1, 7), en50607).refusal);
}

TEST(SingleCable, PositionsFollowTheCommittedSwitchsPorts)
{
    const int expected[] = {1, 1, 2, 1, 2, 3, 4};
    for (int32_t code = 0; code <= 6; ++code) EXPECT_EQ(expected[code], singleCablePosition(code)) << code;
    EXPECT_EQ(0, singleCablePosition(7));
    EXPECT_EQ(0, singleCablePosition(-1));
}

static std::string stepsText(const std::vector<SingleCableStep>& steps)
{
    std::string text;
    for (const SingleCableStep& step : steps) {
        const char* names[] = {"tone-off", "18V", "13V", "off", "pause", "command", "power-off", "tune"};
        if (!text.empty()) text += ' ';
        text += names[step.kind];
        if (step.kind == ScrPause) text += std::to_string(step.ms);
    }
    return text;
}

TEST(SingleCable, StepsKeepTheStandardsWindowsAndNeverATone)
{
    EXPECT_EQ("tone-off 18V pause15 command pause50 13V tune", stepsText(singleCableTuneSteps()));
    EXPECT_EQ("tone-off 18V pause15 power-off pause50 13V off", stepsText(singleCableReleaseSteps()));
    EXPECT_EQ("pause68 18V pause15 command pause50 13V tune", stepsText(singleCableRetrySteps(0)));
    EXPECT_EQ("pause118 18V pause15 command pause50 13V tune", stepsText(singleCableRetrySteps(50)));
    EXPECT_EQ("tone-off 18V pause15 command pause50 13V", stepsText(singleCableShowBandsSteps()));
    EXPECT_EQ("E0 10 5B 00 00", singleCableCommandText(singleCableShowBandsCommand()));
    for (uint32_t random : {0u, 1u, 50u, 51u, 12345u, 0xFFFFFFFFu}) {
        const uint32_t pause = singleCableRetryPauseMs(random);
        EXPECT_GE(pause, 68u);
        EXPECT_LE(pause, 118u);
    }
    EXPECT_GE(scrCommandLeadMs, 4u);
    EXPECT_LE(scrCommandLeadMs, 22u);
    EXPECT_GE(scrCommandTailMs, 2u);
    EXPECT_LE(scrCommandTailMs, 60u);
}

TEST(SingleCable, AnotherReceiverShowsAsTheStreamChangingUnderASteadyTune)
{
    UserBandWatch watch;
    EXPECT_FALSE(userBandStreamSeen(watch, 0x0441));
    EXPECT_FALSE(userBandStreamSeen(watch, 0x0441));
    EXPECT_TRUE(userBandStreamSeen(watch, 0x03F2));
    EXPECT_FALSE(userBandStreamSeen(watch, 0x0441)) << "said once a tune";
    EXPECT_TRUE(watch.shared);
    userBandRetuned(watch);
    EXPECT_FALSE(watch.shared);
    EXPECT_FALSE(userBandStreamSeen(watch, 0x03F2)) << "a new tune's stream is its own";
    EXPECT_EQ("another receiver uses user band 3", userBandSharedText(setting("en50494,3,1680")));
}

#include "cardbase/single_cable_device.h"

static ScrDevice device(const std::vector<std::string>& words)
{
    ScrDeviceSetup setup;
    std::string error;
    EXPECT_TRUE(parseScrDeviceWords(words, &setup, &error)) << error;
    ScrDevice made;
    resetScrDevice(made, setup);
    return made;
}

static ScrHeard hear(ScrDevice& scr, const SingleCableCommand& command, bool supply18 = true, bool toneOn = false)
{
    return scrDeviceHears(scr, command.bytes, command.length, supply18, toneOn, 0);
}

TEST(SingleCableDevice, PutsTheAskedTransponderOnItsBandAndFreesIt)
{
    for (const char* standard : {"en50494", "en50607"}) {
        ScrDevice scr = device({standard, "1210,1420,1680,2040"});
        const SingleCablePlan plan =
            singleCablePlanFor(programTuning(12515, 0, 2), setting(std::string(standard) + ",2,1420"));
        ASSERT_EQ("", plan.refusal);
        ScrSource source;
        EXPECT_FALSE(scrCableSource(scr, plan.demodulatorKHz, &source)) << "nothing there without a command";
        EXPECT_EQ(ScrNoSupply, hear(scr, plan.command, false));
        EXPECT_EQ(ScrGarbled, hear(scr, plan.command, true, true));
        EXPECT_FALSE(scrCableSource(scr, plan.demodulatorKHz, &source));
        EXPECT_EQ(ScrTuned, hear(scr, plan.command));
        ASSERT_TRUE(scrCableSource(scr, plan.demodulatorKHz, &source)) << standard;
        EXPECT_EQ(2, source.userBand);
        EXPECT_EQ(1915000u, source.lnbIfKHz) << standard;
        EXPECT_EQ(2, source.content->position);
        EXPECT_TRUE(source.content->horizontal);
        EXPECT_TRUE(source.content->highBand);
        EXPECT_EQ(std::string(standard) == "en50494", source.content->inverted);
        ScrSource above;
        ASSERT_TRUE(scrCableSource(scr, plan.demodulatorKHz + 3000, &above));
        EXPECT_EQ(std::string(standard) == "en50494" ? 1912000u : 1918000u, above.lnbIfKHz) << "inverted or not";
        EXPECT_FALSE(scrCableSource(scr, 1210000, &source)) << "another band stays empty";
        EXPECT_EQ(ScrFreed, hear(scr, plan.powerOff));
        EXPECT_FALSE(scrCableSource(scr, plan.demodulatorKHz, &source));
    }
}

TEST(SingleCableDevice, HonoursItsPinTheTonesAndAnotherReceiver)
{
    ScrDevice scr = device({"en50494", "1210,1420", "pin", "77"});
    const CardTuning wanted = programTuning(11778, 1);
    EXPECT_EQ(ScrWrongPin, hear(scr, singleCablePlanFor(wanted, setting("en50494,1,1210")).command));
    EXPECT_EQ(ScrWrongPin, hear(scr, singleCablePlanFor(wanted, setting("en50494,1,1210,78")).command));
    EXPECT_EQ(ScrBadBand, hear(scr, singleCablePlanFor(wanted, setting("en50494,3,1210,77")).command));
    const SingleCablePlan plan = singleCablePlanFor(wanted, setting("en50494,1,1210,77"));
    EXPECT_EQ(ScrTuned, hear(scr, plan.command));

    const uint8_t showTones[] = {0xE0, 0x10, 0x5B, 0x00, 0x00};
    EXPECT_EQ(ScrTonesShown, scrDeviceHears(scr, showTones, sizeof showTones, true, false, 0));
    EXPECT_TRUE(scrToneAt(scr, 1421000, 2000));
    EXPECT_FALSE(scrToneAt(scr, 1300000, 2000));

    ScrDeviceSetup setup = scr.setup;
    std::string error;
    ASSERT_TRUE(parseScrNeighbourWords({"1", "every", "5"}, &setup, &error)) << error;
    EXPECT_FALSE(parseScrNeighbourWords({"1", "each", "5"}, &setup, &error));
    resetScrDevice(scr, setup);
    EXPECT_FALSE(scrNeighbourAdvance(scr, 9000, 1100000, false, false)) << "its clock runs from the first command";
    scrDeviceHears(scr, plan.command.bytes, plan.command.length, true, false, 1000);
    EXPECT_FALSE(scrNeighbourAdvance(scr, 5999, 1100000, false, false));
    EXPECT_TRUE(scrNeighbourAdvance(scr, 6000, 1100000, false, false));
    ScrSource source;
    ASSERT_TRUE(scrCableSource(scr, plan.demodulatorKHz, &source));
    EXPECT_TRUE(source.content->byNeighbour);
    EXPECT_EQ(1100000u, source.lnbIfKHz);

    ScrDeviceSetup bad;
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{"en50494"},
                                               {"jess", "1210"},
                                               {"en50494", "1210,900"},
                                               {"en50494", "1210", "pin", "256"},
                                               {"en50494", "1,2,3,4,5,6,7,8,9"}})
        EXPECT_FALSE(parseScrDeviceWords(words, &bad, &error)) << words[0];
}

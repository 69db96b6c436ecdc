// The LNB's own error: the one rule every card follows (found against asked,
// the sign naming the oscillator on both sides of the carrier, the words,
// each oscillator's mean and spread), how the helper reads a driver's
// found frequency, the words it travels in to dvbcard.dll, the drift the
// simulators play, and the practice dish's card finding it.
#include <gtest/gtest.h>

#include "cardbase/lnb_error.h"
#include "cardbase/phone/phone_feed.h"
#include "cardbase/record/measurement.h"
#include "cardbase/sky/lnb_drift.h"
#include "dvb/helper/frontend/found_lnb_error.h"
#include "dvb/protocol/lnb_answer.h"
#include "sim/card/scenario.h"
#include "sim/dish/dish_lnb.h"
#include "tuner/lnb_rules.h"

const std::vector<Satellite>& catalogueSky();  // dish_model_test.cpp

namespace {

static CardTuning tuningOf(int32_t frequencyMHz)
{
    CardTuning tuning;
    tuning.frequencyMHz = frequencyMHz;
    tuning.lnbFrequencyMHz = lnbFrequencyFor(frequencyMHz);
    tuning.lnbSelection = lnbSelectionFor(frequencyMHz);
    tuning.symbolRate = 27500;
    tuning.tuned = true;
    return tuning;
}

TEST(LnbError, TheSignNamesTheOscillatorOnEitherSideOfTheCarrier)
{
    // Ku band: 11778 MHz on 10600 asks 1178 MHz; an oscillator 2.3 MHz high brings it to 1175.7.
    LnbError ku = lnbErrorFound(tuningOf(11778), 1178000, 1175700);
    EXPECT_EQ(LnbErrorKnown, ku.state);
    EXPECT_EQ(2300, ku.errorKHz);
    EXPECT_EQ(10600, ku.oscillatorMHz);
    EXPECT_EQ("lnb error: +2.3 MHz (10600 MHz oscillator)", lnbErrorLine(ku));
    EXPECT_EQ(-400, lnbErrorFound(tuningOf(10723), 973000, 973400).errorKHz);
    // C band: 3740 MHz under 5150 asks 1410 MHz; an oscillator 2.3 MHz high brings it to 1412.3.
    const LnbError c = lnbErrorFound(tuningOf(3740), 1410000, 1412300);
    EXPECT_EQ(2300, c.errorKHz);
    EXPECT_EQ("lnb error: +2.3 MHz (5150 MHz oscillator)", lnbErrorLine(c));

    EXPECT_EQ("+2.3 MHz", lnbErrorMHzText(2250));  // half away from zero
    EXPECT_EQ("-2.3 MHz", lnbErrorMHzText(-2250));
    EXPECT_EQ("-0.1 MHz", lnbErrorMHzText(-51));
    EXPECT_EQ("0.0 MHz", lnbErrorMHzText(-49));  // no "-0.0"
    EXPECT_EQ("+12.0 MHz", lnbErrorMHzText(12000));

    LnbError none;
    EXPECT_EQ("lnb error: unknown (no lock)", lnbErrorLine(none));
    none.state = LnbErrorNotGiven;
    EXPECT_EQ("lnb error: unknown (the driver does not give back the frequency it found)", lnbErrorLine(none));
    none.state = LnbErrorThroughCable;
    EXPECT_EQ("lnb error: unknown (a single-cable device's own oscillator stands between)", lnbErrorLine(none));

    EXPECT_EQ("a PLL LNB stays within 0.5 MHz; this one does", lnbErrorWord(-500));
    EXPECT_EQ("a PLL LNB stays within 0.5 MHz; this one drifts or is an older type", lnbErrorWord(501));
    EXPECT_EQ("a PLL LNB stays within 0.5 MHz; this one drifts or is an older type", lnbErrorWord(-2300));
}

TEST(LnbError, EachOscillatorHasItsMeanAndSpread)
{
    const auto known = [](int32_t errorKHz, int32_t oscillatorMHz) {
        return LnbError{LnbErrorKnown, errorKHz, oscillatorMHz};
    };
    const std::vector<LnbError> errors = {known(2400, 10600), known(2100, 9750),          known(2200, 10600),
                                          LnbError(),         known(2300, 9750),          known(2350, 10600),
                                          known(-100, 5150),  {LnbErrorNotGiven, 0, 9750}};
    const std::vector<OscillatorErrors> each = errorsByOscillator(errors);
    ASSERT_EQ(3u, each.size());
    EXPECT_EQ(5150, each[0].oscillatorMHz);
    EXPECT_EQ(9750, each[1].oscillatorMHz);
    EXPECT_EQ(2u, each[1].count);
    EXPECT_DOUBLE_EQ(2200.0, each[1].meanKHz);
    EXPECT_EQ(2100, each[1].lowestKHz);
    EXPECT_EQ(2300, each[1].highestKHz);
    EXPECT_EQ("lnb error: +2.3 MHz mean of 3 transponders, spread 0.2 MHz (10600 MHz oscillator)",
              oscillatorErrorsLine(each[2]));
    EXPECT_EQ("lnb error: -0.1 MHz mean of 1 transponder, spread 0.0 MHz (5150 MHz oscillator)",
              oscillatorErrorsLine(each[0]));
    EXPECT_TRUE(errorsByOscillator({LnbError()}).empty());
}

// The page's object, and the record's mean over the locked readings that had one.
TEST(LnbError, ThePageAndTheRecordCarryIt)
{
    EXPECT_EQ("null", lnbJson(LnbError()));
    EXPECT_EQ("{\"known\":false,\"why\":\"the driver does not give back the frequency it found\"}",
              lnbJson(LnbError{LnbErrorNotGiven, 0, 0}));
    EXPECT_EQ("{\"known\":true,\"errorKHz\":-2300,\"oscillatorMHz\":10600,\"text\":\"LNB -2.3 MHz (10600 MHz "
              "oscillator)\",\"word\":\"a PLL LNB stays within 0.5 MHz; this one drifts or is an older type\","
              "\"beyond\":true}",
              lnbJson(LnbError{LnbErrorKnown, -2300, 10600}));
    EXPECT_NE(std::string::npos, lnbJson(LnbError{LnbErrorKnown, 400, 9750}).find("this one does\",\"beyond\":false"));

    Measurement measurement;
    startMeasurement(measurement, "id", "card", tuningOf(11778), 0, 0, 0);
    MeasurementContext context;
    const SignalReading locked{true, 70, 12.0f}, unlocked{false, 0, 0.0f};
    measureReading(measurement, locked, context, 100);  // locked, not yet asked
    context.lnbError = LnbError{LnbErrorKnown, 2200, 10600};
    measureReading(measurement, locked, context, 200);
    context.lnbError.errorKHz = 2500;
    measureReading(measurement, locked, context, 300);
    measureReading(measurement, unlocked, context, 400);  // counts only while locked
    RecordEntry entry = measurementEntry(measurement, RecordSite());
    EXPECT_EQ(LnbErrorKnown, entry.lnbError.state);
    EXPECT_EQ(2350, entry.lnbError.errorKHz);
    size_t column = 0;
    while (std::string(recordColumns[column].name) != "lnb_error_mhz") ++column;
    EXPECT_EQ("2.35", recordColumns[column].value(entry));
    // None known: the column stays empty.
    startMeasurement(measurement, "id", "card", tuningOf(11778), 0, 0, 0);
    context.lnbError = LnbError{LnbErrorNotGiven, 0, 0};
    measureReading(measurement, locked, context, 100);
    entry = measurementEntry(measurement, RecordSite());
    EXPECT_EQ(LnbErrorNotGiven, entry.lnbError.state);
    EXPECT_EQ("", recordColumns[column].value(entry));
}

// A driver the table knows gives it or not; one it does not know is taken
// at its word only once it gave back another frequency than asked.
TEST(LnbError, TheHelperTakesAFoundFrequencyOnlyFromADriverThatGivesOne)
{
    const CardTuning tuning = tuningOf(11778);
    bool differed = false;
    EXPECT_FALSE(foundFrequencyWorthAsking("STV090x Multistandard"));
    EXPECT_FALSE(foundFrequencyWorthAsking("Montage Technology M88DS3103"));
    EXPECT_TRUE(foundFrequencyWorthAsking("STV0900 frontend"));
    EXPECT_TRUE(foundFrequencyWorthAsking("Simulated DVB-S/S2 frontend"));

    const std::string unknown = "Simulated DVB-S/S2 frontend";
    EXPECT_EQ(LnbErrorNotGiven, lnbErrorOfReadBack(unknown, false, tuning, 1178000, true, 1178000, &differed).state);
    EXPECT_EQ(LnbErrorNotGiven, lnbErrorOfReadBack(unknown, false, tuning, 1178000, false, 0, &differed).state);
    EXPECT_EQ(2300, lnbErrorOfReadBack(unknown, false, tuning, 1178000, true, 1175700, &differed).errorKHz);
    EXPECT_TRUE(differed);
    // Now an exact answer is an exact LNB.
    const LnbError exact = lnbErrorOfReadBack(unknown, false, tuning, 1178000, true, 1178000, &differed);
    EXPECT_EQ(LnbErrorKnown, exact.state);
    EXPECT_EQ(0, exact.errorKHz);

    bool fresh = false;
    EXPECT_EQ(LnbErrorKnown,
              lnbErrorOfReadBack("STV0900 frontend", false, tuning, 1178000, true, 1178000, &fresh).state);
    // stv0900 gives 0 unless locked; a single-cable device's oscillator stands between.
    EXPECT_EQ(LnbErrorNotGiven, lnbErrorOfReadBack("STV0900 frontend", false, tuning, 1178000, true, 0, &fresh).state);
    EXPECT_EQ(LnbErrorThroughCable,
              lnbErrorOfReadBack("STV0900 frontend", true, tuning, 1210000, true, 1207700, &fresh).state);
}

TEST(LnbError, TheAnswersWordsTravelBothWaysAndNothingElseIsTaken)
{
    for (const LnbError& error : {LnbError(), LnbError{LnbErrorNotGiven, 0, 0}, LnbError{LnbErrorThroughCable, 0, 0},
                                  LnbError{LnbErrorKnown, -2300, 10600}, LnbError{LnbErrorKnown, 0, 5150}}) {
        LnbError back;
        ASSERT_TRUE(parseLnbAnswer(lnbAnswerText(error), &back)) << lnbAnswerText(error);
        EXPECT_EQ(error.state, back.state);
        EXPECT_EQ(error.errorKHz, back.errorKHz);
        EXPECT_EQ(error.oscillatorMHz, back.oscillatorMHz);
    }
    EXPECT_EQ("lnb error 2300 10600", lnbAnswerText(LnbError{LnbErrorKnown, 2300, 10600}));
    EXPECT_EQ("lnb not-given", lnbAnswerText(LnbError{LnbErrorNotGiven, 0, 0}));
    LnbError untouched{LnbErrorKnown, 7, 9750};
    for (const char* wrong : {"lnb", "lnb error", "lnb error 2300", "lnb error +2300 10600", "lnb error 2300 10600 x",
                              "lnb error 02300 10600", "lnb error -0 10600", "lnb error 2300 0", "lnb Unlocked",
                              "lnb error 2300  10600", "lnb error 1000001 10600"}) {
        EXPECT_FALSE(parseLnbAnswer(wrong, &untouched)) << wrong;
        EXPECT_EQ(7, untouched.errorKHz);
    }
}

TEST(LnbError, TheSimulatorsLnbIsOffAndDriftsFromTheStart)
{
    LnbDrift drift;
    std::string why;
    ASSERT_TRUE(parseLnbDriftWords({"lnb", "9750", "error", "2300", "drift", "-60"}, 2, &drift, &why));
    EXPECT_EQ(2300, drift.errorKHz);
    EXPECT_EQ(-60, drift.driftKHzPerMinute);
    EXPECT_EQ(2300, lnbErrorAtKHz(drift, 0));
    EXPECT_EQ(2270, lnbErrorAtKHz(drift, 30000));
    EXPECT_EQ(1700, lnbErrorAtKHz(drift, 600000));
    ASSERT_TRUE(parseLnbDriftWords({"error", "-150"}, 0, &drift, &why));
    EXPECT_EQ(-150, lnbErrorAtKHz(drift, 600000));
    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{"error"},
                                               {"error", "2.3"},
                                               {"error", "60000"},
                                               {"drift", "10"},
                                               {"error", "1", "drift"},
                                               {"error", "1", "wander", "2"},
                                               {"error", "1", "drift", "2", "3"}}) {
        LnbDrift kept{5, 6};
        EXPECT_FALSE(parseLnbDriftWords(wrong, 0, &kept, &why));
        EXPECT_EQ(5, kept.errorKHz);
        EXPECT_NE(std::string::npos, why.find("error KHZ [drift KHZ_PER_MIN]"));
    }
}

// The practice dish's lnb line: the codes as before, its own oscillators,
// what they are off by.
TEST(LnbError, ThePracticeDishsLnbLineTakesTheErrorBesideItsCodes)
{
    std::string errors;
    Scenario s = parseScenario("lnb 9750 10600 error 2300 drift 40\n", &errors);
    EXPECT_EQ("", errors);
    EXPECT_EQ(defaultLnbPorts, s.dish.lnbPorts);
    EXPECT_EQ(2300, s.dish.lnbDrift.errorKHz);
    EXPECT_EQ(40, s.dish.lnbDrift.driftKHzPerMinute);
    s = parseScenario("lnb 0 2 error -800\n", &errors);
    EXPECT_EQ("", errors);
    EXPECT_EQ(diseqcPortBit(0) | diseqcPortBit(2), s.dish.lnbPorts);
    EXPECT_EQ(-800, s.dish.lnbDrift.errorKHz);
    for (const char* wrong : {"lnb 9750 error", "lnb error 2300 drift", "lnb 11300 error 10"}) {
        errors.clear();
        s = parseScenario(std::string(wrong) + "\n", &errors);
        EXPECT_EQ(0u, errors.find(std::string("unknown scenario line: ") + wrong)) << errors;
        EXPECT_EQ(0, s.dish.lnbDrift.errorKHz);
    }
}

static DishModel lockedPracticeDish(const DishSetup& setup, int32_t frequencyMHz, int32_t polarization,
                                    int32_t symbolRate)
{
    DishModel model = newDishModel(setup, catalogueSky());
    const CardTuning tuning = tuningOf(frequencyMHz);
    recordTuning(model, SetLnbSelectionCall, tuning.lnbSelection);
    recordTuning(model, SetLnbFrequencyCall, tuning.lnbFrequencyMHz);
    recordTuning(model, SetPolarityCall, polarization);
    recordTuning(model, SetSymbolRateCall, symbolRate);
    recordTuning(model, SetTransponderFrequencyCall, frequencyMHz);
    recordTuning(model, SetDiseqcCall, 0);
    return model;
}

TEST(LnbError, ThePracticeDishsCardFindsItsLnbsErrorWhileLocked)
{
    DishSetup setup;
    setup.aimed = true;
    setup.aimLongitudeDeg = 13.0;
    setup.lnbDrift = LnbDrift{-1500, 120};
    DishModel model = lockedPracticeDish(setup, 10723, 0, 29900);  // HotBird's catalogue line
    model.startedAtMs = 1000;
    LnbError error = dishLnbError(model, 1000);
    EXPECT_EQ(LnbErrorKnown, error.state);
    EXPECT_EQ(-1500, error.errorKHz);
    EXPECT_EQ(9750, error.oscillatorMHz);
    EXPECT_EQ(-1440, dishLnbError(model, 1000 + 30000).errorKHz);  // half a minute's drift
    // Tuned a MHz off the carrier, which still locks: what is found holds that too.
    model = lockedPracticeDish(setup, 10724, 0, 29900);
    EXPECT_EQ(-500, dishLnbError(model, 0).errorKHz);
    // Pointed away: no lock, nothing found.
    setup.aimLongitudeDeg = 19.2;
    EXPECT_EQ(LnbErrorUnlocked, dishLnbError(lockedPracticeDish(setup, 10723, 0, 29900), 0).state);

    // A C-band LNB's oscillator above the carrier: the same error, the same sign.
    DishSetup america;
    america.site = DishSite{40.0, -100.0};
    america.diameterM = 2.4;
    america.aimed = true;
    america.aimLongitudeDeg = -103.0;
    america.lnbDrift = LnbDrift{2300, 0};
    error = dishLnbError(lockedPracticeDish(america, 3740, 1, 29270), 0);  // AMC1's catalogue line
    EXPECT_EQ(LnbErrorKnown, error.state) << lnbErrorLine(error);
    EXPECT_EQ(2300, error.errorKHz);
    EXPECT_EQ(5150, error.oscillatorMHz);
}

}  // namespace

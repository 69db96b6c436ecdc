// The LNB's own error on Linux: the simulated frontend's LNB off and
// drifting as its lnb line says, each driver of the table giving back the
// found frequency on its own step or the asked one; and end to end through
// the real azimora-dvb: --status --tune's line within 0.2 MHz on either
// band and in C band, the driver that gives none, the record's column, the
// answer dvbcard.dll asks for, and the survey's mean and spread.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <linux/dvb/frontend.h>
#include <linux/ioctl.h>

#include "dvb/helper/exit_codes.h"
#include "dvb/simulated/frontend_lock.h"
#include "dvb/simulated/kernel_frontend.h"
#include "tests/native/dvb_helper_process.h"
#include "tests/native/program_tuning.h"
#include "tests/native/simulated_tune.h"
#include "tests/native/simulation_text.h"

namespace {

// Supply, tone and a tune of the program's values, as the helper sends them.
static uint32_t tune(SimulatedFrontend& frontend, int32_t frequencyMHz, bool horizontal, uint32_t system,
                     uint64_t nowMs)
{
    return tuneSimulatedFrontend(frontend, programTuning(frequencyMHz, horizontal ? 0 : 1), system, nowMs);
}

static uint32_t frequencyGivenBack(SimulatedFrontend& frontend, uint64_t nowMs)
{
    dtv_property property{};
    property.cmd = DTV_FREQUENCY;
    dtv_properties list{1, &property};
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_GET_PROPERTY, &list, nowMs));
    return property.u.data;
}

static const char carriers[] = "carrier 11778V27500 13 S2-8PSK-3/4\ncarrier 10714H27500 12 S-QPSK-3/4\n";

TEST(DvbLnbError, TheSimulatedFrontendGivesBackTheFoundFrequencyAsItsDriverDoes)
{
    // The simulated frontend's own driver gives it to the kHz; the oscillators
    // are 2.3 MHz high at the open and drift 60 kHz a minute from it.
    SimulatedFrontend frontend =
        newSimulatedFrontend(simulationOf(std::string("lnb 9750 10600 error 2300 drift 60\n") + carriers), 5000);
    uint32_t asked = tune(frontend, 11778, false, SYS_DVBS2, 5000);
    EXPECT_EQ(1178000u, asked);
    EXPECT_EQ(1175700u, frequencyGivenBack(frontend, 5000));
    EXPECT_EQ(1175670u, frequencyGivenBack(frontend, 5000 + 30000));
    asked = tune(frontend, 10714, true, SYS_DVBS, 65000);
    EXPECT_EQ(asked - 2360, frequencyGivenBack(frontend, 65000));
    // No lock: what the tune set.
    tune(frontend, 11000, true, SYS_DVBS, 70000);
    EXPECT_EQ(1250000u, frequencyGivenBack(frontend, 70000));
    // An oscillator too far off for the demodulator's reach brings nothing it can lock.
    SimulatedFrontend far = newSimulatedFrontend(simulationOf(std::string("lnb 9750 10600 error 6000\n") + carriers));
    tune(far, 11778, false, SYS_DVBS2, 0);
    EXPECT_FALSE(simulatedFrontendLocked(far, 0));

    // By the driver's name: stb0899's DVB-S2 steps of 99 kHz, towards zero,
    // and its DVB-S steps of 1.51 kHz; stv0900 to the kHz; stv090x none.
    const auto givenBy = [](const std::string& name, int32_t errorKHz, uint32_t system) {
        SimulatedFrontend named = newSimulatedFrontend(
            simulationOf("name " + name + "\nlnb 9750 10600 error " + std::to_string(errorKHz) + "\n" + carriers));
        const uint32_t at = tune(named, system == SYS_DVBS2 ? 11778 : 10714, system == SYS_DVBS, system, 0);
        return static_cast<int64_t>(frequencyGivenBack(named, 0)) - at;
    };
    EXPECT_EQ(-2277, givenBy("STB0899 Multistandard", 2300, SYS_DVBS2));
    EXPECT_EQ(99, givenBy("STB0899 Multistandard", -150, SYS_DVBS2));
    EXPECT_EQ(-2299, givenBy("STB0899 Multistandard", 2300, SYS_DVBS));
    EXPECT_EQ(-2300, givenBy("STV0900 frontend", 2300, SYS_DVBS2));
    EXPECT_EQ(0, givenBy("STV090x Multistandard", 2300, SYS_DVBS2));
    EXPECT_EQ(0, givenBy("Montage Technology M88DS3103", 2300, SYS_DVBS2));
    EXPECT_EQ(-2300, givenBy("NXP TDA10071", 2300, SYS_DVBS2));
}

// --status --tune on the simulated frontend, its record in the run's own folder.
static HelperResult statusTune(HelperFiles& files, const std::string& entry)
{
    HelperSurroundings surroundings;
    surroundings.environment = {"XDG_DATA_HOME=" + files.folder};
    return runHelper({"--simulate", files.simulation, "--status", "--tune", entry}, files, surroundings);
}

// The error the line gives, in kHz, and its oscillator; false where it gives none.
static bool lineError(const std::string& output, int32_t* errorKHz, int32_t* oscillatorMHz)
{
    const size_t at = output.find("lnb error: ");
    double mhz = 0;
    return at != std::string::npos &&
           std::sscanf(output.c_str() + at, "lnb error: %lf MHz (%d MHz oscillator)", &mhz, oscillatorMHz) == 2 &&
           (*errorKHz = static_cast<int32_t>(std::lround(mhz * 1000)), true);
}

TEST(DvbLnbError, StatusWithTuneFindsTheSimulatedLnbsErrorWithinTwoTenthsOfAMegahertz)
{
    struct Case {
        const char* simulation;
        const char* entry;
        int32_t errorKHz;
        int32_t oscillatorMHz;
    } cases[] = {
        {"lnb 9750 10600 error 2300\ncarrier 11778V27500 13 S2-8PSK-3/4\n", "11778V27500", 2300, 10600},
        {"lnb 9750 10600 error -1700\ncarrier 10714H27500 12 S-QPSK-3/4\n", "10714H27500", -1700, 9750},
        {"lnb 5150 error 2300\ncarrier 3740V29270 9 S-QPSK-3/4\n", "3740V29270", 2300, 5150},
        {"name STB0899 Multistandard\nlnb 9750 10600 error 2300\ncarrier 11778V27500 13 S2-8PSK-3/4\n", "11778V27500",
         2300, 10600},
    };
    // A network table each, so that the status need not wait for one.
    const std::string network = "nit actual 1 Test\n";
    for (const Case& each : cases) {
        HelperFiles files = helperFiles(each.simulation + network);
        const HelperResult result = statusTune(files, each.entry);
        EXPECT_EQ(ExitOk, result.exitCode) << result.output;
        int32_t errorKHz = 0, oscillator = 0;
        ASSERT_TRUE(lineError(result.output, &errorKHz, &oscillator)) << result.output;
        EXPECT_NEAR(each.errorKHz, errorKHz, 200) << each.simulation;
        EXPECT_EQ(each.oscillatorMHz, oscillator);
        // The record keeps it with the transponder, beside its oscillator.
        const std::vector<std::string> record = fileLines(files.folder + "/azimora/record.csv");
        ASSERT_EQ(2u, record.size());
        EXPECT_NE(std::string::npos, record[0].find(",lnb_lo_mhz,lnb_error_mhz,"));
        const std::string oscillatorColumn = "," + std::to_string(each.oscillatorMHz) + ",";
        const size_t at = record[1].find(oscillatorColumn);
        ASSERT_NE(std::string::npos, at) << record[1];
        EXPECT_NEAR(each.errorKHz / 1000.0, std::atof(record[1].c_str() + at + oscillatorColumn.size()), 0.2)
            << record[1];
    }

    // A driver that gives none says so; the record's column stays empty.
    HelperFiles files = helperFiles("name STV090x Multistandard\nlnb 9750 10600 error 2300\n"
                                    "carrier 11778V27500 13 S2-8PSK-3/4\n" +
                                    network);
    const HelperResult none = statusTune(files, "11778V27500");
    EXPECT_NE(std::string::npos,
              none.output.find("lnb error: unknown (the driver does not give back the frequency it found)\n"))
        << none.output;
    const std::vector<std::string> record = fileLines(files.folder + "/azimora/record.csv");
    ASSERT_EQ(2u, record.size());
    EXPECT_NE(std::string::npos, record[1].find(",10600,,")) << record[1];
}

TEST(DvbLnbError, TheServingHelperAnswersWhatTheLnbIsOffBy)
{
    // The asking after a start as dvbcard.dll asks it: 11362 H 27500 in the low band.
    const std::string answer =
        askAfterStart("lnb 9750 10600 error -900\ncarrier 11362H27500 12 S-QPSK-3/4\n", "QueryLnbError",
                      [](const std::string& reply) { return reply != "ok lnb unlocked"; });
    EXPECT_EQ("ok lnb error -900 9750", answer);
    const std::string none =
        askAfterStart("name Montage Technology M88DS3103\nlnb 9750 10600 error -900\n"
                      "carrier 11362H27500 12 S-QPSK-3/4\n",
                      "QueryLnbError", [](const std::string& reply) { return reply != "ok lnb unlocked"; });
    EXPECT_EQ("ok lnb not-given", none);
}

TEST(DvbLnbError, TheSurveyGivesEachOscillatorsMeanAndSpread)
{
    HelperFiles files = helperFiles("lnb 9750 10600 error 2300\n"
                                    "carrier 10714H27500 12 S-QPSK-3/4 stream 1001 318\n"
                                    "carrier 11034V27500 12 S-QPSK-3/4 stream 1002 318\n"
                                    "carrier 11778V27500 12 S-QPSK-3/4 stream 1003 318\n"
                                    "carrier 12149V27500 12 S-QPSK-3/4 stream 1004 318\n"
                                    "nit actual 318 Test\nentry 1001 318 13.0E 10714H27500\n"
                                    "entry 1002 318 13.0E 11034V27500\nentry 1003 318 13.0E 11778V27500\n"
                                    "entry 1004 318 13.0E 12149V27500\nnit other 400 Neighbour\n");
    HelperSurroundings surroundings;
    surroundings.environment = {"XDG_DATA_HOME=" + files.folder};
    const HelperResult result =
        runHelper({"--simulate", files.simulation, "--dwell", "0.3", "--survey", "10714H27500"}, files, surroundings);
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos,
              result.output.find("lnb error: +2.3 MHz mean of 2 transponders, spread 0.0 MHz (9750 MHz oscillator)"))
        << result.output;
    EXPECT_NE(std::string::npos,
              result.output.find("lnb error: +2.3 MHz mean of 2 transponders, spread 0.0 MHz (10600 MHz oscillator)"))
        << result.output;
}

}  // namespace

// The network's own word through the real azimora-dvb, its demux and
// libdvbv5 on the simulated frontend: asked for with QueryNetwork while
// measuring, and printed by --status --tune with its exit code.
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "dvb/helper/exit_codes.h"
#include "tests/native/dvb_helper_process.h"

namespace {

static bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// QueryNetwork's answer once it settles (at most 5 s).
static std::string networkOf(const std::string& simulation)
{
    return askAfterStart(simulation, "QueryNetwork", [](const std::string& answer) {
        return answer != "ok network unlocked" && answer != "ok network reading";
    });
}

static const char stream[] = "0 lock 11\nstream 0x0403 1\n";

TEST(DvbHelperIdentity, TheStreamsOwnEntryNamesNetworkAndPositionWithTheOtherTableAndADamagedOneLeftOut)
{
    const std::string simulation = std::string(stream) + "nit actual 0x0085 Decoy\n"
                                                         "entry 0x0403 1 13.0E\n"
                                                         "nit bad-crc\n"
                                                         "nit other 2 Neighbour\n"
                                                         "entry 0x0403 1 28.2E\n"
                                                         "nit actual 1 Astra Nineteen\n"
                                                         "nit sections 1\n"
                                                         "entry 0x0401 1 23.5E\n"
                                                         "entry 0x0402 1 23.5E\n"
                                                         "entry 0x0403 1 19.2E\n";
    EXPECT_EQ("ok network known 0x0001 19.2E own Astra Nineteen", networkOf(simulation));
}

TEST(DvbHelperIdentity, WithoutItsEntryTheMostCommonPositionIsUncertainAndWithoutADescriptorUnknown)
{
    EXPECT_EQ("ok network known 0x0001 23.5E uncertain Astra",
              networkOf(std::string(stream) +
                        "nit actual 1 Astra\nentry 0x0401 1 23.5E\nentry 0x0402 1 23.5E\nentry 9 1 19.2E\n"));
    // As vidtv sends it: a name, its stream's entry, no satellite descriptor.
    EXPECT_EQ("ok network known 0xff44 - unknown LinuxTV.org",
              networkOf("0 lock 11\nstream 0x4081 0xff44\nnit actual 0xff44 LinuxTV.org\nentry 0x4081 0xff44 none\n"));
    EXPECT_EQ("ok network known 0x0007 - unknown",
              networkOf(std::string(stream) + "nit actual 7\nentry 0x0403 1 0.0E\n"));
}

// libdvbv5 refuses a whole section over one damaged descriptor; the
// helper's own reader takes it, and the stream's entry still gives the
// position.
TEST(DvbHelperIdentity, ADamagedDescriptorLosesNeitherTheNetworkNorThePosition)
{
    EXPECT_EQ("ok network known 0x0001 19.2E own Astra",
              networkOf(std::string(stream) + "nit actual 1 Astra\nentry 0x0402 1 23.5E\nentry 0x0403 1 19.2E\n"
                                              "nit odd-descriptor\n"));
}

// The helper reads the network's list of transponders, which the card
// cannot: tuned to 11362 H, whether the skew can be judged there, where
// else on the satellite, or nowhere; a satellite's own entries only.
TEST(DvbHelperIdentity, TheNetworksListSaysWhereTheSkewCanBeJudged)
{
    const auto skewOf = [](const std::string& entries) {
        return askAfterStart(std::string(stream) + "nit actual 1 Astra\nentry 0x0403 1 19.2E 11362H27500\n" + entries,
                             "QuerySkew", [](const std::string& answer) { return answer != "ok skew notyet"; });
    };
    EXPECT_EQ("ok skew here 11361 V", skewOf("entry 0x0404 1 19.2E 11361V22000\n"));
    EXPECT_EQ("ok skew elsewhere 12188 H", skewOf("entry 0x0404 1 19.2E 11420V27500\nentry 0x0405 1 19.2E 12188H27500\n"
                                                  "entry 0x0406 1 19.2E 12188V27500\n"));
    // Another satellite's pair in the same table is no help here.
    EXPECT_EQ("ok skew nowhere", skewOf("entry 0x0404 1 19.2E 11420V27500\nentry 0x0501 1 23.5E 12188H27500\n"
                                        "entry 0x0502 1 23.5E 12188V27500\n"));
}

static HelperResult tuned(const std::string& simulation, const std::string& entry)
{
    const HelperFiles files = helperFiles(simulation);
    return runHelper({"--simulate", files.simulation, "--log", files.log, "--status", "--tune", entry}, files);
}

TEST(DvbHelperIdentity, StatusWithTuneWaitsForLockAndTheNetworkAndLetsTheLnbGo)
{
    const HelperFiles files = helperFiles(std::string(stream) + "nit actual 1 Astra\nentry 0x0403 1 19.2E\n");
    const HelperResult result =
        runHelper({"--simulate", files.simulation, "--log", files.log, "--status", "--tune", "12245v27500ab"}, files);
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output, "frontend: /dev/dvb/adapter0/frontend0\n")) << result.output;
    EXPECT_TRUE(contains(result.output, "tuned: 12245V27500AB\nlock: yes\nsystem: DVB-S2\nc/n: 11.0 dB\n"))
        << result.output;
    EXPECT_TRUE(contains(result.output, "quality: 62 %\nnetwork: Astra (0x0001)\nposition: 19.2E\n")) << result.output;
    const std::vector<std::string> log = fileLines(files.log);
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ("diseqc E0 10 38 F9", log[2]);  // the program's own plan
    EXPECT_EQ((std::vector<std::string>{"tone off", "voltage off"}),
              std::vector<std::string>(log.end() - 2, log.end()));

    const HelperResult unlocked = tuned("0 nolock\n", "11362H27500");
    EXPECT_EQ(ExitNoLock, unlocked.exitCode) << unlocked.output;
    EXPECT_TRUE(contains(unlocked.output, "lock: no\n")) << unlocked.output;
    EXPECT_TRUE(contains(unlocked.output, "quality: 0 %\nno network information\nposition: unknown\n"))
        << unlocked.output;
    EXPECT_TRUE(contains(unlocked.output, "azimora-dvb: no lock on 11362H27500 within 2.2 s")) << unlocked.output;

    const HelperResult refused = tuned("fail voltage\n", "11362H27500");
    EXPECT_EQ(ExitFailure, refused.exitCode) << refused.output;
    EXPECT_TRUE(contains(refused.output, "cannot tune 11362H27500: LNB supply refused")) << refused.output;
}

TEST(DvbHelperIdentity, AnEntryTheKeypadWouldNotTakeIsAUsageError)
{
    for (const char* entry : {"", "11362X27500", "11362H27500AC", "1136H27500", "11362H27500AB1", "9999H27500",
                              "11362H500", "11362 H 27500"}) {
        const HelperResult result = tuned("0 lock 10\n", entry);
        EXPECT_EQ(ExitUsage, result.exitCode) << entry << ": " << result.output;
        EXPECT_TRUE(contains(result.output, "--tune wants a transponder as Azimora's keypad takes it")) << entry;
    }
    const HelperFiles files = helperFiles("0 lock 10\n");
    const HelperResult alone = runHelper({"--simulate", files.simulation, "--tune", "11362H27500"}, files);
    EXPECT_EQ(ExitUsage, alone.exitCode);
    EXPECT_TRUE(contains(alone.output, "--tune goes with --status")) << alone.output;
}

}  // namespace

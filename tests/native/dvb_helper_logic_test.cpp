// azimora-dvb's deciding parts: its options and reports, and the settings
// for a frontend behind dvbv5-daemon. (The tuning sequence and the
// delivery-system search are in dvb_tuning_sequence_test.cpp; the frontend
// log's lines are checked where the helper writes them.)
#include <gtest/gtest.h>

#include "dvb/helper/frontend/frontend_report.h"
#include "dvb/helper/frontend/remote_tuning.h"
#include "dvb/helper/helper_options.h"
#include "tests/native/program_tuning.h"

namespace {

static bool parse(std::vector<const char*> words, HelperOptions* options, std::string* error = nullptr)
{
    std::string ignored;
    words.insert(words.begin(), "azimora-dvb");
    return parseHelperOptions(static_cast<int>(words.size()), words.data(), options, error ? error : &ignored);
}

TEST(DvbHelperOptions, DefaultsServeAdapterZeroOnTheLoopbackPort)
{
    HelperOptions options;
    ASSERT_TRUE(parse({}, &options));
    EXPECT_EQ(0, options.adapter);
    EXPECT_EQ(0, options.frontend);
    EXPECT_FALSE(options.remote);
    EXPECT_EQ("127.0.0.1", options.listenHost);
    EXPECT_EQ(47474, options.listenPort);

    ASSERT_TRUE(parse({"--adapter", "2", "--frontend=1", "--listen", "47000", "--log", "f.log", "--status"}, &options));
    EXPECT_EQ(2, options.adapter);
    EXPECT_EQ(1, options.frontend);
    EXPECT_EQ("127.0.0.1", options.listenHost);  // a bare port stays on loopback
    EXPECT_EQ(47000, options.listenPort);
    EXPECT_EQ("f.log", options.logPath);
    EXPECT_TRUE(options.status);

    EXPECT_EQ(10u, options.idleSeconds);
    ASSERT_TRUE(parse({"--idle", "3", "--secret-file", "secret.txt"}, &options));
    EXPECT_EQ(3u, options.idleSeconds);
    EXPECT_EQ("secret.txt", options.secretPath);

    ASSERT_TRUE(parse({"--listen=0.0.0.0:47474", "--server", "dish-pc:5555"}, &options));
    EXPECT_EQ("0.0.0.0", options.listenHost);
    EXPECT_TRUE(options.remote);
    EXPECT_EQ("dish-pc", options.serverHost);
    EXPECT_EQ(5555, options.serverPort);
}

TEST(DvbHelperOptions, MistakesAreRefusedWithTheirReason)
{
    struct Case {
        std::vector<const char*> words;
        const char* error;
    };
    const Case cases[] = {
        {{"--adapter"}, "--adapter needs a value"},
        {{"--adapter", "-1"}, "--adapter wants a number, not \"-1\""},
        {{"--frontend", "1000"}, "--frontend wants a number, not \"1000\""},
        {{"--status=yes"}, "--status takes no value"},
        {{"--log="}, "--log needs a file name"},
        {{"--server", "5555"}, "--server wants HOST:PORT, not \"5555\""},
        {{"--server", "h:1", "--simulate", "s"}, "--server and --simulate exclude each other"},
        {{"--idle", "0"}, "--idle wants seconds from 1 to 999, not \"0\""},
        {{"--secret-file="}, "--secret-file needs a file name"},
        {{"adapter"}, "unknown option \"adapter\""},
    };
    for (const Case& c : cases) {
        HelperOptions options;
        options.adapter = 9;
        std::string error;
        EXPECT_FALSE(parse(c.words, &options, &error)) << c.error;
        EXPECT_EQ(c.error, error);
        EXPECT_EQ(9, options.adapter);  // untouched
    }
}

TEST(DvbHelperReport, ProblemsSayWhichFrontendAndEndWithTheirOwnCode)
{
    HelperOptions remote;
    remote.remote = true;
    remote.serverHost = "dish-pc";
    remote.serverPort = 5555;
    EXPECT_EQ("cannot reach dvbv5-daemon at dish-pc:5555 (Connection refused)",
              problemMessage(ProblemNoDaemon, remote, "Connection refused"));
    EXPECT_EQ("no such frontend: adapter 0 frontend 0 on dish-pc:5555 is not known to the daemon",
              problemMessage(ProblemNoFrontend, remote, ""));
    std::vector<int> codes;
    for (FrontendProblem problem : {FrontendUsable, ProblemNoFrontend, ProblemBusy, ProblemNotSatellite,
                                    ProblemNoDaemon, ProblemNoPermission, ProblemOther}) {
        const int code = problemExitCode(problem);
        for (int seen : codes) EXPECT_NE(seen, code) << problemReason(problem);
        codes.push_back(code);
    }
    EXPECT_TRUE(offersSatellite({"DVB-T", "DVB-S2"}));
    EXPECT_FALSE(offersSatellite({"DVB-T", "DVB-C"}));
}

TEST(DvbHelperReport, StatusShowsWhateverFiguresTheFrontendGives)
{
    FrontendDescription description;
    description.device = "/dev/dvb/adapter0/frontend0";
    description.name = "Tuner";
    description.systems = {"DVB-S", "DVB-S2"};
    description.lowestKHz = 950000;
    description.highestKHz = 2150000;
    description.lowestSymbolRate = 1000000;
    description.highestSymbolRate = 45000000;
    FrontendFigures figures;
    figures.statistics.locked = true;
    figures.statistics.hasCarrierToNoise = true;
    figures.statistics.carrierToNoiseDb = 10.07;
    figures.strength.state = LevelLive;
    figures.strength.value = -55.25;
    const std::string report = statusReport(description, figures);
    EXPECT_NE(std::string::npos, report.find("lock: yes\nc/n: 10.1 dB\nstrength: -55.2 dBm\n")) << report;
    figures.statistics.hasCarrierToNoise = false;
    figures.statistics.hasQuality = true;
    figures.statistics.qualityPercent = 61;
    figures.strength.unit = LevelPercent;
    figures.strength.value = 40.0;
    EXPECT_NE(std::string::npos, statusReport(description, figures).find("c/n: 61 % (relative)\nstrength: 40 %\n"));
    // In the driver's own units and limits: a stretch its table reads as one value, its bound, a gain.
    figures.strength.unit = LevelDbm;
    figures.strength.value = -69.0;
    figures.strength.ranged = true;
    figures.strength.rangeTo = -60.0;
    EXPECT_NE(std::string::npos, statusReport(description, figures).find("strength: -60 to -69 dBm\n"));
    figures.strength.ranged = false;
    figures.strength.value = -30.0;
    figures.strength.bound = LevelOrMore;
    EXPECT_NE(std::string::npos, statusReport(description, figures).find("strength: -30.0 dBm or more\n"));
    figures.strength.bound = LevelExact;
    figures.strength.unit = LevelGain;
    figures.strength.value = -45.0;
    EXPECT_NE(std::string::npos,
              statusReport(description, figures).find("strength: -45.0 dB (the tuner's gain, not dBm)\n"));
    figures.strength = SignalLevel();
    EXPECT_NE(std::string::npos, statusReport(description, figures).find("strength: -\n"));
}

static FrontendPlan planFor(int32_t frequencyMHz, int32_t polarization, int32_t diseqc)
{
    return frontendPlanFor(programTuning(frequencyMHz, polarization, diseqc));
}

TEST(DvbRemoteTuning, TheDaemonsLnbRulesGiveThePlansBandAndIntermediateFrequency)
{
    struct Case {
        int32_t frequencyMHz;
        uint32_t frequencyKHz;  // given to libdvbv5
        uint32_t intermediateKHz;
        bool toneOn;
    };
    const Case cases[] = {
        {11699, 11699000, 1949000, false},
        {11700, 11700001, 1100001, true},
        {12245, 12245000, 1645000, true},
        {10700, 10700000, 950000, false},
        {3840, 11060000, 1310000, false},
        {4200, 10700000, 950000, false},
        {12751, 0, 0, true},
        {4201, 0, 0, false},
    };
    for (const Case& c : cases) {
        const RemoteTuning remote = remoteTuningFor(planFor(c.frequencyMHz, 0, 0));
        EXPECT_EQ(c.frequencyKHz, remote.frequencyKHz) << c.frequencyMHz;
        EXPECT_EQ(c.intermediateKHz, remote.intermediateKHz) << c.frequencyMHz;
        EXPECT_EQ(c.toneOn, remote.toneOn) << c.frequencyMHz;
        EXPECT_EQ(Voltage18, remote.voltage);
        EXPECT_EQ(-1, remote.satelliteNumber);
        EXPECT_FALSE(remote.sendsDiseqc);
    }
    // Ports "AB" and "BB" get libdvbv5's 13 V and no tone; the command is the plan's.
    const RemoteTuning ab = remoteTuningFor(planFor(12245, 0, 5));
    EXPECT_EQ(2, ab.satelliteNumber);
    EXPECT_EQ(Voltage13, ab.voltage);
    EXPECT_FALSE(ab.toneOn);
    EXPECT_TRUE(ab.sendsDiseqc);
    EXPECT_EQ(0xFB, ab.diseqc[3]);
    const RemoteTuning b = remoteTuningFor(planFor(12245, 0, 2));
    EXPECT_EQ(1, b.satelliteNumber);
    EXPECT_EQ(Voltage18, b.voltage);
    EXPECT_TRUE(b.toneOn);
}

}  // namespace

// The band sweep through azimora-dvb: its options, what it prints and
// writes, its lines in the protocol both ways, and a session's requests.
#include <algorithm>
#include <gtest/gtest.h>

#include "dvb/helper/helper_options.h"
#include "dvb/helper/sweep/sweep_report.h"
#include "dvb/protocol/session.h"
#include "dvb/protocol/sweep_answer.h"

namespace {

bool parse(std::vector<const char*> args, HelperOptions* options, std::string* error)
{
    args.insert(args.begin(), "azimora-dvb");
    return parseHelperOptions(static_cast<int>(args.size()), args.data(), options, error);
}

// A low band of noise with one carrier's hump at 11362 MHz and one at 10800 MHz.
SweepStatus sweptBand()
{
    SweepStatus status;
    status.state = SweepDone;
    status.plan = planSweep(SweepRequest());
    for (int32_t f : status.plan.frequenciesMHz) {
        double level = -65.0;
        if (f >= 11350 && f <= 11374) level = -50.0;
        if (f >= 10790 && f <= 10810) level = -55.0;
        status.result.points.push_back(SweepPoint{f, true, level});
    }
    status.stepsDone = static_cast<uint32_t>(status.result.points.size());
    findSweepPeaks(status.result);
    return status;
}

}  // namespace

TEST(DvbSweep, TheSweepsOptionsGoWithSweepAlone)
{
    HelperOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--sweep", "--band", "high", "--polarisation", "V", "--switch", "AB", "--lnb", "universal",
                       "--step", "4", "--csv", "band.csv", "--try"},
                      &options, &error))
        << error;
    EXPECT_TRUE(options.sweep.sweep);
    EXPECT_EQ(SweepHighBand, options.sweep.request.band);
    EXPECT_EQ(1, options.sweep.request.polarization);
    EXPECT_EQ(5, options.sweep.request.diseqcCode);
    EXPECT_EQ(4, options.sweep.request.stepMHz);
    EXPECT_TRUE(options.sweep.request.tryPeaks);
    EXPECT_EQ("band.csv", options.csvPath);
    ASSERT_TRUE(parse({"--sweep", "--lnb=10750", "--adapter", "1"}, &options, &error)) << error;
    EXPECT_EQ(10750, options.sweep.request.oscillatorMHz);
    EXPECT_FALSE(parse({"--band", "low"}, &options, &error));
    EXPECT_EQ("--band goes with --sweep", error);
    EXPECT_FALSE(parse({"--sweep", "--step", "0"}, &options, &error));
    EXPECT_NE(std::string::npos, error.find("--step"));
    EXPECT_FALSE(parse({"--sweep", "--polarisation", "L"}, &options, &error));
    EXPECT_FALSE(parse({"--sweep", "--csv="}, &options, &error));
    EXPECT_FALSE(parse({"--switch", "A"}, &options, &error));
    EXPECT_EQ("--switch goes with --survey or --sweep", error);
    EXPECT_FALSE(parse({"--sweep", "--survey", "13.0E"}, &options, &error));
    EXPECT_FALSE(parse({"--sweep", "--status"}, &options, &error));
    EXPECT_NE(std::string::npos, std::string(helperUsage()).find("--sweep"));
}

TEST(DvbSweep, ThePictureThePeaksAndTheCsv)
{
    SweepStatus status = sweptBand();
    ASSERT_EQ(2u, status.result.peaks.size());
    const std::string report = sweepReport(status);
    EXPECT_EQ(0u, report.find("sweep 10700-11698 MHz H, low band: 500 steps of 2 MHz, floor -65.0 dBm, 2 peaks\n"));
    EXPECT_NE(std::string::npos, report.find("\npeak: 10800 MHz H, level -55.0 dBm (+10.0 dB over the floor)"));
    EXPECT_NE(std::string::npos, report.find("\npeak: 11362 MHz H, level -50.0 dBm (+15.0 dB over the floor)"));
    // The picture: twelve rows, the humps as columns of #, the axis under them.
    const std::string picture = sweepPicture(status.result);
    EXPECT_EQ(static_cast<size_t>(sweepPictureRows + 2),
              static_cast<size_t>(std::count(picture.begin(), picture.end(), '\n')));
    EXPECT_NE(std::string::npos, picture.find("  -50 dBm|"));
    EXPECT_NE(std::string::npos, picture.find("10700"));
    EXPECT_NE(std::string::npos, picture.find("11698 MHz"));
    const size_t topRow = picture.find('|');
    EXPECT_NE(std::string::npos, picture.substr(topRow, picture.find('\n') - topRow).find('#'));
    // Tried: what locked and its network, or the rates that did not.
    SweepPeak& locked = status.result.peaks[1];
    locked.tried = locked.locked = true;
    locked.symbolRate = 22000;
    locked.hasModcod = true;
    locked.modcod = Modcod{ModDvbS2, Mod8psk, 3, 4};
    locked.network.known = true;
    locked.network.networkName = "Astra";
    locked.network.networkId = 1;
    locked.network.position = 192;
    locked.network.certainty = PositionOfStream;
    EXPECT_NE(std::string::npos, sweepPeakLine(locked, status.plan, LevelDbm)
                                     .find(": locked at 22000 kS/s, DVB-S2 8PSK 3/4, network Astra (0x0001), 19.2E"));
    status.result.peaks[0].tried = true;
    EXPECT_NE(std::string::npos, sweepPeakLine(status.result.peaks[0], status.plan, LevelDbm).find(": no lock at "));
    const std::string csv = sweepCsv(status);
    EXPECT_EQ(0u, csv.find("frequency_mhz,polarisation,level,unit\r\n10700,H,-65.00,dBm\r\n"));
    EXPECT_EQ(501, std::count(csv.begin(), csv.end(), '\n'));
    status.result.points[1].measured = false;
    EXPECT_NE(std::string::npos, sweepCsv(status).find("\r\n10702,H,,\r\n"));
}

TEST(DvbSweep, TheSweepsLinesReadBackAsWritten)
{
    const SweepStatus status = sweptBand();
    SweepStatus read;
    size_t peaks = 0;
    ASSERT_TRUE(parseSweepState(sweepStateText(status), &read, &peaks));
    EXPECT_EQ("sweep done 500 2 dbm -6500", sweepStateText(status));
    EXPECT_EQ(SweepDone, read.state);
    EXPECT_EQ(500u, read.stepsDone);
    EXPECT_EQ(2u, peaks);
    EXPECT_DOUBLE_EQ(-65.0, read.result.floor);
    SweepStatus running;
    running.state = SweepRunning;
    running.stepsDone = 120;
    running.steps = 500;
    ASSERT_TRUE(parseSweepState(sweepStateText(running), &read, &peaks));
    EXPECT_EQ(SweepRunning, read.state);
    EXPECT_EQ(120u, read.stepsDone);
    SweepStatus failed;
    failed.state = SweepFailed;
    failed.problem = "the frontend gives no level without a lock";
    ASSERT_TRUE(parseSweepState(sweepStateText(failed), &read, &peaks));
    EXPECT_EQ(failed.problem, read.problem);
    ASSERT_TRUE(parseSweepState("sweep none", &read, &peaks));
    for (const char* wrong : {"", "sweep", "sweep running 5", "sweep running 6 5", "sweep done 1 1 watts 0",
                              "sweep failed", "sweep bored", "levels 0"})
        EXPECT_FALSE(parseSweepState(wrong, &read, &peaks)) << wrong;

    // Every step comes back, twelve a line.
    std::vector<SweepPoint> points;
    for (size_t from = 0; from < status.result.points.size(); from = points.size()) {
        const std::string line = sweepLevelsText(status.result, from);
        ASSERT_TRUE(parseSweepLevels(line, status.plan, from, &points)) << line;
        ASSERT_GT(points.size(), from);
    }
    ASSERT_EQ(status.result.points.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(status.result.points[i].frequencyMHz, points[i].frequencyMHz);
        EXPECT_DOUBLE_EQ(status.result.points[i].level, points[i].level);
    }
    EXPECT_FALSE(parseSweepLevels("levels 5 -6500", status.plan, 4, &points));  // not the line asked for
    EXPECT_FALSE(parseSweepLevels("levels 0 -65.00", status.plan, 0, &points));
    EXPECT_TRUE(parseSweepLevels("levels 0 - -6500", status.plan, 0, &points));
    EXPECT_FALSE(points[points.size() - 2].measured);

    SweepPeak peak = status.result.peaks[1];
    peak.tried = peak.locked = true;
    peak.symbolRate = 27500;
    peak.hasModcod = true;
    peak.modcod = Modcod{ModDvbS, ModQpsk, 3, 4};
    peak.network.known = true;
    peak.network.networkId = 0x0085;
    peak.network.position = -300;
    peak.network.certainty = PositionOfStream;
    peak.network.networkName = "Hispasat";
    SweepPeak back;
    ASSERT_TRUE(parseSweepPeak(sweepPeakText(peak), &back)) << sweepPeakText(peak);
    ASSERT_TRUE(parseSweepPeakName(sweepPeakNameText(peak), &back));
    EXPECT_EQ(sweepPeakText(peak), sweepPeakText(back));
    EXPECT_EQ("Hispasat", back.network.networkName);
    EXPECT_EQ(-300, back.network.position);
    SweepPeak plain = status.result.peaks[0];
    ASSERT_TRUE(parseSweepPeak(sweepPeakText(plain), &back));
    EXPECT_FALSE(back.tried);
    plain.tried = true;
    ASSERT_TRUE(parseSweepPeak(sweepPeakText(plain), &back));
    EXPECT_TRUE(back.tried);
    EXPECT_FALSE(back.locked);
    for (const char* wrong :
         {"peak", "peak 11362 -5000 1500", "peak x -5000 1500 220", "peak 11362 -5000 1500 220 huh",
          "peak 11362 -5000 1500 220 locked 27500 S-QPSK-9/9 - -", "peak 11362 -5000 1500 220 locked 27500 - 0x85 -",
          "peak 11362 -5000 1500 220 locked 27500 - - 19.2E"})
        EXPECT_FALSE(parseSweepPeak(wrong, &back)) << wrong;
}

namespace {

struct SweepingFrontend : FrontendPort {
    SweepStatus status;
    std::vector<SweepPlan> asked;
    bool open(std::string*) override { return true; }
    bool tune(const CardTuning&, std::string*) override { return true; }
    bool measure(SignalReading* reading) override
    {
        *reading = SignalReading{true, 50, 9.0f};
        return true;
    }
    NetworkReport network() override { return NetworkReport(); }
    bool startSweep(const SweepPlan& plan, std::string*) override
    {
        asked.push_back(plan);
        return true;
    }
    SweepStatus sweepStatus() override { return status; }
};

std::string line(Session& session, FrontendPort& frontend, const std::string& text)
{
    return formatReply(handleLine(session, ReadLine{false, text}, frontend));
}

}  // namespace

TEST(DvbSweep, ASessionSweepsAndReadsItsSweepBackALineAtATime)
{
    Session session;
    SweepingFrontend frontend;
    EXPECT_EQ("fail not initialized", line(session, frontend, "Sweep band=low pol=H"));
    line(session, frontend, "Initialize");
    for (const char* call : {"SetLnbSelection 0", "SetLnbFrequency 9750", "SetPolarity 0", "SetSymbolRate 27500",
                             "SetTransponderFrequency 11362", "SetDiseqc 0", "QuerySignalStatus"})
        line(session, frontend, call);
    EXPECT_TRUE(session.hasStatus);
    EXPECT_EQ("fail the polarisation is H or V, not \"L\"", line(session, frontend, "Sweep band=low pol=L"));
    EXPECT_EQ("ok", line(session, frontend, "Sweep band=high pol=V switch=A lnb=universal step=5 try=1"));
    ASSERT_EQ(1u, frontend.asked.size());
    EXPECT_TRUE(frontend.asked[0].toneOn);
    EXPECT_EQ(11700, frontend.asked[0].frequenciesMHz.front());
    // The frontend has left the tuning: the program's next start sends all six again.
    EXPECT_FALSE(session.hasStatus);
    EXPECT_EQ("fail not tuned", line(session, frontend, "QuerySignalStatus"));
    EXPECT_EQ("ok sweep none", line(session, frontend, "QuerySweep"));
    frontend.status = sweptBand();
    EXPECT_EQ("ok sweep done 500 2 dbm -6500", line(session, frontend, "QuerySweep"));
    EXPECT_EQ("ok levels 0 -6500 -6500 -6500 -6500 -6500 -6500 -6500 -6500 -6500 -6500 -6500 -6500",
              line(session, frontend, "SweepLevels 0"));
    EXPECT_EQ("ok levels 500", line(session, frontend, "SweepLevels 500"));
    EXPECT_EQ("fail no such step", line(session, frontend, "SweepLevels 501"));
    EXPECT_EQ(0u, line(session, frontend, "SweepPeak 1").find("ok peak 11362 -5000 1500 "));
    EXPECT_EQ("ok name", line(session, frontend, "SweepPeakName 0"));
    EXPECT_EQ("fail no such peak", line(session, frontend, "SweepPeak 2"));
    EXPECT_EQ("fail no such line", line(session, frontend, "SweepPeak -1"));
}

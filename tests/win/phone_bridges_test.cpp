// The phone page of the two bridges to real tuners: the Linux bridge
// (dvbcard.dll and azimora-dvb on a simulated frontend, asked for by
// AZIMORA_PHONE) and the BDA bridge (on the simulated BDA tuner, asked for
// by bdacard.ini beside it) serve the readings they hand the program; the
// Linux bridge also the network the helper read from the stream.
#include "tests/win/bda_fixture.h"
#include "tests/win/phone_dvb_fixture.h"
#include "tests/win/phone_support.h"

namespace {

using PhoneDvbTest = PhoneDvbProgramTest;

TEST_F(PhoneDvbTest, TheLinuxBridgeServesItsReadings)
{
    uint16_t port = 0;
    AppRun* run = startWithPhone("phone-dvb", "0 lock 13.44\n", &port);
    ASSERT_NE(nullptr, run);
    const std::string helperAddress = "127.0.0.1:" + std::to_string(helper_.port);
    startTypedEntry(*run, "12245H27500");
    const std::string stream = phoneAsk(port, "/events", "event: reading", 3);
    EXPECT_EQ(3, occurrences(stream, "event: reading"));
    EXPECT_NE(std::string::npos, stream.find("\"lock\":true,\"quality\":80,\"cn\":13.44"));
    EXPECT_NE(std::string::npos, stream.find("\"card\":\"DVB-S/S2 frontend through azimora-dvb at " + helperAddress));
    EXPECT_EQ(0, closeWithEscape(*run));
}

TEST_F(PhoneDvbTest, TheLinuxBridgeTellsThePageWhichSatelliteTheStreamComesFrom)
{
    uint16_t port = 0;
    AppRun* run = startWithPhone(
        "phone-dvb-network", "0 lock 12\nstream 0x0403 1\nnit actual 1 Astra Nineteen\nentry 0x0403 1 19.2E\n", &port);
    ASSERT_NE(nullptr, run);
    startCatalogueLine(*run, 53);  // [HotBird1-6   13.0e]=10723h29900, but the dish sees 19.2 E
    const std::string stream = phoneAsk(port, "/events", "\"state\":\"known\"", 1, 8000);
    EXPECT_NE(std::string::npos, stream.find("\"network\":{\"state\":\"known\",\"name\":\"Astra Nineteen\","
                                             "\"id\":\"0x0001\",\"position\":\"19.2\xC2\xB0 E\""))
        << stream.substr(stream.size() > 600 ? stream.size() - 600 : 0);
    EXPECT_NE(std::string::npos, stream.find("\"expected\":[\"13.0\xC2\xB0 E\"],\"verdict\":\"wrong\""));
    EXPECT_EQ(0, closeWithEscape(*run));
}

// The card reads no list of the network's transponders; the helper does,
// and says where the skew guide can judge the LNB's turn.
TEST_F(PhoneDvbTest, TheLinuxBridgeNamesTheTransponderWhereTheSkewCanBeJudged)
{
    uint16_t port = 0;
    AppRun* run = startWithPhone("phone-dvb-skew",
                                 "0 lock 12\nstream 0x0403 1\nnit actual 1 Astra\nentry 0x0403 1 19.2E 12245H27500\n"
                                 "entry 0x0404 1 19.2E 12188H27500\nentry 0x0405 1 19.2E 12188V27500\n",
                                 &port);
    ASSERT_NE(nullptr, run);
    startTypedEntry(*run, "12245H27500");
    ASSERT_NE("", phoneAsk(port, "/events", "\"state\":\"known\"", 1, 8000));
    const std::string started = phoneAskHalfClosed(
        port, "POST /peak?do=start&axis=skew HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Azimora: peak\r\n\r\n");
    EXPECT_NE(std::string::npos, started.find(" 20")) << started;
    const std::string stream = phoneAsk(port, "/events", "skew cannot be judged here: tune 12188 H", 1, 8000);
    EXPECT_NE(std::string::npos, stream.find("skew cannot be judged here: tune 12188 H, where a transponder of the "
                                             "other polarisation shares the frequency"))
        << stream.substr(stream.size() > 600 ? stream.size() - 600 : 0);
    EXPECT_EQ(0, closeWithEscape(*run));
}

// The helper's word on what the margin rests on reaches the page with the
// first locked reading: the tuner's read-back here, or no margin from a
// relative C/N.
TEST_F(PhoneDvbTest, TheLinuxBridgeGivesThePageTheMarginOfTheHelpersWord)
{
    uint16_t port = 0;
    AppRun* run =
        startWithPhone("phone-dvb-margin", "0 lock 12.4\npersonality reads-back\ntransponder DVB-S2 8PSK 3/4\n", &port);
    ASSERT_NE(nullptr, run);
    startTypedEntry(*run, "11362H27500");
    const std::string stream = phoneAsk(port, "/events", "\"lock\":true", 1, 8000);
    const size_t firstLocked = stream.find("\"lock\":true");
    ASSERT_NE(std::string::npos, firstLocked) << stream;
    const std::string reading = stream.substr(firstLocked, stream.find('\n', firstLocked) - firstLocked);
    EXPECT_NE(std::string::npos, reading.find("\"margin\":{\"status\":\"known\",\"modcod\":\"S2-8PSK-3/4\","
                                              "\"name\":\"DVB-S2 8PSK 3/4\",\"source\":\"tuner\",\"thresholdDb\":8.21,"
                                              "\"marginDb\":4.2,\"verdict\":\"good\""))
        << reading;
    EXPECT_EQ(0, closeWithEscape(*run));
    signalHelper(helper_, "KILL");

    // A fresh folder: the program remembers the keypad it was left in.
    uint16_t secondPort = 0;
    AppRun* relative = startWithPhone("phone-dvb-margin-relative", "0 lock 12.4\nstatistics relative\n", &secondPort);
    ASSERT_NE(nullptr, relative);
    startTypedEntry(*relative, "11362H27500");
    const std::string unknown = phoneAsk(secondPort, "/events", "\"status\":\"nodb\"", 1, 8000);
    EXPECT_NE(std::string::npos, unknown.find("\"why\":\"the tuner gives no C/N in dB\"")) << unknown.substr(0, 600);
    EXPECT_EQ(0, closeWithEscape(*relative));
}

// Whether a reading's s/n is a C/N in dB travels with the reading itself:
// m88ds3103 gives no C/N below 2:1, and each reading there has no margin at
// once, never one made of a figure derived from the quality by the word of a
// reading before (asked only every fifth reading).
TEST_F(PhoneDvbTest, EachReadingOfTheLinuxBridgeHasAMarginOnlyWhereItsOwnFigureIsInDecibels)
{
    uint16_t port = 0;
    AppRun* run = startWithPhone("phone-dvb-unit",
                                 "name Montage Technology M88DS3103\nstatistics m88ds3103\npersonality reads-back\n"
                                 "transponder DVB-S2 8PSK 3/4\n0 lock 12\n2000 lock 2\n2700 lock 12\n3400 lock 2\n"
                                 "4100 lock 12\n4800 lock 2\n5500 lock 12\n6200 lock 2\n",
                                 &port);
    ASSERT_NE(nullptr, run);
    startTypedEntry(*run, "11362H27500");
    const std::string stream = phoneAsk(port, "/events", "\"lock\":true", 70, 12000);
    EXPECT_GE(occurrences(stream, "\"status\":\"nodb\""), 1) << stream.substr(0, 600);
    EXPECT_GE(occurrences(stream, "\"status\":\"known\""), 1);
    EXPECT_EQ(0, occurrences(stream, "\"verdict\":\"failing\"")) << stream.substr(0, 600);
    EXPECT_NE(std::string::npos, stream.find("\"cnOrMore\":true"));  // a ratio rounded down: at least the figure
    EXPECT_EQ(0, closeWithEscape(*run));
}

// stb0899 gives no level before the lock (its 0 unless locked is no live 0
// %), and at its table's lowest C/N, 1.5 dB, its figure reads "or less".
TEST_F(PhoneDvbTest, TheLinuxBridgeSaysWhereTheDriverGivesNoLevelAndWhereItsFiguresStop)
{
    uint16_t port = 0;
    AppRun* run = startWithPhone("phone-dvb-driver-limits",
                                 "name STB0899 Multistandard\nstatistics stb0899\nsystem strict\ntransponder DVB-S\n"
                                 "0 nolock\n2500 lock 1\n",
                                 &port);
    ASSERT_NE(nullptr, run);
    startTypedEntry(*run, "11362H27500");
    const std::string stream = phoneAsk(port, "/events", "\"lock\":true", 1, 12000);
    EXPECT_NE(std::string::npos, stream.find("\"lock\":false,\"quality\":0,\"cn\":0.00,")) << stream.substr(0, 600);
    EXPECT_NE(std::string::npos, stream.find("\"level\":{\"state\":\"none-before-lock\",\"unit\":null,"));
    EXPECT_EQ(std::string::npos, stream.find("\"level\":{\"state\":\"live\",\"unit\":\"%\""));
    EXPECT_NE(std::string::npos, stream.find("\"cn\":1.50,\"cnOrMore\":false,\"cnOrLess\":true,"))
        << stream.substr(stream.size() > 800 ? stream.size() - 800 : 0);
    EXPECT_EQ(0, closeWithEscape(*run));
}

// The LNB's own error, as the helper finds it after the lock, reaches the
// page through dvbcard.dll: the high band's oscillator 0.9 MHz low.
TEST_F(PhoneDvbTest, TheLinuxBridgeTellsThePageHowFarTheLnbIsOff)
{
    uint16_t port = 0;
    AppRun* run =
        startWithPhone("phone-dvb-lnb", "lnb 9750 10600 error -900\ncarrier 12245H27500 12 S-QPSK-3/4\n", &port);
    ASSERT_NE(nullptr, run);
    startTypedEntry(*run, "12245H27500");
    const std::string stream = phoneAsk(port, "/events", "\"lnb\":{\"known\":true", 1, 12000);
    EXPECT_NE(std::string::npos, stream.find("\"lnb\":{\"known\":true,\"errorKHz\":-900,\"oscillatorMHz\":10600,"
                                             "\"text\":\"LNB -0.9 MHz (10600 MHz oscillator)\""))
        << stream.substr(stream.size() > 800 ? stream.size() - 800 : 0);
    EXPECT_NE(std::string::npos, stream.find("this one drifts or is an older type\",\"beyond\":true}"));
    EXPECT_EQ(0, closeWithEscape(*run));
}

using PhoneBdaTest = BdaProgramTest;

TEST_F(PhoneBdaTest, TheBdaBridgeServesItsReadingsAskedForByItsSettingsFile)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge("signal 0 locked 30 60\n", "phone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 30));
    const std::string stream = phoneAsk(port, "/events", "event: reading", 3);
    EXPECT_EQ(3, occurrences(stream, "event: reading"));
    EXPECT_NE(std::string::npos, stream.find("\"lock\":true,\"quality\":30,"));
    EXPECT_NE(std::string::npos, stream.find("\"card\":\"BDA tuner\""));
    EXPECT_NE(std::string::npos, stream.find("\"frequencyMHz\":12245,\"polarization\":\"H\""));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace

// Measuring through a single-cable device with bdacard.dll: the simulated
// tuner has the device of cardbase/single_cable_device.h behind it, which
// honours a command only at 18 V (after a horizontal tune) without the
// tone and puts the asked transponder on its user band. Through
// IBDA_DiseqCommand and through a maker's set, EN 50494 and EN 50607; a
// wrong PIN; the power-off at the close; another receiver on the band; and
// the refusals, with nothing sent.
#include "tests/win/bda_fixture.h"
#include "tests/win/phone_support.h"

namespace {

using BdaSingleCableTest = BdaProgramTest;

const char devices[] = "scr-device en50494 1210,1420,1680,2040\n";
// Its sections only on 11778 MHz: the network reaches the page only when that transponder is the one locked.
const char astraOn11778[] = "stream 0x0401 1\nnetwork 1 Astra\nnit entry 0x0401 1 19.2E\nsections only 11778\n";

std::string settingsWith(const std::string& scr, uint16_t port, const std::string& more = "")
{
    return "scr=" + scr + "\r\nphone=" + std::to_string(port) + "\r\n" + more;
}

std::string bridgeLog(const AppRun& run) { return readFile(joinPath(run.folder, "bdacard.log")); }

size_t lastIndexOf(const std::vector<std::string>& lines, const std::string& start)
{
    for (size_t i = lines.size(); i-- > 0;)
        if (lines[i].compare(0, start.size(), start) == 0) return i;
    return lines.size();
}

// 11778 V, user band 1 at 1210 MHz: E0 10 5A 04 F7, the demodulator at 1210 MHz.
TEST_F(BdaSingleCableTest, En50494ThroughTheNodeLocksTheAskedTransponderAndFreesTheBandAtTheClose)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge(std::string(devices) + astraOn11778, settingsWith("en50494,1,1210", port));
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "11778V27500");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>({"diseqc E0 10 5A 04 F7 scr: tuned"}), diseqcCommands(run));
    // 18 V by a horizontal tune at the demodulator's frequency, then 13 V; never the tone.
    const std::vector<std::string> tuned = tunes(run);
    ASSERT_EQ(2u, tuned.size());
    EXPECT_NE(std::string::npos, tuned[0].find(" polarisation=H ")) << tuned[0];
    EXPECT_NE(std::string::npos, tuned[1].find(" polarisation=V ")) << tuned[1];
    for (const std::string& tune : tuned) EXPECT_NE(std::string::npos, tune.find(" band=low if=1210000")) << tune;
    // The stream's own word: the transponder asked for is the one locked.
    EXPECT_NE(std::string::npos, streamUntil(port, "\"name\":\"Astra\"").find("19.2\xC2\xB0 E"));
    EXPECT_EQ("BDA tuner; single cable by DiSEqC command", pageCardLine(port, "single cable"));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
    // The power-off after the last measuring tune, at 18 V again.
    const std::vector<std::string> lines = logLines(run);
    const size_t off = lastIndexOf(lines, "diseqc E0 10 5A 00 00");
    ASSERT_LT(off, lines.size()) << testing::PrintToString(lines);
    EXPECT_EQ("diseqc E0 10 5A 00 00 scr: freed", lines[off]);
    EXPECT_NE(std::string::npos, bridgeLog(run).find("11778 V 27500 through EN 50494, user band 1 at 1210 MHz by "
                                                     "DiSEqC command: tune H 11810000 kHz, no tone; 15 ms; command "
                                                     "E0 10 5A 04 F7; 50 ms; tune V 11810000 kHz, no tone"))
        << bridgeLog(run);
    EXPECT_TRUE(unreleased(run).empty());
}

// EN 50607 at position 2 (letter "B") through TurboSight's set, which is told the tone is off first.
TEST_F(BdaSingleCableTest, En50607ThroughAMakersSetLocksTheAskedTransponder)
{
    AppRun& run = startWithBridge("scr-device en50607 1210,1420,1680,2040\nswitch port B\n" + std::string(astraOn11778),
                                  "tuner=TBS Simulated DVB-S2 Tuner\r\nscr=en50607,2,1420\r\n");
    startTypedEntry(run, "11778V27500B");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>({"diseqc 70 0C 36 05 by property set scr: tuned"}), diseqcCommands(run));
    const std::vector<std::string> lines = logLines(run);
    ASSERT_LT(lastIndexOf(lines, "tone off by property set"), lastIndexOf(lines, "diseqc 70"));
    EXPECT_TRUE(linesStarting(run, "tone on").empty());
    EXPECT_TRUE(linesStarting(run, "burst").empty());
    for (const std::string& tune : tunes(run)) EXPECT_NE(std::string::npos, tune.find(" if=1420000")) << tune;
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ("diseqc 70 08 00 00 by property set scr: freed", diseqcCommands(run).back());
    EXPECT_TRUE(unreleased(run).empty());
}

// Nothing locks: the command goes once more after a random pause, and the device still refuses it.
TEST_F(BdaSingleCableTest, AWrongPinGivesNoLockAndTheCommandGoesOnceMore)
{
    AppRun& run = startWithBridge("scr-device en50494 1210,1420,1680,2040 pin 77\n", "scr=en50494,1,1210,78\r\n");
    startTypedEntry(run, "11778V27500");
    EXPECT_FALSE(barShows(run, 72, 3000));
    EXPECT_EQ(std::vector<std::string>(2, "diseqc E0 10 5C 04 F7 4E scr: wrong PIN"), diseqcCommands(run));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

// Every 3 s another receiver asks for its own transponder on user band 1:
// the stream's id changes under a steady tune, and the bridge says why.
TEST_F(BdaSingleCableTest, AnotherReceiverOnTheUserBandIsNamed)
{
    AppRun& run =
        startWithBridge(std::string(devices) + "scr-neighbour 1 every 3\nstream 0x0401 1\n", "scr=en50494,1,1210\r\n");
    startTypedEntry(run, "11778V27500");
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_TRUE(waitForLogLine(run, "scr neighbour on user band 1", 6000));
    const DWORD start = GetTickCount();
    while (bridgeLog(run).find("another receiver uses user band 1") == std::string::npos &&
           GetTickCount() - start < 5000)
        Sleep(100);
    EXPECT_NE(std::string::npos, bridgeLog(run).find("another receiver uses user band 1")) << bridgeLog(run);
    EXPECT_EQ(0, closeWithEscape(run));
}

// The LNB source carries no command: refused with the reason, nothing sent.
TEST_F(BdaSingleCableTest, ATunerThatTakesOnlyTheLnbSourceRefusesSingleCable)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge(devices, settingsWith("en50494,1,1210", port, "tuner=Simulated DVB-S Tuner 2\r\n"));
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "11778V27500");
    EXPECT_EQ("BDA tuner Simulated DVB-S Tuner 2; single cable refused: it needs a DiSEqC command, which the LNB "
              "source cannot carry",
              pageCardLine(port, "refused"));
    ASSERT_TRUE(boxShown(run, "Error", "Set DiSEqC failed"));
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_TRUE(tunes(run).empty());
    EXPECT_TRUE(diseqcCommands(run).empty());
}

TEST_F(BdaSingleCableTest, ABadSettingIsRefusedWithItsReasonAndNothingIsSent)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge(devices, settingsWith("en50494,9,1210", port));
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    EXPECT_EQ("BDA tuner; single cable refused: user band 9 is not 1-8 for EN 50494", pageCardLine(port, "refused"));
    startTypedEntry(run, "11778V27500");
    ASSERT_TRUE(boxShown(run, "Error", "Set DiSEqC failed"));
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_TRUE(tunes(run).empty());
    EXPECT_TRUE(diseqcCommands(run).empty());
    EXPECT_NE(std::string::npos, bridgeLog(run).find("single cable refused for 11778 V 27500: user band 9"));
}

}  // namespace

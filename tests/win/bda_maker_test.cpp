// The makers' own switch commands: tuners whose drivers take DiSEqC only
// through their maker's property set, known by the filter's name or the
// device path's vendor, are switched through it; bdacard.ini's "switch="
// forces one way; and the phone page says which way served.
#include "tests/win/bda_fixture.h"
#include "tests/win/phone_support.h"

namespace {

using BdaMakerTest = BdaProgramTest;

static std::vector<std::string> linesStarting(const AppRun& run, const std::string& start)
{
    std::vector<std::string> lines;
    for (const std::string& line : logLines(run))
        if (line.compare(0, start.size(), start) == 0) lines.push_back(line);
    return lines;
}

// The card line of the page's latest message.
static std::string pageCardLine(uint16_t port, const std::string& part)
{
    const std::string stream = streamUntil(port, part);
    const size_t at = stream.rfind("\"card\":\"");
    if (at == std::string::npos) return std::string();
    const size_t from = at + 8;
    return stream.substr(from, stream.find('"', from) - from);
}

// No IBDA_DiseqCommand at all: today's routes cannot reach the port.
TEST_F(BdaMakerTest, ATunerKnownByItsNameIsSwitchedThroughItsMakersSet)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge("switch port C\n",
                                  "tuner=TBS Simulated DVB-S2 Tuner\r\nphone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "11720V26000AB");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>(2, "diseqc E0 10 38 F9 by property set"), diseqcCommands(run));
    EXPECT_EQ("BDA tuner TBS Simulated DVB-S2 Tuner; switch: TurboSight's property set",
              pageCardLine(port, "property set"));
    // The command went out between a tone-free tune and the band's tune.
    const std::vector<std::string> tuned = tunes(run);
    ASSERT_EQ(2u, tuned.size());
    EXPECT_NE(std::string::npos, tuned[0].find(" band=low ")) << tuned[0];
    EXPECT_NE(std::string::npos, tuned[1].find(" band=high ")) << tuned[1];
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

// Its IBDA_DiseqCommand takes the command and drops it: the set of the
// device path's vendor comes first, and "B" sends its burst through it too.
TEST_F(BdaMakerTest, ATunerKnownByItsVendorIsSwitchedThroughItsMakersSetBeforeItsCommand)
{
    AppRun& run = startWithBridge("switch burst B\n", "tuner=Simulated Reference Tuner\r\n");
    startTypedEntry(run, "12245H27500B");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>(2, "diseqc E0 10 38 F7 by property set"), diseqcCommands(run));
    EXPECT_EQ(std::vector<std::string>({"burst B by property set"}), linesStarting(run, "burst "));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

// Forced to the command, the same tuner drops it, and the page says so.
TEST_F(BdaMakerTest, TheSettingsForceTheCommandOnAMakersTuner)
{
    const uint16_t port = freePort();
    AppRun& run =
        startWithBridge("switch port C\n",
                        "tuner=Simulated Reference Tuner\r\nswitch=command\r\nphone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500AB");
    EXPECT_EQ("BDA tuner Simulated Reference Tuner; switch: DiSEqC command", pageCardLine(port, "switch: "));
    EXPECT_EQ(std::vector<std::string>(2, "diseqc E0 10 38 FB lost: dropped by the driver"), diseqcCommands(run));
    EXPECT_FALSE(barShows(run, 72, 1500));
    EXPECT_EQ(0, closeWithEscape(run));
}

// Forced to a maker's set that the tuner does not answer for, the port cannot be reached.
TEST_F(BdaMakerTest, AForcedMakersSetTheTunerLacksRefusesTheSwitchLetters)
{
    AppRun& run = startWithBridge("", "switch=turbosight\r\n");
    startTypedEntry(run, "12245H27500B");
    ASSERT_TRUE(boxShown(run, "Error", "Set DiSEqC failed"));
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_TRUE(diseqcCommands(run).empty());
    EXPECT_TRUE(tunes(run).empty());
    EXPECT_TRUE(unreleased(run).empty());
}

}  // namespace

// The makers' own switch commands: tuners whose drivers take DiSEqC only
// through their maker's property set, known by the filter's name or the
// device path's vendor, are switched through it, each set as its drivers
// take it (TurboSight's structure as the instance too, the tone put after
// a burst; the reference set's burst only after its last message); a
// board on Conexant's bridge chip with another maker's name is not given
// the reference set; a set taken and ignored gives way to the route that
// locks; bdacard.ini's "switch=" forces one way; and the phone page says
// which way served.
#include "tests/win/bda_fixture.h"
#include "tests/win/phone_support.h"

namespace {

using BdaMakerTest = BdaProgramTest;

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
    EXPECT_TRUE(linesStarting(run, "tone ").empty());  // no burst, so no tone put after one
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

// The driver leaves the tone as the burst left it: the set puts it as the band wants it (high: on).
TEST_F(BdaMakerTest, TurboSightsSetPutsTheToneAfterTheBurst)
{
    AppRun& run = startWithBridge("switch burst A\n", "tuner=TBS Simulated DVB-S2 Tuner\r\n");
    startTypedEntry(run, "11720V26000A");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    const std::vector<std::string> lines = logLines(run);
    std::vector<std::string> switching;
    for (const std::string& line : lines)
        if (line.find(" by property set") != std::string::npos) switching.push_back(line);
    EXPECT_EQ(std::vector<std::string>({"diseqc E0 10 38 F1 by property set", "diseqc E0 10 38 F1 by property set",
                                        "burst A by property set", "tone on by property set"}),
              switching);
    EXPECT_EQ(0, closeWithEscape(run));
}

// "AB" asks for no burst: the reference set's commands are never the last message, after which its driver sends one.
TEST_F(BdaMakerTest, TheReferenceSetsCommandsCarryNoBurst)
{
    AppRun& run = startWithBridge("switch port C\n", "tuner=Simulated Reference Tuner\r\n");
    startTypedEntry(run, "12245H27500AB");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>(2, "diseqc E0 10 38 FB by property set"), diseqcCommands(run));
    EXPECT_TRUE(linesStarting(run, "burst ").empty());
    EXPECT_EQ(0, closeWithEscape(run));
}

// Conexant's PCI vendor id, another maker's name: its own set under the
// reference set's identifier is left alone, and its node's command serves.
TEST_F(BdaMakerTest, ABoardOnConexantsBridgeWithAnotherMakersNameIsNotGivenTheReferenceSet)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge("switch port C\n",
                                  "tuner=TeVii Simulated S470 Tuner\r\nphone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "11720V26000AB");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>(2, "diseqc E0 10 38 F9"), diseqcCommands(run));
    EXPECT_EQ("BDA tuner TeVii Simulated S470 Tuner; switch: DiSEqC command", pageCardLine(port, "switch: "));
    EXPECT_EQ(0, closeWithEscape(run));
}

// Forced, the set is used all the same, and the card line says whose boards the name fits.
TEST_F(BdaMakerTest, ASetForcedOnAnotherMakersTunerIsSaidToBeSo)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge("switch port C\n", "tuner=TeVii Simulated S470 Tuner\r\nswitch=conexant\r\nphone=" +
                                                         std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "11720V26000AB");
    EXPECT_EQ("BDA tuner TeVii Simulated S470 Tuner; switch: Conexant's property set; the tuner's name fits TeVii, "
              "not Conexant",
              pageCardLine(port, "fits"));
    EXPECT_EQ(std::vector<std::string>(2, "diseqc E0 10 38 F9 by property set lost: another maker's layout"),
              diseqcCommands(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

// The set takes every call and locks nothing; after a round of the search
// the node's command locks the transponder on the same port, and the
// bridge keeps it for this tuner.
TEST_F(BdaMakerTest, ASetTakenAndIgnoredGivesWayToTheRouteThatLocks)
{
    AppRun& run = startWithBridge("switch port C\n", "tuner=TBS Simulated Ignoring Tuner\r\n");
    startTypedEntry(run, "11720V26000AB");
    EXPECT_TRUE(barShows(run, 72, 8000)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>({"diseqc E0 10 38 F9 by property set lost: ignored by the driver",
                                        "diseqc E0 10 38 F9 by property set lost: ignored by the driver",
                                        "diseqc E0 10 38 F9", "diseqc E0 10 38 F9"}),
              diseqcCommands(run));
    const std::string settings = readFile(joinPath(run.folder, "bdacard.ini"));
    EXPECT_EQ("tuner=TBS Simulated Ignoring Tuner\r\nswitch=command\r\n", settings);
    EXPECT_NE(std::string::npos, readFile(joinPath(run.folder, "bdacard.log"))
                                     .find("TurboSight's property set was taken and locked nothing; 11720 V 26000 on "
                                           "port C locked through the DiSEqC command: bdacard.ini now says "
                                           "switch=command"));
    // The next start goes the kept way at once.
    postKey(run.window, VK_BACK);
    settle(run, 300);
    postCharacter(run.window, 'm');  // back to the list
    startTypedEntry(run, "11720V26000AB");
    EXPECT_TRUE(barShows(run, 72));
    const std::vector<std::string> commands = diseqcCommands(run);
    ASSERT_EQ(6u, commands.size());
    EXPECT_EQ("diseqc E0 10 38 F9", commands[4]);
    EXPECT_EQ("diseqc E0 10 38 F9", commands[5]);
    EXPECT_EQ(0, closeWithEscape(run));
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

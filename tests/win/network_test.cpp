// Which satellite the dish sees, on the phone page of the simulated card:
// the network its transponder carries, against what the catalogue beside
// the program expected; and the practice dish, which answers from the
// satellite its dish really points at.
#include "tests/win/dish_support.h"
#include "tests/win/phone_support.h"
#include "tests/win/program_test.h"

namespace {

using NetworkPageTest = ProgramTest;

TEST_F(NetworkPageTest, TheTransponderSaysWhereItComesFromAndACatalogueLineWhatWasExpected)
{
    const uint16_t port = freePort();
    AppRun& run = start(withPhoneAndScenario(port, "signal 0 lock 60 11.5\nnetwork 19.2e 0x0001 Astra 19.2E\n"));
    ASSERT_NE(nullptr, waitForPhoneWindow(run));

    // HotBird's catalogue line expects 13.0 E; the stream is the Astra network's.
    startCatalogueLine(run, hotBirdLine);
    const std::string wrong = streamUntil(port, "\"verdict\":\"wrong\"");
    EXPECT_NE(std::string::npos,
              wrong.find("\"network\":{\"state\":\"known\",\"name\":\"Astra 19.2E\",\"id\":\"0x0001\","
                         "\"position\":\"19.2\xC2\xB0 E\",\"uncertain\":false,"
                         "\"expected\":[\"13.0\xC2\xB0 E\"],\"verdict\":\"wrong\"}"));

    // A typed transponder expects nothing: the position is only told.
    postKey(run.window, VK_BACK);  // stop measuring
    settle(run);
    startTypedEntry(run, "12245V27500");
    EXPECT_NE("", streamUntil(port, "\"expected\":[],\"verdict\":\"unexpected\""));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(NetworkPageTest, ANetworkWithoutAPositionIsNeverTheWrongSatellite)
{
    const uint16_t port = freePort();
    AppRun& run = start(withPhoneAndScenario(port, "signal 0 lock 60 11.5\nnetwork unknown 0xff44 LinuxTV.org\n"));
    startCatalogueLine(run, hotBirdLine);
    const std::string stream = streamUntil(port, "\"name\":\"LinuxTV.org\"");
    ASSERT_NE("", stream);
    EXPECT_NE(std::string::npos, stream.find("\"id\":\"0xff44\",\"position\":null"));
    EXPECT_NE(std::string::npos, stream.find("\"verdict\":\"unknown\""));
    EXPECT_EQ(std::string::npos, stream.find("\"verdict\":\"wrong\""));
    EXPECT_EQ(0, closeWithEscape(run));
}

// The practice dish's neighbouring satellites carry HotBird's transponder too:
// a dish on Eutelsat W2 locks on it, and the network says so.
TEST_F(NetworkPageTest, ThePracticeDishOnTheNeighbourLocksButTheNetworkTellsTheWrongSatellite)
{
    const uint16_t port = freePort();
    AppRun& onNeighbour = start(withPhoneAndScenario(port, "dish\naim 16.0e\n"));
    startHotBird(onNeighbour);
    ASSERT_TRUE(waitForLock(onNeighbour, true));
    const std::string wrong = streamUntil(port, "\"verdict\":\"wrong\"");
    EXPECT_NE(std::string::npos, wrong.find("\"name\":\"Eutelsat W2\""));
    EXPECT_NE(std::string::npos, wrong.find("\"position\":\"16.0\xC2\xB0 E\",\"uncertain\":false,"
                                            "\"expected\":[\"13.0\xC2\xB0 E\"]"));
    EXPECT_EQ(0, closeWithEscape(onNeighbour));

    AppRun& onHotBird = start(withPhoneAndScenario(port, "dish\naim 13.0e\n"));
    startHotBird(onHotBird);
    const std::string right = streamUntil(port, "\"verdict\":\"expected\"");
    EXPECT_NE(std::string::npos, right.find("\"name\":\"HotBird1-6\""));
    EXPECT_EQ(0, closeWithEscape(onHotBird));
}

}  // namespace

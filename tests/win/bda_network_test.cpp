// The network of the tuned stream through bdacard.dll, as the phone page
// shows it: read from the sections the simulated demultiplexer passes (or a
// filter's IMpeg2Data gives), matched by the stream's ids, never believed
// when damaged, forgotten at a new start or a lost lock; without sections
// "no network information", and the measurement goes on as ever.
#include "tests/win/bda_fixture.h"
#include "tests/win/phone_support.h"

namespace {

using BdaNetworkTest = BdaProgramTest;

const uint16_t phonePort = freePort();
const std::string phoneSettings = "phone=" + std::to_string(phonePort) + "\r\n";
const char known[] = "\"state\":\"known\"";

// The messages' "network" objects, in order.
std::vector<std::string> networkObjects(const std::string& stream)
{
    std::vector<std::string> objects;
    static const std::string key = "\"network\":";
    for (size_t at = stream.find(key); at != std::string::npos; at = stream.find(key, at + 1)) {
        const size_t end = stream.find('}', at);
        if (end == std::string::npos) break;
        objects.push_back(stream.substr(at + key.size(), end + 1 - at - key.size()));
    }
    return objects;
}

// The page's stream until the network is known (or the time is out), and its latest network object.
std::string networkOnceKnown(int timeoutMs = 10000)
{
    const std::vector<std::string> objects = networkObjects(phoneAsk(phonePort, "/events", known, 1, timeoutMs));
    return objects.empty() ? std::string() : objects.back();
}

// Three entries on two sections; most say 13.0° E, the stream's own 19.2° E.
const char astra[] = "stream 0x0401 1\nnetwork 1 Astra\nnit entry 0x0403 1 13.0E\nnit entry 0x0401 1 19.2E\n"
                     "nit entry 0x0405 1 13.0E\n";

TEST_F(BdaNetworkTest, TheNetworkOfTheTunedStreamReachesThePageBesideWhatTheCatalogueExpected)
{
    AppRun& run = startWithBridge(astra, phoneSettings);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "10723H29900");  // HotBird 13.0e in the catalogue
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_EQ("{\"state\":\"known\",\"name\":\"Astra\",\"id\":\"0x0001\",\"position\":\"19.2\xC2\xB0 E\","
              "\"uncertain\":false,\"expected\":[\"13.0\xC2\xB0 E\"],\"verdict\":\"wrong\"}",
              networkOnceKnown());
    EXPECT_TRUE(waitForLogLine(run, "map Sections 0x0000 0x0010 0x0011", 0));
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

// A stream the NIT does not list: the most common position, marked uncertain.
TEST_F(BdaNetworkTest, AStreamTheNitDoesNotListGetsTheMostCommonPositionMarkedUncertain)
{
    AppRun& run = startWithBridge(std::string(astra) + "stream 0x0999 1\n", phoneSettings);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500");
    EXPECT_EQ("{\"state\":\"known\",\"name\":\"Astra\",\"id\":\"0x0001\",\"position\":\"13.0\xC2\xB0 E\","
              "\"uncertain\":true,\"expected\":[],\"verdict\":\"unexpected\"}",
              networkOnceKnown());
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(BdaNetworkTest, ANitWithoutTheSatelliteDescriptorGivesTheNameAndNoPosition)
{
    AppRun& run = startWithBridge("stream 0x4081 0xff44\nnetwork 0xff44 LinuxTV.org\nnit entry 0x4081 0xff44 none\n",
                                  phoneSettings);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "10723H29900");
    EXPECT_EQ("{\"state\":\"known\",\"name\":\"LinuxTV.org\",\"id\":\"0xff44\",\"position\":null,"
              "\"uncertain\":false,\"expected\":[\"13.0\xC2\xB0 E\"],\"verdict\":\"unknown\"}",
              networkOnceKnown());
    EXPECT_EQ(0, closeWithEscape(run));
}

// Each NIT section first comes damaged ("Astra" as "Cstra"), its CRC wrong.
TEST_F(BdaNetworkTest, ASectionWithAWrongCrcIsNotBelieved)
{
    AppRun& run = startWithBridge(std::string(astra) + "nit damaged\n", phoneSettings);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500");
    const std::string stream = phoneAsk(phonePort, "/events", known, 1, 10000);
    EXPECT_NE(std::string::npos, stream.find(std::string(known) + ",\"name\":\"Astra\"")) << stream.substr(0, 600);
    EXPECT_EQ(std::string::npos, stream.find("Cstra"));
    EXPECT_EQ(0, closeWithEscape(run));
}

// The network is read anew after a lost lock; a new start forgets it, and
// a transponder whose stream carries no sections never shows the one before.
TEST_F(BdaNetworkTest, ALostLockOrANewStartReadsTheNetworkAnew)
{
    AppRun& run = startWithBridge("signal 0 locked 72 81\nsignal 2500 unlocked\nsignal 4000 locked 72 81\n"
                                  "sections only 10723\nnetwork 1 Astra\nnit entry 1 1 19.2E\n",
                                  phoneSettings);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "10723H29900");
    EXPECT_NE(std::string::npos, phoneAsk(phonePort, "/events", known, 1, 10000).find(known));
    EXPECT_NE(std::string::npos,
              phoneAsk(phonePort, "/events", "\"state\":\"unlocked\"", 1, 10000).find("\"state\":\"unlocked\""));
    // Known again after the lock came back: the page forgets it without lock.
    EXPECT_NE(std::string::npos, phoneAsk(phonePort, "/events", known, 1, 10000).find(known));

    postKey(run.window, VK_BACK);
    settle(run, 300);
    postCharacter(run.window, 'm');  // back to the list
    startTypedEntry(run, "12515H22000");
    ASSERT_TRUE(barShows(run, 72));
    const std::string stream = phoneAsk(phonePort, "/events", known, 1, 3000);
    EXPECT_NE(std::string::npos, stream.find("\"state\":\"reading\"")) << stream.substr(0, 600);
    EXPECT_EQ(std::string::npos, stream.find(known));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(BdaNetworkTest, AFilterThatOffersTablesIsAskedForThemWhereThereIsNoDemultiplexer)
{
    AppRun& run = startWithBridge(std::string(astra) + "no demultiplexer\n",
                                  std::string(phoneSettings) + "tuner=Simulated Sections Tuner\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500");
    EXPECT_NE(std::string::npos, networkOnceKnown().find("\"position\":\"19.2\xC2\xB0 E\",\"uncertain\":false"));
    EXPECT_TRUE(waitForLogLine(run, "table 0x0010 0x40 -> 2", 0));
    EXPECT_FALSE(waitForLogLine(run, "create demultiplexer MPEG-2 Demultiplexer", 0));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

// A graph that delivers no sections: after the wait for the NIT, "no
// network information" (state "none"), never an error, and the readings go on.
TEST_F(BdaNetworkTest, WithoutSectionsThePageSaysNoNetworkInformationAndTheMeasurementGoesOn)
{
    AppRun& run = startWithBridge(std::string(astra) + "no demultiplexer\n", phoneSettings);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "10723H29900");
    EXPECT_TRUE(barShows(run, 72));
    const std::string stream = phoneAsk(phonePort, "/events", "\"state\":\"none\"", 1, 25000);
    const std::vector<std::string> objects = networkObjects(stream);
    ASSERT_FALSE(objects.empty());
    EXPECT_EQ("{\"state\":\"none\",\"name\":null,\"id\":null,\"position\":null,\"uncertain\":false,"
              "\"expected\":[\"13.0\xC2\xB0 E\"],\"verdict\":\"unknown\"}",
              objects.back());
    EXPECT_EQ(std::string::npos, stream.find("\"lock\":false"));
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

// Closing while the reader waits in GetTable for a NIT the stream does not
// carry: the graph stops first, the filter's wait ends with it, and all is
// released.
TEST_F(BdaNetworkTest, ClosingWhileATableIsAskedForReleasesEverything)
{
    AppRun& run = startWithBridge("no demultiplexer\n", "tuner=Simulated Sections Tuner\r\n");
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barShows(run, 72));
    ASSERT_TRUE(waitForLogLine(run, "table 0x0011 0x42 -> 1"));  // the SDT came: the NIT is being asked for
    EXPECT_EQ(0, closeWithEscape(run));
    const std::map<std::string, int> alive = unreleased(run);
    EXPECT_TRUE(alive.empty()) << alive.begin()->first;
    EXPECT_TRUE(waitForLogLine(run, "table 0x0010 0x40 -> none", 0));
}

// A filter whose GetTable blocks far past its time out, whatever the graph
// does, keeps only itself: the graph is stopped and released within the
// close's bound, and the reader's thread lets go of the filter once the call returns.
TEST_F(BdaNetworkTest, AFilterThatBlocksInGetTableCannotKeepTheGraph)
{
    AppRun& run = startWithBridge("no demultiplexer\n", "tuner=Simulated Blocking Tables Tuner\r\n");
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barShows(run, 72));
    settle(run, 1000);  // the reader is in its first GetTable by now
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(waitForLogLine(run, "stop Simulated Blocking Tables Tuner", 0));
    EXPECT_TRUE(waitForLogLine(run, "leave Simulated Blocking Tables Tuner", 0));
    EXPECT_TRUE(waitForLogLine(run, "destroy provider Network Provider", 0));
    EXPECT_FALSE(waitForLogLine(run, "table 0x0000 0x00 -> none", 0));  // the call had not returned
    const std::map<std::string, int> alive = unreleased(run);
    EXPECT_EQ((std::map<std::string, int>{{"tuner Simulated Blocking Tables Tuner", 1}}), alive);
}

}  // namespace

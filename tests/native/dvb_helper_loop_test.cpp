// azimora-dvb's serving loop against peers that abuse it and frontends that
// are slow, from the real program on a simulated frontend: a stalled peer,
// or one that resets with its queue full, costs no processor time, opening
// and letting go of the frontend are paced, wrong secrets are slowed (and a
// peer told how long it waits), only well-formed requests keep the
// frontend held, queued tunes collapse to the latest, a slow start is
// waited for while others are answered, and a signal ends the helper at
// once whatever is queued.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "dvb/helper/exit_codes.h"
#include "tests/native/dvb_helper_process.h"

namespace {

static const char secret[] = "dish-PC-0123";

// One complete set of the six values, low band, horizontal.
static std::string tuningSet(int32_t frequencyMHz, int32_t diseqc = 0)
{
    return "SetLnbSelection 0\nSetLnbFrequency 9750\nSetPolarity 0\nSetSymbolRate 27500\nSetTransponderFrequency " +
           std::to_string(frequencyMHz) + "\nSetDiseqc " + std::to_string(diseqc) + "\n";
}

static size_t countLines(const std::string& path, const std::string& start)
{
    const std::vector<std::string> lines = fileLines(path);
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(start) == 0; }));
}

static bool waitForLine(const std::string& path, const std::string& start)
{
    for (int i = 0; i < 1000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (countLines(path, start) > 0) return true;
    return false;
}

static bool replyWaiting(const ServingHelper& helper)
{
    if (!helper.pending.empty()) return true;
    pollfd readable{helper.socket, POLLIN, 0};
    return poll(&readable, 1, 0) > 0;
}

TEST(DvbHelperLoop, AStalledPeerWithAHeldRequestCostsNoProcessorTime)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
    const int holder = connectSlowReader(helper.port);
    ASSERT_GE(holder, 0);
    // A status query held for its reading's pace, then lines whose answers
    // are long, until the answers fill what it never reads.
    const std::string first = "Initialize\nQuerySignalStatus\nQuerySignalStatus\n";
    ASSERT_GT(send(holder, first.data(), first.size(), MSG_NOSIGNAL), 0);
    std::string requests;
    for (int i = 0; i < 1000; ++i) requests += "x\n";
    int refused = 0;
    for (const auto begin = std::chrono::steady_clock::now();
         refused < 100 && std::chrono::steady_clock::now() - begin < std::chrono::seconds(5);) {
        if (send(holder, requests.data(), requests.size(), MSG_NOSIGNAL) > 0) refused = 0;
        else ++refused, std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(100, refused) << "the helper kept reading";
    // Stalled now: the helper waits without working.
    const double before = processorSeconds(helper.pid);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_LT(processorSeconds(helper.pid) - before, 0.2);
    close(holder);
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperLoop, APeerThatResetsWithAFullQueueCostsNoProcessorTime)
{
    // Every frontend call takes half a second: the start with its switch command
    // takes several seconds, while the requests behind it fill the queue.
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "slow all 500\n0 lock 10\n"));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    std::string requests = tuningSet(11000, 5);
    for (int i = 0; i < 100; ++i) requests += "QuerySignalStatus\n";
    ASSERT_TRUE(sendRaw(helper, requests));
    ASSERT_TRUE(waitForLine(helper.files.log, "voltage 18"));
    // Gone with a reset, its requests still queued.
    const linger reset{1, 0};
    setsockopt(helper.socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    disconnect(helper);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double before = processorSeconds(helper.pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_LT(processorSeconds(helper.pid) - before, 0.2);
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperLoop, OpeningAndLettingGoOfTheFrontendArePaced)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
    // Connect, open, close, as fast as the helper answers, for two seconds.
    int rounds = 0;
    for (const auto begin = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - begin < std::chrono::seconds(2); ++rounds) {
        ASSERT_TRUE(connectToHelper(helper));
        ASSERT_EQ("ok", ask(helper, "Initialize"));
        disconnect(helper);
    }
    EXPECT_GT(rounds, 2);
    EXPECT_LE(countLines(helper.files.log, "voltage off"), 12u) << rounds << " rounds";
    // A start after it is there to see.
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    ASSERT_TRUE(sendRaw(helper, tuningSet(11000)));
    for (int i = 0; i < 6; ++i) EXPECT_EQ("ok", readReply(helper));
    EXPECT_EQ(1u, countLines(helper.files.log, "tune if_khz=1250000"));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperLoop, WrongSecretsFromOnePeerAreSlowedAndTheLogSaysSoOnce)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n", {}, {{std::string("AZIMORA_DVB_SECRET=") + secret}}));
    int answered = 0;
    for (const auto begin = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - begin < std::chrono::seconds(2);) {
        ASSERT_TRUE(connectToHelper(helper));
        if (ask(helper, "secret dish-PC-guess") == "fail wrong secret") ++answered;
    }
    disconnect(helper);
    EXPECT_GE(answered, 1);
    EXPECT_LE(answered, 3);
    EXPECT_EQ(1u, countLines(helper.files.log, "refused secret from 127.0.0.1: wrong"));
    // Another peer is not held up by it.
    ServingHelper other = helper;
    other.socket = -1;
    ASSERT_TRUE(connectToHelper(other, "127.0.0.2"));
    EXPECT_EQ("ok", ask(other, std::string("secret ") + secret));
    EXPECT_EQ("ok", ask(other, "Initialize"));
    disconnect(other);
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperLoop, APeerWhosePauseOutlastsItsConnectionIsToldHowLongToWait)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n", {}, {{std::string("AZIMORA_DVB_SECRET=") + secret}}));
    // Three wrong secrets, each looked at once the last one's pause is over:
    // the next waits 4 s, longer than a connection is kept for its secret.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(connectToHelper(helper));
        ASSERT_EQ("fail wrong secret", ask(helper, "secret dish-PC-guess")) << i;
    }
    ASSERT_TRUE(connectToHelper(helper));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ("fail wait 4 s", ask(helper, std::string("secret ") + secret));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperLoop, OnlyAWellFormedRequestKeepsTheFrontendHeld)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n", {"--idle", "1"}));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    // Requests every 300 ms hold it past the idle time...
    for (int i = 0; i < 8; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(300)))
        ASSERT_EQ("ok", ask(helper, "SetFec 6"));
    // ...lines that are none do not.
    std::string reply;
    for (int i = 0; i < 15 && reply != "(closed)"; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(300))) {
        reply = ask(helper, "xyzzy");
        if (reply != "(closed)" && reply != "(not sent)") EXPECT_EQ("fail malformed request", reply);
        if (reply == "(not sent)") reply = "(closed)";
    }
    EXPECT_EQ("(closed)", reply);
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperLoop, QueuedTuningSetsOfOnePeerCollapseToTheLatest)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    std::string sets;
    for (int i = 0; i < 10; ++i) sets += tuningSet(10800 + 80 * i) + (i == 4 ? "QuerySignalStatus\n" : "");
    ASSERT_TRUE(sendRaw(helper, sets));
    // Every request has its reply, in order; only the latest set tunes.
    for (int i = 0; i < 10; ++i) {
        for (int call = 0; call < 5; ++call) EXPECT_EQ("ok", readReply(helper)) << i;
        EXPECT_EQ(i < 9 ? "fail superseded by a later tuning" : "ok", readReply(helper)) << i;
        if (i == 4) EXPECT_EQ("fail not tuned", readReply(helper));
    }
    EXPECT_EQ(1u, countLines(helper.files.log, "voltage 18"));
    EXPECT_EQ(countLines(helper.files.log, "tune "), countLines(helper.files.log, "tune if_khz=1770000"));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperLoop, ASlowStartIsWaitedForWhileOtherPeersAreAnswered)
{
    // Every frontend call takes half a second: the start with its switch
    // command takes well over the second and a half it was once given.
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "slow all 500\n0 lock 10\n"));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    const std::string set = tuningSet(11000, 5);
    const size_t lastCall = set.rfind("SetDiseqc");
    ASSERT_TRUE(sendRaw(helper, set.substr(0, lastCall)));
    for (int i = 0; i < 5; ++i) ASSERT_EQ("ok", readReply(helper));
    ASSERT_TRUE(sendRaw(helper, set.substr(lastCall)));
    ASSERT_TRUE(waitForLine(helper.files.log, "voltage 18"));
    ServingHelper second = helper;
    second.socket = -1;
    second.pending.clear();
    ASSERT_TRUE(connectToHelper(second));
    EXPECT_EQ("fail busy: another program is measuring", readReply(second));
    EXPECT_FALSE(replyWaiting(helper)) << "the start was answered before the second peer";
    disconnect(second);
    EXPECT_EQ("ok", readReply(helper));
    EXPECT_EQ(1u, countLines(helper.files.log, "tune if_khz=1250000"));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperLoop, ASignalEndsTheHelperAtOnceWhateverTunesAreQueued)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "slow all 500\n0 lock 10\n"));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    std::string sets;
    for (int i = 0; i < 10; ++i) sets += tuningSet(10800 + 80 * i, 5);
    ASSERT_TRUE(sendRaw(helper, sets));
    ASSERT_TRUE(waitForLine(helper.files.log, "voltage 18"));
    const size_t powered = countLines(helper.files.log, "voltage 1");
    const auto signalled = std::chrono::steady_clock::now();
    kill(helper.pid, SIGTERM);
    const int code = stopServing(helper);
    const auto took = std::chrono::steady_clock::now() - signalled;
    EXPECT_EQ(ExitOk, code);
    EXPECT_LT(took, std::chrono::seconds(6));
    // Nothing powered the LNB again; it was switched off last.
    EXPECT_EQ(powered, countLines(helper.files.log, "voltage 1"));
    const std::vector<std::string> log = fileLines(helper.files.log);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{"tone off", "voltage off"}),
              std::vector<std::string>(log.end() - 2, log.end()));
}

}  // namespace

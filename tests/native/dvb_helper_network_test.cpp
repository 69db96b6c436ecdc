// azimora-dvb's network face, from the real program on a simulated
// frontend: a peer that never reads stalls nobody, an idle or vanished
// holder lets the frontend go and gets it back before a stranger, tunes are
// paced, connections bounded, a shared secret guards any port beyond
// loopback, values the program never sends reach nothing, and every signal
// that ends the helper switches the LNB off.
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "dvb/helper/exit_codes.h"
#include "dvb/helper/serve/connection_rules.h"
#include "tests/native/dvb_helper_process.h"

namespace {

static const char secret[] = "dish-PC-0123";

static void tune(ServingHelper& helper, int32_t frequencyMHz, std::string* lastReply = nullptr)
{
    const bool high = frequencyMHz > 11699;
    ask(helper, std::string("SetLnbSelection ") + (high ? "1" : "0"));
    ask(helper, std::string("SetLnbFrequency ") + (high ? "10600" : "9750"));
    ask(helper, "SetPolarity 0");
    ask(helper, "SetSymbolRate 27500");
    ask(helper, "SetTransponderFrequency " + std::to_string(frequencyMHz));
    const std::string reply = ask(helper, "SetDiseqc 5");
    if (lastReply) *lastReply = reply;
}

static bool waitForLastLine(const std::string& path, const std::string& wanted)
{
    for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (!fileLines(path).empty() && fileLines(path).back() == wanted) return true;
    return false;
}

static int openSockets(pid_t pid)
{
    int count = 0;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* directory = opendir(folder.c_str());
    if (!directory) return -1;
    for (dirent* entry; (entry = readdir(directory));) {
        char target[64] = "";
        const std::string link = folder + "/" + entry->d_name;
        if (readlink(link.c_str(), target, sizeof target - 1) > 0 && std::string(target).find("socket:") == 0) ++count;
    }
    closedir(directory);
    return count;
}

TEST(DvbHelperNetwork, APeerThatNeverReadsStallsNobodyAndTheHelperStillEndsOnSigterm)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
    const int holder = connectSlowReader(helper.port);
    ASSERT_GE(holder, 0);
    // Requests for two seconds, as fast as the link takes them, no reply ever read.
    const std::string requests = [] {
        std::string text = "Initialize\n";
        for (int i = 0; i < 1024; ++i) text += "SetFec 6\n";
        return text;
    }();
    size_t sent = 0;
    for (const auto begin = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - begin < std::chrono::seconds(2);) {
        const ssize_t result = send(holder, requests.data(), requests.size(), MSG_NOSIGNAL);
        if (result > 0) sent += static_cast<size_t>(result);
        else std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GT(sent, 100000u);
    // Another program is still told at once that the frontend is taken.
    ServingHelper second = helper;
    second.socket = -1;
    ASSERT_TRUE(connectToHelper(second));
    EXPECT_EQ("fail busy: another program is measuring", readReply(second));
    disconnect(second);
    EXPECT_EQ(ExitOk, stopServing(helper));
    close(holder);
}

TEST(DvbHelperNetwork, AStrangerCannotTakeTheFrontendTheMomentItsHolderDrops)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
    ASSERT_TRUE(connectToHelper(helper, "127.0.0.2"));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    tune(helper, 12245);
    disconnect(helper);
    EXPECT_TRUE(waitForLastLine(helper.files.log, "voltage off"));
    ServingHelper stranger = helper;
    stranger.socket = -1;
    ASSERT_TRUE(connectToHelper(stranger, "127.0.0.3"));
    EXPECT_EQ("fail busy: the frontend is kept a few seconds for the program that had it", readReply(stranger));
    disconnect(stranger);
    // The program that had it gets it back.
    ASSERT_TRUE(connectToHelper(helper, "127.0.0.2"));
    EXPECT_EQ("ok", ask(helper, "Initialize"));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperNetwork, AnIdleHolderLetsTheFrontendGo)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n", {"--idle", "1"}));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    tune(helper, 12245);
    // Nothing asked for a second: the connection ends, the LNB goes off.
    EXPECT_EQ("(closed)", readReply(helper));
    EXPECT_TRUE(waitForLastLine(helper.files.log, "voltage off"));
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("ok", ask(helper, "Initialize"));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperNetwork, TunesArePacedSoThatNoPeerCanDriveTheLnbAndSwitchAtWill)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    // Each set answered before the next is sent: each one tunes.
    const int tunes = 3 * static_cast<int>(frontendCallsPerSecond) + 1;
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < tunes; ++i) {
        std::string reply;
        tune(helper, 12245, &reply);
        ASSERT_EQ("ok", reply) << i;
    }
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperNetwork, ConnectionsAreBoundedAndSilentOnesCannotLockTheProgramOut)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n", {}, {{std::string("AZIMORA_DVB_SECRET=") + secret}}));
    std::vector<ServingHelper> silent(3 * connectionLimit, helper);
    for (ServingHelper& each : silent) {
        each.socket = -1;
        ASSERT_TRUE(connectToHelper(each));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_LE(openSockets(helper.pid), static_cast<int>(connectionLimit) + 1);
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("ok", ask(helper, std::string("secret ") + secret));
    EXPECT_EQ("ok", ask(helper, "Initialize"));
    for (ServingHelper& each : silent) disconnect(each);
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperNetwork, AHelperWithASecretTakesOnlyAConnectionThatGivesItFirst)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n", {}, {{std::string("AZIMORA_DVB_SECRET=") + secret}}));
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("fail this helper wants its shared secret first", ask(helper, "Initialize"));
    EXPECT_EQ("(closed)", readReply(helper));
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("fail wrong secret", ask(helper, "secret dish-PC-0124"));
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("ok", ask(helper, std::string("secret ") + secret));
    EXPECT_EQ("ok", ask(helper, "Initialize"));
    EXPECT_EQ(ExitOk, stopServing(helper));

    // A helper without a secret takes one given all the same.
    ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("ok", ask(helper, std::string("secret ") + secret));
    EXPECT_EQ("ok", ask(helper, "Initialize"));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperNetwork, APortBeyondLoopbackNeedsASecretOfTheRightForm)
{
    const HelperFiles files = helperFiles("0 lock 10\n");
    const HelperResult open = runHelper({"--simulate", files.simulation, "--listen", "0.0.0.0:0"}, files);
    EXPECT_EQ(ExitUsage, open.exitCode);
    EXPECT_NE(std::string::npos, open.output.find("opens the port to other machines: give a shared secret"))
        << open.output;
    const HelperResult weak =
        runHelper({"--simulate", files.simulation, "--listen", "0.0.0.0:0"}, files, {{"AZIMORA_DVB_SECRET=abc"}});
    EXPECT_EQ(ExitUsage, weak.exitCode);
    EXPECT_NE(std::string::npos, weak.output.find("8 to 64 printable characters")) << weak.output;
    ServingHelper helper;
    const std::string secretFile = files.folder + "/secret.txt";
    FILE* file = std::fopen(secretFile.c_str(), "w");
    std::fprintf(file, "%s\n", secret);
    std::fclose(file);
    ASSERT_TRUE(startServing(helper, "0 lock 10\n", {"--listen", "0.0.0.0:0", "--secret-file", secretFile}));
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("ok", ask(helper, std::string("secret ") + secret));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperNetwork, ValuesTheProgramNeverSendsReachNothing)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    ask(helper, "SetLnbSelection 1");
    ask(helper, "SetLnbFrequency 2147483647");
    ask(helper, "SetPolarity 0");
    ask(helper, "SetSymbolRate 2147483647");
    ask(helper, "SetTransponderFrequency -2147483648");
    EXPECT_EQ("fail refused: oscillator 2147483647 MHz is not 5150, 9750 or 10600", ask(helper, "SetDiseqc 6"));
    EXPECT_EQ("fail not tuned", ask(helper, "QuerySignalStatus"));
    EXPECT_TRUE(fileLines(helper.files.trace).empty());
    ASSERT_EQ(1u, fileLines(helper.files.log).size());
    EXPECT_EQ(0u, fileLines(helper.files.log)[0].find("refused tune "));
    EXPECT_EQ(ExitOk, stopServing(helper));
}

TEST(DvbHelperNetwork, EverySignalThatEndsTheHelperSwitchesTheLnbOff)
{
    for (int ending : {SIGHUP, SIGQUIT, SIGINT, SIGTERM}) {
        ServingHelper helper;
        ASSERT_TRUE(startServing(helper, "0 lock 10\n"));
        ASSERT_TRUE(connectToHelper(helper));
        ASSERT_EQ("ok", ask(helper, "Initialize"));
        std::string reply;
        tune(helper, 12245, &reply);
        ASSERT_EQ("ok", reply);
        kill(helper.pid, ending);
        EXPECT_EQ(ExitOk, stopServing(helper)) << ending;
        const std::vector<std::string> log = fileLines(helper.files.log);
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ((std::vector<std::string>{"tone off", "voltage off"}),
                  std::vector<std::string>(log.end() - 2, log.end()))
            << ending;
        const std::vector<std::string> trace = fileLines(helper.files.trace);
        EXPECT_NE(trace.end(), std::find(trace.end() - 3, trace.end(), "voltage off")) << ending;
    }
}

}  // namespace

// The frontend worker with a stand-in device: the sequence it carries out
// is the one it logs, a failing call fails the tune and says which, values
// out of range reach nothing, a slow or stuck frontend never holds up the
// answers, the systems take turns until one locks and it is remembered, and
// the frontend is let go with its tone and supply off.
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/frontend/start_shape.h"
#include "tests/native/dvb_helper_process.h"
#include "tests/native/program_tuning.h"

namespace {

class FakeDevice : public FrontendDevice {
public:
    FrontendProblem open(std::string*) override
    {
        note("open");
        return FrontendUsable;
    }
    void close() override { note("close"); }
    FrontendAbilities abilities() override { return FrontendAbilities(); }
    int setVoltage(LnbVoltage voltage) override
    {
        if (voltage != VoltageOff) waitAtGate();
        return answer(voltageLine(voltage), failVoltage);
    }
    int setTone(bool on) override { return answer(toneLine(on), failTone && on); }
    int sendSwitchCommand(const uint8_t* command, size_t length) override
    {
        return answer(diseqcLine(command, length), failDiseqc);
    }
    int sendBurst(bool b) override { return answer(b ? "burst B" : "burst A", failBurst); }
    int tune(const TuningSequence& sequence, SystemAttempt attempt) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        if (tuneError != 0) return tuneError;
        calls_.push_back(attemptLine(sequence, attempt));
        tunedAttempt_ = attempt;
        return 0;
    }
    bool read(RawFigures* raw) override
    {
        std::unique_lock<std::mutex> hold(mutex_);
        ++reads_;
        entered_.notify_all();
        entered_.wait(hold, [&] { return !stuck; });
        raw->locked = tunedAttempt_ == lockingAttempt;
        raw->cnrScale = raw->locked ? ScaleDecibel : ScaleNone;
        raw->cnr = 12000;
        return true;
    }

    std::vector<std::string> calls()
    {
        std::lock_guard<std::mutex> hold(mutex_);
        return calls_;
    }
    void setStuck(bool value)
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stuck = value;
        entered_.notify_all();
    }
    bool waitForRead(int count)
    {
        std::unique_lock<std::mutex> hold(mutex_);
        return entered_.wait_for(hold, std::chrono::seconds(5), [&] { return reads_ >= count; });
    }
    // While gated, switching the supply on waits, as a frontend the kernel's thread holds.
    void setGated(bool value)
    {
        std::lock_guard<std::mutex> hold(mutex_);
        gated_ = value;
        entered_.notify_all();
    }
    bool waitAtGateFor(int count)
    {
        std::unique_lock<std::mutex> hold(mutex_);
        return entered_.wait_for(hold, std::chrono::seconds(5), [&] { return gateEntries_ >= count; });
    }

    bool failVoltage = false, failTone = false, failDiseqc = false, failBurst = false;
    int tuneError = 0;
    SystemAttempt lockingAttempt = AttemptDvbS2Automatic;
    bool stuck = false;

private:
    void waitAtGate()
    {
        std::unique_lock<std::mutex> hold(mutex_);
        ++gateEntries_;
        entered_.notify_all();
        entered_.wait(hold, [&] { return !gated_; });
    }
    void note(const std::string& call)
    {
        std::lock_guard<std::mutex> hold(mutex_);
        calls_.push_back(call);
    }
    int answer(const std::string& call, bool fails)
    {
        if (fails) return -EIO;
        note(call);
        return 0;
    }

    std::mutex mutex_;
    std::condition_variable entered_;
    std::vector<std::string> calls_;
    SystemAttempt tunedAttempt_ = AttemptDvbS;
    int reads_ = 0;
    bool gated_ = false;
    int gateEntries_ = 0;
};

class DvbFrontendWorkerTest : public testing::Test {
protected:
    void SetUp() override
    {
        files_ = helperFiles("");
        std::string error;
        ASSERT_TRUE(openFrontendLog(log_, files_.log, &error)) << error;
    }
    void TearDown() override { closeFrontendLog(log_); }

    // The log without the lock lines the readings add.
    std::vector<std::string> logged()
    {
        std::vector<std::string> lines;
        for (const std::string& line : fileLines(files_.log))
            if (line != "lock" && line != "nolock") lines.push_back(line);
        return lines;
    }

    bool waitForLogLine(const std::string& wanted)
    {
        for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
            for (const std::string& line : fileLines(files_.log))
                if (line == wanted) return true;
        return false;
    }

    HelperFiles files_;
    FrontendLog log_;
    FakeDevice device_;
};

TEST_F(DvbFrontendWorkerTest, WhatReachesTheFrontendIsWhatIsLoggedLineForLine)
{
    FrontendWorker worker(device_, &log_);
    ASSERT_TRUE(worker.open(5000).ok);
    const WorkerOutcome tuned = worker.tune(programTuning(12245, 0, 5), 5000);
    EXPECT_TRUE(tuned.ok) << tuned.reason;
    worker.release();
    ASSERT_TRUE(worker.stop(5000));
    std::vector<std::string> calls = device_.calls();
    EXPECT_EQ((std::vector<std::string>{"open", "voltage 18", "tone off", "diseqc E0 10 38 FB", "diseqc E0 10 38 FB",
                                        "tone on", "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2", "tone off",
                                        "voltage off", "close"}),
              calls);
    calls.erase(calls.begin());
    calls.pop_back();
    EXPECT_EQ(calls, logged());
}

TEST_F(DvbFrontendWorkerTest, AFailingSupplyToneSwitchOrBurstFailsTheTuneAndSaysWhich)
{
    struct Case {
        bool FakeDevice::*fails;
        const char* reason;
        const char* refused;
    };
    const Case cases[] = {
        {&FakeDevice::failVoltage, "LNB supply refused: Input/output error", "refused voltage 18: Input/output error"},
        {&FakeDevice::failDiseqc, "DiSEqC command refused: Input/output error",
         "refused diseqc E0 10 38 F3: Input/output error"},
        {&FakeDevice::failBurst, "tone burst refused: Input/output error", "refused burst A: Input/output error"},
        {&FakeDevice::failTone, "tone refused: Input/output error", "refused tone on: Input/output error"},
    };
    for (const Case& c : cases) {
        FakeDevice device;
        device.*c.fails = true;
        FrontendWorker worker(device, &log_);
        ASSERT_TRUE(worker.open(5000).ok);
        const WorkerOutcome tuned = worker.tune(programTuning(12245, 0, 1), 5000);
        EXPECT_FALSE(tuned.ok);
        EXPECT_EQ(c.reason, tuned.reason);
        EXPECT_EQ(c.refused, logged().back());
        for (const std::string& call : device.calls()) EXPECT_NE(0u, call.find("tune")) << c.reason;
    }
}

TEST_F(DvbFrontendWorkerTest, RefusedValuesReachNothingAndAKernelRefusalIsOneLine)
{
    FrontendWorker worker(device_, &log_);
    ASSERT_TRUE(worker.open(5000).ok);
    const WorkerOutcome refused = worker.tune(programTuning(4201, 1, 5), 5000);
    EXPECT_EQ("refused: the frontend tunes 950000 - 2150000 kHz", refused.reason);
    EXPECT_EQ(std::vector<std::string>{"open"}, device_.calls());
    EXPECT_EQ((std::vector<std::string>{
                  "refused tune if_khz=5549000 symbol_rate=27500000: the frontend tunes 950000 - 2150000 kHz"}),
              logged());

    device_.tuneError = -EINVAL;
    const WorkerOutcome kernel = worker.tune(programTuning(12245, 0, 0), 5000);
    EXPECT_EQ("tune refused: Invalid argument", kernel.reason);
    const std::vector<std::string> lines = logged();
    EXPECT_EQ((std::vector<std::string>{"voltage 18", "tone on",
                                        "refused tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2: Invalid "
                                        "argument"}),
              std::vector<std::string>(lines.begin() + 1, lines.end()));
}

TEST_F(DvbFrontendWorkerTest, AFrontendStuckInACallNeverHoldsUpTheReadingsAnswerOrTheEnd)
{
    device_.lockingAttempt = AttemptDvbS2Automatic;
    FrontendWorker worker(device_, &log_);
    ASSERT_TRUE(worker.open(5000).ok);
    ASSERT_TRUE(worker.tune(programTuning(12245, 0, 0), 5000).ok);
    ASSERT_TRUE(device_.waitForRead(2));
    EXPECT_TRUE(worker.latest().reading.locked);
    device_.setStuck(true);
    ASSERT_TRUE(device_.waitForRead(3));
    // While the frontend does not return (a driver searching in the kernel's
    // thread): the reading is answered at once, and once the read is late it
    // says so, without lock, with how long no reading came.
    const auto began = std::chrono::steady_clock::now();
    LatestReading latest = worker.latest();
    while (latest.reading.searchingMs == 0 && std::chrono::steady_clock::now() - began < std::chrono::seconds(3)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        latest = worker.latest();
    }
    EXPECT_TRUE(latest.answered);
    EXPECT_FALSE(latest.reading.locked);
    EXPECT_GE(latest.reading.searchingMs, stalledReadMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_GE(worker.latest().reading.searchingMs, latest.reading.searchingMs + 150);  // its age grows
    const WorkerOutcome late = worker.tune(programTuning(11344, 1, 0), 200);
    EXPECT_FALSE(late.done);
    EXPECT_EQ("frontend does not answer in time", late.reason);
    EXPECT_FALSE(worker.stop(200));
    device_.setStuck(false);
    EXPECT_TRUE(worker.stop(5000));
    // The log says how long the read waited.
    bool said = false;
    for (const std::string& line : fileLines(files_.log))
        said = said || (line.find("reading waited ") == 0 && line.find(" ms for the frontend") != std::string::npos);
    EXPECT_TRUE(said);
}

TEST_F(DvbFrontendWorkerTest, StoppingDropsWhatIsQueuedAndEndsATuneAtItsNextStep)
{
    FrontendWorker worker(device_, &log_);
    ASSERT_TRUE(worker.open(5000).ok);
    device_.setGated(true);
    const FrontendWorker::Pending first = worker.startTune(programTuning(12245, 0, 0));
    ASSERT_TRUE(device_.waitAtGateFor(1));
    const FrontendWorker::Pending second = worker.startTune(programTuning(11344, 1, 0));
    const FrontendWorker::Pending third = worker.startTune(programTuning(10800, 0, 0));
    EXPECT_FALSE(worker.stop(0));  // the supply call still runs
    device_.setGated(false);
    EXPECT_TRUE(worker.stop(5000));
    for (const FrontendWorker::Pending& each : {first, second, third}) {
        const WorkerOutcome outcome = worker.outcomeOf(each);
        EXPECT_TRUE(outcome.done);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ("helper is ending", outcome.reason);
    }
    EXPECT_EQ((std::vector<std::string>{"open", "voltage 18", "tone off", "voltage off", "close"}), device_.calls());
}

// A signal ending the helper ends a bounded wait long before its bound;
// the command not begun is withdrawn and never reaches the frontend.
TEST_F(DvbFrontendWorkerTest, ABoundedWaitEndsWithTheStopFlagAndWithdrawsItsCommand)
{
    FrontendWorker worker(device_, &log_);
    ASSERT_TRUE(worker.open(5000).ok);
    device_.setGated(true);
    const FrontendWorker::Pending first = worker.startTune(programTuning(12245, 0, 0));
    ASSERT_TRUE(device_.waitAtGateFor(1));
    volatile sig_atomic_t stop = 1;
    const WorkerOutcome stopped = worker.waitBounded(worker.startTune(programTuning(11344, 1, 0)), 600000, &stop);
    EXPECT_FALSE(stopped.done);
    EXPECT_EQ("frontend does not answer in time", stopped.reason);
    device_.setGated(false);
    stop = 0;
    EXPECT_TRUE(worker.waitBounded(first, 5000, &stop).ok);
    EXPECT_TRUE(worker.tune(programTuning(10800, 0, 0), 5000).ok);
    for (const std::string& call : device_.calls()) EXPECT_EQ(std::string::npos, call.find("if_khz=1594000")) << call;
}

TEST_F(DvbFrontendWorkerTest, AStartNotBegunWithinItsBoundNeverBeginsAndEachDoneCommandIsTold)
{
    int told = 0;
    std::mutex toldTurn;
    FrontendWorker worker(device_, &log_);
    worker.notifyWhenDone([&] {
        std::lock_guard<std::mutex> hold(toldTurn);
        ++told;
    });
    ASSERT_TRUE(worker.open(5000).ok);
    device_.setGated(true);
    const FrontendWorker::Pending first = worker.startTune(programTuning(12245, 0, 0));
    ASSERT_TRUE(device_.waitAtGateFor(1));
    const WorkerOutcome late = worker.tune(programTuning(11344, 1, 0), 100);
    EXPECT_FALSE(late.done);
    EXPECT_EQ("frontend does not answer in time", late.reason);
    device_.setGated(false);
    EXPECT_TRUE(worker.tune(programTuning(10800, 0, 0), 5000).ok);
    EXPECT_TRUE(worker.outcomeOf(first).ok);
    for (const std::string& call : device_.calls()) EXPECT_EQ(std::string::npos, call.find("if_khz=1594000")) << call;
    EXPECT_EQ("tune if_khz=1050000 symbol_rate=27500000 system=DVB-S2", device_.calls().back());
    // The open and the two tunes carried out, each told once it was done.
    const auto toldNow = [&] {
        std::lock_guard<std::mutex> hold(toldTurn);
        return told;
    };
    for (int i = 0; i < 500 && toldNow() < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    worker.notifyWhenDone(nullptr);
    EXPECT_EQ(3, toldNow());
    // A tune is given the bound of its own start.
    const CardTuning withBurst = programTuning(11344, 1, 1);
    EXPECT_EQ(startBoundMs(startShapeOf(buildTuningSequence(withBurst, FrontendAbilities(), false, nullptr))),
              worker.tuneBoundMs(withBurst));
}

TEST_F(DvbFrontendWorkerTest, SystemsTakeTurnsUntilOneLocksAndItIsTriedFirstAtTheNextStart)
{
    device_.lockingAttempt = AttemptDvbS;
    FrontendWorker worker(device_, &log_);
    ASSERT_TRUE(worker.open(5000).ok);
    ASSERT_TRUE(worker.tune(programTuning(11344, 1, 0), 5000).ok);
    ASSERT_TRUE(waitForLogLine("lock"));
    EXPECT_EQ(
        (std::vector<std::string>{"voltage 13", "tone off", "tune if_khz=1594000 symbol_rate=27500000 system=DVB-S2",
                                  "tune if_khz=1594000 symbol_rate=27500000 system=DVB-S"}),
        logged());
    const std::vector<std::string> before = logged();
    ASSERT_TRUE(worker.tune(programTuning(11344, 1, 0), 5000).ok);
    EXPECT_EQ("tune if_khz=1594000 symbol_rate=27500000 system=DVB-S", logged()[before.size() + 2]);
}

}  // namespace

// The frontend worker reads the network's word on its own thread while
// locked, and forgets it with every tune and at the release, every filter
// it opened closed again.
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

#include "dvb/helper/frontend/frontend_worker.h"

namespace {

// Locks at once; its stream's network is numbered by the tunes so far.
class StreamDevice : public FrontendDevice {
public:
    FrontendProblem open(std::string*) override { return FrontendUsable; }
    void close() override {}
    FrontendAbilities abilities() override { return FrontendAbilities(); }
    int setVoltage(LnbVoltage) override { return 0; }
    int setTone(bool) override { return 0; }
    int sendSwitchCommand(const uint8_t*, size_t) override { return 0; }
    int sendBurst(bool) override { return 0; }
    int tune(const TuningSequence&, SystemAttempt) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        ++tunes_;
        return 0;
    }
    bool read(RawFigures* raw) override
    {
        raw->locked = true;
        return true;
    }
    bool startSections(SectionTable table) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        ++open_[table];
        return true;
    }
    SectionRead readSection(SectionTable table, StreamSection* section) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        section->transportStreamId = section->originalNetworkId = 1;
        section->nit = NitSection{nitActualTable, static_cast<uint16_t>(tunes_), 0, 0, 0, true, "Net", {}};
        section->nit.streams.push_back(NitTransportStream{1, 1, true, 192, 0});
        (void)table;
        return SectionTaken;
    }
    void stopSections(SectionTable table) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        --open_[table];
    }
    int openFilters()
    {
        std::lock_guard<std::mutex> hold(mutex_);
        return open_[TableNit] + open_[TablePat] + open_[TableSdt];
    }

private:
    std::mutex mutex_;
    int tunes_ = 0;
    int open_[sectionTableCount] = {};
};

static CardTuning lowBand(int32_t frequencyMHz)
{
    CardTuning tuning;
    tuning.lnbFrequencyMHz = 9750;
    tuning.symbolRate = 27500;
    tuning.frequencyMHz = frequencyMHz;
    return tuning;
}

static NetworkReport waitForNetwork(FrontendWorker& worker)
{
    NetworkReport report;
    for (int i = 0; i < 300 && report.state != NetworkKnown; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        report = worker.latest().network;
    }
    return report;
}

TEST(DvbWorkerNetwork, EachTuneReadsItsOwnNetworkAndTheReleaseClosesEveryFilter)
{
    StreamDevice device;
    FrontendWorker worker(device, nullptr);
    ASSERT_TRUE(worker.open(5000).ok);
    ASSERT_TRUE(worker.tune(lowBand(11362), 5000).ok);
    NetworkReport report = waitForNetwork(worker);
    ASSERT_EQ(NetworkKnown, report.state);
    EXPECT_EQ(1, report.identity.networkId);
    EXPECT_EQ(192, report.identity.position);
    EXPECT_EQ(0, device.openFilters());  // all read: stopped

    ASSERT_TRUE(worker.tune(lowBand(11720), 5000).ok);
    // The tune before is forgotten at once: never its network after this tune.
    report = worker.latest().network;
    EXPECT_TRUE(report.state != NetworkKnown || report.identity.networkId == 2);
    report = waitForNetwork(worker);
    ASSERT_EQ(NetworkKnown, report.state);
    EXPECT_EQ(2, report.identity.networkId);

    worker.release();
    EXPECT_TRUE(worker.stop(5000));
    EXPECT_EQ(NetworkNotLocked, worker.latest().network.state);
    EXPECT_EQ(0, device.openFilters());
}

}  // namespace

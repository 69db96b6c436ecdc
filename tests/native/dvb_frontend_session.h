// One program's session with the real azimora-dvb on the simulated
// frontend, for the tests of what reaches the frontend: measurement starts
// made from the program's own tuning plan, with what each added to the
// helper's log and to the frontend's trace, and the readings.
#pragma once
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tests/native/dvb_helper_process.h"
#include "tuner/tuning_plan.h"

static const char* const callNames[] = {"SetLnbSelection", "SetLnbFrequency",         "SetPolarity",
                                        "SetSymbolRate",   "SetTransponderFrequency", "SetDiseqc"};

struct Tuned {
    std::string reply;  // to the call that completed the set
    std::vector<std::string> log;
    std::vector<std::string> trace;
};

class DvbFrontendSession : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(0, stopServing(helper_)); }

    void serve(const std::string& simulation)
    {
        ASSERT_TRUE(startServing(helper_, simulation)) << AZM_DVB_HELPER;
        ASSERT_TRUE(connectToHelper(helper_));
        ASSERT_EQ("ok", ask(helper_, "Initialize"));
        ASSERT_EQ("ok", ask(helper_, "SetFec 6"));
    }

    // One measurement start as the program makes it; what it added to the
    // helper's log and to the frontend's trace.
    Tuned start(int32_t frequencyMHz, int32_t polarization, int32_t symbolRate = 27500, int32_t diseqc = 0)
    {
        TuningParameters parameters;
        parameters.frequencyMHz = frequencyMHz;
        parameters.polarization = polarization;
        parameters.symbolRate = symbolRate;
        parameters.diseqcCode = diseqc;
        TuningStep steps[tuningStepCount];
        planTuning(parameters, steps);
        const size_t logBefore = fileLines(helper_.files.log).size();
        const size_t traceBefore = fileLines(helper_.files.trace).size();
        Tuned tuned;
        for (const TuningStep& step : steps) {
            tuned.reply = ask(helper_, std::string(callNames[step.call]) + " " + std::to_string(step.argument));
            if (step.call != CallDiseqc) EXPECT_EQ("ok", tuned.reply) << callNames[step.call];
        }
        const std::vector<std::string> log = fileLines(helper_.files.log);
        const std::vector<std::string> trace = fileLines(helper_.files.trace);
        // The readings' lock lines come as they come.
        for (size_t i = logBefore; i < log.size(); ++i)
            if (log[i] != "lock" && log[i] != "nolock") tuned.log.push_back(log[i]);
        tuned.trace.assign(trace.begin() + static_cast<long>(traceBefore), trace.end());
        return tuned;
    }

    // Ends the connection (the helper lets the frontend go) and starts another.
    void reconnect(const std::string& simulation)
    {
        disconnect(helper_);
        std::ofstream(helper_.files.simulation) << simulation;
        ASSERT_TRUE(connectToHelper(helper_));
        ASSERT_EQ("ok", ask(helper_, "Initialize"));
    }

    std::string measure() { return ask(helper_, "QuerySignalStatus"); }

    // Asks until the answer comes (at most `tries` times, about ten a second).
    std::string measureUntil(const std::string& wanted, int tries = 80)
    {
        std::string status;
        for (int i = 0; i < tries && status != wanted; ++i) status = measure();
        return status;
    }

    // The qualities each held for a second at least, one entry per change,
    // until `count` came (at most about `limitMs` of readings): a figure
    // smoothed over a second moves through others between them.
    std::vector<int> settledQualities(size_t count, int limitMs = 10000)
    {
        std::vector<int> settled;
        int held = -1, times = 0;
        for (int i = 0; i < limitMs / 100 && settled.size() < count; ++i) {
            if (measure() != "ok") continue;
            ask(helper_, "RefreshSignalReadings");
            const int quality = std::atoi(ask(helper_, "GetSignalQuality").c_str() + 3);
            times = quality == held ? times + 1 : 1;
            held = quality;
            if (times == 10 && (settled.empty() || settled.back() != quality)) settled.push_back(quality);
        }
        return settled;
    }

    ServingHelper helper_;
};

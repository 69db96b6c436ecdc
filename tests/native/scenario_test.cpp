// The simulated card's scenario file: failures, latencies and signal lines.
#include <gtest/gtest.h>

#include "sim/card/scenario.h"

TEST(SimScenario, ReadsFailuresLatenciesAndSignalLines)
{
    std::string errors;
    const Scenario s = parseScenario("# comment\n"
                                     "fail create\r\n"
                                     "fail SetPolarity   # trailing comment\n"
                                     "latency all 7\n"
                                     "latency QuerySignalStatus 2500\n"
                                     "signal 0 nolock\n"
                                     "signal 1500 lock 55 12.5\n"
                                     "odd query\n",
                                     &errors);
    EXPECT_EQ("", errors);
    EXPECT_TRUE(s.failCreate);
    EXPECT_FALSE(s.failQuery);
    EXPECT_TRUE(s.oddQuery);
    EXPECT_TRUE(s.failMethod[SimSetPolarity]);
    EXPECT_FALSE(s.failMethod[SimSetFec]);
    EXPECT_EQ(7, s.latencyMs[SimInitialize]);
    EXPECT_EQ(2500, s.latencyMs[SimQuerySignalStatus]);
    ASSERT_EQ(2u, s.signal.size());
    EXPECT_EQ(55, s.signal[1].quality);
    EXPECT_FLOAT_EQ(12.5f, s.signal[1].snr);
}

TEST(SimScenario, ReportsLinesItDoesNotUnderstand)
{
    std::string errors;
    const Scenario s =
        parseScenario("fail Nothing\nlatency all\nsignal x lock 1 2\nsignal 5 lock 1\nbogus\nodd create\n", &errors);
    EXPECT_EQ(6, std::count(errors.begin(), errors.end(), '\n'));
    EXPECT_TRUE(s.signal.empty());
    EXPECT_EQ(defaultLatencyMs, s.latencyMs[SimGetSignalQuality]);
}

TEST(SimScenario, LatestPassedSignalLineApplies)
{
    const Scenario s = parseScenario("signal 1000 lock 40 9\nsignal 0 nolock\nsignal 3000 lock 70 14\n", nullptr);
    EXPECT_FALSE(scenarioSignal(s, false, 5000).locked);  // never tuned
    EXPECT_FALSE(scenarioSignal(s, true, 999).locked);
    EXPECT_EQ(40, scenarioSignal(s, true, 1000).quality);
    EXPECT_EQ(40, scenarioSignal(s, true, 2999).quality);
    EXPECT_EQ(70, scenarioSignal(s, true, 3000).quality);
    EXPECT_FALSE(scenarioSignal(parseScenario("", nullptr), true, 0).locked);
}

// A BDA tuner's per-node statistics as the card's readings, and the clock
// that paces reading them.
#include <gtest/gtest.h>

#include "bda/bda_statistics.h"

static BdaNodeStatistics node(BdaNodeRole role)
{
    BdaNodeStatistics statistics;
    statistics.role = role;
    return statistics;
}

static BdaNodeStatistics withLock(BdaNodeStatistics n, bool locked)
{
    n.hasLocked = true;
    n.locked = locked;
    return n;
}

static BdaNodeStatistics withQuality(BdaNodeStatistics n, int32_t quality)
{
    n.hasQuality = true;
    n.quality = quality;
    return n;
}

static BdaNodeStatistics withStrength(BdaNodeStatistics n, int32_t strength)
{
    n.hasStrength = true;
    n.strength = strength;
    return n;
}

TEST(BdaStatistics, TheDemodulatorSpeaksForLockAndQualityTheTunerForStrength)
{
    const BdaNodeStatistics nodes[] = {withStrength(withQuality(withLock(node(RfTunerNode), true), 90), 81),
                                       withQuality(withLock(node(DemodulatorNode), false), 40)};
    TunerStatistics statistics = statisticsFromNodes(nodes, 2);
    EXPECT_FALSE(statistics.locked);  // a tuner's PLL lock is no decoded signal
    EXPECT_TRUE(statistics.hasQuality);
    EXPECT_EQ(40, statistics.qualityPercent);
    EXPECT_TRUE(statistics.hasStrength);
    EXPECT_EQ(81, statistics.strengthPercent);

    // A tuner with one node for everything.
    const BdaNodeStatistics single[] = {withQuality(withLock(node(OtherNode), true), 63)};
    statistics = statisticsFromNodes(single, 1);
    EXPECT_TRUE(statistics.locked);
    EXPECT_EQ(63, statistics.qualityPercent);
    EXPECT_FALSE(statistics.hasStrength);
}

TEST(BdaStatistics, MissingAndOutOfRangeFiguresFallBack)
{
    // Strength in the documented mdB is no percentage; the demodulator's quality
    // of 120 neither; the tuner's 70 stands in.
    const BdaNodeStatistics nodes[] = {withQuality(withStrength(node(RfTunerNode), -2500), 70),
                                       withQuality(withLock(node(DemodulatorNode), true), 120)};
    TunerStatistics statistics = statisticsFromNodes(nodes, 2);
    EXPECT_TRUE(statistics.locked);
    EXPECT_EQ(70, statistics.qualityPercent);
    EXPECT_FALSE(statistics.hasStrength);

    // No lock figure anywhere: a quality above 0 means lock.
    const BdaNodeStatistics noLock[] = {withQuality(node(DemodulatorNode), 12)};
    EXPECT_TRUE(statisticsFromNodes(noLock, 1).locked);
    const BdaNodeStatistics zero[] = {withQuality(node(DemodulatorNode), 0)};
    EXPECT_FALSE(statisticsFromNodes(zero, 1).locked);
    EXPECT_FALSE(statisticsFromNodes(nullptr, 0).locked);
}

TEST(BdaStatistics, ReadingsComeFromTheOneScale)
{
    const BdaNodeStatistics nodes[] = {withStrength(node(RfTunerNode), 88),
                                       withQuality(withLock(node(DemodulatorNode), true), 55)};
    SignalReading reading = readingFromStatistics(statisticsFromNodes(nodes, 2));
    EXPECT_TRUE(reading.locked);
    EXPECT_EQ(55, reading.quality);
    EXPECT_FLOAT_EQ(static_cast<float>(carrierToNoiseFromQuality(55)), reading.snr);

    // Lock and strength only: the strength stands in for the quality.
    const BdaNodeStatistics strengthOnly[] = {withStrength(node(RfTunerNode), 47),
                                              withLock(node(DemodulatorNode), true)};
    reading = readingFromStatistics(statisticsFromNodes(strengthOnly, 2));
    EXPECT_EQ(47, reading.quality);

    // Lock lost: nothing is reported, whatever the figures say.
    const BdaNodeStatistics lost[] = {withQuality(withLock(node(DemodulatorNode), false), 55)};
    reading = readingFromStatistics(statisticsFromNodes(lost, 1));
    EXPECT_FALSE(reading.locked);
    EXPECT_EQ(0, reading.quality);
}

TEST(BdaStatistics, TheNetworkProvidersStrengthAsALastResort)
{
    EXPECT_FALSE(statisticsFromProviderStrength(-1).locked);
    EXPECT_FALSE(statisticsFromProviderStrength(0).locked);
    TunerStatistics statistics = statisticsFromProviderStrength(64);
    EXPECT_TRUE(statistics.locked);
    EXPECT_EQ(64, statistics.strengthPercent);
    EXPECT_EQ(100, statisticsFromProviderStrength(5000).strengthPercent);
}

TEST(BdaStatistics, PerformanceCountsBecomeMillisecondsWithoutOverflow)
{
    EXPECT_EQ(1500u, counterMilliseconds(15000000, 10000000));  // 10 MHz, 1.5 s
    // A 3 GHz counter after 100 days: 864e10 ms would overflow a plain multiplication.
    const uint64_t threeGigahertz = 3000000000ull;
    const uint64_t hundredDays = 100ull * 86400 * threeGigahertz + threeGigahertz / 4;
    EXPECT_EQ(static_cast<uint32_t>(8640000000ull + 250), counterMilliseconds(hundredDays, threeGigahertz));
    EXPECT_EQ(0u, counterMilliseconds(123, 0));
}

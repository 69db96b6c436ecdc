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

// The statistics of a tuner read for the first time.
static TunerStatistics fresh(const BdaNodeStatistics* nodes, int count)
{
    BdaReadingHistory history;
    return statisticsFromNodes(nodes, count, history);
}

TEST(BdaStatistics, TheDemodulatorSpeaksForLockAndQualityTheTunerForStrength)
{
    const BdaNodeStatistics nodes[] = {withStrength(withQuality(withLock(node(RfTunerNode), true), 90), 81),
                                       withQuality(withLock(node(DemodulatorNode), false), 40)};
    TunerStatistics statistics = fresh(nodes, 2);
    EXPECT_FALSE(statistics.locked);  // a tuner's PLL lock is no decoded signal
    EXPECT_TRUE(statistics.hasQuality);
    EXPECT_EQ(40, statistics.qualityPercent);
    EXPECT_TRUE(statistics.hasStrength);
    EXPECT_EQ(81, statistics.strengthPercent);

    // A tuner with one node for everything.
    const BdaNodeStatistics single[] = {withQuality(withLock(node(OtherNode), true), 63)};
    statistics = fresh(single, 1);
    EXPECT_TRUE(statistics.locked);
    EXPECT_EQ(63, statistics.qualityPercent);
    EXPECT_FALSE(statistics.hasStrength);
}

TEST(BdaStatistics, MissingAndOutOfRangeFiguresFallBack)
{
    // The demodulator's quality of 120 is no percentage; the tuner's 70 stands in.
    const BdaNodeStatistics nodes[] = {withQuality(node(RfTunerNode), 70),
                                       withQuality(withLock(node(DemodulatorNode), true), 120)};
    TunerStatistics statistics = fresh(nodes, 2);
    EXPECT_TRUE(statistics.locked);
    EXPECT_EQ(70, statistics.qualityPercent);
    EXPECT_FALSE(statistics.hasStrength);

    // No lock figure anywhere: a quality above 0 means lock.
    const BdaNodeStatistics noLock[] = {withQuality(node(DemodulatorNode), 12)};
    EXPECT_TRUE(fresh(noLock, 1).locked);
    const BdaNodeStatistics zero[] = {withQuality(node(DemodulatorNode), 0)};
    EXPECT_FALSE(fresh(zero, 1).locked);
    EXPECT_FALSE(fresh(nullptr, 0).locked);
}

TEST(BdaStatistics, ReadingsComeFromTheOneScale)
{
    const BdaNodeStatistics nodes[] = {withStrength(node(RfTunerNode), 88),
                                       withQuality(withLock(node(DemodulatorNode), true), 55)};
    SignalReading reading = readingFromStatistics(fresh(nodes, 2));
    EXPECT_TRUE(reading.locked);
    EXPECT_EQ(55, reading.quality);
    EXPECT_FLOAT_EQ(static_cast<float>(carrierToNoiseFromQuality(55)), reading.snr);

    // Lock and strength only: the strength stands in for the quality.
    const BdaNodeStatistics strengthOnly[] = {withStrength(node(RfTunerNode), 47),
                                              withLock(node(DemodulatorNode), true)};
    reading = readingFromStatistics(fresh(strengthOnly, 2));
    EXPECT_EQ(47, reading.quality);

    // Lock lost: nothing is reported, whatever the figures say.
    const BdaNodeStatistics lost[] = {withQuality(withLock(node(DemodulatorNode), false), 55)};
    reading = readingFromStatistics(fresh(lost, 1));
    EXPECT_FALSE(reading.locked);
    EXPECT_EQ(0, reading.quality);
}

// Strength in mdB about the nominal level, as BDA documents it (below
// nominal positive): the level stands for a C/N on the one scale, 16 dB at
// nominal, a dB less for each dB below.
TEST(BdaStatistics, StrengthInMillidecibelsFollowsTheLevel)
{
    BdaReadingHistory history;
    const auto levelReading = [&history](int32_t millidB) {
        const BdaNodeStatistics nodes[] = {withStrength(node(RfTunerNode), millidB),
                                           withLock(node(DemodulatorNode), true)};
        return readingFromStatistics(statisticsFromNodes(nodes, 2, history));
    };
    EXPECT_EQ(59, levelReading(5400).quality);   // 10.6 dB
    EXPECT_EQ(10, levelReading(12000).quality);  // 4 dB, where a demodulator locks
    EXPECT_EQ(99, levelReading(0).quality);
    EXPECT_EQ(99, levelReading(-2500).quality);  // above nominal
    EXPECT_EQ(1, levelReading(30000).quality);
    // Once the unit is known, a figure within 0 .. 100 is mdB too: 50 mdB is
    // just below nominal, no 50 %.
    const SignalReading nearNominal = levelReading(50);
    EXPECT_EQ(99, nearNominal.quality);
    EXPECT_FLOAT_EQ(static_cast<float>(carrierToNoiseFromQuality(99)), nearNominal.snr);

    // A quality, where the driver gives one, still comes first.
    const BdaNodeStatistics withBoth[] = {withStrength(node(RfTunerNode), 5400),
                                          withQuality(withLock(node(DemodulatorNode), true), 33)};
    EXPECT_EQ(33, readingFromStatistics(statisticsFromNodes(withBoth, 2, history)).quality);
}

// A call that has answered before and fails now is a failed reading: no
// signal, whatever the other calls say. A call that never answered is just
// a figure the driver does not give.
TEST(BdaStatistics, AFailingCallIsNoSignal)
{
    BdaReadingHistory history;
    const BdaNodeStatistics working[] = {withStrength(withLock(node(RfTunerNode), true), 80),
                                         withQuality(withLock(node(DemodulatorNode), true), 60)};
    EXPECT_TRUE(statisticsFromNodes(working, 2, history).locked);
    const BdaNodeStatistics lockFailed[] = {withStrength(withLock(node(RfTunerNode), true), 80),
                                            withQuality(node(DemodulatorNode), 60)};
    EXPECT_FALSE(statisticsFromNodes(lockFailed, 2, history).locked);
    const BdaNodeStatistics strengthFailed[] = {withLock(node(RfTunerNode), true),
                                                withQuality(withLock(node(DemodulatorNode), true), 60)};
    EXPECT_FALSE(statisticsFromNodes(strengthFailed, 2, history).locked);
    EXPECT_TRUE(statisticsFromNodes(working, 2, history).locked);

    // A driver that never gives a lock figure keeps the quality rule.
    BdaReadingHistory noLockFigure;
    const BdaNodeStatistics qualityOnly[] = {withQuality(node(DemodulatorNode), 45)};
    EXPECT_TRUE(statisticsFromNodes(qualityOnly, 1, noLockFigure).locked);
    EXPECT_TRUE(statisticsFromNodes(qualityOnly, 1, noLockFigure).locked);
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

TEST(BdaStatistics, TheLevelBeforeTheLockIsTheTunersStrengthAndItsWordOnAPresentSignal)
{
    BdaNodeStatistics tuner = withLock(withStrength(node(RfTunerNode), 63), false);
    tuner.hasPresent = true;
    tuner.present = true;
    const BdaNodeStatistics demodulator = withQuality(withLock(node(DemodulatorNode), false), 0);
    const BdaNodeStatistics unlocked[] = {demodulator, tuner};
    BdaReadingHistory history;
    EXPECT_FALSE(statisticsFromNodes(unlocked, 2, history).locked);  // no reading for the program
    SignalLevel level = levelFromNodes(unlocked, 2, history);
    EXPECT_EQ(LevelLive, level.state);
    EXPECT_EQ(LevelPercent, level.unit);
    EXPECT_DOUBLE_EQ(63.0, level.value);
    EXPECT_EQ(1, level.present);
    // In mdB below nominal: a level in dB, the stronger the higher.
    const BdaNodeStatistics inMillidB[] = {demodulator, withStrength(node(RfTunerNode), 4500)};
    statisticsFromNodes(inMillidB, 2, history);
    level = levelFromNodes(inMillidB, 2, history);
    EXPECT_EQ(LevelDecibel, level.unit);
    EXPECT_DOUBLE_EQ(-4.5, level.value);
    EXPECT_EQ(-1, level.present);  // this driver has no such word
    // No strength anywhere: no level, whatever else is there.
    const BdaNodeStatistics none[] = {withQuality(withLock(node(DemodulatorNode), true), 70)};
    BdaReadingHistory other;
    EXPECT_EQ(LevelUnknown, levelFromNodes(none, 1, other).state);
}

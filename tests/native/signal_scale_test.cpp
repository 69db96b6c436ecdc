// The one quality scale of every card, and how a tuner's statistics become
// the two readings.
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/signal_scale.h"

TEST(SignalScale, QualityRisesSteadilyFromLockToAGoodDish)
{
    EXPECT_EQ(10, qualityFromCarrierToNoise(4.0));
    EXPECT_EQ(55, qualityFromCarrierToNoise(10.07));
    EXPECT_EQ(99, qualityFromCarrierToNoise(16.0));
    int previous = qualityFromCarrierToNoise(4.0);
    for (double db = 4.1; db <= 16.0; db += 0.1) {
        const int quality = qualityFromCarrierToNoise(db);
        EXPECT_GE(quality, previous) << db;
        EXPECT_LE(quality - previous, 1) << db;  // no jumps: every step is heard
        previous = quality;
    }
}

TEST(SignalScale, QualityStaysWithinTwoDigitsWhileLocked)
{
    EXPECT_EQ(99, qualityFromCarrierToNoise(40.0));
    EXPECT_EQ(6, qualityFromCarrierToNoise(3.5));
    EXPECT_EQ(1, qualityFromCarrierToNoise(-20.0));
    EXPECT_EQ(1, qualityFromCarrierToNoise(std::nan("")));
    EXPECT_EQ(99, qualityFromCarrierToNoise(INFINITY));
}

TEST(SignalScale, TheInverseGivesBackTheQuality)
{
    for (int percent = 1; percent <= 99; ++percent)
        EXPECT_EQ(percent, qualityFromCarrierToNoise(carrierToNoiseFromQuality(percent))) << percent;
    EXPECT_DOUBLE_EQ(carrierToNoiseFromQuality(100), carrierToNoiseFromQuality(250));
    EXPECT_DOUBLE_EQ(carrierToNoiseFromQuality(0), carrierToNoiseFromQuality(-3));
}

TEST(SignalScale, StatisticsBecomeReadings)
{
    TunerStatistics none;
    SignalReading reading = readingFromStatistics(none);
    EXPECT_FALSE(reading.locked);
    EXPECT_EQ(0, reading.quality);
    EXPECT_EQ(0.0f, reading.snr);

    TunerStatistics measured;
    measured.locked = true;
    measured.hasCarrierToNoise = true;
    measured.carrierToNoiseDb = 10.07;
    measured.hasQuality = true;  // a measured C/N wins over the tuner's own percentage
    measured.qualityPercent = 90;
    reading = readingFromStatistics(measured);
    EXPECT_TRUE(reading.locked);
    EXPECT_EQ(55, reading.quality);
    EXPECT_FLOAT_EQ(10.07f, reading.snr);

    TunerStatistics qualityOnly;
    qualityOnly.locked = true;
    qualityOnly.hasQuality = true;
    qualityOnly.qualityPercent = 100;
    reading = readingFromStatistics(qualityOnly);
    EXPECT_EQ(99, reading.quality);
    EXPECT_NEAR(16.0, reading.snr, 0.01);

    TunerStatistics strengthOnly;
    strengthOnly.locked = true;
    strengthOnly.hasStrength = true;
    strengthOnly.strengthPercent = 10;
    reading = readingFromStatistics(strengthOnly);
    EXPECT_EQ(10, reading.quality);
    EXPECT_NEAR(4.0, reading.snr, 0.01);

    TunerStatistics lockAlone;
    lockAlone.locked = true;
    lockAlone.hasCarrierToNoise = true;
    lockAlone.carrierToNoiseDb = std::nan("");  // a figure that is none
    reading = readingFromStatistics(lockAlone);
    EXPECT_TRUE(reading.locked);
    EXPECT_EQ(1, reading.quality);
    EXPECT_GT(reading.snr, 0.0f);  // the program shows a figure only above 0
}

TEST(SignalScale, RelativeFiguresArePercentages)
{
    EXPECT_EQ(0, percentOfRelative(0));
    EXPECT_EQ(50, percentOfRelative(32768));
    EXPECT_EQ(100, percentOfRelative(65535));
    EXPECT_EQ(100, percentOfRelative(1u << 31));
}

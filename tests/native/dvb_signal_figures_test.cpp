// A driver's statistics in each form it may offer them, and what becomes of
// them: the v5 statistics say their scale; the older ones are told apart by
// the values they give, and where they cannot be, the quality still follows
// the dish within the range seen since the tune.
#include <gtest/gtest.h>

#include "dvb/helper/frontend_report.h"
#include "dvb/helper/signal_figures.h"

namespace {

static RawFigures older(uint16_t snr, bool locked = true)
{
    RawFigures raw;
    raw.v5 = false;
    raw.locked = locked;
    raw.cnrScale = ScaleRelative;  // libdvbv5 hands the older figure on as relative
    raw.cnr = snr;
    return raw;
}

TEST(DvbSignalFigures, TheV5StatisticsGiveTheirCarrierToNoiseAndAPlausibleStrength)
{
    LegacyRange range;
    RawFigures raw;
    raw.locked = true;
    raw.cnrScale = ScaleDecibel;
    raw.cnr = 10070;
    raw.strengthScale = ScaleDecibel;
    raw.strength = -55250;
    FrontendFigures figures = figuresFrom(raw, range);
    EXPECT_EQ(FormDecibel, figures.form);
    EXPECT_DOUBLE_EQ(10.07, figures.statistics.carrierToNoiseDb);
    EXPECT_TRUE(figures.hasStrengthDbm);
    EXPECT_DOUBLE_EQ(-55.25, figures.strengthDbm);
    // A strength no tuner input sees is no measurement (an unlocked driver's leftover).
    raw.strength = -4226916500;
    EXPECT_FALSE(figuresFrom(raw, range).hasStrengthDbm);

    raw.cnrScale = ScaleRelative;
    raw.cnr = 32768;
    figures = figuresFrom(raw, range);
    EXPECT_EQ(FormRelative, figures.form);
    EXPECT_EQ(50, figures.statistics.qualityPercent);
    raw.cnr = 1 << 20;  // beyond the scale
    EXPECT_EQ(100, figuresFrom(raw, range).statistics.qualityPercent);
    EXPECT_EQ("v5, relative c/n", formDescription(figures));
    raw.cnrScale = ScaleNone;
    raw.locked = false;
    EXPECT_EQ("v5, no c/n figure now", formDescription(figuresFrom(raw, range)));
}

TEST(DvbSignalFigures, OlderStatisticsInTenthsOfADecibelOrOnASixteenBitScaleAreToldApart)
{
    LegacyRange tenths;
    FrontendFigures figures = figuresFrom(older(123), tenths);
    EXPECT_EQ(FormLegacyTenths, figures.form);
    EXPECT_TRUE(figures.statistics.hasCarrierToNoise);
    EXPECT_DOUBLE_EQ(12.3, figures.statistics.carrierToNoiseDb);
    EXPECT_EQ("older (no v5), s/n in 0.1 dB", formDescription(figures));

    // A value no C/N in tenths reaches: a 16-bit scale, from then on.
    LegacyRange scale;
    figuresFrom(older(400), scale);
    figures = figuresFrom(older(30000), scale);
    EXPECT_EQ(FormLegacyScale, figures.form);
    EXPECT_EQ(46, figures.statistics.qualityPercent);
    EXPECT_EQ(FormLegacyScale, figuresFrom(older(400), scale).form);

    // Unlocked readings decide nothing.
    LegacyRange unlocked;
    figures = figuresFrom(older(60000, false), unlocked);
    EXPECT_FALSE(unlocked.seen);
    EXPECT_EQ("older (no v5), s/n unit told once locked", formDescription(figures));
}

TEST(DvbSignalFigures, AnOlderFigureOfUnknownUnitStillRisesAndFallsWithTheDish)
{
    // -70 dBm as a signed 16-bit figure read unsigned, then better, then worse.
    LegacyRange range;
    FrontendFigures figures = figuresFrom(older(static_cast<uint16_t>(-70)), range);
    EXPECT_EQ(FormLegacyUnknown, figures.form);
    const int32_t first = figures.statistics.qualityPercent;
    const int32_t better = figuresFrom(older(static_cast<uint16_t>(-60)), range).statistics.qualityPercent;
    const int32_t worse = figuresFrom(older(static_cast<uint16_t>(-66)), range).statistics.qualityPercent;
    EXPECT_EQ(10, first);
    EXPECT_EQ(99, better);
    EXPECT_GT(worse, 10);
    EXPECT_LT(worse, 99);
    EXPECT_NE(std::string::npos, formDescription(figures).find("quality within the range seen"));
    // A reading a driver leaves without the figure at all.
    RawFigures none;
    none.v5 = false;
    none.locked = true;
    LegacyRange empty;
    EXPECT_EQ("none", formDescription(figuresFrom(none, empty)));
}

// A tuner that fills in the v5 strength (ts2020) hides the demodulator's
// older s/n from libdvbv5; read with the older call, it counts by the same rules.
TEST(DvbSignalFigures, WithoutAV5CarrierToNoiseTheOlderSnrIsReadByTheSameRules)
{
    RawFigures raw;
    raw.locked = true;
    raw.strengthScale = ScaleDecibel;
    raw.strength = -60000;
    raw.olderSnrRead = true;
    raw.olderSnr = 32767;
    LegacyRange scale;
    FrontendFigures figures = figuresFrom(raw, scale);
    EXPECT_EQ(FormLegacyScale, figures.form);
    EXPECT_EQ(50, figures.statistics.qualityPercent);
    EXPECT_TRUE(figures.hasStrengthDbm);
    EXPECT_EQ("v5 without c/n, older s/n on a 16-bit scale", formDescription(figures));
    raw.olderSnr = 95;
    LegacyRange tenths;
    figures = figuresFrom(raw, tenths);
    EXPECT_EQ(FormLegacyTenths, figures.form);
    EXPECT_DOUBLE_EQ(9.5, figures.statistics.carrierToNoiseDb);
    // Without v5 strength the older one stands in for it.
    raw.strengthScale = ScaleNone;
    raw.olderStrengthRead = true;
    raw.olderStrength = 65535;
    EXPECT_EQ(100, figuresFrom(raw, tenths).statistics.strengthPercent);
}

TEST(DvbSignalFigures, WithOnlyAStrengthInDbmTheQualityFollowsItWithinWhatWasSeen)
{
    RawFigures raw;
    raw.locked = true;
    raw.strengthScale = ScaleDecibel;
    LegacyRange range;
    const auto qualityAt = [&](int64_t milliDbm) {
        raw.strength = milliDbm;
        return readingFromStatistics(figuresFrom(raw, range).statistics).quality;
    };
    EXPECT_EQ(10, qualityAt(-62000));  // the first is the weakest seen
    EXPECT_EQ(99, qualityAt(-56000));
    EXPECT_EQ(54, qualityAt(-59000));
    raw.strength = -59000;
    EXPECT_EQ("v5, strength only: quality within the strengths seen since the tune",
              formDescription(figuresFrom(raw, range)));
    // The tuner's own wobble moves it little: 3 dB make the whole scale.
    LegacyRange fresh;
    range = fresh;
    qualityAt(-60000);
    EXPECT_EQ(24, qualityAt(-59500));
    // Nothing while unlocked, and a reading with an s/n is not touched.
    raw.locked = false;
    EXPECT_FALSE(figuresFrom(raw, range).statistics.hasStrength);
    raw.locked = true;
    raw.cnrScale = ScaleDecibel;
    raw.cnr = 9000;
    EXPECT_EQ(FormDecibel, figuresFrom(raw, range).form);
}

TEST(DvbSignalFigures, TheFrequencyRangeIsInHzUntilTheFrontendIsSetToASatelliteSystem)
{
    EXPECT_EQ(2150000u, infoFrequencyKHz(2150000000u, false));
    EXPECT_EQ(2150000u, infoFrequencyKHz(2150000u, true));
    FrontendDescription description;
    description.lowestKHz = infoFrequencyKHz(51000000u, false);
    description.highestKHz = infoFrequencyKHz(2150000000u, false);
    EXPECT_NE(std::string::npos, statusReport(description, FrontendFigures()).find("frequency range: 51 - 2150 MHz\n"));
}

}  // namespace

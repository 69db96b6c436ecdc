// A driver's statistics in each form it may offer them, and what becomes of
// them: the v5 statistics say their scale; an unknown driver's older ones
// are told apart by the values they give, and a figure of no known unit
// sits on a fixed range for its kind, smoothed, so that it follows the dish
// and never flaps. (Known drivers' own scales: dvb_driver_figures_test.cpp.)
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "dvb/helper/frontend/frontend_report.h"
#include "dvb/helper/frontend/signal_figures.h"

namespace {

// An unknown driver's scales.
static const FigureScales unknown;

static FrontendFigures figuresFrom(const RawFigures& raw, FigureMemory& memory, uint64_t nowMs = 0)
{
    return ::figuresFrom(raw, memory, unknown, nowMs);
}

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
    FigureMemory range;
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
    FigureMemory tenths;
    FrontendFigures figures = figuresFrom(older(123), tenths);
    EXPECT_EQ(FormLegacyTenths, figures.form);
    EXPECT_TRUE(figures.statistics.hasCarrierToNoise);
    EXPECT_DOUBLE_EQ(12.3, figures.statistics.carrierToNoiseDb);
    EXPECT_EQ("older (no v5), s/n in 0.1 dB", formDescription(figures));

    // A value no C/N in tenths reaches: a 16-bit scale, from then on.
    FigureMemory scale;
    figuresFrom(older(400), scale);
    figures = figuresFrom(older(30000), scale);
    EXPECT_EQ(FormLegacyScale, figures.form);
    EXPECT_EQ(46, figures.statistics.qualityPercent);
    EXPECT_EQ(FormLegacyScale, figuresFrom(older(400), scale).form);

    // Unlocked readings decide nothing.
    FigureMemory unlocked;
    figures = figuresFrom(older(60000, false), unlocked);
    EXPECT_FALSE(unlocked.seen);
    EXPECT_EQ("older (no v5), s/n unit told once locked", formDescription(figures));
}

TEST(DvbSignalFigures, AnOlderFigureOfUnknownUnitSitsOnAFixedRangeAndFollowsTheDishWithoutJumps)
{
    // -70 as a signed 16-bit figure read unsigned: on the range -100 .. 0, 37 %.
    FigureMemory memory;
    uint64_t now = 0;
    const auto qualityAt = [&](int16_t value) {
        now += 100;
        return figuresFrom(older(static_cast<uint16_t>(value)), memory, now).statistics.qualityPercent;
    };
    EXPECT_EQ(37, qualityAt(-70));
    EXPECT_EQ(FormLegacyNegative, figuresFrom(older(static_cast<uint16_t>(-70)), memory, now).form);
    // Better by 10: the quality climbs over about a second, a point or so a reading.
    int32_t before = qualityAt(-70);
    for (int i = 0; i < 12; ++i) {
        const int32_t quality = qualityAt(-60);
        EXPECT_GE(quality, before);
        EXPECT_LE(quality - before, 2);
        before = quality;
    }
    EXPECT_EQ(46, before);
    // Worse again: the same figure reads the same as at first, never re-ranged by what came since.
    for (int i = 0; i < 12; ++i) qualityAt(-70);
    EXPECT_EQ(37, qualityAt(-70));
    EXPECT_NE(std::string::npos,
              formDescription(figuresFrom(older(static_cast<uint16_t>(-70)), memory, now)).find("fixed range"));
    // A reading a driver leaves without the figure at all.
    RawFigures none;
    none.v5 = false;
    none.locked = true;
    FigureMemory empty;
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
    FigureMemory scale;
    FrontendFigures figures = figuresFrom(raw, scale);
    EXPECT_EQ(FormLegacyScale, figures.form);
    EXPECT_EQ(50, figures.statistics.qualityPercent);
    EXPECT_TRUE(figures.hasStrengthDbm);
    EXPECT_EQ("v5 without c/n, older s/n on a 16-bit scale", formDescription(figures));
    raw.olderSnr = 95;
    FigureMemory tenths;
    figures = figuresFrom(raw, tenths);
    EXPECT_EQ(FormLegacyTenths, figures.form);
    EXPECT_DOUBLE_EQ(9.5, figures.statistics.carrierToNoiseDb);
    // Without v5 strength the older one stands in for it.
    raw.strengthScale = ScaleNone;
    raw.olderStrengthRead = true;
    raw.olderStrength = 65535;
    EXPECT_EQ(100, figuresFrom(raw, tenths).statistics.strengthPercent);
}

TEST(DvbSignalFigures, WithOnlyAStrengthInDbmTheQualityFollowsItOnAFixedRangeSmoothed)
{
    RawFigures raw;
    raw.locked = true;
    raw.strengthScale = ScaleDecibel;
    FigureMemory memory;
    uint64_t now = 0;
    const auto qualityAt = [&](int64_t milliDbm) {
        raw.strength = milliDbm;
        now += 100;
        return readingFromStatistics(figuresFrom(raw, memory, now).statistics).quality;
    };
    // -80 dBm is 10 %, -20 dBm 99 %: a weak first reading is no longer the bottom of the scale.
    EXPECT_EQ(37, qualityAt(-62000));
    for (int i = 0; i < 10; ++i) qualityAt(-56000);
    EXPECT_EQ(46, qualityAt(-56000));
    EXPECT_EQ("v5, strength only: quality on a fixed range of dBm, smoothed",
              formDescription(figuresFrom(raw, memory)));
    // A steady strength with the tuner's wobble of a few tenths stays within a point.
    FigureMemory steady;
    memory = steady;
    std::vector<int32_t> qualities;
    for (int i = 0; i < 20; ++i) qualities.push_back(qualityAt(i % 2 ? -59700 : -60300));
    EXPECT_LE(*std::max_element(qualities.begin() + 2, qualities.end()) -
                  *std::min_element(qualities.begin() + 2, qualities.end()),
              1);
    // Nothing while unlocked, and a reading with an s/n is not touched.
    raw.locked = false;
    EXPECT_FALSE(figuresFrom(raw, memory).statistics.hasStrength);
    raw.locked = true;
    raw.cnrScale = ScaleDecibel;
    raw.cnr = 9000;
    EXPECT_EQ(FormDecibel, figuresFrom(raw, memory).form);
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

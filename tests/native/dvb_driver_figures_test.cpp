// Each known driver's figures, from a true C/N through the driver's own
// arithmetic (the simulated frontend's, dvb/common/driver_statistics.h)
// to what azimora-dvb reports, swept from 2 to 16 dB in 0.5 dB steps: the
// C/N within half a dB of the truth, within the driver's own step where it
// quantises, "or more" at its ceiling, or "below" its lowest step; a
// quality that never falls as the signal rises; and readings of a steady
// signal that move by at most two points, or by one of the driver's steps
// where one lies within the signal's wobble.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

#include "cardbase/reading_pace.h"
#include "dvb/common/driver_statistics.h"
#include "dvb/helper/frontend/frontend_traits.h"
#include "dvb/helper/frontend/helper_margin.h"
#include "dvb/helper/frontend/signal_figures.h"
#include "tests/native/older_snr.h"

namespace {

struct Chip {
    const char* frontendName;
    StatisticsDriver driver;
    bool dvbs2;
};

static const Chip chips[] = {
    {"Montage Technology DS3000", DriverDs3000, false},
    {"Montage Technology DS3000", DriverDs3000, true},
    {"STV090x Multistandard", DriverStv090x, false},
    {"STV090x Multistandard", DriverStv090x, true},
    {"STV0900 frontend", DriverStv0900, false},
    {"STV0900 frontend", DriverStv0900, true},
    {"STB0899 Multistandard", DriverStb0899, false},
    {"STB0899 Multistandard", DriverStb0899, true},
    {"Conexant CX24116/CX24118", DriverCx24116, false},
    {"Conexant CX24116/CX24118", DriverCx24116, true},
    {"Conexant CX24116/CX24118", DriverCx24116Esno, false},
    {"Conexant CX24116/CX24118", DriverCx24116Esno, true},
    {"Montage Technology M88DS3103", DriverM88ds3103, false},
    {"Montage Technology M88DS3103", DriverM88ds3103, true},
    {"ST STV0910", DriverStv0910, false},
    {"ST STV0910", DriverStv0910, true},
};

static std::string labelOf(const Chip& chip)
{
    return std::string(statisticsDriverName(chip.driver)) + (chip.dvbs2 ? " DVB-S2" : " DVB-S");
}

static double strengthAt(double carrierToNoiseDb) { return -70.0 + carrierToNoiseDb; }

// As libdvbv5 hands them over: the v5 statistics where the driver fills any
// in (ds3000's tuner a strength alone, so the helper asks the older s/n
// itself), else the older ones, passed on as relative figures.
static RawFigures rawOf(const Chip& chip, double carrierToNoiseDb)
{
    const DriverStatistics figures =
        driverStatistics(chip.driver, chip.dvbs2, carrierToNoiseDb, strengthAt(carrierToNoiseDb));
    RawFigures raw;
    raw.locked = true;
    if (!fillsV5Statistics(chip.driver)) {
        raw.v5 = false;
        raw.cnrScale = ScaleRelative;
        raw.cnr = figures.snr;
        raw.strengthScale = ScaleRelative;
        raw.strength = figures.strength;
        return raw;
    }
    raw.strengthScale = ScaleDecibel;
    raw.strength = figures.strengthMilliDb;
    if (figures.v5Cnr) {
        raw.cnrScale = ScaleDecibel;
        raw.cnr = figures.cnrMilliDb;
    } else {
        raw.olderSnrRead = raw.olderStrengthRead = true;
        raw.olderSnr = figures.snr;
        raw.olderStrength = figures.strength;
    }
    return raw;
}

// What the driver hands over for the C/N's figure, to tell its steps apart.
static std::pair<int64_t, bool> driverValue(const Chip& chip, double carrierToNoiseDb)
{
    const RawFigures raw = rawOf(chip, carrierToNoiseDb);
    if (raw.cnrScale == ScaleDecibel) return {raw.cnr, true};
    return {raw.v5 ? raw.olderSnr : raw.cnr, false};
}

// The span of true C/N around `truth` for which the driver gives the same value.
static double driverStepAt(const Chip& chip, double truth)
{
    const auto value = driverValue(chip, truth);
    double low = truth, high = truth;
    while (low > truth - 4.0 && driverValue(chip, low - 0.01) == value) low -= 0.01;
    while (high < truth + 4.0 && driverValue(chip, high + 0.01) == value) high += 0.01;
    return high - low + 0.01;
}

class Reader {
public:
    explicit Reader(const Chip& chip)
        : scales_(figureScalesFor(frontendTraitsFor(chip.frontendName), chip.dvbs2, chip.driver == DriverCx24116Esno)),
          chip_(chip)
    {}
    FrontendFigures read(double carrierToNoiseDb)
    {
        nowMs_ += 100;
        return figuresFrom(rawOf(chip_, carrierToNoiseDb), memory_, scales_, nowMs_);
    }

private:
    FigureScales scales_;
    Chip chip_;
    FigureMemory memory_;
    uint64_t nowMs_ = 0;
};

TEST(DvbDriverFigures, EachKnownDriversCarrierToNoiseIsTheTruthWithinItsOwnSteps)
{
    for (const Chip& chip : chips) {
        Reader reader(chip);
        int32_t quality = 0;
        double worst = 0.0;
        for (double truth = 2.0; truth <= 16.0001; truth += 0.5) {
            const FrontendFigures figures = reader.read(truth);
            const std::string at = labelOf(chip) + " at " + std::to_string(truth) + " dB";
            ASSERT_TRUE(figures.statistics.hasCarrierToNoise) << at;
            const double reported = figures.statistics.carrierToNoiseDb;
            const double error = std::fabs(reported - truth);
            double ceiling = 0.0;
            if (figures.carrierToNoiseBelow) {
                EXPECT_LT(truth, reported) << at;  // "below 3.0 dB"
            } else if (figures.carrierToNoiseAtLeast &&
                       ceilingOf(figureScalesFor(frontendTraitsFor(chip.frontendName), chip.dvbs2, false).snr,
                                 &ceiling) &&
                       std::fabs(reported - ceiling) < 1e-9 && truth >= ceiling - 0.05) {
                // "14.1 dB or more": the driver's ceiling, said so.
            } else {
                EXPECT_LE(error, std::max(0.5, driverStepAt(chip, truth))) << at << ": " << reported;
                // At least the figure, but for the registers' own rounding of the ratio.
                if (figures.carrierToNoiseAtLeast) EXPECT_LE(reported, truth + 0.05) << at;
                worst = std::max(worst, error);
            }
            const int32_t now = readingFromStatistics(figures.statistics).quality;
            EXPECT_GE(now, quality) << at;
            quality = now;
            // A C/N of the driver's own scale makes a margin, never an older s/n of no unit.
            EXPECT_EQ(!figures.carrierToNoiseBelow, carrierToNoiseInDecibels(figures)) << at;
        }
        std::printf("%-22s worst C/N error %.2f dB\n", labelOf(chip).c_str(), worst);
    }
}

TEST(DvbDriverFigures, ASteadySignalsReadingsMoveByTwoPointsAtMostOrByOneOfTheDriversSteps)
{
    // Today's wobble of a tenth of a dB either way, read as the helper
    // reads: one after another, ten a second.
    const double wobble[] = {0.0, 0.1, -0.1, 0.05, -0.05, 0.1, 0.0, -0.1};
    for (const Chip& chip : chips) {
        for (double truth = 2.5; truth <= 15.5; truth += 0.5) {
            Reader reader(chip);
            std::set<int32_t> qualities;
            std::set<std::pair<int64_t, bool>> values;
            for (int i = 0; i < 24; ++i) {
                const double cn = truth + wobble[i % 8];
                values.insert(driverValue(chip, cn));
                qualities.insert(readingFromStatistics(reader.read(cn).statistics).quality);
            }
            const int32_t spread = *qualities.rbegin() - *qualities.begin();
            const std::string at = labelOf(chip) + " at " + std::to_string(truth) + " dB";
            if (values.size() == 1) EXPECT_LE(spread, 2) << at;
            else EXPECT_LE(qualities.size(), values.size()) << at;  // each step one quality, no flapping between
        }
    }
}

// cx24116 as loaded (esno_snr=0): the low byte of Es/N0 in 0.1 dB through
// a table of its two hexadecimal nibbles, that is the byte x 409.6: every
// one of the 160 codes below 0xa0 decodes to its own tenth, 0xa0 and above
// (0xffff) is its ceiling, and it makes a margin; esno_snr=1 gives Es/N0 in
// 0.1 dB as it is.
// The bracketing guide counts a reading only after the card's refresh:
// every driver of the table measures its C/N as its status is read, so each
// reading the helper takes is a new measure; of a frontend the table does
// not know nothing is said, and the guide takes its own cautious figure.
TEST(DvbDriverFigures, EveryKnownDriverMeasuresItsCarrierToNoiseAtEachRead)
{
    for (size_t i = 0; i < knownFrontendCount; ++i)
        EXPECT_EQ(readingIntervalMs, frontendTraitsFor(knownFrontends[i].nameContains).figuresRefreshMs)
            << knownFrontends[i].nameContains;
    EXPECT_EQ(0u, frontendTraitsFor("Simulated DVB-S/S2 frontend").figuresRefreshMs);
}

TEST(DvbDriverFigures, Cx24116sDefaultScaleIsEsnoInTenthsThroughItsTableAndItsParameterItsRegisters)
{
    const FrontendTraits traits = frontendTraitsFor("Conexant CX24116/CX24118");
    const auto read = [&](uint16_t value, bool parameterSet) {
        FigureMemory memory;
        RawFigures raw;
        raw.v5 = false;
        raw.locked = true;
        raw.cnrScale = ScaleRelative;
        raw.cnr = value;
        return figuresFrom(raw, memory, figureScalesFor(traits, true, parameterSet), 0);
    };
    for (int code = 0; code < 0xa0; ++code) {
        const uint16_t value = driverStatistics(DriverCx24116, true, code / 10.0, -60.0).snr;
        const FrontendFigures figures = read(value, false);
        EXPECT_EQ(FormDriverDecibel, figures.form) << code;
        EXPECT_NEAR(code / 10.0, figures.statistics.carrierToNoiseDb, 1e-9) << code;
        EXPECT_FALSE(figures.carrierToNoiseAtLeast) << code;
    }
    // Truncating, 16383 would read 3.9 dB.
    EXPECT_EQ("4.0 dB", carrierToNoiseText(read(16383, false)));
    const FrontendFigures top = read(0xffff, false);
    EXPECT_EQ("16.0 dB or more", carrierToNoiseText(top));
    EXPECT_TRUE(carrierToNoiseInDecibels(top));
    EXPECT_EQ("older (no v5), s/n read as c/n by the driver's own arithmetic", formDescription(read(16383, false)));
    const FrontendFigures esno = read(driverStatistics(DriverCx24116Esno, true, 9.7, -60.0).snr, true);
    EXPECT_EQ(FormDriverDecibel, esno.form);
    EXPECT_NEAR(9.7, esno.statistics.carrierToNoiseDb, 1e-9);
}

// The cases read from the drivers' sources, as the drivers give them: stv0900 above its ceiling,
// ds3000's wrapped 13 dB, stv090x's true 10 dB, stb0899's strength.
TEST(DvbDriverFigures, TheDriversOwnValuesReadAsTheirSourcesMeanThem)
{
    FigureMemory memory;
    const FrontendFigures capped = olderSnrFigures(memory, "STV0900 frontend", true, 65535);
    EXPECT_DOUBLE_EQ(14.1, capped.statistics.carrierToNoiseDb);
    EXPECT_TRUE(capped.carrierToNoiseAtLeast);
    EXPECT_EQ("14.1 dB or more", carrierToNoiseText(capped));
    EXPECT_DOUBLE_EQ(10.0,
                     olderSnrFigures(memory, "STV0900 frontend", false, (100 + 30) * 384).statistics.carrierToNoiseDb);
    EXPECT_DOUBLE_EQ(10.0, olderSnrFigures(memory, "STV090x Multistandard", true, 13107).statistics.carrierToNoiseDb);
    EXPECT_DOUBLE_EQ(14.0, olderSnrFigures(memory, "STV090x Multistandard", false, 18349).statistics.carrierToNoiseDb);

    // 13 dB x 5240 = 68120, kept in 16 bits: 2584.
    FigureMemory ds3000Memory;
    RawFigures ds3000;
    ds3000.locked = true;
    ds3000.olderSnrRead = true;
    ds3000.olderSnr = 2584;
    const FigureScales dvbs = figureScalesFor(frontendTraitsFor("Montage Technology DS3000"), false, false);
    FrontendFigures peak = figuresFrom(ds3000, ds3000Memory, dvbs, 0);
    EXPECT_NEAR(13.01, peak.statistics.carrierToNoiseDb, 0.005);  // 20:1, the table's last row
    EXPECT_EQ("13.0 dB or more (in the driver's whole-dB steps)", carrierToNoiseText(peak));
    // Each whole dB the lowest whole ratio that reaches it: 12 dB is 16:1, 7 dB 6:1.
    ds3000.olderSnr = 12 * 5240;
    EXPECT_NEAR(12.04, figuresFrom(ds3000, ds3000Memory, dvbs, 0).statistics.carrierToNoiseDb, 0.005);
    ds3000.olderSnr = 7 * 5240;
    EXPECT_NEAR(7.78, figuresFrom(ds3000, ds3000Memory, dvbs, 0).statistics.carrierToNoiseDb, 0.005);
    // DVB-S2: below 0 dB minus whole dB; a noise register of 0 the ceiling.
    const FigureScales dvbs2 = figureScalesFor(frontendTraitsFor("Montage Technology DS3000"), true, false);
    ds3000.olderSnr = static_cast<uint16_t>(-3);
    EXPECT_DOUBLE_EQ(-3.0, figuresFrom(ds3000, ds3000Memory, dvbs2, 0).statistics.carrierToNoiseDb);
    ds3000.olderSnr = 0xffff;
    EXPECT_NEAR(19.03, figuresFrom(ds3000, ds3000Memory, dvbs2, 0).statistics.carrierToNoiseDb, 0.005);

    // stb0899's strength in 0.1 dBm with its offset, by the system.
    RawFigures stb0899;
    stb0899.v5 = false;
    stb0899.locked = true;
    stb0899.strengthScale = ScaleRelative;
    stb0899.strength = 250;
    const FrontendTraits traits = frontendTraitsFor("STB0899 Multistandard");
    FrontendFigures strength = figuresFrom(stb0899, memory, figureScalesFor(traits, false, false), 0);
    EXPECT_TRUE(strength.hasStrengthDbm);
    EXPECT_DOUBLE_EQ(-50.0, strength.strengthDbm);
    EXPECT_DOUBLE_EQ(-70.0, figuresFrom(stb0899, memory, figureScalesFor(traits, true, false), 0).strengthDbm);
}

}  // namespace

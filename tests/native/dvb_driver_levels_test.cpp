// Each known driver's level in its own units, from a level at the tuner's
// input through the driver's own arithmetic (the simulated frontend's,
// dvb/common/driver_strength.h) to what azimora-dvb gives the status,
// the level before the lock and every step of a sweep alike: stv090x's and
// stv0900's RF table with its out-of-order row read as the stretch it is,
// their clamps said so, stb0899's none without a lock, cx24117's wrapped
// AGC found again, ts2020's gain called a gain and tas2101's figure from
// its older call alone.
#include <cmath>
#include <gtest/gtest.h>

#include "dvb/common/driver_strength.h"
#include "dvb/helper/frontend/frontend_traits.h"
#include "dvb/helper/frontend/level_watch.h"
#include "dvb/helper/frontend/signal_figures.h"
#include "tests/native/older_snr.h"

namespace {

StrengthScale strengthScaleOf(const char* name, bool dvbs2 = false)
{
    return figureScalesFor(frontendTraitsFor(name), dvbs2, false).strength;
}

// An older strength as libdvbv5 hands it over from a driver without v5 statistics.
RawFigures olderStrength(uint16_t value, bool locked = false)
{
    RawFigures raw;
    raw.v5 = false;
    raw.locked = locked;
    raw.strengthScale = ScaleRelative;
    raw.strength = value;
    return raw;
}

}  // namespace

TEST(DvbDriverLevels, Stv090xAndStv0900ReadTheirRfTableAsTheDriversDoAndSayWhatItCannotTellApart)
{
    for (StatisticsDriver driver : {DriverStv090x, DriverStv0900}) {
        const char* name = driver == DriverStv090x ? "STV090x Multistandard" : "STV0900 frontend";
        const StrengthScale scale = strengthScaleOf(name);
        const double ceiling = driver == DriverStv090x ? -5.0 : -30.0;
        for (double truth = -85.0; truth <= 5.0; truth += 0.5) {
            const std::string at = std::string(name) + " at " + std::to_string(truth) + " dBm";
            const SignalLevel level = strengthLevel(scale, olderStrength(driverOlderStrength(driver, false, truth)));
            ASSERT_TRUE(levelHasValue(level)) << at;
            EXPECT_EQ(LevelDbm, level.unit) << at;
            if (truth > -70.0 && truth < -60.0) {
                // The row for -65 dBm (0xa14f) breaks the table's order: -70 or -69 whatever the truth.
                EXPECT_TRUE(level.ranged) << at;
                EXPECT_GE(level.value, -70.0) << at;
                EXPECT_LE(level.value, -69.0) << at;
                EXPECT_DOUBLE_EQ(-60.0, level.rangeTo) << at;
            } else if (truth < -70.0) {
                EXPECT_EQ(LevelOrLess, level.bound) << at;
                EXPECT_DOUBLE_EQ(-70.0, level.value) << at;
            } else if (truth > ceiling) {
                EXPECT_EQ(LevelOrMore, level.bound) << at;
                EXPECT_DOUBLE_EQ(ceiling, level.value) << at;
            } else if (!level.ranged) {
                EXPECT_EQ(LevelExact, level.bound) << at << " " << level.value;
                EXPECT_NEAR(truth, level.value, 1.0) << at;  // whole dBm, its table's rows 5 dB apart
            }
        }
    }
    // As the driver computes it: AGC values from 0x07aa to 0x210d read -70 or -69 dBm.
    EXPECT_EQ(-70, stv090xRfLevel(-70.0));
    EXPECT_EQ(-69, stv090xRfLevel(-60.1));
    EXPECT_EQ(-60, stv090xRfLevel(-60.0));
    EXPECT_EQ(-100, stv090xRfLevel(-71.0));
    EXPECT_EQ(0, stv090xRfLevel(-4.0));
    EXPECT_EQ(5, stv0900RfLevel(-4.0));
    EXPECT_EQ(-69, stv0900RfLevel(-61.0));
    // The older strength as its source makes it: (dBm + 100) x 0xffff / 100.
    EXPECT_EQ(31 * 0xFFFF / 100, driverOlderStrength(DriverStv090x, false, -69.0));
    EXPECT_EQ("-60 to -70 dBm",
              strengthText(strengthLevel(strengthScaleOf("STV090x Multistandard"), olderStrength(30 * 0xFFFF / 100))));
    EXPECT_EQ("-30.0 dBm or more",
              strengthText(strengthLevel(strengthScaleOf("STV0900 frontend"), olderStrength(65535))));
    EXPECT_EQ("-70.0 dBm or less", strengthText(strengthLevel(strengthScaleOf("STV0900 frontend"), olderStrength(0))));
}

TEST(DvbDriverLevels, Stb0899GivesItsLevelOnlyLockedInTenthsOfADbmWithItsSystemsOffset)
{
    const StrengthScale dvbs = strengthScaleOf("STB0899 Multistandard"), dvbs2 = strengthScaleOf("STB0899", true);
    EXPECT_DOUBLE_EQ(-50.0, strengthLevel(dvbs, olderStrength(250, true)).value);
    EXPECT_DOUBLE_EQ(-70.0, strengthLevel(dvbs2, olderStrength(250, true)).value);
    // 0 unless locked: no level, not a live 0 %; on the page "no level before the lock".
    EXPECT_FALSE(levelHasValue(strengthLevel(dvbs, olderStrength(0))));
    LevelWatch watch;
    levelWatchOpened(watch, "STB0899 Multistandard");
    EXPECT_EQ(LevelNoneBeforeLock, levelOfReading(watch, olderStrength(0), dvbs, 0).state);
    EXPECT_EQ(0u, driverOlderStrength(DriverStb0899, false, -50.0) == 0 ? 1u : 0u);
    EXPECT_FALSE(strengthWithoutLock(DriverStb0899));
    EXPECT_FALSE(levelBeforeLock(frontendLevelTraitsFor("STB0899 Multistandard")));
}

TEST(DvbDriverLevels, Cx24117sWrappingStrengthIsUnwrappedToItsAgcOrIsNoLevel)
{
    const StrengthScale scale = strengthScaleOf("Conexant CX24117/CX24132");
    double previous = -1.0;
    // The AGC falls as the signal rises: every one of its 1024 values unwraps, in order.
    for (int agc = 1023; agc >= 0; --agc) {
        const uint16_t value = static_cast<uint16_t>(-100 * agc + 94324);
        const SignalLevel level = strengthLevel(scale, olderStrength(value));
        ASSERT_TRUE(levelHasValue(level)) << agc;
        EXPECT_EQ(LevelPercent, level.unit);
        EXPECT_GT(level.value, previous) << agc;
        previous = level.value;
    }
    EXPECT_DOUBLE_EQ(100.0, previous);
    // 28788 (an AGC of 0) and 57560 (1023) wrapped; 30000 no AGC makes.
    EXPECT_DOUBLE_EQ(100.0, strengthLevel(scale, olderStrength(28788)).value);
    EXPECT_DOUBLE_EQ(0.0, strengthLevel(scale, olderStrength(57560)).value);
    EXPECT_FALSE(levelHasValue(strengthLevel(scale, olderStrength(30000))));
}

TEST(DvbDriverLevels, Ts2020sStrengthIsAGainTas2101sComesFromItsOlderCallAndM88rs6000HasNone)
{
    RawFigures v5;
    v5.strengthScale = ScaleDecibel;
    v5.strength = -45250;
    const SignalLevel gain = strengthLevel(strengthScaleOf("Montage Technology DS3000"), v5);
    EXPECT_EQ(LevelGain, gain.unit);
    EXPECT_DOUBLE_EQ(-45.25, gain.value);
    EXPECT_EQ("-45.2 dB (the tuner's gain, not dBm)", strengthText(gain));
    EXPECT_EQ(LevelGain, strengthLevel(strengthScaleOf("Montage Technology M88DS3103B"), v5).unit);
    EXPECT_TRUE(frontendLevelTraitsFor("Montage Technology DS3000").asksOlderStrength);
    // tas2101 divides its cached v5 strength by ten at each older read: only the older figure counts.
    RawFigures tas2101 = v5;
    tas2101.strength = -4525;
    EXPECT_FALSE(levelHasValue(strengthLevel(strengthScaleOf("Tmax TAS2101"), tas2101)));
    tas2101.olderStrengthRead = true;
    tas2101.olderStrength = (106 - 45) * 656;
    EXPECT_DOUBLE_EQ(-45.0, strengthLevel(strengthScaleOf("Tmax TAS2101"), tas2101).value);
    EXPECT_TRUE(frontendLevelTraitsFor("Tmax TAS2101").asksOlderStrength);
    // m88rs6000: no read_signal_strength and a tuner that fills in none.
    EXPECT_EQ(LevelNever, frontendLevelTraitsFor("Montage Technology M88RS6000").source);
    EXPECT_FALSE(levelBeforeLock(frontendLevelTraitsFor("Montage Technology M88RS6000")));
    EXPECT_FALSE(levelBeforeLock(frontendLevelTraitsFor("NXP TDA10071")));
    EXPECT_TRUE(levelBeforeLock(frontendLevelTraitsFor("STV090x Multistandard")));
}

TEST(DvbDriverLevels, AKnownLiveDriversFlatStretchIsNeverFrozen)
{
    const StrengthScale scale = strengthScaleOf("STV090x Multistandard");
    const RawFigures flat = olderStrength(30 * 0xFFFF / 100);
    LevelWatch watch;
    levelWatchOpened(watch, "STV090x Multistandard");
    EXPECT_EQ(LevelLive, levelOfReading(watch, flat, scale, 0).state);
    levelWatchRetuned(watch, 100);
    const SignalLevel later = levelOfReading(watch, flat, scale, 100 + 10 * frozenLevelAfterMs);
    EXPECT_EQ(LevelLive, later.state);
    EXPECT_TRUE(later.ranged);
    // One the table does not know is frozen by the same value.
    LevelWatch unknown;
    levelWatchOpened(unknown, "Out-of-tree demodulator");
    levelOfReading(unknown, flat, StrengthScale(), 0);
    levelWatchRetuned(unknown, 100);
    EXPECT_EQ(LevelFrozen, levelOfReading(unknown, flat, StrengthScale(), 100 + frozenLevelAfterMs).state);
}

TEST(DvbDriverLevels, AClampedCarrierToNoiseSaysOrLessAtTheDriversFloor)
{
    FigureMemory memory;
    EXPECT_EQ("1.5 dB or less", carrierToNoiseText(olderSnrFigures(memory, "STB0899 Multistandard", false, 15)));
    EXPECT_EQ("0.0 dB or less", carrierToNoiseText(olderSnrFigures(memory, "STV090x Multistandard", true, 0)));
    EXPECT_EQ("0.0 dB or less", carrierToNoiseText(olderSnrFigures(memory, "STV090x Multistandard", false, 0)));
    EXPECT_EQ("-3.0 dB or less", carrierToNoiseText(olderSnrFigures(memory, "STV0900 frontend", false, 0)));
    EXPECT_EQ("1.6 dB", carrierToNoiseText(olderSnrFigures(memory, "STB0899 Multistandard", false, 16)));
    EXPECT_TRUE(olderSnrFigures(memory, "STV090x Multistandard", true, 0).carrierToNoiseAtMost);
}

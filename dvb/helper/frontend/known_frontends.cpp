// The known frontends, as data: what each driver of Linux 6.1 does with a
// tune and how its figures read (read in drivers/media/dvb-frontends and
// drivers/media/tuners, each function named beside what it gave), by a
// text its name contains. The first row that matches counts. Times in ms.
#include "dvb/helper/frontend/frontend_traits.h"

// An older s/n of C/N in 0.1 dB = value x multiplier / divisor - offset.
static constexpr SnrScale tenthsScaled(uint32_t multiplier, uint32_t divisor, int32_t offsetTenths = 0)
{
    SnrScale scale;
    scale.kind = SnrTenthsScaled;
    scale.multiplier = multiplier;
    scale.divisor = divisor;
    scale.offsetTenths = offsetTenths;
    return scale;
}

static constexpr SnrScale withCeiling(SnrScale scale, int32_t topTenths, uint32_t capValue = 0)
{
    scale.topTenths = topTenths;
    scale.capValue = capValue;
    return scale;
}

static constexpr SnrScale withFloor(SnrScale scale, int32_t bottomTenths)
{
    scale.bottomTenths = bottomTenths;
    return scale;
}

static constexpr SnrScale ofKind(SnrKind kind, bool ratioRounded = false)
{
    SnrScale scale;
    scale.kind = kind;
    scale.ratioRounded = ratioRounded;
    return scale;
}

// ds3000_read_snr: whole dB (10 log10 of the register's whole ratio, from
// its table of 10000 ln(n), rounded down by the integer division) times
// 8 x 655, kept in 16 bits, so that 13 dB (the table's last row, 20:1)
// reads 68120 - 65536 = 2584; each whole dB the lowest ratio reaching it.
static constexpr SnrScale ds3000Dvbs()
{
    SnrScale scale = withCeiling(tenthsScaled(10, 5240), 130);
    scale.roundsDown = true;
    scale.stepTenths = 10;
    scale.wholeRatio = true;
    scale.wrapsAt16Bits = true;
    return scale;
}

// ds3000_read_snr: whole dB times 5 x 655 up to 19 dB (its table's 80:1),
// 0xffff for a noise register of 0, minus whole dB below 0 dB.
static constexpr SnrScale ds3000Dvbs2()
{
    SnrScale scale = withCeiling(tenthsScaled(10, 3275), 190, 0xffff);
    scale.roundsDown = true;
    scale.stepTenths = 10;
    scale.wholeRatio = true;
    scale.negativeWholeDb = true;
    return scale;
}

// An older strength of 0.1 dBm = value x multiplier / divisor - offset.
static constexpr StrengthScale tenthsOfDbm(uint32_t multiplier, uint32_t divisor, int32_t offsetTenths)
{
    StrengthScale scale;
    scale.kind = StrengthTenthsDbm;
    scale.multiplier = multiplier;
    scale.divisor = divisor;
    scale.offsetTenths = offsetTenths;
    return scale;
}

// Where a strength table stops, in whole dBm: below `lowest` it reads "or
// less", above `highest` "or more".
static constexpr StrengthScale withLimits(StrengthScale scale, int16_t lowest, int16_t highest)
{
    scale.lowestDbm = lowest;
    scale.highestDbm = highest;
    return scale;
}

// The RF table of stv090x and stv0900 (stv090x_rf_tab, stv0900_rf) has its
// -65 dBm row at 0xa14f, out of order: each driver's lookup then reads AGC
// values from 0x07aa to 0x210d (-70 to -60 dBm as the rows around it mean)
// as -70 or -69 dBm; above the table -5 dBm, below it -70 dBm.
static constexpr StrengthScale stvRfTable(StrengthScale scale, int16_t highest)
{
    scale = withLimits(scale, -70, highest);
    scale.flatLowDbm = -70;
    scale.flatHighDbm = -69;
    scale.flatTopDbm = -60;
    return scale;
}

static constexpr StrengthScale v5Gain()
{
    StrengthScale scale;
    scale.v5IsGain = true;
    return scale;
}

static constexpr StrengthScale onlyWhenLocked(StrengthScale scale)
{
    scale.onlyLocked = true;
    return scale;
}

static constexpr StrengthScale unwrappedAgc()
{
    StrengthScale scale;
    scale.kind = StrengthUnwrapped;
    return scale;
}

static constexpr FigureScales scales(SnrScale snr, StrengthScale strength = StrengthScale())
{
    FigureScales both;
    both.snr = snr;
    both.strength = strength;
    return both;
}

// cx24116_read_snr_pct: QUALITY0 holds Es/N0 in 0.1 dB; its table adds the
// high nibble x 6553.6 and the low one x 409.6 (hexadecimal nibbles), so
// the value is the register x 409.6, 0xa0 (16.0 dB) and above 0xffff;
// cx24116_read_signal_strength: the AGC, negated.
static constexpr FigureScales cx24116Scales = scales(withCeiling(tenthsScaled(10, 4096), 160, 0xffff));
// stv090x_read_cnr: C/N (0.1 dB, 0 to 50 dB, none below 0) x 65535 / 500,
// both systems; stv090x_read_signal_strength: (dBm + 100) x 65535 / 100,
// its table from -5 to -70 dBm (0 above, -100 below).
static constexpr FigureScales stv090xScales =
    scales(withFloor(tenthsScaled(500, 65535), 0), stvRfTable(tenthsOfDbm(1000, 65535, 1000), -5));
// stv0900_read_snr: (C/N in 0.1 dB + 30) x 384, held at 65535 from 14.1 dB
// and at 0 from -3.0 dB (stv0900_carr_get_quality reads both systems by the
// DVB-S2 table); stv0900_read_signal_strength: (dBm + 100) x (65535 / 70),
// held at 65535 from -30 dBm.
static constexpr StrengthScale stv0900Strength()
{
    StrengthScale scale = stvRfTable(tenthsOfDbm(10, 936, 1000), -30);
    scale.capValue = 65535;
    return scale;
}
static constexpr FigureScales stv0900Scales =
    scales(withFloor(withCeiling(tenthsScaled(1, 384, 30), 141, 65535), -30), stv0900Strength());
// m88ds3103_read_status: DVB-S 10 log10 of register 0xff / 8 rounded to the
// nearest whole ratio (none below 1.5:1), DVB-S2 of signal / noise rounded
// down (none below 2:1).
static constexpr FigureScales m88ds3103Dvbs = scales(ofKind(SnrV5WholeRatio, true), v5Gain());
static constexpr FigureScales m88ds3103Dvbs2 = scales(ofKind(SnrV5WholeRatio), v5Gain());
// tas2101_read_signal_strength: (dBm + 106) x 656 from its tuner's v5
// strength, which it then divides by ten in the cache (so the v5 strength
// is no level).
static constexpr StrengthScale tas2101Strength()
{
    StrengthScale scale = tenthsOfDbm(10, 656, 1060);
    scale.v5Ignored = true;
    return scale;
}

const FrontendTraits knownFrontends[] = {
    // "Conexant CX24116/CX24118": no automatic code rate for DVB-S2 (its
    // table has none, the tune fails where the kernel does not look), nor
    // roll-off (cx24116_set_frontend: "Rolloff must be explicit"); with
    // pilots automatic it tries them off, then on, 500 ms each. The
    // module parameter esno_snr=1 makes the s/n Es/N0 in 0.1 dB
    // (cx24116_read_snr_esno).
    {"CX24116",
     TraitNamesCodeRate | TraitNamesRolloff,
     0,
     1000,
     {},
     cx24116Scales,
     cx24116Scales,
     "/sys/module/cx24116/parameters/esno_snr",
     tenthsScaled(1, 1)},
    // "Conexant CX24117/CX24132": DVB-S2 wants QPSK or 8PSK named; reads
    // back what locked; with roll-off automatic it tries 0.35, 0.25 and
    // 0.20 itself, up to 1 s each (cx24117_set_frontend's "soft-auto
    // rolloff"). Its s/n is a register pair of no stated unit.
    // cx24117_read_signal_strength: -100 x AGC + 94324 kept in 16 bits.
    {"CX24117",
     TraitNamesModulation | TraitReadsBackLocked,
     0,
     3000,
     {},
     scales(ofKind(SnrOfUnknownUnit), unwrappedAgc()),
     scales(ofKind(SnrOfUnknownUnit), unwrappedAgc())},
    // "Montage Technology DS3000": only the system and symbol rate are used;
    // its ts2020 tuner takes about 180 ms (five gate cycles of 20 ms and
    // 80 ms for its loop), then the driver polls for lock 30 times 10 ms.
    // Its s/n in whole dB, below; ts2020 fills in the v5 strength (a gain).
    {"DS3000", TraitIgnoresModulation, 180, 300, {}, scales(ds3000Dvbs(), v5Gain()), scales(ds3000Dvbs2(), v5Gain())},
    // "Montage Technology M88DS3103" (and M88DS3103B): only the system and
    // symbol rate are used; reads back what locked; ts2022 tuner as above.
    {"M88DS3103", TraitIgnoresModulation | TraitReadsBackLocked, 180, 0, {}, m88ds3103Dvbs, m88ds3103Dvbs2},
    // "Montage Technology M88RS6000": the same demodulator, its own tuner
    // (m88rs6000t) waiting up to about as long and filling in no strength.
    {"M88RS6000",
     TraitIgnoresModulation | TraitReadsBackLocked,
     180,
     0,
     {},
     scales(ofKind(SnrV5WholeRatio, true)),
     scales(ofKind(SnrV5WholeRatio))},
    // "STV090x Multistandard": always searches DVB-S and DVB-S2 with
    // modulation and code rate automatic, in the kernel's frontend thread
    // (stv090x_search), again every half second while unlocked; about 100 ms
    // of its own settling around the tuner, then the cold search's
    // demodulator and FEC timeouts for the symbol rate (stv090x_get_lock_tmg).
    {"STV090x",
     TraitIgnoresModulation | TraitFindsEitherSystem | TraitHoldsWhileSearching,
     100,
     0,
     {{1000000, 6200}, {2000000, 3600}, {5000000, 1550}, {10000000, 950}, {20000000, 530}, {0, 400}},
     stv090xScales,
     stv090xScales},
    // "STV0900 frontend": a DVB-S2 tune searches both systems, modulation
    // and code rate automatic, in the kernel's frontend thread
    // (stv0900_search, a blind search), again every half second while
    // unlocked, within its demodulator and FEC timeouts
    // (stv0900_get_lock_timeout); gives back only frequency and symbol rate.
    {"STV0900",
     TraitIgnoresModulation | TraitFindsEitherSystem | TraitHoldsWhileSearching,
     0,
     0,
     {{1500000, 1900}, {5000000, 1300}, {0, 800}},
     stv0900Scales,
     stv0900Scales},
    // "STB0899 Multistandard": searches the system it was set to alone,
    // modulation, roll-off and code rate found by itself, in the kernel's
    // frontend thread (stb0899_search), again every half second while
    // unlocked: DVB-S2 up to its "max time to lock UWP and CSM" and FEC
    // (stb0899_dvbs2_algo), DVB-S its 500 ms for data; 5 MS/s and above
    // only. No read-back (stb0899_get_frontend gives frequency and symbol
    // rate). stb0899_read_snr: DVB-S C/N in 0.1 dB (1.5 to 20 dB), DVB-S2
    // Es/N0 in 0.1 dB; stb0899_read_signal_strength: 0 unless locked,
    // else 0.1 dBm plus 750 (DVB-S) or 950 (DVB-S2).
    {"STB0899",
     TraitIgnoresModulation | TraitHoldsWhileSearching,
     0,
     0,
     {{5000000, 2670}, {10000000, 1580}, {0, 1000}},
     scales(withFloor(withCeiling(tenthsScaled(1, 1), 200), 15), onlyWhenLocked(tenthsOfDbm(1, 1, 750))),
     scales(ofKind(SnrStb0899Estimate), onlyWhenLocked(tenthsOfDbm(1, 1, 950)))},
    // "ST STV0910": searches both systems whatever is asked, modulation and
    // code rate automatic; get_frontend fills in the modulation and code
    // rate it locked but leaves the delivery system as asked; the v5 C/N
    // in 0.1 dB. Its demodulator and FEC timeouts (start).
    {"STV0910",
     TraitIgnoresModulation | TraitFindsEitherSystem | TraitReadsBackLocked | TraitSystemNotReadBack,
     0,
     0,
     {{1000000, 5000}, {2000000, 3800}, {5000000, 1650}, {10000000, 1050}, {20000000, 600}, {0, 500}}},
    // "NXP TDA10071": DVB-S2 wants QPSK or 8PSK and a roll-off named
    // (tda10071_set_frontend: ROLLOFF_AUTO is "invalid rolloff"); the code
    // rate may be automatic; reads back what locked; v5 statistics in dB.
    {"TDA10071", TraitNamesModulation | TraitNamesRolloff | TraitReadsBackLocked, 0, 0, {}},
    // "Tmax TAS2101", out of the kernel's tree (read from its public source
    // only): its own search in set_frontend, 15 x 20 ms; its level from the
    // older call alone, below.
    {"TAS2101",
     0,
     0,
     300,
     {},
     scales(ofKind(SnrOfUnknownUnit), tas2101Strength()),
     scales(ofKind(SnrOfUnknownUnit), tas2101Strength())},
    // "Dummy demod for DVB-T/T2/C/S/S2" (vidtv): locks whatever is asked,
    // its C/N depending on what was named; gives back what was set.
    {"Dummy demod", 0, 0, 0, {}},
};

const size_t knownFrontendCount = sizeof knownFrontends / sizeof knownFrontends[0];

#include "dvb/common/driver_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "dvb/common/driver_strength.h"
#include "dvb/common/driver_tables.h"

static const char* const driverNames[statisticsDriverCount] = {
    "ds3000", "cx24116", "cx24116-esno", "stv090x", "stv0900", "stb0899", "m88ds3103", "stv0910", "m88rs6000"};

const char* statisticsDriverName(StatisticsDriver driver) { return driverNames[driver]; }

bool statisticsDriverByName(const std::string& name, StatisticsDriver* driver)
{
    for (int i = 0; i < statisticsDriverCount; ++i) {
        if (name != driverNames[i]) continue;
        *driver = static_cast<StatisticsDriver>(i);
        return true;
    }
    return false;
}

bool fillsV5Statistics(StatisticsDriver driver)
{
    // ds3000's own statistics are the older ones; its ts2020 tuner fills in the v5 strength.
    return driver == DriverDs3000 || driver == DriverM88ds3103 || driver == DriverStv0910 || driver == DriverM88rs6000;
}

static double linearOf(double decibels) { return std::pow(10.0, decibels / 10.0); }

// ---- ds3000 (ds3000.c, ds3000_read_snr) ---------------------------------
// 10000 ln(n): "20 x Table (rounded up)" for DVB-S, 1000 x 10 log10(n) for DVB-S2.
static const uint16_t ds3000DvbsTable[] = {0x0000, 0x1b13, 0x2aea, 0x3627, 0x3ede, 0x45fe, 0x4c03,
                                           0x513a, 0x55d4, 0x59f2, 0x5dab, 0x6111, 0x6431, 0x6717,
                                           0x69c9, 0x6c4e, 0x6eac, 0x70e8, 0x7304, 0x7505};
static const uint16_t ds3000Dvbs2Table[] = {
    0x0000, 0x0bc2, 0x12a3, 0x1785, 0x1b4e, 0x1e65, 0x2103, 0x2347, 0x2546, 0x2710, 0x28ae, 0x2a28, 0x2b83, 0x2cc5,
    0x2df1, 0x2f09, 0x3010, 0x3109, 0x31f4, 0x32d2, 0x33a6, 0x3470, 0x3531, 0x35ea, 0x369b, 0x3746, 0x37ea, 0x3888,
    0x3920, 0x39b3, 0x3a42, 0x3acc, 0x3b51, 0x3bd3, 0x3c51, 0x3ccb, 0x3d42, 0x3db6, 0x3e27, 0x3e95, 0x3f00, 0x3f68,
    0x3fcf, 0x4033, 0x4094, 0x40f4, 0x4151, 0x41ac, 0x4206, 0x425e, 0x42b4, 0x4308, 0x435b, 0x43ac, 0x43fc, 0x444a,
    0x4497, 0x44e2, 0x452d, 0x4576, 0x45bd, 0x4604, 0x4649, 0x468e, 0x46d1, 0x4713, 0x4755, 0x4795, 0x47d4, 0x4813,
    0x4851, 0x488d, 0x48c9, 0x4904, 0x493f, 0x4978, 0x49b1, 0x49e9, 0x4a20, 0x4a57};

// Register 0xff holds eight times the C/N as a ratio (the driver divides by
// 8 and takes the logarithm); 0x8e the signal, whose square over two the
// driver sets against the noise in 0x8c/0x8d.
static uint16_t ds3000Snr(bool dvbs2, double carrierToNoiseDb)
{
    const double ratio = linearOf(carrierToNoiseDb);
    if (!dvbs2) {
        const uint8_t reg = static_cast<uint8_t>(std::min(255.0, std::floor(8.0 * ratio)));
        uint8_t reading = static_cast<uint8_t>(reg / 8);
        if (reading == 0) return 0;
        if (reading > 20) reading = 20;
        const uint8_t value = static_cast<uint8_t>(ds3000DvbsTable[reading - 1] * 10 / 23026);
        return static_cast<uint16_t>(value * 8 * 655);  // "cooked" for szap-s2; wraps past 12 dB
    }
    const uint32_t signalReg = 60;
    const uint32_t square = signalReg * signalReg >> 1;
    const uint32_t wanted = static_cast<uint32_t>(std::min(4143.0, std::round(square / ratio)));
    const uint32_t reg8d = std::min<uint32_t>(wanted >> 4, 255), reg8c = wanted - (reg8d << 4);
    const uint32_t noise = (reg8c & 0x3f) + (reg8d << 4);
    if (square == 0) return 0;
    if (noise == 0) return 0xffff;
    uint8_t reading = 0;
    if (square > noise) {
        reading = static_cast<uint8_t>(std::min<uint32_t>(square / noise, 80));
        const uint8_t value = static_cast<uint8_t>(ds3000Dvbs2Table[reading - 1] / 1000);
        return static_cast<uint16_t>(value * 5 * 655);
    }
    reading = static_cast<uint8_t>(std::min<uint32_t>(noise / square, 80));
    return static_cast<uint16_t>(-(ds3000Dvbs2Table[reading - 1] / 1000));
}

// ---- cx24116 (cx24116.c, cx24116_read_snr_pct and cx24116_read_snr_esno)
// QUALITY8:QUALITY0 hold Es/N0 in 0.1 dB ("the reelbox patches show the
// value in the registers represents ESNO, from 0->30db"); the default reads
// the low byte alone through its table by its two hexadecimal nibbles, the
// high one x 6553.6 and the low one x 409.6: the byte x 409.6.
static const uint32_t cx24116PercentTable[] = {0x00000, 0x0199A, 0x03333, 0x04ccD, 0x06667, 0x08000, 0x0999A, 0x0b333,
                                               0x0cccD, 0x0e667, 0x10000, 0x1199A, 0x13333, 0x14ccD, 0x16667, 0x18000};

static uint16_t cx24116Snr(bool esno, double carrierToNoiseDb)
{
    const long tenths = std::lround(carrierToNoiseDb * 10.0);
    const uint16_t registers = static_cast<uint16_t>(std::min(std::max(tenths, 0L), 0xffffL));
    if (esno) return registers;
    const uint8_t reading = static_cast<uint8_t>(registers & 0xff);
    if (reading >= 0xa0) return 0xffff;
    return static_cast<uint16_t>(cx24116PercentTable[(reading & 0xf0) >> 4] +
                                 (cx24116PercentTable[reading & 0x0f] >> 4));
}

// ---- stv090x (stv090x.c, stv090x_read_cnr, stv090x_table_lookup) --------
// C/N in 0.1 dB against the noise registers, "DVBS1 and DSS" and "DVBS2".
static const TableRow stv090xDvbsTable[] = {
    {0, 8917},   {5, 8801},   {10, 8667},  {15, 8522},  {20, 8355},  {25, 8175},  {30, 7979},  {35, 7763},  {40, 7530},
    {45, 7282},  {50, 7026},  {55, 6781},  {60, 6514},  {65, 6241},  {70, 5965},  {75, 5690},  {80, 5424},  {85, 5161},
    {90, 4902},  {95, 4654},  {100, 4417}, {105, 4186}, {110, 3968}, {115, 3757}, {120, 3558}, {125, 3366}, {130, 3185},
    {135, 3012}, {140, 2850}, {145, 2698}, {150, 2550}, {160, 2283}, {170, 2042}, {180, 1827}, {190, 1636}, {200, 1466},
    {210, 1315}, {220, 1181}, {230, 1064}, {240, 960},  {250, 869},  {260, 792},  {270, 724},  {280, 665},  {290, 616},
    {300, 573},  {310, 537},  {320, 507},  {330, 483},  {400, 398},  {450, 381},  {500, 377}};
// The same rows serve stv0900 (stv0900_init.h, stv0900_s2_cn).
static const TableRow stv090xDvbs2Table[] = {
    {-30, 13348}, {-20, 12640}, {-10, 11883}, {0, 11101},  {5, 10718},  {10, 10339}, {15, 9947},  {20, 9552},
    {25, 9183},   {30, 8799},   {35, 8422},   {40, 8062},  {45, 7707},  {50, 7353},  {55, 7025},  {60, 6684},
    {65, 6331},   {70, 6036},   {75, 5727},   {80, 5437},  {85, 5164},  {90, 4902},  {95, 4653},  {100, 4408},
    {105, 4187},  {110, 3961},  {115, 3751},  {120, 3558}, {125, 3368}, {130, 3191}, {135, 3017}, {140, 2862},
    {145, 2710},  {150, 2565},  {160, 2300},  {170, 2058}, {180, 1849}, {190, 1663}, {200, 1495}, {210, 1349},
    {220, 1222},  {230, 1110},  {240, 1011},  {250, 925},  {260, 853},  {270, 789},  {280, 734},  {290, 690},
    {300, 650},   {310, 619},   {320, 593},   {330, 571},  {400, 498},  {450, 484},  {500, 481}};

static uint16_t stv090xCnr(bool dvbs2, double carrierToNoiseDb)
{
    const double tenths = carrierToNoiseDb * 10.0;
    if (dvbs2) {
        const int last = static_cast<int>(std::size(stv090xDvbs2Table)) - 1;
        const int div = stv090xDvbs2Table[last].real - stv090xDvbs2Table[3].real;
        int val = stv090xTableLookup(stv090xDvbs2Table, registerFor(stv090xDvbs2Table, tenths));
        if (val < 0) val = 0;
        return static_cast<uint16_t>(val * 0xFFFF / div);
    }
    const int last = static_cast<int>(std::size(stv090xDvbsTable)) - 1;
    const int div = stv090xDvbsTable[last].real - stv090xDvbsTable[0].real;
    const int val = stv090xTableLookup(stv090xDvbsTable, registerFor(stv090xDvbsTable, tenths));
    return static_cast<uint16_t>(val * 0xFFFF / div);
}

// ---- stv0900 (stv0900_core.c, stv0900_read_snr, stv0900_carr_get_quality)
// The DVB-S2 table for either system, the DVB-S noise register included.
static int inRange(int x, int y, int z) { return (x <= y && y <= z) || (z <= y && y <= x); }

static uint16_t stv0900Snr(double carrierToNoiseDb)
{
    const TableRow* table = stv090xDvbs2Table;
    const int size = static_cast<int>(std::size(stv090xDvbs2Table));
    const int regval = registerFor(stv090xDvbs2Table, carrierToNoiseDb * 10.0);
    int cN = -100, imin = 0, imax = size - 1;
    if (inRange(table[imin].read, regval, table[imax].read)) {
        while ((imax - imin) > 1) {
            const int i = (imax + imin) >> 1;
            if (inRange(table[imin].read, regval, table[i].read)) imax = i;
            else imin = i;
        }
        cN = ((regval - table[imin].read) * (table[imax].real - table[imin].real) /
              (table[imax].read - table[imin].read)) +
             table[imin].real;
    } else if (regval < table[imin].read) {
        cN = 1000;
    }
    const int32_t snr = (cN + 30) * 384;
    return static_cast<uint16_t>(std::min(std::max(snr, 0), 65535));
}

// ---- stb0899 (stb0899_drv.c, stb0899_read_snr, stb0899_table_lookup) -------
static const TableRow stb0899CnTable[] = {{200, 2600}, {190, 2700}, {180, 2860}, {170, 3020}, {160, 3210},
                                          {150, 3440}, {140, 3710}, {130, 4010}, {120, 4360}, {110, 4740},
                                          {100, 5190}, {90, 5670},  {80, 6200},  {70, 6770},  {60, 7360},
                                          {50, 7970},  {40, 8250},  {30, 9000},  {20, 9450},  {15, 9600}};
// "DVB-S2 Es/N0 quant in dB/100 vs read value * 100" and "Es/N0 estimate in dB/100 vs read value".
static const TableRow stb0899QuantTable[] = {
    {0, 0},       {0, 100},     {600, 200},   {950, 299},    {1200, 398},   {1400, 501},   {1560, 603},  {1690, 700},
    {1810, 804},  {1910, 902},  {2000, 1000}, {2080, 1096},  {2160, 1202},  {2230, 1303},  {2350, 1496}, {2410, 1603},
    {2460, 1698}, {2510, 1799}, {2600, 1995}, {2650, 2113},  {2690, 2213},  {2720, 2291},  {2760, 2399}, {2800, 2512},
    {2860, 2692}, {2930, 2917}, {2960, 3020}, {3010, 3199},  {3040, 3311},  {3060, 3388},  {3120, 3631}, {3190, 3936},
    {3400, 5012}, {3610, 6383}, {3800, 7943}, {4210, 12735}, {4500, 17783}, {4690, 22131}, {4810, 25410}};
static const TableRow stb0899EstTable[] = {
    {0, 0},         {0, 1},         {301, 2},       {1204, 16},     {1806, 64},     {2408, 256},    {2709, 512},
    {3010, 1023},   {3311, 2046},   {3612, 4093},   {3823, 6653},   {3913, 8185},   {4010, 10233},  {4107, 12794},
    {4214, 16368},  {4266, 18450},  {4311, 20464},  {4353, 22542},  {4391, 24604},  {4425, 26607},  {4457, 28642},
    {4487, 30690},  {4515, 32734},  {4612, 40926},  {4692, 49204},  {4816, 65464},  {4913, 81846},  {4993, 98401},
    {5060, 114815}, {5118, 131220}, {5200, 158489}, {5300, 199526}, {5400, 251189}, {5500, 316228}, {5600, 398107},
    {5720, 524807}, {5721, 526017}};
// Every board's configuration sets the Es/N0 quantiser to 32
// (STB0899_DVBS2_ESNO_QUANT, stb0899_cfg.h).
static constexpr uint32_t stb0899EsnoQuant = 32;

uint16_t stb0899SnrOfEstimate(uint32_t est)
{
    uint32_t val = 0;
    if (est == 1) val = 301;
    else if (est == 2) val = 270;
    else {
        const uint32_t quantn =
            static_cast<uint32_t>(stb0899TableLookup(stb0899QuantTable, static_cast<int>(stb0899EsnoQuant * 100)));
        const uint32_t estn = static_cast<uint32_t>(stb0899TableLookup(stb0899EstTable, static_cast<int>(est)));
        val = (quantn - estn) / 10;
    }
    return static_cast<uint16_t>(val);
}

// The estimate register holds quant² over Es/N0 as a ratio: the driver
// takes Es/N0 = 20 log10(quant) - 10 log10(est).
double stb0899EsnoOfEstimate(double estimate)
{
    return 20.0 * std::log10(static_cast<double>(stb0899EsnoQuant)) - 10.0 * std::log10(estimate);
}

static uint16_t stb0899Snr(bool dvbs2, double carrierToNoiseDb)
{
    if (!dvbs2)
        return static_cast<uint16_t>(
            stb0899TableLookup(stb0899CnTable, registerFor(stb0899CnTable, carrierToNoiseDb * 10.0)));
    const double estimate = stb0899EsnoQuant * stb0899EsnoQuant / linearOf(carrierToNoiseDb);
    return stb0899SnrOfEstimate(static_cast<uint32_t>(std::min(std::max(std::lround(estimate), 1L), 526017L)));
}

// ---- m88ds3103 (m88ds3103.c, m88ds3103_read_status, m88ds3103_read_snr;
// intlog2 and intlog10 of dvb_math.c) -----------------------------------
static uint32_t logTableEntry(uint32_t i)
{
    // dvb_math.c's logtable: log2(1 + i/256) in 16 bits, rounded.
    return static_cast<uint32_t>(std::lround(std::log2(1.0 + i / 256.0) * 65536.0));
}

static uint32_t intlog2(uint32_t value)
{
    if (value == 0) return 0;
    uint32_t msb = 31;
    while (!(value & (1u << msb))) --msb;
    const uint32_t significand = value << (31 - msb);
    const uint32_t entry = (significand >> 23) & 0xff;
    const uint32_t interpolation =
        ((significand & 0x7fffff) * ((logTableEntry((entry + 1) & 0xff) - logTableEntry(entry)) & 0xffff)) >> 15;
    return (msb << 24) + (logTableEntry(entry) << 8) + interpolation;
}

static uint32_t intlog10(uint32_t value)
{
    if (value == 0) return 0;
    return static_cast<uint32_t>((static_cast<uint64_t>(intlog2(value)) * 646456993) >> 31);
}

// Register 0xff holds eight times the C/N as a ratio, read three times
// ("use of single register limits max value to 15 dB"); 0x8c-0x8e the
// noise and the signal, whose square over two the driver divides by it.
static uint32_t m88ds3103Cnr(bool dvbs2, double carrierToNoiseDb)
{
    constexpr uint32_t iterations = 3;
    const double ratio = linearOf(carrierToNoiseDb);
    if (!dvbs2) {
        const uint32_t reg = static_cast<uint32_t>(std::min(255.0, std::floor(8.0 * ratio)));
        const uint32_t itmp = (reg * iterations + 8 * iterations / 2) / (8 * iterations);  // DIV_ROUND_CLOSEST
        if (itmp == 0) return 0;
        return static_cast<uint32_t>(static_cast<uint64_t>(10000) * intlog2(itmp) / intlog2(10));
    }
    const uint32_t signalReg = 90;
    const uint32_t raw = static_cast<uint32_t>(std::min(4095.0, std::round(((signalReg * signalReg) >> 1) / ratio)))
                         << 2;
    const uint8_t buf[3] = {static_cast<uint8_t>(raw & 0x3f), static_cast<uint8_t>(raw >> 6),
                            static_cast<uint8_t>(signalReg)};
    uint32_t noiseTotal = 0, signalTotal = 0;
    for (uint32_t i = 0; i < iterations; ++i) {
        uint32_t noise = static_cast<uint32_t>(buf[1]) << 6;
        noise |= buf[0] & 0x3f;
        noise >>= 2;
        const uint32_t signal = static_cast<uint32_t>(buf[2]) * buf[2] >> 1;
        noiseTotal += noise;
        signalTotal += signal;
    }
    const uint32_t noise = noiseTotal / iterations, signal = signalTotal / iterations;
    if (signal <= noise || noise == 0) return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(10000) * intlog10(signal / noise) / (1u << 24));
}

// ---- stv0910 (stv0910.c, read_snr): its tables give 0.1 dB, times 100. ---
static int64_t stv0910Cnr(double carrierToNoiseDb)
{
    return 100 * static_cast<int64_t>(std::floor(carrierToNoiseDb * 10.0));
}

DriverStatistics driverStatistics(StatisticsDriver driver, bool dvbs2, double carrierToNoiseDb, double strengthDbm)
{
    DriverStatistics out;
    const int64_t strengthMilliDb = std::llround(strengthDbm * 1000.0);
    out.strength = driverOlderStrength(driver, dvbs2, strengthDbm);
    switch (driver) {
    case DriverDs3000:
        out.snr = ds3000Snr(dvbs2, carrierToNoiseDb);
        out.v5Strength = true;  // ts2020: its gain
        out.strengthMilliDb = strengthMilliDb;
        break;
    case DriverCx24116:
    case DriverCx24116Esno: out.snr = cx24116Snr(driver == DriverCx24116Esno, carrierToNoiseDb); break;
    case DriverStv090x: out.snr = stv090xCnr(dvbs2, carrierToNoiseDb); break;
    case DriverStv0900: out.snr = stv0900Snr(carrierToNoiseDb); break;
    case DriverStb0899: out.snr = stb0899Snr(dvbs2, carrierToNoiseDb); break;
    case DriverM88ds3103:
    case DriverM88rs6000: {
        const uint32_t cnr = m88ds3103Cnr(dvbs2, carrierToNoiseDb);
        out.v5Cnr = cnr != 0;  // none at all for a ratio of 1 or below
        out.cnrMilliDb = cnr;
        out.snr = static_cast<uint16_t>(out.v5Cnr ? cnr / 100 : 0);
        out.v5Strength = driver == DriverM88ds3103;  // ts2022: its gain; m88rs6000t fills in none
        out.strengthMilliDb = strengthMilliDb;
        break;
    }
    case DriverStv0910:
        out.v5Cnr = true;
        out.cnrMilliDb = stv0910Cnr(carrierToNoiseDb);
        out.v5Strength = true;
        out.strengthMilliDb = strengthMilliDb;
        break;
    }
    return out;
}

#include "dvb/common/driver_strength.h"

#include <algorithm>
#include <cstdint>

#include "dvb/common/driver_tables.h"

// ---- ts2020 (ts2020.c, ts2020_read_signal_strength): the tuner's gain, in
// 0.001 dB, as a percentage.
static uint16_t ts2020Strength(int64_t gain)
{
    int64_t strength = 0;
    if (gain < -85000) strength = 0;
    else if (gain < -65000) strength = (85000 + gain) * 3 / 1000;
    else if (gain < -45000) strength = 60 + (65000 + gain) * 3 / 2000;
    else strength = 90 + (45000 + gain) / 5000;
    return static_cast<uint16_t>(strength * 65535 / 100);
}

// cx24116_read_signal_strength: the AGC's ten bits, negated in 16.
static uint16_t cx24116Strength(double strengthDbm)
{
    const double agc = std::min(std::max((-strengthDbm - 20.0) * 16.0, 0.0), 1023.0);
    return static_cast<uint16_t>(0 - static_cast<uint16_t>(agc));
}

// stv090x and stv0900 (stv090x_rf_tab, stv0900_rf): the AGC integrator as
// the chip sets it for a level, its rows as the table means them (the -65
// dBm row halfway between its neighbours), and then each driver's own
// lookup in the table as it stands, whose -65 dBm row (0xa14f) breaks its
// order: AGC values from 0x07aa to 0x210d (-70 to -60 dBm) all read -70 or
// -69 dBm.
static const TableRow stvRfTable[] = {{-5, 0xcaa1},  {-10, 0xc229}, {-15, 0xbb08}, {-20, 0xb4bc}, {-25, 0xad5a},
                                      {-30, 0xa298}, {-35, 0x98a8}, {-40, 0x8389}, {-45, 0x59be}, {-50, 0x3a14},
                                      {-55, 0x2d11}, {-60, 0x210d}, {-65, 0xa14f}, {-70, 0x07aa}};
static const TableRow stvRfMeant[] = {{-5, 0xcaa1},  {-10, 0xc229}, {-15, 0xbb08}, {-20, 0xb4bc}, {-25, 0xad5a},
                                      {-30, 0xa298}, {-35, 0x98a8}, {-40, 0x8389}, {-45, 0x59be}, {-50, 0x3a14},
                                      {-55, 0x2d11}, {-60, 0x210d}, {-65, 0x145b}, {-70, 0x07aa}};
constexpr int stvRfRows = static_cast<int>(sizeof stvRfTable / sizeof stvRfTable[0]);

static int stvAgcFor(double strengthDbm)
{
    // Past the table's ends the integrator goes on past its end rows.
    if (strengthDbm > stvRfMeant[0].real) return stvRfMeant[0].read + 1;
    if (strengthDbm < stvRfMeant[stvRfRows - 1].real) return stvRfMeant[stvRfRows - 1].read - 1;
    return registerFor(stvRfMeant, strengthDbm);
}

int stv090xRfLevel(double strengthDbm)
{
    const int agc = stvAgcFor(strengthDbm);
    int str = stv090xTableLookup(stvRfTable, agc);
    if (agc > stvRfTable[0].read) str = 0;
    else if (agc < stvRfTable[stvRfRows - 1].read) str = -100;
    return str;
}

static uint16_t stv090xStrength(double strengthDbm)
{
    return static_cast<uint16_t>((stv090xRfLevel(strengthDbm) + 100) * 0xFFFF / 100);
}

static int inRange(int x, int y, int z) { return (x <= y && y <= z) || (z <= y && y <= x); }

// stv0900_get_rf_level's own search (INRANGE), 5 above the table, -100 below.
int stv0900RfLevel(double strengthDbm)
{
    const int agc = stvAgcFor(strengthDbm);
    int imin = 0, imax = stvRfRows - 1;
    if (inRange(stvRfTable[imin].read, agc, stvRfTable[imax].read)) {
        while (imax - imin > 1) {
            const int i = (imax + imin) >> 1;
            if (inRange(stvRfTable[imin].read, agc, stvRfTable[i].read)) imax = i;
            else imin = i;
        }
        return (agc - stvRfTable[imin].read) * (stvRfTable[imax].real - stvRfTable[imin].real) /
                   (stvRfTable[imax].read - stvRfTable[imin].read) +
               stvRfTable[imin].real;
    }
    return agc > stvRfTable[0].read ? 5 : -100;
}

// stv0900_read_signal_strength: from -100 dBm in steps of 65535 / 70, held at 65535.
static uint16_t stv0900Strength(double strengthDbm)
{
    const int32_t strength = (stv0900RfLevel(strengthDbm) + 100) * (65535 / 70);
    return static_cast<uint16_t>(std::min(std::max(strength, 0), 65535));
}

// ---- stb0899 (stb0899_drv.c, stb0899_read_signal_strength) --------------
static const TableRow stb0899DvbsRfTable[] = {
    {-750, -128}, {-748, -94}, {-745, -92}, {-735, -90}, {-720, -87}, {-670, -77}, {-640, -70}, {-610, -62},
    {-600, -60},  {-590, -56}, {-560, -41}, {-540, -25}, {-530, -17}, {-520, -11}, {-500, 1},   {-490, 6},
    {-480, 10},   {-440, 22},  {-420, 27},  {-400, 31},  {-380, 34},  {-340, 40},  {-320, 43},  {-280, 48},
    {-250, 52},   {-230, 55},  {-180, 61},  {-140, 66},  {-90, 73},   {-80, 74},   {500, 127}};

static const TableRow stb0899Dvbs2RfTable[] = {
    {700, 0},      {-80, 3217},   {-150, 3893},  {-190, 4217},  {-240, 4621},  {-280, 4945},
    {-320, 5273},  {-350, 5545},  {-370, 5741},  {-410, 6147},  {-450, 6671},  {-490, 7413},
    {-501, 7665},  {-530, 8767},  {-560, 10219}, {-580, 10939}, {-590, 11518}, {-600, 11723},
    {-650, 12659}, {-690, 13219}, {-730, 13645}, {-750, 13909}, {-766, 14153}, {-950, 16383}};

// In 0.1 dBm, offset by 75 dB (DVB-S) or 95 dB (DVB-S2).
static uint16_t stb0899Strength(bool dvbs2, double strengthDbm)
{
    const double tenths = strengthDbm * 10.0;
    if (!dvbs2) {
        const int agc = std::min(std::max(registerFor(stb0899DvbsRfTable, tenths), -128), 127);
        return static_cast<uint16_t>(stb0899TableLookup(stb0899DvbsRfTable, agc) + 750);
    }
    const int gain = registerFor(stb0899Dvbs2RfTable, tenths) & 0x3fff;
    return static_cast<uint16_t>(stb0899TableLookup(stb0899Dvbs2RfTable, gain) + 950);
}

uint16_t driverOlderStrength(StatisticsDriver driver, bool dvbs2, double strengthDbm)
{
    switch (driver) {
    case DriverDs3000:
    case DriverM88ds3103: return ts2020Strength(std::llround(strengthDbm * 1000.0));
    case DriverCx24116:
    case DriverCx24116Esno: return cx24116Strength(strengthDbm);
    case DriverStv090x: return stv090xStrength(strengthDbm);
    case DriverStv0900: return stv0900Strength(strengthDbm);
    case DriverStb0899: return stb0899Strength(dvbs2, strengthDbm);
    case DriverM88rs6000:
    case DriverStv0910: break;
    }
    return 0;
}

bool strengthWithoutLock(StatisticsDriver driver)
{
    switch (driver) {
    case DriverDs3000:
    case DriverCx24116:
    case DriverCx24116Esno:
    case DriverStv090x:
    case DriverStv0900:
    case DriverM88ds3103: return true;
    case DriverStb0899:
    case DriverM88rs6000:
    case DriverStv0910: break;
    }
    return false;
}

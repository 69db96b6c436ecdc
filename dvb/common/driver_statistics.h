// The statistics of common boards' drivers, from a true C/N: what each
// chip's registers hold for it, then each driver's own arithmetic as Linux
// 6.1 does it (drivers/media/dvb-frontends, each cited beside it in the
// .cpp), so that the helper is tried on exactly the values a driver hands
// over, at any C/N a test sweeps. What a register holds for a C/N is this
// file's model, taken from the driver's own reading of it (its tables and
// comments); a real chip's may differ. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

enum StatisticsDriver : uint8_t {
    DriverDs3000,       // ds3000 with its ts2020 tuner
    DriverCx24116,      // cx24116 as loaded: esno_snr=0
    DriverCx24116Esno,  // cx24116 with esno_snr=1
    DriverStv090x,
    DriverStv0900,
    DriverStb0899,
    DriverM88ds3103,  // m88ds3103 with its ts2022 tuner
    DriverStv0910,
    DriverM88rs6000,  // the same demodulator with its own tuner: no strength at all
};
constexpr int statisticsDriverCount = 9;

// "ds3000", "cx24116", "cx24116-esno", "stv090x", "stv0900", "stb0899",
// "m88ds3103", "stv0910", "m88rs6000".
const char* statisticsDriverName(StatisticsDriver driver);
bool statisticsDriverByName(const std::string& name, StatisticsDriver* driver);
// Whether the driver fills in the v5 statistics (a tuner's strength counts);
// the others answer only the older calls.
bool fillsV5Statistics(StatisticsDriver driver);

// What the driver hands over for one locked reading.
struct DriverStatistics {
    bool v5Cnr = false;  // DTV_STAT_CNR in FE_SCALE_DECIBEL
    int64_t cnrMilliDb = 0;
    bool v5Strength = false;  // DTV_STAT_SIGNAL_STRENGTH in FE_SCALE_DECIBEL
    int64_t strengthMilliDb = 0;
    uint16_t snr = 0;       // FE_READ_SNR
    uint16_t strength = 0;  // FE_READ_SIGNAL_STRENGTH
};

// The figures of a locked DVB-S (or DVB-S2) signal of this C/N, its
// strength at the tuner's input in dBm.
DriverStatistics driverStatistics(StatisticsDriver driver, bool dvbs2, double carrierToNoiseDb, double strengthDbm);

// stb0899's DVB-S2 s/n for what its estimate register holds (the driver's
// arithmetic, for the helper to undo), and the Es/N0 an estimate stands for.
uint16_t stb0899SnrOfEstimate(uint32_t estimate);
double stb0899EsnoOfEstimate(double estimate);

#include "dvb/simulated/frontend_statistics.h"

#include <cerrno>
#include <cstring>

#include "dvb/common/driver_strength.h"
#include "dvb/simulated/band_level.h"
#include "dvb/simulated/simulated_cable.h"

// C/N as a 16-bit relative figure: 20 dB and above is full scale.
static uint32_t relativeOf(int32_t milliDb)
{
    if (milliDb <= 0) return 0;
    if (milliDb >= 20000) return 65535;
    return static_cast<uint32_t>(static_cast<int64_t>(milliDb) * 65535 / 20000);
}

// Signal strength rises with the C/N: -70 dBm at 0 dB, -85 dBm unlocked;
// under a sky, the level it gives; through an installation, the level of the tuned channel, lock or not
// (band_level.h), or behind a single-cable device what it puts on the cable.
static int32_t strengthMilliDbm(const SimulatedFrontend& frontend, const SimulatedSignal& signal)
{
    const SimulatedInstallation& installation = frontend.simulation.installation;
    if (signal.hasLevel) return signal.levelMilliDbm;
    if (frontend.scr.setup.present)
        return scrLevelMilliDbm(frontend, frontend.tunedFrequencyKHz, frontend.tunedSymbolRate);
    if (installation.present)
        return installationLevelMilliDbm(installation, frontend.lnb, frontend.tunedFrequencyKHz,
                                         frontend.tunedSymbolRate);
    return signal.locked ? -70000 + signal.carrierToNoiseMilliDb : -85000;
}

// No v5 statistics at all: libdvbv5 falls back to the older calls.
static bool isLegacy(const Simulation& simulation)
{
    const SimulatedStatistics kind = simulation.statistics;
    if (kind == StatisticsOfDriver) return !fillsV5Statistics(simulation.driver);
    return kind == StatisticsLegacy || kind == StatisticsLegacyTenths || kind == StatisticsLegacyNegative;
}

// The system the demodulator is in: the transponder's, where it finds either.
static bool lockedDvbS2(const SimulatedFrontend& frontend)
{
    const Simulation& simulation = frontend.simulation;
    return simulation.anyTransponder ? frontend.tunedSystem == SYS_DVBS2 : simulation.transponder == SimDvbS2;
}

// What a driver of the simulation's own arithmetic hands over now.
static DriverStatistics driverFiguresNow(const SimulatedFrontend& frontend, const SimulatedSignal& signal)
{
    const double carrierToNoiseDb = signal.carrierToNoiseMilliDb / 1000.0;
    return driverStatistics(frontend.simulation.driver, lockedDvbS2(frontend), carrierToNoiseDb,
                            strengthMilliDbm(frontend, signal) / 1000.0);
}

static bool strengthAlone(SimulatedStatistics kind)
{
    return kind == StatisticsV5StrengthOnly || kind == StatisticsStrengthOnly;
}

// A driver's v5 statistics: a C/N where it gives one (m88ds3103 none for
// a ratio of 1:1, ds3000 never: its tuner fills in the strength alone), the
// strength where its tuner fills it in (with dont-poll as the latest older
// call measured it).
static void fillDriverStatistic(dtv_property& property, const SimulatedFrontend& frontend,
                                const SimulatedSignal& signal)
{
    dtv_fe_stats& stats = property.u.st;
    const DriverStatistics figures = driverFiguresNow(frontend, signal);
    const bool strength = property.cmd == DTV_STAT_SIGNAL_STRENGTH;
    if (!strength && frontend.simulation.driver == DriverDs3000) return;
    stats.len = 1;
    stats.stat[0].scale = FE_SCALE_NOT_AVAILABLE;
    const bool held = !frontend.simulation.dontPoll || frontend.strengthHeld;
    if (strength && frontend.tuned && figures.v5Strength && held) {
        stats.stat[0].scale = FE_SCALE_DECIBEL;
        stats.stat[0].svalue = frontend.simulation.dontPoll ? frontend.heldStrengthMilliDb : figures.strengthMilliDb;
    } else if (property.cmd == DTV_STAT_CNR && signal.locked && figures.v5Cnr) {
        stats.stat[0].scale = FE_SCALE_DECIBEL;
        stats.stat[0].svalue = figures.cnrMilliDb;
    }
}

void fillSimulatedStatistic(dtv_property& property, const SimulatedFrontend& frontend, const SimulatedSignal& signal)
{
    dtv_fe_stats& stats = property.u.st;
    std::memset(&stats, 0, sizeof stats);
    const SimulatedStatistics kind = frontend.simulation.statistics;
    if (kind == StatisticsNone || isLegacy(frontend.simulation)) return;  // len 0: no v5 statistics
    if (kind == StatisticsOfDriver) {
        fillDriverStatistic(property, frontend, signal);
        return;
    }
    // A tuner that fills in its strength alone, in dB, from the start.
    if (strengthAlone(kind)) {
        if (property.cmd != DTV_STAT_SIGNAL_STRENGTH) return;
        stats.len = 1;
        stats.stat[0].scale = FE_SCALE_DECIBEL;
        stats.stat[0].svalue = frontend.tuned ? strengthMilliDbm(frontend, signal) : 0;
        return;
    }
    stats.len = 1;
    stats.stat[0].scale = FE_SCALE_NOT_AVAILABLE;
    if (property.cmd == DTV_STAT_CNR && signal.locked) {
        if (kind == StatisticsDecibel) {
            stats.stat[0].scale = FE_SCALE_DECIBEL;
            stats.stat[0].svalue = signal.carrierToNoiseMilliDb;
        } else {
            stats.stat[0].scale = FE_SCALE_RELATIVE;
            stats.stat[0].uvalue = relativeOf(signal.carrierToNoiseMilliDb);
        }
    } else if (property.cmd == DTV_STAT_SIGNAL_STRENGTH && frontend.tuned) {
        if (kind == StatisticsDecibel) {
            stats.stat[0].scale = FE_SCALE_DECIBEL;
            stats.stat[0].svalue = strengthMilliDbm(frontend, signal);
        } else {
            stats.stat[0].scale = FE_SCALE_RELATIVE;
            stats.stat[0].uvalue = relativeOf(strengthMilliDbm(frontend, signal) + 90000);
        }
    }
}

uint32_t simulatedApiVersion(const Simulation& simulation)
{
    // 5.10 brought the statistics properties; 5.5 is the oldest v5 that
    // enumerates delivery systems.
    return isLegacy(simulation) ? 0x0509 : 0x050B;
}

// A driver's own older figures: the s/n while locked, the strength where
// it gives one before the lock too; m88rs6000 has no read_signal_strength.
static int driverOlderFigure(SimulatedFrontend& frontend, bool snr, const SimulatedSignal& signal, uint16_t* value)
{
    const StatisticsDriver driver = frontend.simulation.driver;
    if (!snr && driver == DriverM88rs6000) return -kernelNotSupported;
    const DriverStatistics figures = driverFiguresNow(frontend, signal);
    if (!snr && frontend.simulation.dontPoll && frontend.tuned) {
        frontend.strengthHeld = true;
        frontend.heldStrengthMilliDb = figures.strengthMilliDb;
    }
    const bool given = signal.locked || (!snr && frontend.tuned && strengthWithoutLock(driver));
    *value = !given ? 0 : snr ? figures.snr : figures.strength;
    return 0;
}

int simulatedOlderFigure(SimulatedFrontend& frontend, bool snr, const SimulatedSignal& signal, uint16_t* value)
{
    const Simulation& simulation = frontend.simulation;
    if (simulation.statistics == StatisticsStrengthOnly) return -kernelNotSupported;
    if (!isLegacy(simulation) && simulation.statistics != StatisticsV5StrengthOnly &&
        simulation.statistics != StatisticsOfDriver)
        return -ENOTTY;
    if (simulation.statistics == StatisticsOfDriver) return driverOlderFigure(frontend, snr, signal, value);
    *value = 0;
    if (!snr)
        *value = static_cast<uint16_t>(frontend.tuned ? relativeOf(strengthMilliDbm(frontend, signal) + 90000) : 0);
    if (!snr || !signal.locked) return 0;
    const int32_t milliDb = signal.carrierToNoiseMilliDb;
    switch (simulation.statistics) {
    case StatisticsLegacyTenths: *value = static_cast<uint16_t>(milliDb <= 0 ? 0 : (milliDb + 50) / 100); break;
    case StatisticsLegacyNegative:
        *value = static_cast<uint16_t>(static_cast<int16_t>((milliDb + 500) / 1000 - 90));
        break;
    default: *value = static_cast<uint16_t>(relativeOf(milliDb)); break;
    }
    return 0;
}

#include "dvb/simulated/kernel_frontend.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <linux/dvb/frontend.h>
#include <linux/ioctl.h>

const char simulatedFrontendName[] = "Simulated DVB-S/S2 frontend";

// The L band a satellite tuner covers, in kHz, and its symbol rates.
static constexpr uint32_t lowestKHz = 950000;
static constexpr uint32_t highestKHz = 2150000;
static constexpr uint32_t lowestSymbolRate = 1000000;
static constexpr uint32_t highestSymbolRate = 45000000;

static uint32_t kernelSystem(SimulatedSystem system)
{
    switch (system) {
    case SimDvbS: return SYS_DVBS;
    case SimDvbS2: return SYS_DVBS2;
    case SimDvbT: return SYS_DVBT;
    case SimDvbC: return SYS_DVBC_ANNEX_A;
    }
    return SYS_UNDEFINED;
}

static bool isSatellite(uint32_t system) { return system == SYS_DVBS || system == SYS_DVBS2; }

static bool offers(const SimulatedFrontend& frontend, uint32_t system)
{
    for (SimulatedSystem each : frontend.simulation.systems)
        if (kernelSystem(each) == system) return true;
    return false;
}

SimulatedFrontend newSimulatedFrontend(const Simulation& simulation)
{
    SimulatedFrontend frontend;
    frontend.simulation = simulation;
    frontend.deliverySystem = kernelSystem(simulation.systems.empty() ? SimDvbS : simulation.systems[0]);
    frontend.innerFec = FEC_AUTO;
    frontend.inversion = INVERSION_AUTO;
    frontend.modulation = QPSK;
    frontend.pilot = PILOT_AUTO;
    frontend.rolloff = ROLLOFF_AUTO;
    return frontend;
}

static SimulatedSignal signalNow(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    if (!frontend.tuned) return SimulatedSignal{false, 0};
    const Simulation& simulation = frontend.simulation;
    const uint32_t transponder = kernelSystem(simulation.transponder);
    const bool findsEither = frontend.tunedSystem == SYS_DVBS2 && frontend.tunedModulation == QAM_AUTO;
    if (!simulation.anyTransponder && frontend.tunedSystem != transponder && !findsEither)
        return SimulatedSignal{false, 0};
    const uint64_t since = nowMs - frontend.tunedAtMs;
    return simulatedSignalAt(simulation, since > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(since));
}

// C/N as a 16-bit relative figure: 20 dB and above is full scale.
static uint32_t relativeOf(int32_t milliDb)
{
    if (milliDb <= 0) return 0;
    if (milliDb >= 20000) return 65535;
    return static_cast<uint32_t>(static_cast<int64_t>(milliDb) * 65535 / 20000);
}

// Signal strength rises with the C/N: -70 dBm at 0 dB, -85 dBm unlocked.
static int32_t strengthMilliDbm(const SimulatedSignal& signal)
{
    return signal.locked ? -70000 + signal.carrierToNoiseMilliDb : -85000;
}

static void fillStatistic(dtv_property& property, const SimulatedFrontend& frontend, const SimulatedSignal& signal)
{
    dtv_fe_stats& stats = property.u.st;
    std::memset(&stats, 0, sizeof stats);
    const SimulatedStatistics kind = frontend.simulation.statistics;
    if (kind == StatisticsNone || kind == StatisticsLegacy) return;  // len 0: no v5 statistics
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
            stats.stat[0].svalue = strengthMilliDbm(signal);
        } else {
            stats.stat[0].scale = FE_SCALE_RELATIVE;
            stats.stat[0].uvalue = relativeOf(strengthMilliDbm(signal) + 90000);
        }
    }
}

static uint32_t apiVersion(const SimulatedFrontend& frontend)
{
    // 5.10 brought the statistics properties; 5.5 is the oldest v5 that
    // enumerates delivery systems.
    return frontend.simulation.statistics == StatisticsLegacy ? 0x0509 : 0x050B;
}

static int getProperty(SimulatedFrontend& frontend, dtv_property& property, uint64_t nowMs)
{
    const SimulatedSignal signal = signalNow(frontend, nowMs);
    switch (property.cmd) {
    case DTV_API_VERSION: property.u.data = apiVersion(frontend); return 0;
    case DTV_DELIVERY_SYSTEM: property.u.data = frontend.deliverySystem; return 0;
    case DTV_ENUM_DELSYS: {
        const std::vector<SimulatedSystem>& systems = frontend.simulation.systems;
        std::memset(property.u.buffer.data, 0, sizeof property.u.buffer.data);
        size_t count = 0;
        for (; count < systems.size() && count < sizeof property.u.buffer.data; ++count)
            property.u.buffer.data[count] = static_cast<uint8_t>(kernelSystem(systems[count]));
        property.u.buffer.len = static_cast<uint32_t>(count);
        return 0;
    }
    case DTV_FREQUENCY: property.u.data = frontend.frequencyKHz; return 0;
    case DTV_SYMBOL_RATE: property.u.data = frontend.symbolRate; return 0;
    case DTV_INNER_FEC: property.u.data = frontend.innerFec; return 0;
    case DTV_INVERSION: property.u.data = frontend.inversion; return 0;
    case DTV_MODULATION: property.u.data = frontend.modulation; return 0;
    case DTV_PILOT: property.u.data = frontend.pilot; return 0;
    case DTV_ROLLOFF: property.u.data = frontend.rolloff; return 0;
    case DTV_STREAM_ID: property.u.data = frontend.streamId; return 0;
    case DTV_STAT_SIGNAL_STRENGTH:
    case DTV_STAT_CNR:
    case DTV_STAT_PRE_ERROR_BIT_COUNT:
    case DTV_STAT_PRE_TOTAL_BIT_COUNT:
    case DTV_STAT_POST_ERROR_BIT_COUNT:
    case DTV_STAT_POST_TOTAL_BIT_COUNT:
    case DTV_STAT_ERROR_BLOCK_COUNT:
    case DTV_STAT_TOTAL_BLOCK_COUNT: fillStatistic(property, frontend, signal); return 0;
    }
    return -EINVAL;
}

static const char* systemName(uint32_t system)
{
    switch (system) {
    case SYS_DVBS: return "DVB-S";
    case SYS_DVBS2: return "DVB-S2";
    case SYS_DVBT: return "DVB-T";
    case SYS_DVBC_ANNEX_A: return "DVB-C";
    }
    return "?";
}

static int tune(SimulatedFrontend& frontend, uint64_t nowMs)
{
    if (frontend.simulation.failTune) return -EIO;
    if (!isSatellite(frontend.deliverySystem)) return -EINVAL;
    // The kernel checks the ranges the driver announced.
    if (frontend.frequencyKHz < lowestKHz || frontend.frequencyKHz > highestKHz) return -EINVAL;
    if (frontend.symbolRate < lowestSymbolRate || frontend.symbolRate > highestSymbolRate) return -EINVAL;
    const bool automatic = frontend.modulation == QAM_AUTO;
    if (frontend.deliverySystem == SYS_DVBS2 && automatic && frontend.simulation.explicitModulation) return -EINVAL;
    frontend.tuned = true;
    frontend.tunedSystem = frontend.deliverySystem;
    frontend.tunedModulation = frontend.modulation;
    frontend.tunedAtMs = nowMs;
    char line[80];
    const char* modulation = frontend.deliverySystem != SYS_DVBS2 ? ""
                             : automatic                          ? " auto"
                             : frontend.modulation == PSK_8       ? " 8PSK"
                                                                  : " QPSK";
    std::snprintf(line, sizeof line, "tune %s%s %u %u", systemName(frontend.deliverySystem), modulation,
                  frontend.frequencyKHz, frontend.symbolRate);
    frontend.trace.push_back(line);
    return 0;
}

static int setProperty(SimulatedFrontend& frontend, const dtv_property& property, uint64_t nowMs)
{
    const uint32_t value = property.u.data;
    switch (property.cmd) {
    case DTV_DELIVERY_SYSTEM:
        if (!offers(frontend, value)) return -EINVAL;
        frontend.deliverySystem = value;
        return 0;
    case DTV_FREQUENCY: frontend.frequencyKHz = value; return 0;
    case DTV_SYMBOL_RATE: frontend.symbolRate = value; return 0;
    case DTV_INNER_FEC: frontend.innerFec = value; return 0;
    case DTV_INVERSION: frontend.inversion = value; return 0;
    case DTV_MODULATION: frontend.modulation = value; return 0;
    case DTV_PILOT: frontend.pilot = value; return 0;
    case DTV_ROLLOFF: frontend.rolloff = value; return 0;
    case DTV_STREAM_ID: frontend.streamId = value; return 0;
    case DTV_SCRAMBLING_SEQUENCE_INDEX:
    case DTV_LNA:
    case DTV_CLEAR: return 0;
    case DTV_TUNE: return tune(frontend, nowMs);
    }
    return -EINVAL;
}

static int properties(SimulatedFrontend& frontend, void* argument, bool set, uint64_t nowMs)
{
    dtv_properties* list = static_cast<dtv_properties*>(argument);
    if (!list || !list->props || list->num == 0 || list->num > DTV_IOCTL_MAX_MSGS) return -EINVAL;
    for (uint32_t i = 0; i < list->num; ++i) {
        const int result =
            set ? setProperty(frontend, list->props[i], nowMs) : getProperty(frontend, list->props[i], nowMs);
        if (result != 0) return result;
    }
    return 0;
}

static void fillInfo(dvb_frontend_info* info)
{
    std::memset(info, 0, sizeof *info);
    std::snprintf(info->name, sizeof info->name, "%s", simulatedFrontendName);
    info->type = FE_QPSK;
    info->frequency_min = lowestKHz;
    info->frequency_max = highestKHz;
    info->frequency_stepsize = 1000;
    info->symbol_rate_min = lowestSymbolRate;
    info->symbol_rate_max = highestSymbolRate;
    info->caps = static_cast<fe_caps>(FE_CAN_INVERSION_AUTO | FE_CAN_FEC_AUTO | FE_CAN_QPSK | FE_CAN_RECOVER |
                                      FE_CAN_2G_MODULATION);
}

static uint16_t legacyFigure(const SimulatedFrontend& frontend, unsigned long request, uint64_t nowMs)
{
    const SimulatedSignal signal = signalNow(frontend, nowMs);
    if (request == FE_READ_SNR)
        return static_cast<uint16_t>(signal.locked ? relativeOf(signal.carrierToNoiseMilliDb) : 0);
    return static_cast<uint16_t>(frontend.tuned ? relativeOf(strengthMilliDbm(signal) + 90000) : 0);
}

int simulatedFrontendIoctl(SimulatedFrontend& frontend, unsigned long request, void* argument, uint64_t nowMs)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(argument);
    switch (request) {
    case FE_GET_INFO:
        if (!argument) return -EFAULT;
        fillInfo(static_cast<dvb_frontend_info*>(argument));
        return 0;
    case FE_GET_PROPERTY: return properties(frontend, argument, false, nowMs);
    case FE_SET_PROPERTY: return properties(frontend, argument, true, nowMs);
    case FE_READ_STATUS: {
        if (!argument) return -EFAULT;
        const SimulatedSignal signal = signalNow(frontend, nowMs);
        unsigned status = 0;
        if (frontend.tuned) status = FE_HAS_SIGNAL;
        if (signal.locked) status |= FE_HAS_CARRIER | FE_HAS_VITERBI | FE_HAS_SYNC | FE_HAS_LOCK;
        *static_cast<fe_status_t*>(argument) = static_cast<fe_status_t>(status);
        return 0;
    }
    case FE_SET_VOLTAGE:
        if (value == SEC_VOLTAGE_13) frontend.trace.push_back("voltage 13");
        else if (value == SEC_VOLTAGE_18) frontend.trace.push_back("voltage 18");
        else if (value == SEC_VOLTAGE_OFF) frontend.trace.push_back("voltage off");
        else return -EINVAL;
        return 0;
    case FE_SET_TONE:
        if (value == SEC_TONE_ON) frontend.trace.push_back("tone on");
        else if (value == SEC_TONE_OFF) frontend.trace.push_back("tone off");
        else return -EINVAL;
        return 0;
    case FE_DISEQC_SEND_BURST:
        if (value != SEC_MINI_A && value != SEC_MINI_B) return -EINVAL;
        frontend.trace.push_back(value == SEC_MINI_A ? "burst A" : "burst B");
        return 0;
    case FE_DISEQC_SEND_MASTER_CMD: {
        const dvb_diseqc_master_cmd* command = static_cast<const dvb_diseqc_master_cmd*>(argument);
        if (!command) return -EFAULT;
        if (command->msg_len < 3 || command->msg_len > 6) return -EINVAL;
        std::string line = "diseqc";
        for (int i = 0; i < command->msg_len; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", command->msg[i]);
            line += hex;
        }
        frontend.trace.push_back(line);
        return 0;
    }
    case FE_ENABLE_HIGH_LNB_VOLTAGE: return 0;
    case FE_READ_SNR:
    case FE_READ_SIGNAL_STRENGTH:
        if (frontend.simulation.statistics != StatisticsLegacy) return -ENOTTY;
        if (!argument) return -EFAULT;
        *static_cast<uint16_t*>(argument) = legacyFigure(frontend, request, nowMs);
        return 0;
    case FE_READ_BER:
    case FE_READ_UNCORRECTED_BLOCKS: return -ENOTTY;
    }
    return -ENOTTY;
}

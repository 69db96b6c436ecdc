#include "dvb/simulated/kernel_frontend.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <linux/dvb/frontend.h>
#include <linux/ioctl.h>

#include "dvb/simulated/band_level.h"
#include "dvb/simulated/frontend_lock.h"
#include "dvb/simulated/frontend_statistics.h"
#include "dvb/simulated/simulated_cable.h"
#include "dvb/simulated/sky_frontend.h"

const char simulatedFrontendName[] = "Simulated DVB-S/S2 frontend";

// The L band a satellite tuner covers, in kHz, and its symbol rates.
static constexpr uint32_t lowestKHz = 950000;
static constexpr uint32_t highestKHz = 2150000;
static constexpr uint32_t lowestSymbolRate = 1000000;
static constexpr uint32_t highestSymbolRate = 45000000;

static bool isSatellite(uint32_t system) { return system == SYS_DVBS || system == SYS_DVBS2; }

static bool offers(const SimulatedFrontend& frontend, uint32_t system)
{
    for (SimulatedSystem each : frontend.simulation.systems)
        if (kernelSystemOf(each) == system) return true;
    return false;
}

// What the kernel's DTV_CLEAR leaves: automatic values, and for a satellite
// system the QPSK and roll-off 0.35 that DVB-S implies.
static void clearProperties(SimulatedFrontend& frontend)
{
    const bool satellite = isSatellite(frontend.deliverySystem);
    frontend.frequencyKHz = 0;
    frontend.symbolRate = 0;
    frontend.innerFec = FEC_AUTO;
    frontend.inversion = INVERSION_AUTO;
    frontend.modulation = satellite ? QPSK : QAM_AUTO;
    frontend.rolloff = satellite ? ROLLOFF_35 : ROLLOFF_AUTO;
    frontend.pilot = PILOT_AUTO;
    frontend.streamId = NO_STREAM_ID_FILTER;
}

SimulatedFrontend newSimulatedFrontend(const Simulation& simulation, uint64_t openedAtMs)
{
    SimulatedFrontend frontend;
    frontend.simulation = simulation;
    frontend.openedAtMs = openedAtMs;
    frontend.deliverySystem = kernelSystemOf(simulation.systems.empty() ? SimDvbS : simulation.systems[0]);
    clearProperties(frontend);
    resetScrDevice(frontend.scr, simulation.scr);
    return frontend;
}

static int getProperty(SimulatedFrontend& frontend, dtv_property& property, uint64_t nowMs)
{
    const SimulatedSignal signal = simulatedSignalNow(frontend, nowMs);
    uint32_t lockedSystem = 0, lockedModulation = 0, lockedFec = 0;
    const bool readBack = frontend.simulation.readsBack && signal.locked;
    if (readBack) simulatedLockedValues(frontend, &lockedSystem, &lockedModulation, &lockedFec);
    switch (property.cmd) {
    case DTV_API_VERSION: property.u.data = simulatedApiVersion(frontend.simulation); return 0;
    case DTV_DELIVERY_SYSTEM:
        property.u.data = readBack && frontend.simulation.readsBackSystem ? lockedSystem : frontend.deliverySystem;
        return 0;
    case DTV_ENUM_DELSYS: {
        const std::vector<SimulatedSystem>& systems = frontend.simulation.systems;
        std::memset(property.u.buffer.data, 0, sizeof property.u.buffer.data);
        size_t count = 0;
        for (; count < systems.size() && count < sizeof property.u.buffer.data; ++count)
            property.u.buffer.data[count] = static_cast<uint8_t>(kernelSystemOf(systems[count]));
        property.u.buffer.len = static_cast<uint32_t>(count);
        return 0;
    }
    case DTV_FREQUENCY: property.u.data = simulatedFrequencyKHz(frontend, nowMs); return 0;
    case DTV_SYMBOL_RATE: property.u.data = frontend.symbolRate; return 0;
    case DTV_INNER_FEC: property.u.data = readBack ? lockedFec : frontend.innerFec; return 0;
    case DTV_INVERSION: property.u.data = frontend.inversion; return 0;
    case DTV_MODULATION: property.u.data = readBack ? lockedModulation : frontend.modulation; return 0;
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
    case DTV_STAT_TOTAL_BLOCK_COUNT: fillSimulatedStatistic(property, frontend, signal); return 0;
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
    // The same frequency and symbol rate sent again: the dish has not moved,
    // and the timeline goes on.
    const bool again = frontend.tuned && frontend.tunedFrequencyKHz == frontend.frequencyKHz &&
                       frontend.tunedSymbolRate == frontend.symbolRate;
    if (!again) frontend.tunedAtMs = nowMs;
    frontend.searchedAtMs = nowMs;
    frontend.tuned = true;
    frontend.tunedFrequencyKHz = frontend.frequencyKHz;
    frontend.tunedSymbolRate = frontend.symbolRate;
    frontend.tunedSystem = frontend.deliverySystem;
    frontend.tunedModulation = frontend.modulation;
    frontend.tunedRolloff = frontend.rolloff;
    frontend.tunedInnerFec = frontend.innerFec;
    char line[112];
    const char* modulation = frontend.modulation == QAM_AUTO ? "auto"
                             : frontend.modulation == PSK_8  ? "8PSK"
                             : frontend.modulation == QPSK   ? "QPSK"
                                                             : "other";
    const char* rolloff = frontend.rolloff == ROLLOFF_AUTO ? "auto"
                          : frontend.rolloff == ROLLOFF_35 ? "0.35"
                          : frontend.rolloff == ROLLOFF_25 ? "0.25"
                          : frontend.rolloff == ROLLOFF_20 ? "0.20"
                                                           : "other";
    const char* rate = kernelCodeRateName(frontend.innerFec);
    std::snprintf(line, sizeof line, "tune %s %s/%s %u %u%s%s", systemName(frontend.deliverySystem), modulation,
                  rolloff, frontend.frequencyKHz, frontend.symbolRate, *rate ? " fec " : "", rate);
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
    case DTV_CLEAR: clearProperties(frontend); return 0;
    case DTV_SCRAMBLING_SEQUENCE_INDEX:
    case DTV_LNA: return 0;
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

// As dvb-core gives it: the frequencies in kHz while the frontend is set to
// a satellite system, in Hz while it is set to another.
static void fillInfo(const SimulatedFrontend& frontend, dvb_frontend_info* info)
{
    std::memset(info, 0, sizeof *info);
    const std::string& name = frontend.simulation.frontendName;
    std::snprintf(info->name, sizeof info->name, "%s", name.empty() ? simulatedFrontendName : name.c_str());
    const bool satellite = isSatellite(frontend.deliverySystem);
    const uint32_t unit = satellite ? 1 : 1000;
    info->type = satellite ? FE_QPSK : FE_OFDM;
    info->frequency_min = lowestKHz * unit;
    info->frequency_max = highestKHz * unit;
    info->frequency_stepsize = 1000 * unit;
    info->symbol_rate_min = lowestSymbolRate;
    info->symbol_rate_max = highestSymbolRate;
    info->caps = static_cast<fe_caps>(FE_CAN_INVERSION_AUTO | FE_CAN_FEC_AUTO | FE_CAN_QPSK | FE_CAN_RECOVER |
                                      FE_CAN_2G_MODULATION);
}

// The rest of the kernel thread's search under way, which every request waits for.
static uint32_t searchHoldMs(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    const uint32_t search = frontend.simulation.searchMs;
    if (search == 0 || !frontend.tuned || simulatedSignalNow(frontend, nowMs).locked) return 0;
    const uint64_t phase = (nowMs - frontend.searchedAtMs) % (search + searchRestMs);
    return phase < search ? static_cast<uint32_t>(search - phase) : 0;
}

uint32_t simulatedDelayMs(const SimulatedFrontend& frontend, unsigned long request, uint64_t nowMs)
{
    const uint32_t held = searchHoldMs(frontend, nowMs);
    const uint32_t all = std::max(frontend.simulation.slowAllMs, held);
    switch (request) {
    case FE_READ_STATUS:
    case FE_GET_PROPERTY:
    case FE_READ_SNR:
    case FE_READ_SIGNAL_STRENGTH:
    case FE_READ_BER:
    case FE_READ_UNCORRECTED_BLOCKS: return std::max(frontend.simulation.slowMs, all);
    }
    return all;
}

int simulatedFrontendIoctl(SimulatedFrontend& frontend, unsigned long request, void* argument, uint64_t nowMs)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(argument);
    const uint64_t sinceOpen = nowMs > frontend.openedAtMs ? nowMs - frontend.openedAtMs : 0;
    frontend.lnb.oscillatorErrorKHz = lnbErrorAtKHz(frontend.simulation.installation.drift, sinceOpen);
    scrNeighbourActs(frontend, nowMs);
    switch (request) {
    case FE_GET_INFO:
        if (!argument) return -EFAULT;
        fillInfo(frontend, static_cast<dvb_frontend_info*>(argument));
        return 0;
    case FE_GET_PROPERTY: return properties(frontend, argument, false, nowMs);
    case FE_SET_PROPERTY: return properties(frontend, argument, true, nowMs);
    case FE_READ_STATUS: {
        if (!argument) return -EFAULT;
        const SimulatedSignal signal = simulatedSignalNow(frontend, nowMs);
        unsigned status = 0;
        if (frontend.tuned) status = FE_HAS_SIGNAL;
        if (signal.locked) status |= FE_HAS_CARRIER | FE_HAS_VITERBI | FE_HAS_SYNC | FE_HAS_LOCK;
        *static_cast<fe_status_t*>(argument) = static_cast<fe_status_t>(status);
        return 0;
    }
    case FE_SET_VOLTAGE: {
        if (frontend.simulation.failVoltage && value != SEC_VOLTAGE_OFF) return -EIO;
        if (value == SEC_VOLTAGE_13) frontend.trace.push_back("voltage 13");
        else if (value == SEC_VOLTAGE_18) frontend.trace.push_back("voltage 18");
        else if (value == SEC_VOLTAGE_OFF) frontend.trace.push_back("voltage off");
        else return -EINVAL;
        const SimulatedSupply before = frontend.lnb.supply;
        frontend.lnb.supply = value == SEC_VOLTAGE_18 ? Supply18 : value == SEC_VOLTAGE_13 ? Supply13 : SupplyOff;
        scrSupplySet(frontend, before, nowMs);
        if (frontend.sky && frontend.lnb.supply == SupplyOff) skyUnpowered(frontend, nowMs);
        return 0;
    }
    case FE_SET_TONE:
        if (frontend.simulation.failTone && value == SEC_TONE_ON) return -EIO;
        if (value == SEC_TONE_ON) frontend.trace.push_back("tone on");
        else if (value == SEC_TONE_OFF) frontend.trace.push_back("tone off");
        else return -EINVAL;
        frontend.lnb.toneOn = value == SEC_TONE_ON;
        return 0;
    case FE_DISEQC_SEND_BURST:
        if (frontend.simulation.noBurst) return -kernelNotSupported;
        if (value != SEC_MINI_A && value != SEC_MINI_B) return -EINVAL;
        if (frontend.simulation.failBurst) return -EIO;
        frontend.trace.push_back(value == SEC_MINI_A ? "burst A" : "burst B");
        frontend.lnb.switchPort = burstPort(frontend.lnb.switchPort, value == SEC_MINI_B);
        return 0;
    case FE_DISEQC_SEND_MASTER_CMD: {
        const dvb_diseqc_master_cmd* command = static_cast<const dvb_diseqc_master_cmd*>(argument);
        if (!command) return -EFAULT;
        if (command->msg_len < 3 || command->msg_len > 6) return -EINVAL;
        if (frontend.simulation.failDiseqc) return -EIO;
        std::string line = "diseqc";
        for (int i = 0; i < command->msg_len; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", command->msg[i]);
            line += hex;
        }
        frontend.trace.push_back(line);
        const int port = committedCommandPort(command->msg, command->msg_len);
        if (port >= 0) frontend.lnb.switchPort = port;
        scrMessage(frontend, command->msg, command->msg_len, nowMs);
        if (frontend.sky) skyHearsMessage(frontend, command->msg, command->msg_len, nowMs);
        return 0;
    }
    case FE_ENABLE_HIGH_LNB_VOLTAGE: return 0;
    case FE_READ_SNR:
    case FE_READ_SIGNAL_STRENGTH:
        if (!argument) return -EFAULT;
        return simulatedOlderFigure(frontend, request == FE_READ_SNR, simulatedSignalNow(frontend, nowMs),
                                    static_cast<uint16_t*>(argument));
    case FE_READ_BER:
    case FE_READ_UNCORRECTED_BLOCKS: return -ENOTTY;
    }
    return -ENOTTY;
}

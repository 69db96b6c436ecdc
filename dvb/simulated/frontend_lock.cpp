#include "dvb/simulated/frontend_lock.h"

#include <linux/dvb/frontend.h>

#include "dvb/common/found_frequency.h"
#include "dvb/simulated/simulated_cable.h"
#include "dvb/simulated/sky_frontend.h"

uint32_t kernelSystemOf(SimulatedSystem system)
{
    switch (system) {
    case SimDvbS: return SYS_DVBS;
    case SimDvbS2: return SYS_DVBS2;
    case SimDvbT: return SYS_DVBT;
    case SimDvbC: return SYS_DVBC_ANNEX_A;
    }
    return SYS_UNDEFINED;
}

// The code rates a transponder of the simulation may name, as the kernel numbers them.
static const struct {
    const char* text;
    uint32_t fec;
} kernelCodeRates[] = {{"1/2", FEC_1_2}, {"2/3", FEC_2_3}, {"3/4", FEC_3_4}, {"4/5", FEC_4_5},  {"5/6", FEC_5_6},
                       {"7/8", FEC_7_8}, {"8/9", FEC_8_9}, {"3/5", FEC_3_5}, {"9/10", FEC_9_10}};

const char* kernelCodeRateName(uint32_t fec)
{
    for (const auto& each : kernelCodeRates)
        if (fec == each.fec) return each.text;
    return "";
}

// A driver without an automatic DVB-S2 code rate fails the tune where the
// kernel's frontend thread does not look: it never locks.
static bool namesWhatItNeeds(const SimulatedFrontend& frontend, bool dvbs2)
{
    if (!dvbs2) return frontend.tunedModulation == QPSK && frontend.tunedRolloff == ROLLOFF_35;
    const bool modulation = frontend.tunedModulation == QPSK || frontend.tunedModulation == PSK_8;
    return modulation && frontend.tunedRolloff != ROLLOFF_AUTO && *kernelCodeRateName(frontend.tunedInnerFec) != '\0';
}

static uint32_t kernelRolloff(SimulatedRolloff rolloff)
{
    switch (rolloff) {
    case RolloffAny: break;
    case Rolloff035: return ROLLOFF_35;
    case Rolloff025: return ROLLOFF_25;
    case Rolloff020: return ROLLOFF_20;
    }
    return ROLLOFF_AUTO;
}

// A DVB-S2 tune's roll-off: automatic where the driver takes it, else the
// transponder's own, where it has one.
static bool rolloffLocks(const SimulatedFrontend& frontend)
{
    const Simulation& simulation = frontend.simulation;
    if (frontend.tunedRolloff == ROLLOFF_AUTO) return !simulation.needsRolloff;
    return simulation.transponderRolloff == RolloffAny ||
           frontend.tunedRolloff == kernelRolloff(simulation.transponderRolloff);
}

// What a transponder is, as far as a demodulator's lock goes: the
// simulation's one transponder, or a carrier of its installation.
struct TransponderKind {
    bool any;  // locks whichever satellite system is tuned
    SimulatedSystem system;
    SimulatedModulation modulation;
    std::string codeRate;  // "3/4"; empty: any
};

static TransponderKind simulationKind(const Simulation& simulation)
{
    return TransponderKind{simulation.anyTransponder, simulation.transponder, simulation.transponderModulation,
                           simulation.transponderCodeRate};
}

static TransponderKind carrierKind(const SimulatedCarrier& carrier)
{
    const Modcod& modcod = carrier.modcod;
    const bool dvbs2 = modcod.system == ModDvbS2;
    const SimulatedModulation modulation = !dvbs2                         ? ModulationAny
                                           : modcod.modulation == ModQpsk ? ModulationQpsk
                                                                          : ModulationPsk8;
    return TransponderKind{false, dvbs2 ? SimDvbS2 : SimDvbS, modulation,
                           std::to_string(modcod.rateNumerator) + "/" + std::to_string(modcod.rateDenominator)};
}

// The carrier the LNB brings to the tuner as tuned, or -1.
static int tunedCarrier(const SimulatedFrontend& frontend)
{
    if (!frontend.tuned) return -1;
    if (frontend.scr.setup.present)
        return scrCarrierReaching(frontend, frontend.tunedFrequencyKHz, frontend.tunedSymbolRate);
    return carrierReaching(frontend.simulation.installation, frontend.lnb, frontend.tunedFrequencyKHz,
                           frontend.tunedSymbolRate);
}

// Whether the tune as it reached the demodulator can lock a transponder of this kind.
static bool lockableAs(const SimulatedFrontend& frontend, const TransponderKind& kind)
{
    const Simulation& simulation = frontend.simulation;
    const bool dvbs2 = frontend.tunedSystem == SYS_DVBS2;
    const bool ignored = simulation.ignoresModulation;
    const bool automatic =
        dvbs2 && (ignored || frontend.tunedModulation == QAM_AUTO || frontend.tunedRolloff == ROLLOFF_AUTO);
    if (simulation.needsCodeRate && !namesWhatItNeeds(frontend, dvbs2)) return false;
    if (dvbs2 && !ignored && !rolloffLocks(frontend)) return false;
    if (simulation.explicitModulation && !ignored) {
        if (automatic) return false;  // taken without a word, never locked
        if (!dvbs2 && (frontend.tunedModulation != QPSK || frontend.tunedRolloff != ROLLOFF_35)) return false;
    }
    if (kind.any || simulation.findsEitherSystem) return true;
    if (!dvbs2) return kind.system == SimDvbS;
    if (kind.system == SimDvbS) return automatic && !simulation.strictSystem;
    if (automatic) return true;
    if (kind.modulation != ModulationAny &&
        frontend.tunedModulation != (kind.modulation == ModulationQpsk ? QPSK : PSK_8))
        return false;
    const std::string named = kernelCodeRateName(frontend.tunedInnerFec);
    return kind.codeRate.empty() || named.empty() || named == kind.codeRate;
}

static bool lockable(const SimulatedFrontend& frontend)
{
    return lockableAs(frontend, simulationKind(frontend.simulation));
}

// Through the installation: the carrier that reaches the tuner, when the
// tune suits it and it is strong enough.
static SimulatedSignal carrierSignal(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    const int found = tunedCarrier(frontend);
    if (found < 0) return SimulatedSignal{false, 0};
    const SimulatedCarrier& carrier = frontend.simulation.installation.carriers[static_cast<size_t>(found)];
    if (!lockableAs(frontend, carrierKind(carrier)) || !carrierLocks(carrier)) return SimulatedSignal{false, 0};
    if (nowMs - frontend.searchedAtMs < frontend.simulation.acquisitionMs) return SimulatedSignal{false, 0};
    return SimulatedSignal{true, carrier.carrierToNoiseMilliDb};
}

// Under a sky: what the sky gives where the motor points, where the tune
// suits the transponder (the simulation's one kind) and has had its time.
static SimulatedSignal signalUnderSky(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    SimulatedSignal signal = skySignalNow(frontend, nowMs);
    if (signal.locked && (!lockable(frontend) || nowMs - frontend.searchedAtMs < frontend.simulation.acquisitionMs)) {
        signal.locked = false;
        signal.carrierToNoiseMilliDb = 0;
    }
    return signal;
}

SimulatedSignal simulatedSignalNow(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    if (frontend.sky) return signalUnderSky(frontend, nowMs);
    if (frontend.simulation.installation.present) return carrierSignal(frontend, nowMs);
    if (!frontend.tuned || !lockable(frontend)) return SimulatedSignal{false, 0};
    if (nowMs - frontend.searchedAtMs < frontend.simulation.acquisitionMs) return SimulatedSignal{false, 0};
    const Simulation& simulation = frontend.simulation;
    const uint64_t since = nowMs - frontend.tunedAtMs;
    return simulatedSignalAt(simulation, since > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(since));
}

bool simulatedFrontendLocked(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    return simulatedSignalNow(frontend, nowMs).locked;
}

int simulatedLockedCarrier(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    if (frontend.sky) return -1;
    if (!frontend.simulation.installation.present || !simulatedSignalNow(frontend, nowMs).locked) return -1;
    return tunedCarrier(frontend);
}

static uint32_t kernelCodeRate(const std::string& rate)
{
    for (const auto& each : kernelCodeRates)
        if (rate == each.text) return each.fec;
    return FEC_3_4;  // none named
}

void simulatedLockedValues(const SimulatedFrontend& frontend, uint32_t* system, uint32_t* modulation, uint32_t* fec)
{
    const int carrier = tunedCarrier(frontend);
    const TransponderKind kind =
        frontend.simulation.installation.present && carrier >= 0
            ? carrierKind(frontend.simulation.installation.carriers[static_cast<size_t>(carrier)])
            : simulationKind(frontend.simulation);
    *system = kind.any ? frontend.tunedSystem : kernelSystemOf(kind.system);
    if (*system == SYS_DVBS) *modulation = QPSK;
    else if (kind.modulation != ModulationAny) *modulation = kind.modulation == ModulationQpsk ? QPSK : PSK_8;
    else *modulation = frontend.tunedModulation == QPSK ? QPSK : PSK_8;
    *fec = kernelCodeRate(kind.codeRate);
    // One that leaves the system as asked leaves a DVB-S lock's modulation too.
    if (!frontend.simulation.readsBackSystem && *system == SYS_DVBS) *modulation = frontend.modulation;
}

uint32_t simulatedFrequencyKHz(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    const int carrier = simulatedLockedCarrier(frontend, nowMs);
    if (carrier < 0 || frontend.scr.setup.present) return frontend.frequencyKHz;
    const Simulation& simulation = frontend.simulation;
    const int64_t foundHz = carrierIntermediateHz(simulation.installation, frontend.lnb,
                                                  simulation.installation.carriers[static_cast<size_t>(carrier)]);
    const std::string& name = simulation.frontendName.empty() ? simulatedFrontendName : simulation.frontendName;
    const uint32_t askedKHz = frontend.tunedFrequencyKHz;
    return reportedFrequencyKHz(foundFrequencyDriverFor(name), frontend.tunedSystem == SYS_DVBS2, askedKHz,
                                foundHz - int64_t{askedKHz} * 1000);
}

#include "dvb/common/found_frequency.h"

#include "dvb/common/frontend_name.h"

static const FoundFrequencyDriver foundFrequencyDrivers[] = {
    // cx24116: no get_frontend; the kernel gives back what the tune set.
    {"CX24116", false, 1, 1},
    // cx24117_get_frontend: its firmware's frequency registers (the kHz it
    // was sent) plus their offset, freq_os, in kHz.
    {"CX24117", true, 1000, 1000},
    // ds3000: no get_frontend.
    {"DS3000", false, 1, 1},
    // m88ds3103_get_frontend fills in the system, modulation, code rate,
    // roll-off, pilots, inversion and symbol rate, never the frequency
    // (m88rs6000 is the same driver).
    {"M88DS3103", false, 1, 1},
    {"M88RS6000", false, 1, 1},
    // stv090x_get_sig_params works the found frequency out (the tuner's
    // plus the derotator's offset), but the driver has no get_frontend.
    {"STV090x", false, 1, 1},
    // stv0900_get_frontend: the tuner's frequency plus the derotator's
    // offset (stv0900_get_carr_freq, Hz), divided by 1000; 0 unless locked.
    {"STV0900", true, 1, 1},
    // stb0899_get_frontend gives internal->freq: DVB-S the asked frequency
    // less the derotator's offset, derot_freq x (mclk / 65536) / 1000 (1510
    // Hz a step at the 99 MHz master clock the boards set, stb0899_dvbs_algo);
    // DVB-S2 the tuner's frequency plus CRL_FREQ / (2^30 / 1000) x (mclk /
    // 10^6): whole steps of 99 kHz (stb0899_dvbs2_algo).
    {"STB0899", true, 1510, 99000},
    // stv0910's get_frontend fills in the modulation, code rate, pilots and
    // roll-off alone.
    {"STV0910", false, 1, 1},
    // tda10071_get_frontend: its firmware's registers 0x32 to 0x34, in kHz.
    {"TDA10071", true, 1000, 1000},
    // tas2101 (out of the kernel's tree, its public source): the system,
    // modulation, code rate and symbol rate alone.
    {"TAS2101", false, 1, 1},
    // vidtv_demod_get_frontend does nothing.
    {"Dummy demod", false, 1, 1},
};

FoundFrequencyDriver foundFrequencyDriverFor(const std::string& frontendName)
{
    for (const FoundFrequencyDriver& driver : foundFrequencyDrivers)
        if (frontendNameContains(frontendName, driver.nameContains)) return driver;
    return FoundFrequencyDriver{nullptr, true, 1, 1};
}

uint32_t reportedFrequencyKHz(const FoundFrequencyDriver& driver, bool dvbs2, uint32_t askedKHz, int64_t offsetHz)
{
    if (!driver.givesFound) return askedKHz;
    const int64_t step = dvbs2 ? driver.dvbs2StepHz : driver.dvbsStepHz;
    // C's integer division goes towards zero, as each driver's does.
    const int64_t steps = offsetHz / (step > 0 ? step : 1);
    const int64_t reported = int64_t{askedKHz} + steps * step / 1000;
    return reported < 0 ? 0 : static_cast<uint32_t>(reported);
}

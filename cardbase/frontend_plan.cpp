#include "cardbase/frontend_plan.h"

int switchPortFor(int32_t diseqcCode)
{
    switch (diseqcCode) {
    case 1:
    case 3: return 0;  // "A", "AA"
    case 2:
    case 4: return 1;  // "B", "BA"
    case 5: return 2;  // "AB"
    case 6: return 3;  // "BB"
    }
    return noSwitchPort;
}

void committedSwitchCommand(int port, bool horizontal, bool highBand, uint8_t command[4])
{
    const unsigned position = static_cast<unsigned>(port) & 1u;
    const unsigned option = (static_cast<unsigned>(port) >> 1) & 1u;
    command[0] = 0xE0;
    command[1] = 0x10;
    command[2] = 0x38;
    command[3] =
        static_cast<uint8_t>(0xF0 | option << 3 | position << 2 | (horizontal ? 2u : 0u) | (highBand ? 1u : 0u));
}

// Values beyond what a frontend takes stick at the largest one rather than wrap.
static uint32_t kiloUnits(int64_t value)
{
    if (value <= 0) return 0;
    if (value > UINT32_MAX / 1000) return UINT32_MAX;
    return static_cast<uint32_t>(value) * 1000u;
}

FrontendPlan frontendPlanFor(const CardTuning& tuning)
{
    FrontendPlan plan{};
    const int64_t difference = int64_t{tuning.frequencyMHz} - tuning.lnbFrequencyMHz;
    plan.intermediateKHz = kiloUnits(difference < 0 ? -difference : difference);
    plan.symbolsPerSecond = kiloUnits(tuning.symbolRate);
    // Without a letter the LNB still needs its supply; 13 V is the lower
    // of the two and receives the vertical polarization.
    plan.horizontal = tuning.polarization == 0;
    plan.voltage = plan.horizontal ? Voltage18 : Voltage13;
    plan.toneOn = tuning.lnbSelection == 1;
    plan.switchPort = switchPortFor(tuning.diseqcCode);
    if (plan.switchPort != noSwitchPort)
        committedSwitchCommand(plan.switchPort, plan.horizontal, plan.toneOn, plan.diseqc);
    plan.toneBurst = tuning.diseqcCode == 1 ? ToneBurstA : tuning.diseqcCode == 2 ? ToneBurstB : NoToneBurst;
    return plan;
}

#include "bda/bda_tuning.h"

#include "cardbase/frontend_plan.h"

static constexpr int32_t bandBoundaryKHz = 11700000;

static int32_t kiloHertz(int32_t megaHertz)
{
    if (megaHertz <= 0) return 0;
    if (megaHertz > INT32_MAX / 1000) return INT32_MAX;
    return megaHertz * 1000;
}

LnbOscillators lnbOscillatorsFor(const CardTuning& tuning)
{
    const int32_t oscillator = kiloHertz(tuning.lnbFrequencyMHz);
    return LnbOscillators{oscillator, oscillator, bandBoundaryKHz};
}

int32_t oscillatorForCarrierKHz(const LnbOscillators& lnb, int32_t carrierKHz)
{
    return carrierKHz >= lnb.switchKHz ? lnb.highKHz : lnb.lowKHz;
}

BdaTuneValues bdaTuneValuesFor(const CardTuning& tuning)
{
    const FrontendPlan plan = frontendPlanFor(tuning);
    BdaTuneValues values{};
    values.lnb = lnbOscillatorsFor(tuning);
    values.carrierKHz = kiloHertz(tuning.frequencyMHz);
    values.symbolRate = tuning.symbolRate;
    values.polarisation = plan.horizontal ? bdaPolarisationHorizontal : bdaPolarisationVertical;
    values.switchPort = plan.switchPort;
    for (int i = 0; i < 4; ++i) values.switchCommand[i] = plan.diseqc[i];
    values.lnbSource = plan.switchPort == noSwitchPort ? bdaLnbSourceNotSet : bdaLnbSourceA + plan.switchPort;
    return values;
}

SwitchRoute switchRouteFor(int switchPort, bool commandSent, bool lnbSourceOffered)
{
    if (switchPort == noSwitchPort) return NoSwitchAsked;
    if (commandSent) return SwitchByCommand;
    return lnbSourceOffered ? SwitchByLnbSource : SwitchUnreachable;
}

int32_t lnbSourceFor(const BdaTuneValues& values, SwitchRoute route)
{
    return route == SwitchByLnbSource ? values.lnbSource : bdaLnbSourceNotSet;
}

#include "sim/dish/dish_lnb.h"

#include "cardbase/frontend_plan.h"

LnbError dishLnbError(const DishModel& model, uint32_t nowMs)
{
    LnbError none;
    const DishSignal signal = dishSignal(model, nowMs);
    if (signal.verdict != Locked) return none;
    if (model.cable.throughDevice) {
        none.state = LnbErrorThroughCable;
        return none;
    }
    bool toneMissed = false, supplyMissed = false;
    // The downlink the LNB brings at the frequency asked, against the carrier's own.
    const CardTuning reached = tuningAtLnb(model, &toneMissed, &supplyMissed);
    const Transponder& carrier =
        model.sky[static_cast<size_t>(signal.satellite)].transponders[static_cast<size_t>(signal.transponder)];
    const int64_t carrierOffKHz = (int64_t{carrier.frequencyMHz} - reached.frequencyMHz) * 1000;
    const int64_t errorKHz = lnbErrorAtKHz(model.lnbDrift, nowMs - model.startedAtMs);
    const bool oscillatorAbove = model.tuning.lnbFrequencyMHz > model.tuning.frequencyMHz;
    const uint32_t askedKHz = frontendPlanFor(model.tuning).intermediateKHz;
    // Below the carrier a high oscillator brings it low; above it, high.
    const int64_t movedKHz = oscillatorAbove ? errorKHz - carrierOffKHz : carrierOffKHz - errorKHz;
    const int64_t foundKHz = int64_t{askedKHz} + movedKHz;
    return lnbErrorFound(model.tuning, askedKHz, static_cast<uint32_t>(foundKHz < 0 ? 0 : foundKHz));
}

// A driver's older s/n call (FE_READ_SNR, no v5 statistics) while locked,
// read by that driver's scales as the helper reads it.
#pragma once
#include <cstdint>

#include "dvb/helper/frontend/frontend_traits.h"
#include "dvb/helper/frontend/signal_figures.h"

inline FrontendFigures olderSnrFigures(FigureMemory& memory, const char* frontendName, bool dvbs2, uint16_t value)
{
    RawFigures raw;
    raw.v5 = false;
    raw.locked = true;
    raw.cnrScale = ScaleRelative;
    raw.cnr = value;
    return figuresFrom(raw, memory, figureScalesFor(frontendTraitsFor(frontendName), dvbs2, false), 0);
}

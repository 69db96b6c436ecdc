#include "cardbase/sweep/carrier_spectrum.h"

#include <cmath>

static const double pi = 3.14159265358979323846;

double channelWidthMHz(double symbolRateKs) { return std::fmax(symbolRateKs * 1.35 / 1000.0, 1.0); }

// The power of a raised-cosine spectrum from its centre out to `offsetMHz`
// (0 .. 0.5 of the whole).
static double halfShare(double offsetMHz, double symbolRateMHz, double rolloff)
{
    const double flatEnd = symbolRateMHz * (1.0 - rolloff) / 2.0;
    const double edge = symbolRateMHz * (1.0 + rolloff) / 2.0;
    const double a = std::fabs(offsetMHz);
    double share = 0.5;
    if (a <= flatEnd) share = a / symbolRateMHz;
    else if (a < edge) {
        const double taper = rolloff * symbolRateMHz;
        share = flatEnd / symbolRateMHz +
                ((a - flatEnd) + taper / pi * std::sin(pi * (a - flatEnd) / taper)) / (2.0 * symbolRateMHz);
    }
    return offsetMHz < 0 ? -share : share;
}

double carrierShareWithin(double lowMHz, double highMHz, double symbolRateMHz, double rolloff)
{
    if (!(highMHz > lowMHz) || !(symbolRateMHz > 0.0)) return 0.0;
    return halfShare(highMHz, symbolRateMHz, rolloff) - halfShare(lowMHz, symbolRateMHz, rolloff);
}

#include "ui/skin_layout.h"

int barRightEdge(int32_t signalQuality)
{
    // A card reading beyond 0..100 keeps the bar inside the band rather than
    // painting over the frame. Within it, 42 + q x 2.65 in double precision
    // is exactly 42 + floor(q x 265 / 100); the integer form keeps the x87
    // unit's wider intermediates from cutting 80 % one pixel short.
    if (signalQuality < 0) return entryBounds.left;
    if (signalQuality > 100) signalQuality = 100;
    return 42 + signalQuality * 265 / 100;
}

int16_t nextSweepX(int16_t sweepX)
{
    int next = sweepX + 3;
    return static_cast<int16_t>(next > 305 ? 42 : next);
}

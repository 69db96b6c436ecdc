#include "ui/skin_layout.h"

int barRightEdge(int32_t signalQuality)
{
    // A card reading beyond 0..100 keeps the bar inside the band rather than
    // painting over the frame.
    if (signalQuality < 0) return entryBounds.left;
    if (signalQuality > 100) signalQuality = 100;
    return static_cast<int>(signalQuality * 2.65 + 42);
}

int16_t nextSweepX(int16_t sweepX)
{
    int next = sweepX + 3;
    return static_cast<int16_t>(next > 305 ? 42 : next);
}

bool insideRectangle(const Bounds& bounds, int x, int y)
{
    return x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom;
}

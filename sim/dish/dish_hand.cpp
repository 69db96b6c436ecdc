#include "sim/dish/dish_hand.h"

#include <cmath>

DishHand newDishHand(uint32_t seed) { return DishHand{seed * 2654435761u + 1u, 0.0}; }

double handMoveDeg(DishAxis axis) { return axis == SkewAxis ? 1.0 : 0.1; }
double handOvershootDeg(DishAxis axis) { return 2.0 * handMoveDeg(axis); }

// 0 .. 1, evenly.
static double draw(DishHand& hand)
{
    hand.draws = hand.draws * 1664525u + 1013904223u;
    return (hand.draws >> 8) / 16777216.0;
}

double axisDegrees(const DishModel& model, DishAxis axis)
{
    switch (axis) {
    case AzimuthAxis: return model.pointing.azimuthDeg;
    case ElevationAxis: return model.pointing.elevationDeg;
    case SkewAxis: break;
    }
    return model.pointing.skewDeg;
}

static void moveBy(DishModel& model, DishAxis axis, double byDeg)
{
    DishPointing p = model.pointing;
    switch (axis) {
    case AzimuthAxis: p.azimuthDeg += byDeg; break;
    case ElevationAxis: p.elevationDeg += byDeg; break;
    case SkewAxis: p.skewDeg += byDeg; break;
    }
    pointDish(model, p);
}

void handTurn(DishModel& model, DishHand& hand, DishAxis axis, double byDeg)
{
    const double most = handMoveDeg(axis);
    hand.latestMoveDeg = std::fmax(-most, std::fmin(most, byDeg));
    moveBy(model, axis, hand.latestMoveDeg);
}

void handStop(DishModel& model, DishHand& hand, DishAxis axis)
{
    const double speed = hand.latestMoveDeg / handMoveDeg(axis);
    moveBy(model, axis, draw(hand) * handOvershootDeg(axis) * speed);
    hand.latestMoveDeg = 0.0;
}

bool handTowards(DishModel& model, DishHand& hand, DishAxis axis, double targetDeg)
{
    const double remaining = targetDeg - axisDegrees(model, axis);
    const double slow = handMoveDeg(axis) / 5.0;
    if (std::fabs(remaining) > handMoveDeg(axis)) {
        handTurn(model, hand, axis, remaining);
        return false;
    }
    if (std::fabs(remaining) > slow) {
        handTurn(model, hand, axis, remaining > 0 ? slow : -slow);
        return false;
    }
    handTurn(model, hand, axis, remaining);
    handStop(model, hand, axis);
    return true;
}

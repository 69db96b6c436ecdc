// A hand at the dish, as a scripted installer turns it (the window's own
// steering stays exact): moves of at most handMoveDeg(axis), a tenth of a
// degree of azimuth or elevation, a degree of the LNB's turn; and where it
// stops at a point it was turning towards, or on a word it hears, it goes on
// past it by up to twice that (0.2°), as far as its latest move was a whole
// one. Platform-neutral.
#pragma once
#include <cstdint>

#include "sim/dish/dish_model.h"

struct DishHand {
    uint32_t draws;            // its own draws: the same seed, the same hand
    double latestMoveDeg = 0;  // signed
};

DishHand newDishHand(uint32_t seed);
double handMoveDeg(DishAxis axis);
double handOvershootDeg(DishAxis axis);

// Where the dish points on `axis` (degrees).
double axisDegrees(const DishModel& model, DishAxis axis);
// One move of at most handMoveDeg along `axis`.
void handTurn(DishModel& model, DishHand& hand, DishAxis axis, double byDeg);
// The hand stops: past where it was, in the way it was turning, by up to
// the overshoot, in proportion to its latest move.
void handStop(DishModel& model, DishHand& hand, DishAxis axis);
// One move towards `targetDeg`, slowing to a fifth of a move for the
// last whole move of the way, as a hand does for a mark it can see; true
// when the point is reached, the hand then stopping past it.
bool handTowards(DishModel& model, DishHand& hand, DishAxis axis, double targetDeg);

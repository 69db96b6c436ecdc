#include "sim/dish/rough_aim.h"

#include <cmath>

AimDraws aimDrawsFrom(uint32_t seed) { return AimDraws{seed}; }

double nextDraw(AimDraws& draws)
{
    // A splitmix step: any seed, zero included, gives a full-period sequence.
    uint32_t z = (draws.state += 0x9E3779B9u);
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    z ^= z >> 16;
    return z / 4294967296.0;
}

DishPointing roughlyAt(const DishPointing& satellite, double skewDeg, AimDraws& draws)
{
    const double pi = 3.14159265358979323846;
    const double off = roughAimLeastDeg + (roughAimMostDeg - roughAimLeastDeg) * nextDraw(draws);
    const double heading = 2.0 * pi * nextDraw(draws);
    // Off the satellite along a great circle: a step `off` away in the
    // direction `heading` (0 is up, quarter turns clockwise).
    const double radian = pi / 180.0;
    const double el = satellite.elevationDeg * radian, d = off * radian;
    const double sinEl = std::sin(el) * std::cos(d) + std::cos(el) * std::sin(d) * std::cos(heading);
    const double newEl = std::asin(std::fmax(-1.0, std::fmin(1.0, sinEl)));
    const double turn = std::atan2(std::sin(heading) * std::sin(d) * std::cos(el), std::cos(d) - std::sin(el) * sinEl);
    return DishPointing{satellite.azimuthDeg + turn / radian, newEl / radian, skewDeg};
}

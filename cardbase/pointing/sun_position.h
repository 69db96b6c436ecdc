// Where the sun stands in the sky of a place at a moment, by NOAA's solar
// position algorithm (after Meeus' Astronomical Algorithms): a few
// hundredths of a degree from 1901 to 2099. The elevation is the geometric
// one, without the atmosphere's refraction (which lifts the sun by about
// 0.06 degree at 15 degrees and half a degree at the horizon).
// Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/pointing/look_angles.h"

struct SkyDirection {
    double azimuthDeg;  // clockwise from true north, 0 .. 360
    double elevationDeg;
};

SkyDirection sunDirection(const DishSite& site, int64_t unixMs);

// How far `azimuthDeg` lies clockwise of `referenceDeg`, -180 .. 180: facing
// the reference, negative is to the left.
double azimuthDifferenceDeg(double azimuthDeg, double referenceDeg);

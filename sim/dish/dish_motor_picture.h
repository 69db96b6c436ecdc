// A motorised practice dish on its sky chart: the path its motor sweeps the
// dish along from one end stop to the other (off the arc where the mount's
// adjustments are off, and a little below it towards its ends where they
// are right), where the motor stands on it, and the motor's angle in words.
// Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "sim/dish/dish_model.h"
#include "sim/dish/sky_chart.h"

struct MotorPicture {
    std::vector<PixelPoint> path;
    PixelPoint at;
    std::string words;  // "motor 21.3 E", "motor 21.3 E, turning"
};

MotorPicture motorPicture(const SkyChart& chart, const DishModel& model);

// "21.3 E", "32.8 W", "0.0": a motor angle for the window's labels (ASCII).
std::string motorAngleWords(double angleDeg);

#include "sim/dish/dish_motor_picture.h"

#include <cmath>
#include <cstdio>

std::string motorAngleWords(double angleDeg)
{
    char text[32];
    const double shown = std::round(std::fabs(angleDeg) * 10.0) / 10.0;
    if (shown == 0.0) return "0.0";
    std::snprintf(text, sizeof text, "%.1f %s", shown, angleDeg > 0 ? "E" : "W");
    return text;
}

MotorPicture motorPicture(const SkyChart& chart, const DishModel& model)
{
    MotorPicture picture;
    if (!model.motorised) return picture;
    const MotorMountSetup& setup = model.motor.setup;
    // A degree of motor angle a point: smooth at any chart size.
    for (double angle = -setup.westStopDeg; angle <= setup.eastStopDeg + 1e-9; angle += 1.0) {
        const DishPointing p = polarMountPointing(model.site, setup.errors, angle);
        if (p.elevationDeg < chart.range.elevationFromDeg) continue;
        picture.path.push_back(skyToPixel(chart, p.azimuthDeg, p.elevationDeg));
    }
    const DishPointing at = polarMountPointing(model.site, setup.errors, model.motorAngleDeg);
    picture.at = clampedToPlot(chart, skyToPixel(chart, at.azimuthDeg, at.elevationDeg));
    picture.words = "motor " + motorAngleWords(model.motorAngleDeg) + (model.motorMoving ? ", turning" : "");
    return picture;
}

// What the simulated dish's window shows, as lines of text. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/dish/dish_model.h"

struct DishView {
    DishSite site;
    double diameterM;
    DishPointing pointing;
    std::string nearestName;  // "" when no satellite is above the horizon
    double nearestOffAxisDeg;
    CardTuning tuning;
    // The satellite carrying the tuned transponder, or else the nearest one.
    std::string targetName;  // "" when there is none
    DishPointing target;
    double targetOffAxisDeg;
    double skewErrorDeg;
    DishVerdict verdict;
    double carrierToNoiseDb;
    int32_t quality;
};

DishView dishView(const DishModel& model, uint32_t nowMs);

// At most `dishLineWidth` characters each.
constexpr size_t dishLineWidth = 40;
std::vector<std::string> dishWindowLines(const DishView& view);

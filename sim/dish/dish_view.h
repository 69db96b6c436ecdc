// What the simulated dish's window shows, as lines of text. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/margin/link_margin.h"
#include "cardbase/network/network_watch.h"
#include "sim/dish/dish_model.h"

struct DishView {
    DishSite site;
    double diameterM;
    DishPointing pointing;
    std::string nearestName;  // "" when no satellite is above the horizon
    int nearest;              // its index in the sky, or -1
    double nearestOffAxisDeg;
    CardTuning tuning;
    // The satellite carrying the tuned transponder, or else the nearest one.
    std::string targetName;  // "" when there is none
    int tunedSatellite;      // the one carrying the tuned transponder, or -1
    DishPointing target;
    double targetOffAxisDeg;
    double skewErrorDeg;
    DishVerdict verdict;
    double carrierToNoiseDb;
    double lockThresholdDb;  // where the transponder reached locks; NaN when none is
    // The tuner's latest level over the noise of the tuned channel; NaN
    // before it has measured one.
    double levelAboveNoiseDb;
    int32_t quality;
    // What the card read of the network it is locked to, and what the
    // catalogue expected (filled in by the window from the card's feed).
    NetworkReport network;
    std::vector<PositionTenths> expected;
    // Where to point for the target (dish_pointing.h), filled in by the window.
    std::vector<std::string> whereToPoint;
    // The link margin the card gave with its latest reading (filled in by
    // the window from the card's feed).
    LinkMargin margin;
};

DishView dishView(const DishModel& model, uint32_t nowMs);

// A catalogue name with its runs of blanks squeezed to one, cut to `room`.
std::string shortSatelliteName(const std::string& name, size_t room);

// The second of the two network lines when the network's position is not
// the one expected; it starts so.
constexpr char wrongSatelliteLine[] = "       wrong satellite";

// The line of the link margin starts so.
constexpr char marginLinePrefix[] = "Margin ";

// At most `dishLineWidth` characters each.
constexpr size_t dishLineWidth = 40;
std::vector<std::string> dishWindowLines(const DishView& view);

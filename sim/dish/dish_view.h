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
    // The card measures through a single-cable device (dish_cable.h): its
    // setting in words, or why it does not read; what it sent last; why the
    // latest tune sent nothing; another receiver on its user band.
    bool singleCable;
    std::string singleCableSetting;  // "EN 50494, user band 1 at 1210 MHz" or "scr= refused: ..."
    std::string singleCableSent;     // "E0 10 5A 04 F7 at 1210 MHz", "" before any
    std::string singleCableRefusal;
    std::string userBandNote;
    // What the phone page's bracketing guide says now ("azimuth: edge one:
    // mark the mount"), or "" (filled in by the window from the card's feed).
    std::string peak;
};

DishView dishView(const DishModel& model, uint32_t nowMs);

// A catalogue name with its runs of blanks squeezed to one, cut to `room`.
std::string shortSatelliteName(const std::string& name, size_t room);

// What the readout's "Signal" line says: the lock with its C/N, or why
// there is none.
std::string dishSignalText(const DishView& view);

// The second of the two network lines when the network's position is not
// the one expected; it starts so.
constexpr char wrongSatelliteLine[] = "       wrong satellite";

// The line of the link margin starts so, and the guide's.
constexpr char marginLinePrefix[] = "Margin ";
constexpr char peakLinePrefix[] = "Peak   ";

// At most `dishLineWidth` characters each, a long text carried on to the
// next lines; the steering help fills what is left of the lines the
// smallest window shows.
constexpr size_t dishLineWidth = 40;
constexpr size_t dishReadoutLines = 16;
std::vector<std::string> dishWindowLines(const DishView& view);

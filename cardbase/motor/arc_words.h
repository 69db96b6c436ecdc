// The arc check in words: a line per satellite, a picture of the arc in
// text (motor angle across, C/N up) and the verdict in the installer's
// words. Platform-neutral; UTF-8.
#pragma once
#include <string>
#include <vector>

#include "cardbase/motor/arc_check.h"

// "HotBird1-6 13.0e: motor 14.5° east, peaks 0.06° west of it, C/N 12.4 dB
// (clear sky 12.9 dB, loss 0.5 dB), network 13.0° E".
std::string arcPointLine(const ArcPoint& point);
// Why there is no verdict with so few satellites.
std::string arcTooFewText(int satellites, int withLoss);
// Said before the question: at which satellite the dish now stands.
std::string arcAskingAtText(const ArcPoint& point);

// The arc in text, as seen from behind the dish facing the arc (east on
// the left north of the equator, on the right south of it): each
// satellite's C/N at its peak ("o") over its clear-sky C/N ("-"), with
// the C/N scale at the left and the motor angles below.
std::vector<std::string> arcPicture(const ArcResult& result, const DishSite& site);

// The verdict: the pattern across the arc, each adjustment found with its
// direction and size and what to do, what was found along the arc, and
// "the mount is right" (within what this dish can tell) where nothing is off.
std::vector<std::string> arcVerdictLines(const ArcResult& result);

// The words for each adjustment, found off by `sizeDeg` (positive: too
// much, east or up), as the verdict says them.
std::string adjustmentWords(MountAdjustment adjustment, double sizeDeg);
// What is left along the arc: the motor's zero, east positive.
std::string alongWords(double zeroDeg);

// The pointing's figures in words: the "name: value" lines azimora-dvb
// --point prints and the phone page lists, the short lines of the practice
// dish's window, the skew as an instruction that cannot be misread, and
// the sun's hour as a sentence. Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "cardbase/pointing/pointing_figures.h"

struct PointingLine {
    std::string name;   // "azimuth", "magnetic azimuth", "elevation", ...
    std::string value;  // UTF-8 ("155.9° (true)")
};

// azimuth, magnetic azimuth, elevation, skew, sun, usals, with an offset
// angle plate, then sun now.
std::vector<PointingLine> pointingLines(const PointingFigures& figures);

// "turn the LNB 14.7° clockwise, seen from behind the dish".
std::string skewInstruction(double skewDeg);
// "the sun stands at the satellite's azimuth at 11:32 local time, 15° high",
// or that it does not reach it today.
std::string sunHourSentence(const PointingFigures& figures);

// The figures in a few short ASCII lines for a narrow window (the practice
// dish's), the widest last: "USALS 26.8W", "sun there 13:42, 55 high",
// "magnetic az 197.0 (12.0E WMM2025)", "LNB 15.8 clockwise", "seen from
// behind the dish".
std::vector<std::string> shortPointingLines(const PointingFigures& figures);

// "19.2° E", "0.8° W", "0.0°": an orbital position, east positive.
std::string orbitalPositionText(double longitudeDeg);

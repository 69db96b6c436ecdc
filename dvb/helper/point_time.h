// The moment azimora-dvb --point asks about, in the machine's time zone
// (app/wall_clock.h) unless the time names its own offset. POSIX.
#pragma once
#include <string>

#include "dvb/helper/point_report.h"

// --time's text, or now where it is empty: a time with a zone of its own
// keeps that offset all day; one without, and now, are in the machine's
// zone, whose offset on a day its clocks change follows each moment. False
// when the text does not read.
bool readPointMoment(const std::string& text, PointMoment* moment);

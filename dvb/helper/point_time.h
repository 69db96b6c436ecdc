// The moment azimora-dvb --point asks about, and the machine's time zone,
// whose rules (TZ, or /etc/localtime) give its offset at any moment: on a
// day its clocks change, the sun's hour is given in the offset of its own
// moment. POSIX.
#pragma once
#include <cstdint>
#include <string>

#include "dvb/helper/point_report.h"

// --time's text, or now where it is empty: a time with a zone of its own
// keeps that offset all day; one without, and now, are in the machine's
// zone. False when the text does not read.
bool readPointMoment(const std::string& text, PointMoment* moment);

// The machine's zone's offset at that moment, minutes east of UTC.
int32_t machineZoneMinutesAt(int64_t unixMs);

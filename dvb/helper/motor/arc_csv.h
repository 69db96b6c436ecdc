// azimora-dvb --arc --csv FILE: a line per satellite the arc check
// measured, as the record's files are written (record_csv.h: UTF-8 with a
// byte order mark, commas, dot decimals, CR LF), with a header:
//   satellite, position, motor_angle_deg, elevation_deg, found, by_level,
//   along_deg, locked, peak_cn_db, clear_sky_cn_db, loss_db, network_position
// A value the check does not know stays empty. Platform-neutral.
#pragma once
#include <string>

#include "cardbase/motor/arc_check.h"

std::string arcCsv(const ArcResult& result);
// What the record's note says of a satellite, from the check's line for it
// (arc_words.h): "arc check: motor 21.3° east, peaks 0.06° west of it, C/N
// 12.4 dB (clear sky 12.9 dB, loss 0.5 dB), network 19.2° E".
std::string arcRemark(const std::string& pointLine);

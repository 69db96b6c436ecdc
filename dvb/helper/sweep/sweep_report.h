// What azimora-dvb --sweep prints and writes: a picture of the band in the
// terminal, one line per peak ("peak: 11362 MHz H, level -41.2 dBm, ...",
// with --try what locked there and its network), and the level at each
// step as CSV. Platform-neutral.
#pragma once
#include <string>

#include "cardbase/sweep/sweep_result.h"

constexpr int sweepPictureColumns = 72;
constexpr int sweepPictureRows = 12;

std::string sweepPicture(const SweepResult& result);
std::string sweepPeakLine(const SweepPeak& peak, const SweepPlan& plan, LevelUnit unit);
// The whole report: a heading, the picture, the peaks' lines.
std::string sweepReport(const SweepStatus& status);
// "frequency_mhz,polarisation,level,unit" and a row per step (an empty level where none was read).
std::string sweepCsv(const SweepStatus& status);

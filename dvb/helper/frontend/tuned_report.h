// What azimora-dvb --status --tune ENTRY waits for and prints: lock within
// one round of the delivery systems (as long as the search gives them all,
// at most tunedLockWaitLimitMs), then the network's word; the status lines,
// the transponder, the system that locked, the quality, and the network's
// lines ("network: NAME (0xID)" or "no network information", then
// "position: 19.2E", "position: 19.2E (uncertain)" or "position: unknown"),
// and the link margin's ("modulation: DVB-S2 8PSK 3/4 (tuner)", "margin:
// +4.2 dB (good)", or what is unknown and why), and the LNB's own error
// ("lnb error: +2.3 MHz (10600 MHz oscillator)", or why it is unknown,
// cardbase/lnb_error.h); through a single-cable
// device, "single cable: EN 50494, user band 1 at 1210 MHz" after the
// transponder, and "another receiver uses user band 1" at the end where the
// stream changed under the tune.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "dvb/helper/frontend/frontend_report.h"
#include "dvb/helper/frontend/frontend_worker.h"

// A frontend that needs each DVB-S2 code rate named takes up to a minute
// for one round at 2 MS/s.
constexpr uint32_t tunedLockWaitLimitMs = 60000;

uint32_t tunedLockWaitMs(const TuningSequence& sequence);

// Whether the network's word is in: known, or none to be had.
bool networkSettled(const NetworkReport& report);

// `user`: the modulation and code rate --modcod gave, or none chosen.
std::string tunedReport(const FrontendDescription& description, const std::string& entry, const LatestReading& latest,
                        const ModcodWord& user, const SingleCableUse& singleCable = SingleCableUse());
// What plain --status can say of the margin: no read-back of a tune of its own.
std::string untunedMarginLines(const FrontendFigures& figures);

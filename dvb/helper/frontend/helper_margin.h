// The link margin of azimora-dvb's latest reading (cardbase/margin): the
// tuner's word as the worker read it back, the network's from this
// stream's own NIT entry, the user's from --modcod; a C/N counts only where
// it is one in dB: the v5 statistics', or a known driver's older s/n read
// by its own scale. What --status prints and QueryModcod answers.
// Platform-neutral.
#pragma once
#include "cardbase/margin/link_margin.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/protocol/modcod_answer.h"

// A C/N of the v5 statistics in FE_SCALE_DECIBEL, or of a known driver's
// scale: relative figures, the older statistics of no stated unit and a
// C/N below the driver's lowest step are no measured figure in dB.
bool carrierToNoiseInDecibels(const FrontendFigures& figures);

ModcodAnswer modcodAnswerOf(const LatestReading& latest);
LinkMargin helperMargin(const LatestReading& latest, const ModcodWord& user);

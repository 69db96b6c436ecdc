// The link margin of azimora-dvb's latest reading (cardbase/margin): the
// tuner's word as the worker read it back, the network's from this
// stream's own NIT entry, the user's from --modcod; a C/N counts only from
// the v5 statistics in dB. What --status prints and QueryModcod answers.
// Platform-neutral.
#pragma once
#include "cardbase/margin/link_margin.h"
#include "dvb/helper/frontend_worker.h"
#include "dvb/protocol/modcod_answer.h"

// A C/N of the v5 statistics in FE_SCALE_DECIBEL: the relative scale and the
// older statistics of no stated unit are no measured figure in dB.
bool carrierToNoiseInDecibels(const FrontendFigures& figures);

ModcodAnswer modcodAnswerOf(const LatestReading& latest);
LinkMargin helperMargin(const LatestReading& latest, const ModcodWord& user);

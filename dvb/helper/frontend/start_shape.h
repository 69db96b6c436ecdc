// The shape of a start, read from the very steps the frontend worker carries
// out, for the bound that dvb/protocol/start_bound.h gives it. Platform-neutral.
#pragma once
#include "dvb/helper/frontend/tuning_sequence.h"
#include "dvb/protocol/start_bound.h"

// Its pauses, a call for each other step, and one for the tune.
StartShape startShapeOf(const TuningSequence& sequence);

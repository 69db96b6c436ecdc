#include "dvb/helper/frontend/start_shape.h"

StartShape startShapeOf(const TuningSequence& sequence)
{
    StartShape shape;
    for (const SequenceStep& step : sequence.steps) {
        if (step.kind == StepPause) shape.pausesMs += step.pauseMs;
        else ++shape.frontendCalls;
    }
    ++shape.frontendCalls;
    return shape;
}

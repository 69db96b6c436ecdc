#include "dvb/protocol/start_bound.h"

uint32_t startBoundMs(const StartShape& shape)
{
    return frontendSearchHoldMs + shape.pausesMs + shape.frontendCalls * frontendCallAllowanceMs;
}

StartShape longestStart()
{
    StartShape shape;
    shape.pausesMs = 400;
    shape.frontendCalls = 8;
    return shape;
}

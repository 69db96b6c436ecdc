// The practice dish's band sweep: its tuner stepped across the LNB's
// output as the dish points now (the LNB's own oscillator, the tone and
// supply deciding which band and polarization it passes), each step's level
// read as the tuner reads the tuned channel's (dish_level.h); with the
// peaks tried, each locked as a tuning of that frequency and symbol rate
// would be, and named by the network it then carries. The model is not
// changed. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/sweep/sweep_plan.h"
#include "cardbase/sweep/sweep_result.h"
#include "sim/dish/dish_model.h"

SweepResult sweepDish(const DishModel& model, const SweepPlan& plan, uint32_t nowMs);

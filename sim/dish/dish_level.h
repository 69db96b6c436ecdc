// What the practice dish's tuner hears before any lock: the power within
// its channel filter from every satellite in the dish's beam and first side
// lobes (so that a neighbour is heard too, and the other polarization
// through a feed turned wrong) over the noise of sky and LNB; its gain
// control's reading of that power, refreshed ten times a second and
// wandering a little, and the demodulator's word that it has found a
// carrier. The band sweep reads the same power step by step.
// Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/signal_level.h"
#include "cardbase/sweep/carrier_spectrum.h"
#include "sim/dish/dish_model.h"

// The LNB's gain less the cable's loss: what puts the noise of a tuned
// channel somewhere near -50 dBm at the tuner, as real boxes read it.
constexpr double lnbGainDb = 50.0;
// The tuner's own noise, which is all it hears where no LNB is connected.
constexpr double tunerNoiseDbmPerMHz = -100.0;

// The power at the tuner's input (dBm) in a channel of `widthMHz` about the
// downlink frequency `centreMHz` of `polarization`, as the dish points now.
double channelPowerDbm(const DishModel& model, double centreMHz, double widthMHz, int32_t polarization, uint32_t nowMs);
// The noise alone in such a channel.
double channelNoiseDbm(double centreMHz, double widthMHz);

// The gain control measures anew once a refresh (the model's; this often
// unless a scenario says), and each measure wanders by up to levelWanderDb
// about the power.
constexpr uint32_t levelRefreshMs = defaultDishRefreshMs;
constexpr double levelWanderDb = 0.15;
// The demodulator says a carrier is present from this C/N on, well below
// any lock.
constexpr double carrierPresentDb = 1.0;

// The tuned channel's level as the card reports it at `nowMs` (dBm): what
// the LNB passes for the tuning (only the tuner's own noise from an empty
// switch port, the LNB's noise alone in a band it does not pass); unknown
// before any tuning.
SignalLevel readDishLevel(DishModel& model, uint32_t nowMs);

// A motorised dish through the BDA bridge: bdacard.ini's motor lines read
// with the one reader of cardbase/motor/motor_settings.h, the route that
// carries the positioner's command (the maker's set or IBDA_DiseqCommand;
// the LNB source and the input ranges carry no command, so the motor is
// refused there), and the core's steps (cardbase/motor/motor_commands.h)
// as BDA steps: 18 V is a tune request with horizontal polarisation and
// the switch frequency above the carrier (no tone), then the command once.
// The card holds the measuring tune until the motor's estimated arrival.
// Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "bda/bda_start_steps.h"
#include "cardbase/motor/motor_commands.h"
#include "cardbase/motor/motor_settings.h"

// bdacard.ini's motor=, motor-limit=, motor-speed=, site=, motor-positions=.
MotorSettings bdaMotorSettings(const std::string& fileBytes);

// The route the command goes by after `failed` (NoSwitchAsked for the
// first), in the order a switch port's are tried (bdacard.ini's "switch="
// may force one).
SwitchRoute bdaMotorRoute(const SwitchMeans& means, SwitchChoice choice, SwitchRoute failed = NoSwitchAsked);
// Why the motor cannot be driven that route, or "" where it can.
std::string motorRouteRefusal(SwitchRoute route);

// The tune that raises the supply: the latest start's transponder (or,
// before any, one of the low band's), horizontal, without the tone.
BdaTuneValues bdaMotorSupplyValues(const CardTuning& tuning, bool tuned);

// The core's steps as BDA steps, up to the command: what follows it (18 V
// held, the measuring tune) is the card's.
std::vector<BdaStep> bdaMotorSteps(const std::vector<MotorStep>& core, const MotorCommand& command, bool throughMaker,
                                   const LnbOscillators& lnb);

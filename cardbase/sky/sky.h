// The satellites the simulators see (the practice dish, the motorised dish
// of motor_sky.h): one at each orbital position of the built-in catalogue,
// with the transponder the catalogue lists and a few neighbours on the same
// satellite. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/catalogue_lines.h"
#include "cardbase/margin/modcod.h"
#include "cardbase/pointing/look_angles.h"
#include "cardbase/sky/link_budget.h"

struct Transponder {
    int32_t frequencyMHz;
    int32_t polarization;  // Polarization: 0 horizontal, 1 vertical
    int32_t symbolRate;    // kS/s
    double eirpDbw;
    bool lookalike = false;  // a neighbour's catalogue transponder, repeated here
    Modcod modcod{};         // what it is modulated with and at which code rate
    uint16_t streamId = 0;   // the transport stream id its PAT carries (transportStreamIdOf)
};

struct Satellite {
    std::string name;     // the catalogue's, position included
    double longitudeDeg;  // east positive
    std::vector<Transponder> transponders;
};

// What a transponder of this band and symbol rate plausibly carries: DVB-S
// QPSK on C band and on the older Ku-band rates, DVB-S2 8PSK on the rates of
// about 30 MS/s, a code rate that varies from one carrier to the next.
Modcod plausibleModcod(int32_t frequencyMHz, int32_t symbolRate, double longitudeDeg);

// The transport stream id of the stream a satellite's transponder carries:
// each transponder of a satellite has its own, and a satellite repeating
// a neighbour's transponder carries another stream with another id.
uint16_t transportStreamIdOf(double longitudeDeg, int32_t frequencyMHz, int32_t polarization);

// The roll-off a transponder is sent with: DVB-S2 carriers mostly with the
// tighter ones it brought.
double rolloffOf(const Transponder& transponder);

// Satellites whose frequency plan puts a transponder of each polarization
// on its catalogue transponder's frequency, so that the LNB's turn can be
// judged there (cardbase/peak/skew_chance.h).
constexpr double coFrequencyPositionsDeg[] = {19.2, 36.0};

// The catalogue text ("[NAME]=FFFFFpRRRRR;" lines) as satellites, one per
// orbital position in order of first appearance; entries without a position
// or with unreadable parameters are left out.
std::vector<Satellite> skyFromCatalogue(const std::string& catalogueText);

// The combined feed's LNB covers 3400 .. 4200 and 10700 .. 12750 MHz.
bool lnbCovers(int32_t frequencyMHz);

// A tuner finds a carrier a few MHz off its nominal frequency and follows a
// symbol rate a few percent off.
constexpr int32_t frequencyToleranceMHz = 4;
constexpr double symbolRateTolerance = 0.03;

bool transponderMatches(const Transponder& transponder, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate);
// Index of the satellite's matching transponder, or -1; with `ownOnly`, one
// that is not a neighbour's look-alike.
int findTransponder(const Satellite& satellite, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate,
                    bool ownOnly = false);

// The path from a transponder to a dish of `diameterM` pointing as given,
// its satellite where `angles` see it.
LinkPath linkPathTo(const Transponder& transponder, const LookAngles& angles, const DishPointing& pointing,
                    double diameterM);

// The simulated dish: a site, a dish being aligned, the sky of the built-in
// catalogue and what the card was last tuned to. Its readings are what the
// card reports. Platform-neutral; the caller supplies the time and keeps
// the model from being used by two threads at once.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/signal_scale.h"
#include "cardbase/sky/sky.h"
#include "sim/dish/dish_cable.h"
#include "sim/dish/dish_setup.h"

struct DishModel {
    DishSite site;
    double diameterM;
    DishPointing pointing;
    uint32_t lnbPorts;
    LnbDrift lnbDrift;         // what the LNB's oscillators are off by (dish_lnb.h)
    uint32_t startedAtMs = 0;  // the card's start: the LNB drifts from here
    bool toneLost = false;     // installation faults (dish_setup.h)
    bool eighteenLost = false;
    DishCable cable;         // a single-cable device, and what the card does on the cable
    bool motorised = false;  // the dish points where its motor turns it (followMotor)
    MotorMount motor;
    double motorAngleDeg = 0.0;  // where the motor stood at the latest followMotor
    bool motorMoving = false;
    std::vector<Satellite> sky;
    CardTuning tuning;
    bool locked = false;
    // The tuner's latest measure of the level (dish_level.h), held until
    // its next refresh; a tuning makes it measure anew.
    bool levelHeld = false;
    uint32_t levelSlot = 0;
    uint32_t levelMeasuredAtMs = 0;
    double levelDbm = 0.0;
    // The tuner measures its level, and the demodulator its C/N, once a
    // refresh; the C/N the card reports is the one measured a refresh
    // before, so that it lags the pointing as a real demodulator's does.
    uint32_t refreshMs = defaultDishRefreshMs;
    bool figureHeld = false;
    uint32_t figureSlot = 0;
    double figureNowDb = 0.0;    // measured at the start of figureSlot
    double figureShownDb = 0.0;  // measured a refresh before: what the card reports
    uint32_t figureShownSlot = 0;
};

DishModel newDishModel(const DishSetup& setup, std::vector<Satellite> sky);

// A motorised dish points where its motor stands at `nowMs`; steering it by
// hand moves it off until the motor next turns.
void followMotor(DishModel& model, uint32_t nowMs);
// A positioner's command reaching the motor (at 18 V, without the tone).
MotorHeard motorCommandToDish(DishModel& model, const uint8_t* bytes, size_t length, uint32_t nowMs);

// One of the six set calls, accepted by the card; any of them makes the
// demodulator search again. True when it completes a start (card_tuning.h).
bool recordTuning(DishModel& model, CardSetCall call, int32_t value);

// Why the card has, or has not, a lock.
enum DishVerdict {
    NotTuned,
    NoLnbOnPort,    // the DiSEqC code leads to an empty port
    WrongLnbBand,   // band selection or LNB frequency do not suit the frequency
    ToneLost,       // the LNB heard no tone and stayed on its low band, where nothing is
    EighteenLost,   // the LNB had no 18 V and stayed vertical, where nothing is
    NoTransponder,  // no satellite carries the tuned transponder
    BelowHorizon,   // the satellites that carry it cannot be seen from the site
    TooWeak,
    Locked,
    // Through a single-cable device (dish_cable.h):
    ScrRefused,   // the card sent nothing for this tuning (DishCable::refusal says why)
    NoScrAnswer,  // nothing on the cable at the tuner's frequency: no 18 V, wrong PIN, no such user band, no device
    ScrNotAsked,  // the installation has a device, the card tunes as without one
};

struct DishSignal {
    DishVerdict verdict;
    int satellite;            // the satellite carrying the tuned transponder that the dish is nearest to, or -1
    int transponder;          // its index there, or -1
    double carrierToNoiseDb;  // with scintillation; meaningful from TooWeak on
    double lockThresholdDb;   // where its modulation and code rate lock (cardbase/sky/link_budget.h); from TooWeak on
};

// What the LNB really brings down, its faults played: without the tone a
// Ku-band LNB stays on its low band oscillator, without 18 V it stays
// vertical. `toneMissed` and `supplyMissed` say whether a fault changed it.
CardTuning tuningAtLnb(const DishModel& model, bool* toneMissed, bool* supplyMissed);

// What the LNB brings down for the card's tuning, straight or through the
// single-cable device: NotTuned when it reaches an LNB (`reached` is then
// what the LNB gives, tuningAtLnb's faults played), else why nothing does
// (NoLnbOnPort, WrongLnbBand or one of the single-cable verdicts).
DishVerdict lnbReached(const DishModel& model, CardTuning* reached, bool* toneMissed, bool* supplyMissed);

// The C/N figure at `nowMs`, judged against the lock the model holds now:
// the carrier over the noise and what leaks in of the other polarization on
// the same frequency (dish_leakage.h).
DishSignal dishSignal(const DishModel& model, uint32_t nowMs);
// The readings one poll takes: gives another receiver on a single-cable
// device its turn, moves the lock on, with its hysteresis, and reads the
// level (dish_level.h), with or without a lock. The C/N reported is the
// demodulator's of a refresh before, with its own error of up to 0.1 dB.
SignalReading pollDish(DishModel& model, uint32_t nowMs);

// The transport stream id of the PAT of the stream the card is locked to
// at `nowMs`; false without a lock.
bool lockedStreamId(const DishModel& model, uint32_t nowMs, uint16_t* transportStreamId);

// The tuning the program sends: the LNB band and oscillator must suit the
// downlink frequency and the LNB must cover it.
bool lnbSuitsFrequency(const CardTuning& tuning);

// The satellite the tuned transponder belongs to (a neighbour's look-alike
// does not count) that the dish is nearest to; -1 when none carries it.
int tunedSatelliteOf(const DishModel& model);

// The satellite nearest to the dish axis among those above the horizon, or -1.
int nearestSatellite(const DishModel& model, double* offAxisDeg);

enum DishAxis { AzimuthAxis, ElevationAxis, SkewAxis };
// Fine steps 0.1 degree in azimuth and elevation and 1 degree in skew;
// coarse steps 1 and 5. Azimuth turns round, elevation stays within 0 .. 90,
// skew within -90 .. 90.
void steerDish(DishModel& model, DishAxis axis, int direction, bool coarse);
// Points the dish as given, kept as steering keeps it: azimuth turned into
// 0 .. 360, elevation within 0 .. 90, skew within -90 .. 90, each on a
// hundredth of a degree.
void pointDish(DishModel& model, const DishPointing& pointing);

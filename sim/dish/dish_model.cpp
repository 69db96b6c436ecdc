#include "sim/dish/dish_model.h"

#include <cmath>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/dish_leakage.h"
#include "sim/dish/dish_level.h"
#include "tuner/lnb_rules.h"

DishModel newDishModel(const DishSetup& setup, std::vector<Satellite> sky)
{
    DishModel model;
    model.site = setup.site;
    model.diameterM = setup.diameterM;
    model.pointing = setup.aimed ? lookAngles(setup.site, setup.aimLongitudeDeg).direction : setup.pointing;
    model.lnbPorts = setup.lnbPorts;
    model.toneLost = setup.toneLost;
    model.eighteenLost = setup.eighteenLost;
    model.cable = newDishCable(setup.singleCable);
    model.sky = std::move(sky);
    model.refreshMs = setup.refreshMs > 0 ? setup.refreshMs : defaultDishRefreshMs;
    model.motorised = setup.motor.present;
    if (model.motorised) {
        MotorMountSetup motor = setup.motor;
        if (setup.aimed) motor.startDeg = usalsAngleDeg(setup.site, setup.aimLongitudeDeg);
        resetMotorMount(model.motor, motor, setup.site.latitudeDeg < 0.0, 0);
        model.motorAngleDeg = motor.startDeg;
        model.pointing = motorMountPointing(model.motor, model.site, 0);
    }
    return model;
}

void followMotor(DishModel& model, uint32_t nowMs)
{
    if (!model.motorised) return;
    // Left where the hand steered it while the motor stands still.
    if (!model.motorMoving) return;
    model.motorAngleDeg = motorMountAngle(model.motor, nowMs);
    model.motorMoving = motorMountMoving(model.motor, nowMs);
    model.pointing = motorMountPointing(model.motor, model.site, nowMs);
}

MotorHeard motorCommandToDish(DishModel& model, const uint8_t* bytes, size_t length, uint32_t nowMs)
{
    if (!model.motorised) return MotorNotForIt;
    const MotorHeard heard = motorMountHears(model.motor, bytes, length, true, false, nowMs);
    // The next follow puts the dish back on its motor.
    model.motorMoving = true;
    model.locked = false;
    model.levelHeld = false;
    return heard;
}

bool recordTuning(DishModel& model, CardSetCall call, int32_t value)
{
    const bool started = recordSetCall(model.tuning, call, value);
    model.locked = false;  // a new setting makes the demodulator search again
    model.levelHeld = model.figureHeld = false;
    return started;
}

bool lnbSuitsFrequency(const CardTuning& tuning)
{
    return lnbCovers(tuning.frequencyMHz) && tuning.lnbSelection == lnbSelectionFor(tuning.frequencyMHz) &&
           tuning.lnbFrequencyMHz == lnbFrequencyFor(tuning.frequencyMHz);
}

int nearestSatellite(const DishModel& model, double* offAxisDeg)
{
    int nearest = -1;
    double nearestError = 0.0;
    for (size_t i = 0; i < model.sky.size(); ++i) {
        const LookAngles angles = lookAngles(model.site, model.sky[i].longitudeDeg);
        if (angles.direction.elevationDeg <= 0.0) continue;
        const double error = pointingErrorDeg(model.pointing, angles.direction);
        if (nearest < 0 || error < nearestError) {
            nearest = static_cast<int>(i);
            nearestError = error;
        }
    }
    if (offAxisDeg) *offAxisDeg = nearestError;
    return nearest;
}

// Each of the demodulator's estimates is off by up to 0.1 dB, its own for each refresh.
static double estimateNoiseDb(uint32_t slot)
{
    uint32_t h = slot * 0x9E3779B1u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return (static_cast<int>(h % 201) - 100) / 1000.0;
}

CardTuning tuningAtLnb(const DishModel& model, bool* toneMissed, bool* supplyMissed)
{
    CardTuning reached = model.tuning;
    *toneMissed = model.toneLost && reached.lnbSelection == 1 && reached.lnbFrequencyMHz == highBandLnbMHz;
    if (*toneMissed) reached.frequencyMHz -= highBandLnbMHz - lowBandLnbMHz;
    *supplyMissed = model.eighteenLost && reached.polarization == 0;
    if (*supplyMissed) reached.polarization = 1;
    return reached;
}

DishVerdict lnbReached(const DishModel& model, CardTuning* reached, bool* toneMissed, bool* supplyMissed)
{
    const DishCable& cable = model.cable;
    *toneMissed = *supplyMissed = false;
    *reached = model.tuning;
    if (cable.throughDevice) {
        // The device ignores the tone and the supply; only its command counts.
        if (!cable.refusal.empty()) return ScrRefused;
        int position = 1;
        if (!cableTuningAtLnb(cable, model.tuning, reached, &position)) return NoScrAnswer;
        return lnbAtPosition(model.lnbPorts, position) ? NotTuned : NoLnbOnPort;
    }
    // Without a command the device puts nothing on the cable.
    if (cable.device.setup.present) return ScrNotAsked;
    *reached = tuningAtLnb(model, toneMissed, supplyMissed);
    if (!(model.lnbPorts & diseqcPortBit(reached->diseqcCode))) return NoLnbOnPort;
    if (!lnbSuitsFrequency(model.tuning)) return WrongLnbBand;
    return NotTuned;
}

DishSignal dishSignal(const DishModel& model, uint32_t nowMs)
{
    DishSignal signal{NotTuned, -1, -1, -99.0, 0.0};
    if (!model.tuning.tuned) return signal;
    bool toneMissed = false, supplyMissed = false;
    CardTuning tuning;
    const DishVerdict reach = lnbReached(model, &tuning, &toneMissed, &supplyMissed);

    // Of the satellites that carry the transponder, the one the dish is
    // nearest to; one above the horizon before any below it.
    bool visible = false;
    double error = 0.0;
    LookAngles angles{};
    for (size_t i = 0; i < model.sky.size(); ++i) {
        const int found = findTransponder(model.sky[i], tuning.frequencyMHz, tuning.polarization, tuning.symbolRate);
        if (found < 0) continue;
        const LookAngles those = lookAngles(model.site, model.sky[i].longitudeDeg);
        const bool seen = those.direction.elevationDeg > 0.0;
        const double off = pointingErrorDeg(model.pointing, those.direction);
        if (signal.satellite >= 0 && ((visible && !seen) || (visible == seen && off >= error))) continue;
        signal.satellite = static_cast<int>(i);
        signal.transponder = found;
        visible = seen;
        error = off;
        angles = those;
    }

    if (reach != NotTuned) signal.verdict = reach;
    else if (signal.satellite < 0) signal.verdict = toneMissed ? ToneLost : supplyMissed ? EighteenLost : NoTransponder;
    else if (!visible) signal.verdict = BelowHorizon;
    if (signal.verdict != NotTuned) return signal;

    const Satellite& satellite = model.sky[signal.satellite];
    const Transponder& transponder = satellite.transponders[signal.transponder];
    const LinkPath path = linkPathTo(transponder, angles, model.pointing, model.diameterM);
    signal.carrierToNoiseDb = carrierToNoiseWithLeakageDb(path, crossPolarLeakageDbw(satellite, transponder, path)) +
                              scintillationDb(nowMs, satellite.longitudeDeg);
    signal.lockThresholdDb = lockThresholdDb(transponder.modcod);
    signal.verdict = stillLocked(model.locked, signal.carrierToNoiseDb, signal.lockThresholdDb) ? Locked : TooWeak;
    return signal;
}

int tunedSatelliteOf(const DishModel& model)
{
    const CardTuning& tuning = model.tuning;
    if (!tuning.tuned) return -1;
    int best = -1;
    double bestOff = 0.0;
    for (size_t i = 0; i < model.sky.size(); ++i) {
        if (findTransponder(model.sky[i], tuning.frequencyMHz, tuning.polarization, tuning.symbolRate, true) < 0)
            continue;
        const double off =
            pointingErrorDeg(model.pointing, lookAngles(model.site, model.sky[i].longitudeDeg).direction);
        if (best < 0 || off < bestOff) {
            best = static_cast<int>(i);
            bestOff = off;
        }
    }
    return best;
}

// Another receiver on the single-cable device asks for a transponder of the
// satellite the dish sees.
static void neighbourTurn(DishModel& model, uint32_t nowMs)
{
    if (!model.cable.device.setup.present || model.cable.device.setup.neighbourBand < 1) return;
    int seen = tunedSatelliteOf(model);
    if (seen < 0) seen = nearestSatellite(model, nullptr);
    if (seen >= 0) cableNeighbourTurn(model.cable, model.sky[static_cast<size_t>(seen)], model.tuning, nowMs);
}

bool lockedStreamId(const DishModel& model, uint32_t nowMs, uint16_t* transportStreamId)
{
    if (!model.locked) return false;
    const DishSignal signal = dishSignal(model, nowMs);
    if (signal.verdict != Locked) return false;
    const Satellite& satellite = model.sky[static_cast<size_t>(signal.satellite)];
    *transportStreamId = satellite.transponders[static_cast<size_t>(signal.transponder)].streamId;
    return true;
}

// The C/N the demodulator reports: measured once a refresh, told a refresh
// later; after a pause in the polling (or the lock) the measure of now.
// `slot` is then the refresh it was measured in, for its own error.
static double laggedFigureDb(DishModel& model, double carrierToNoiseDb, uint32_t nowMs, uint32_t* slot)
{
    const uint32_t now = nowMs / model.refreshMs;
    if (!model.figureHeld || now != model.figureSlot) {
        const bool next = model.figureHeld && now == model.figureSlot + 1;
        model.figureShownDb = next ? model.figureNowDb : carrierToNoiseDb;
        model.figureShownSlot = next ? model.figureSlot : now;
        model.figureNowDb = carrierToNoiseDb;
        model.figureSlot = now;
        model.figureHeld = true;
    }
    *slot = model.figureShownSlot;
    return model.figureShownDb;
}

SignalReading pollDish(DishModel& model, uint32_t nowMs)
{
    followMotor(model, nowMs);
    neighbourTurn(model, nowMs);
    const DishSignal signal = dishSignal(model, nowMs);
    model.locked = signal.verdict == Locked;
    SignalReading reading{false, 0, 0.0f};
    if (model.locked) {
        uint32_t slot = 0;
        const double figure = laggedFigureDb(model, signal.carrierToNoiseDb, nowMs, &slot);
        const double snr = std::round((figure + estimateNoiseDb(slot)) * 10.0) / 10.0;
        reading = SignalReading{true, qualityFromCarrierToNoise(figure), static_cast<float>(snr)};
    } else {
        model.figureHeld = false;
    }
    reading.level = readDishLevel(model, nowMs);
    reading.refreshMs = model.refreshMs;
    return reading;
}

void steerDish(DishModel& model, DishAxis axis, int direction, bool coarse)
{
    const double fine = axis == SkewAxis ? 1.0 : 0.1;
    const double step = (coarse ? fine * (axis == SkewAxis ? 5.0 : 10.0) : fine) * (direction < 0 ? -1.0 : 1.0);
    DishPointing p = model.pointing;
    switch (axis) {
    case AzimuthAxis: p.azimuthDeg += step; break;
    case ElevationAxis: p.elevationDeg += step; break;
    case SkewAxis: p.skewDeg += step; break;
    }
    pointDish(model, p);
}

void pointDish(DishModel& model, const DishPointing& pointing)
{
    // Kept on a hundredth of a degree, so that steps do not drift.
    auto grid = [](double degrees) { return std::round(degrees * 100.0) / 100.0; };
    DishPointing& p = model.pointing;
    p.azimuthDeg = grid(std::fmod(std::fmod(pointing.azimuthDeg, 360.0) + 360.0, 360.0));
    if (p.azimuthDeg >= 360.0) p.azimuthDeg -= 360.0;
    p.elevationDeg = grid(std::fmin(90.0, std::fmax(0.0, pointing.elevationDeg)));
    p.skewDeg = grid(std::fmin(90.0, std::fmax(-90.0, pointing.skewDeg)));
}

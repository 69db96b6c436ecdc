#include "cardbase/pointing/pointing_text.h"

#include <cmath>
#include <cstdio>

#include "cardbase/pointing/civil_time.h"
#include "cardbase/pointing/magnetic_model.h"

static const char degree[] = "\xC2\xB0";

// One decimal, never "-0.0".
static std::string tenths(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::fabs(value) < 0.05 ? 0.0 : value);
    return text;
}

static std::string wholeNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", std::fabs(value) < 0.5 ? 0.0 : value);
    return text;
}

// 0.0 .. 359.9: 359.97 reads as 0.0, as a compass has it.
static std::string compassTenths(double azimuthDeg)
{
    double rounded = std::round(azimuthDeg * 10.0) / 10.0;
    if (rounded >= 360.0) rounded -= 360.0;
    return tenths(rounded);
}

static std::string azimuthText(double azimuthDeg) { return compassTenths(azimuthDeg) + degree; }

// "1.1° E", "0.8° W", "0.0°"; in short "1.1E", "0.8W", "0.0".
static std::string sidedDegrees(double value, const char* positive, const char* negative, bool inShort = false)
{
    const std::string unit = inShort ? "" : degree, gap = inShort ? "" : " ";
    if (std::fabs(value) < 0.05) return "0.0" + unit;
    return tenths(std::fabs(value)) + unit + gap + (value > 0 ? positive : negative);
}

std::string orbitalPositionText(double longitudeDeg) { return sidedDegrees(longitudeDeg, "E", "W"); }

static std::string magneticValue(const PointingFigures& f)
{
    const MagneticModel& model = wmm2025;
    char span[64];
    std::snprintf(span, sizeof span, "%s holds from %.1f to %.1f only, not in %.1f", model.name, model.epochYear,
                  model.validUntilYear, std::floor(f.decimalYear * 10) / 10);
    switch (f.declinationState) {
    case DeclinationKnown: break;
    case DeclinationBeforeModel:
    case DeclinationAfterModel: return std::string("unknown: ") + span;
    case DeclinationAtPole: return "unknown: at a geographic pole north has no direction";
    }
    return azimuthText(f.magneticAzimuthDeg) + " (declination " + sidedDegrees(f.declinationDeg, "E", "W") + ", " +
           model.name + ")";
}

static std::string elevationValue(const PointingFigures& f)
{
    const std::string value = tenths(f.look.direction.elevationDeg) + degree;
    switch (f.visibility) {
    case SatelliteVisible: return value;
    case SatelliteLow:
        return value + " (under 5" + degree + ": the ground and anything near the horizon are in the way)";
    case SatelliteBelowHorizon: return value + " (below the horizon: this satellite cannot be received here)";
    }
    return value;
}

static bool upright(double skewDeg) { return std::fabs(skewDeg) < 0.05; }

static std::string skewValue(double skewDeg)
{
    if (upright(skewDeg)) return "0.0" + std::string(degree) + ", the LNB upright";
    return tenths(std::fabs(skewDeg)) + degree + (skewDeg > 0 ? " clockwise" : " counterclockwise") +
           ", seen from behind the dish";
}

std::string skewInstruction(double skewDeg)
{
    if (upright(skewDeg)) return "keep the LNB upright: no turn";
    return "turn the LNB " + skewValue(skewDeg);
}

// "11:32 local time (UTC+03:00), 15° high", and "; again at 12:40, 30°
// high" for each further crossing, its offset said again where the clocks
// have changed in between.
static std::string sunValue(const PointingFigures& f)
{
    std::string value;
    const SunCrossing* previous = nullptr;
    for (const SunCrossing& crossing : f.sunCrossings) {
        const std::string clock = localClockText(crossing.atMs, crossing.zoneMinutes);
        const std::string zone = " (" + zoneText(crossing.zoneMinutes) + ")";
        const std::string high = wholeNumber(crossing.elevationDeg) + degree + " high";
        if (!previous) value = clock + " local time" + zone + ", " + high;
        else value += "; again at " + clock + (crossing.zoneMinutes != previous->zoneMinutes ? zone : "") + ", " + high;
        previous = &crossing;
    }
    return value.empty() ? "not at that azimuth today" : value;
}

std::string sunHourSentence(const PointingFigures& f)
{
    if (f.sunCrossings.empty()) return "the sun does not reach that azimuth today";
    return "the sun stands at the satellite's azimuth at " + sunValue(f);
}

static std::string sunNowValue(const PointingFigures& f)
{
    if (f.sunNow.elevationDeg <= 0) return "below the horizon";
    const std::string high = wholeNumber(f.sunNow.elevationDeg) + degree + " high";
    const double offset = f.sunNowOffsetDeg;
    if (std::fabs(offset) < 0.05) return "at the satellite's azimuth, " + high;
    return tenths(std::fabs(offset)) + degree + (offset < 0 ? " left" : " right") +
           " of the satellite's azimuth (facing it), " + high;
}

static std::string plateValue(const PointingFigures& f)
{
    const std::string offset = " (offset " + tenths(f.question.offsetDeg) + degree + ")";
    const double tilt = f.plateTiltDeg;
    if (std::fabs(tilt) < 0.05) return "vertical" + offset;
    return tenths(std::fabs(tilt)) + degree + (tilt > 0 ? " back" : " forward") + " from vertical" + offset;
}

std::vector<PointingLine> pointingLines(const PointingFigures& f)
{
    std::vector<PointingLine> lines;
    lines.push_back({"azimuth", azimuthText(f.look.direction.azimuthDeg) + " (true)"});
    lines.push_back({"magnetic azimuth", magneticValue(f)});
    lines.push_back({"elevation", elevationValue(f)});
    lines.push_back({"skew", skewValue(f.look.direction.skewDeg)});
    lines.push_back({"sun", sunValue(f)});
    lines.push_back({"usals", sidedDegrees(f.usalsDeg, "E", "W")});
    if (f.question.hasOffset) lines.push_back({"plate", plateValue(f)});
    lines.push_back({"sun now", sunNowValue(f)});
    return lines;
}

std::vector<std::string> shortPointingLines(const PointingFigures& f)
{
    std::vector<std::string> lines;
    lines.push_back("USALS " + sidedDegrees(f.usalsDeg, "E", "W", true));
    if (f.sunCrossings.empty()) {
        lines.push_back("sun never there today");
    } else {
        const SunCrossing& first = f.sunCrossings.front();
        lines.push_back("sun there " + localClockText(first.atMs, first.zoneMinutes) + ", " +
                        wholeNumber(first.elevationDeg) + " high");
    }
    const MagneticModel& model = wmm2025;
    switch (f.declinationState) {
    case DeclinationKnown:
        lines.push_back("magnetic az " + compassTenths(f.magneticAzimuthDeg) + " (" +
                        sidedDegrees(f.declinationDeg, "E", "W", true) + " " + model.name + ")");
        break;
    case DeclinationBeforeModel:
    case DeclinationAfterModel:
        lines.push_back(std::string("magnetic az unknown: ") + model.name + " is for " + wholeNumber(model.epochYear) +
                        "-" + wholeNumber(model.validUntilYear));
        break;
    case DeclinationAtPole: lines.push_back("magnetic az unknown at a pole"); break;
    }
    const double skew = f.look.direction.skewDeg;
    if (upright(skew)) {
        lines.push_back("LNB upright");
    } else {
        lines.push_back("LNB " + tenths(std::fabs(skew)) + (skew > 0 ? " clockwise" : " counterclockwise"));
        lines.push_back("seen from behind the dish");
    }
    return lines;
}

#include "cardbase/phone/phone_motor.h"

#include <sstream>

#include "cardbase/phone/phone_sweep.h"
#include "cardbase/pointing/pointing_input.h"

static bool refuse(std::string* problem, const std::string& why)
{
    *problem = why;
    return false;
}

bool parseMotorRequestWords(const std::string& query, MotorRequest* request, std::string* problem)
{
    MotorRequest parsed;
    bool kind = false, count = false;
    std::istringstream stream(query);
    for (std::string pair; std::getline(stream, pair, '&');) {
        if (pair.empty()) continue;
        const size_t equals = pair.find('=');
        if (equals == std::string::npos) return refuse(problem, "\"" + pair + "\" is no KEY=VALUE");
        const std::string key = pair.substr(0, equals), value = pair.substr(equals + 1);
        if (key == "goto" && !kind) {
            std::string name, error;
            if (!parseSatellite(value, {}, &parsed.longitudeDeg, &name, &error))
                return refuse(problem, "goto=" + value + " is no orbital position such as 19.2E");
            parsed.kind = MotorGotoSatellite;
            kind = true;
        } else if (key == "step" && !kind && (value == "east" || value == "west")) {
            parsed.kind = MotorDriveSteps;
            parsed.side = value == "east" ? MotorEast : MotorWest;
            kind = true;
        } else if (key == "halt" && !kind && value == "1") {
            parsed.kind = MotorHaltRequest;
            kind = true;
        } else if (key == "n" && !count) {
            int steps = 0;
            for (char c : value) steps = c >= '0' && c <= '9' && steps < 1000 ? steps * 10 + (c - '0') : 1000;
            if (value.empty() || steps < 1 || steps > motorMostSteps)
                return refuse(problem, "n=" + value + " is not 1-" + std::to_string(motorMostSteps) + " steps");
            parsed.steps = steps;
            count = true;
        } else {
            return refuse(problem, "unknown motor request \"" + pair + "\"");
        }
    }
    if (!kind) return refuse(problem, "a motor request is goto=19.2E, step=east|west[&n=N] or halt=1");
    *request = parsed;
    return true;
}

std::string motorRefusal(const PhoneFeed& feed, int64_t wallMs)
{
    if (!feed.canMotor) return "this card drives no motor";
    const std::vector<PhoneReading> latest = readingsAfter(feed, feed.lastSeq ? feed.lastSeq - 1 : 0);
    if (!latest.empty() && wallMs - latest.back().timeMs < measuringWithinMs)
        return "Azimora is measuring and turns the dish itself: go back to Setup to turn it from here";
    return "";
}

std::string motorEvent(const PhoneFeed& feed)
{
    return "event: motor\ndata: {\"words\":" + jsonString(feed.motorWords) + "}\n\n";
}

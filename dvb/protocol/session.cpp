#include "dvb/protocol/session.h"

#include <cmath>

#include "dvb/protocol/level_answer.h"
#include "dvb/protocol/motor_words.h"
#include "dvb/protocol/network_answer.h"
#include "dvb/protocol/reading_words.h"
#include "dvb/protocol/single_cable_words.h"
#include "dvb/protocol/skew_answer.h"
#include "dvb/protocol/sweep_answer.h"

static bool setCallOf(RequestKind kind, CardSetCall* call)
{
    switch (kind) {
    case RequestSetLnbSelection: *call = SetLnbSelectionCall; return true;
    case RequestSetLnbFrequency: *call = SetLnbFrequencyCall; return true;
    case RequestSetPolarity: *call = SetPolarityCall; return true;
    case RequestSetSymbolRate: *call = SetSymbolRateCall; return true;
    case RequestSetTransponderFrequency: *call = SetTransponderFrequencyCall; return true;
    case RequestSetDiseqc: *call = SetDiseqcCall; return true;
    default: return false;
    }
}

int32_t milliDecibels(float snr)
{
    const double value = std::round(static_cast<double>(snr) * 1000.0);
    if (std::isnan(value)) return 0;  // no figure: the program shows none for 0
    if (value < -2e9) return -2000000000;
    if (value > 2e9) return 2000000000;
    return static_cast<int32_t>(value);
}

// One of a finished sweep's lines.
static Reply sweepLine(const Request& request, const SweepStatus& status)
{
    const SweepResult& result = status.result;
    if (request.value < 0) return failReply("no such line");
    const size_t index = static_cast<size_t>(request.value);
    if (request.kind == RequestSweepLevels) {
        if (index > result.points.size()) return failReply("no such step");
        return textReply(sweepLevelsText(result, index));
    }
    if (status.state != SweepDone || index >= result.peaks.size()) return failReply("no such peak");
    return textReply(request.kind == RequestSweepPeak ? sweepPeakText(result.peaks[index])
                                                      : sweepPeakNameText(result.peaks[index]));
}

Reply handleRequest(Session& session, const Request& request, FrontendPort& frontend)
{
    if (request.kind == RequestInitialize) {
        if (session.initialized) return okReply();
        std::string reason;
        if (!frontend.open(&reason)) return failReply(reason);
        session.initialized = true;
        return okReply();
    }
    if (!session.initialized) return failReply("not initialized");
    CardSetCall call;
    if (setCallOf(request.kind, &call)) {
        if (!recordSetCall(session.tuning, call, request.value)) return okReply();
        // A new tuning: nothing measured before it counts any more.
        session.tuned = false;
        session.hasStatus = session.hasReadings = false;
        std::string reason;
        if (!frontend.tune(session.tuning, &reason)) return failReply(reason);
        session.tuned = true;
        return okReply();
    }
    switch (request.kind) {
    case RequestSetFec: return okReply();  // the frontend finds the code rate itself
    case RequestQuerySignalStatus: {
        if (!session.tuned) return failReply("not tuned");
        SignalReading reading{false, 0, 0.0f};
        if (!frontend.measure(&reading)) return failReply("frontend does not answer");
        session.latched = reading;
        session.hasStatus = true;
        if (reading.locked) return okReply();
        return failReply(reading.searchingMs > 0 ? searchingReason(reading.searchingMs) : "no lock");
    }
    case RequestRefreshSignalReadings:
        if (!session.hasStatus) return failReply("no status");
        session.readings = session.latched;
        session.hasReadings = true;
        // What its s/n is travels with the reading taken.
        return textReply(readingUnitWords(session.readings.unit, session.readings.refreshMs));
    case RequestGetSignalQuality:
        if (!session.hasReadings) return failReply("no readings");
        return valueReply(session.readings.quality);
    case RequestGetSignalNoiseRatio:
        if (!session.hasReadings) return failReply("no readings");
        return valueReply(milliDecibels(session.readings.snr));
    case RequestQueryNetwork: return textReply(networkAnswerText(frontend.network()));
    case RequestQueryModcod: return textReply(modcodAnswerText(frontend.modcod()));
    case RequestQuerySkew:
        if (!session.tuned) return failReply("not tuned");
        return textReply(skewAnswerText(
            judgeSkewChance(frontend.network(), session.tuning.frequencyMHz, session.tuning.polarization)));
    case RequestQueryLnbError: return textReply(lnbAnswerText(frontend.lnbError()));
    case RequestQueryLevel:
        if (!session.hasStatus) return failReply("no status");
        return textReply(levelAnswerText(session.latched.level));
    case RequestSweep: {
        SweepRequest asked;
        std::string reason;
        if (!parseSweepRequestWords(request.words, ' ', &asked, &reason)) return failReply(reason);
        // The sweep leaves the frontend on its last step: nothing measured before counts.
        session.tuned = session.hasStatus = session.hasReadings = false;
        session.tuning = CardTuning();
        if (!frontend.startSweep(planSweep(asked), &reason)) return failReply(reason);
        return okReply();
    }
    case RequestSingleCable: {
        SingleCableSetting setting;
        std::string reason;
        if (!parseSingleCable(request.words, &setting, &reason)) return failReply(reason);
        reason = frontend.singleCableRefusal();
        if (!reason.empty()) return failReply(reason);
        session.singleCable = true;
        session.singleCableSetting = setting;
        return okReply();
    }
    case RequestMotor: {
        MotorCommand command;
        uint32_t travelMs = 0;
        std::string reason;
        if (!parseMotorRequestWords(request.words, &command, &travelMs, &reason)) return failReply(reason);
        // The dish turns: nothing measured before counts, and the next start sends its six again.
        session.tuned = session.hasStatus = session.hasReadings = false;
        session.tuning = CardTuning();
        if (!frontend.motor(command, travelMs, &reason)) return failReply(reason);
        return okReply();
    }
    case RequestQueryUserBand: {
        UserBandAnswer answer;
        answer.singleCable = session.singleCable;
        answer.userBand = session.singleCableSetting.userBand;
        answer.shared = session.singleCable && !frontend.userBandNote().empty();
        return textReply(userBandAnswerText(answer));
    }
    case RequestQuerySweep: return textReply(sweepStateText(frontend.sweepStatus()));
    case RequestSweepLevels:
    case RequestSweepPeak:
    case RequestSweepPeakName: return sweepLine(request, frontend.sweepStatus());
    default: return failReply("unknown call");
    }
}

bool completesTuning(const Session& session, const Request& request, CardTuning* tuning)
{
    CardSetCall call;
    if (!session.initialized || !setCallOf(request.kind, &call)) return false;
    CardTuning next = session.tuning;
    if (!recordSetCall(next, call, request.value)) return false;
    if (tuning) *tuning = next;
    return true;
}

bool laterTuningQueued(const Session& session, const std::deque<ReadLine>& queued)
{
    CardTuning tuning;
    Request request;
    if (queued.empty() || queued.front().tooLong || !parseRequest(queued.front().text, &request) ||
        !completesTuning(session, request, &tuning))
        return false;
    for (auto line = queued.begin() + 1; line != queued.end(); ++line) {
        CardSetCall call;
        if (!line->tooLong && parseRequest(line->text, &request) && setCallOf(request.kind, &call) &&
            recordSetCall(tuning, call, request.value))
            return true;
    }
    return false;
}

Reply handleLine(Session& session, const ReadLine& line, FrontendPort& frontend)
{
    if (line.tooLong) return failReply("line too long");
    Request request;
    if (!parseRequest(line.text, &request)) return failReply("malformed request");
    return handleRequest(session, request, frontend);
}

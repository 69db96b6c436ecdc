#include "dvb/helper/serve/request_answering.h"

#include "cardbase/reading_pace.h"
#include "dvb/protocol/motor_words.h"
#include "dvb/protocol/shared_secret.h"

static SingleCableUse singleCableOf(const Session& session)
{
    SingleCableUse use;
    use.used = session.singleCable;
    use.setting = session.singleCableSetting;
    return use;
}

namespace {

// The session's frontend while a request is answered: an open or a tune has
// had its answer already (the frontend's, or none needed).
class AnsweredFrontend final : public FrontendPort {
public:
    AnsweredFrontend(ServedFrontend& frontend, bool ok, const std::string& reason,
                     const SingleCableUse& singleCable = SingleCableUse())
        : frontend_(frontend), ok_(ok), reason_(reason), singleCable_(singleCable)
    {}
    bool open(std::string* reason) override { return answer(reason); }
    bool tune(const CardTuning&, std::string* reason) override { return answer(reason); }
    bool measure(SignalReading* reading) override { return frontend_.measure(reading); }
    NetworkReport network() override { return frontend_.network(); }
    ModcodAnswer modcod() override { return frontend_.modcod(); }
    LnbError lnbError() override { return frontend_.lnbError(); }
    bool startSweep(const SweepPlan& plan, std::string* reason) override
    {
        return frontend_.startSweep(plan, singleCable_, reason);
    }
    SweepStatus sweepStatus() override { return frontend_.sweepStatus(); }
    std::string singleCableRefusal() override { return frontend_.singleCableRefusal(); }
    std::string userBandNote() override { return frontend_.userBandNote(); }
    bool motor(const MotorCommand&, uint32_t, std::string* reason) override { return answer(reason); }

private:
    bool answer(std::string* reason)
    {
        if (!ok_) *reason = reason_;
        return ok_;
    }
    ServedFrontend& frontend_;
    bool ok_;
    std::string reason_;
    SingleCableUse singleCable_;  // the connection's, for a sweep it asks
};

}  // namespace

static void writeLog(Server& server, const std::string& line)
{
    if (server.settings.log) writeLogLine(*server.settings.log, line);
}

static void takeSecret(Server& server, Connection& connection, const ReadLine& line, uint64_t nowMs)
{
    std::string given;
    if (line.tooLong || !parseSecretLine(line.text, &given)) {
        refuse(connection, "this helper wants its shared secret first");
    } else if (!sameSecret(given, server.settings.secret)) {
        if (noteWrongSecret(server.secretTries, connection.address, nowMs))
            writeLog(server, "refused secret from " + addressText(connection.address) +
                                 ": wrong; its next tries wait " + std::to_string(firstSecretPauseMs / 1000) +
                                 " s, doubling up to " + std::to_string(longestSecretPauseMs / 1000) + " s");
        refuse(connection, "wrong secret");
    } else {
        noteRightSecret(server.secretTries, connection.address);
        queueReply(connection, okReply());
        admit(server, connection, nowMs);
    }
}

// The first request's call has its answer: the request is answered with it.
static bool finishCall(Server& server, Connection& connection, uint64_t nowMs)
{
    bool ok = false;
    std::string reason;
    if (!server.frontend.callAnswer(nowMs, &ok, &reason)) return false;
    connection.calling = false;
    const ReadLine line = connection.requests.front();
    connection.requests.pop_front();
    Request request;
    const bool parsed = parseRequest(line.text, &request);
    if (parsed && request.kind == RequestInitialize) noteOpened(server.hold, ok);
    AnsweredFrontend answered(server.frontend, ok, reason);
    queueReply(connection, handleLine(connection.session, line, answered));
    connection.lastRequestMs = nowMs;
    // While the motor turns the frontend is kept, 18 V on: its idle time counts from the arrival.
    MotorCommand command;
    uint32_t travelMs = 0;
    if (ok && parsed && request.kind == RequestMotor &&
        parseMotorRequestWords(request.words, &command, &travelMs, nullptr))
        connection.motorUntilMs = nowMs + travelMs;
    return true;
}

// A Motor request that reaches the frontend: its command.
static bool movesMotor(const Session& session, const Request& request, MotorCommand* command)
{
    uint32_t travelMs = 0;
    return request.kind == RequestMotor && session.initialized &&
           parseMotorRequestWords(request.words, command, &travelMs, nullptr);
}

void answerRequests(Server& server, Connection& connection, uint64_t nowMs)
{
    while (!connection.requests.empty() && !connection.closing && connection.replies.size() < queuedByteLimit) {
        if (connection.calling) {
            if (!finishCall(server, connection, nowMs)) break;
            continue;
        }
        if (nowMs < connection.heldUntilMs) break;
        const ReadLine line = connection.requests.front();
        if (!connection.admitted) {
            // A peer that gave a wrong secret waits before its next one is
            // looked at; told how long where its connection would end first.
            const uint64_t allowed = secretCheckAllowedMs(server.secretTries, connection.address, nowMs);
            if (allowed > nowMs) {
                if (allowed > connection.openedMs + secretWaitMs)
                    refuse(connection, "wait " + std::to_string((allowed - nowMs + 999) / 1000) + " s");
                else connection.heldUntilMs = allowed;
                break;
            }
            connection.requests.pop_front();
            takeSecret(server, connection, line, nowMs);
            continue;
        }
        std::string secret;
        if (!line.tooLong && parseSecretLine(line.text, &secret)) {
            // A program that has a secret gives it to a helper that asks for none.
            connection.requests.pop_front();
            queueReply(connection, okReply());
            continue;
        }
        AnsweredFrontend noCall(server.frontend, true, "", singleCableOf(connection.session));
        Request request;
        if (line.tooLong || !parseRequest(line.text, &request)) {
            // Answered, but no sign of a program at work.
            connection.requests.pop_front();
            queueReply(connection, handleLine(connection.session, line, noCall));
            continue;
        }
        // Readings at the pace the frontend is read, LNB switching at the pace allowed.
        if (request.kind == RequestQuerySignalStatus && nowMs < connection.lastStatusMs + readingIntervalMs) {
            connection.heldUntilMs = connection.lastStatusMs + readingIntervalMs;
            break;
        }
        CardTuning tuning;
        const bool opens = request.kind == RequestInitialize && !connection.session.initialized;
        const bool tunes = completesTuning(connection.session, request, &tuning);
        if (tunes && laterTuningQueued(connection.session, connection.requests)) {
            connection.requests.pop_front();
            AnsweredFrontend replaced(server.frontend, false, "superseded by a later tuning");
            queueReply(connection, handleLine(connection.session, line, replaced));
            connection.lastRequestMs = nowMs;
            continue;
        }
        if (opens && server.hold.releaseDue) {
            // The letting go still due goes out first; the open then waits for its own turn.
            connection.heldUntilMs = releaseDueMs(server.hold, nowMs);
            break;
        }
        MotorCommand command;
        const bool moves = movesMotor(connection.session, request, &command);
        if ((opens && openNeeded(server.hold)) || tunes || moves) {
            const uint64_t allowed = nextFrontendCallAllowedMs(server.hold, nowMs);
            if (allowed > nowMs) {
                connection.heldUntilMs = allowed;
                break;
            }
            noteFrontendCall(server.hold, nowMs);
            if (tunes) server.frontend.startTune(tuning, singleCableOf(connection.session));
            else if (moves) server.frontend.startMotor(command);
            else server.frontend.startOpen();
            connection.calling = true;
            connection.lastRequestMs = nowMs;
            break;
        }
        connection.requests.pop_front();
        if (request.kind == RequestQuerySignalStatus) connection.lastStatusMs = nowMs;
        connection.lastRequestMs = nowMs;
        queueReply(connection, handleRequest(connection.session, request, noCall));
    }
}

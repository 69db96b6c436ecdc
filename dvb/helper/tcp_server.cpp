#include "dvb/helper/tcp_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <deque>
#include <list>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "cardbase/reading_pace.h"
#include "dvb/helper/connection_rules.h"
#include "dvb/helper/frontend_worker.h"
#include "dvb/protocol/shared_secret.h"

int listenOn(const std::string& host, uint16_t port, bool* taken, std::string* error, uint16_t* boundPort)
{
    *taken = false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (lookup != 0 || !found) {
        *error = "cannot resolve " + host + ": " + gai_strerror(lookup);
        return -1;
    }
    sockaddr_in address = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
    freeaddrinfo(found);
    address.sin_port = htons(port);
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0) {
        *taken = errno == EADDRINUSE;
        *error = *taken ? "the port is taken (is another azimora-dvb running?)" : std::strerror(errno);
        close(listener);
        return -1;
    }
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    *boundPort = ntohs(address.sin_port);
    return listener;
}

namespace {

struct Connection {
    int socket = -1;
    uint32_t address = 0;
    bool admitted = false;  // the secret given (or none asked for)
    bool holder = false;    // holds the frontend
    bool closing = false;   // ends once its replies are out
    bool calling = false;   // its first request waits for an open or a tune of the frontend
    uint64_t openedMs = 0;
    uint64_t lastRequestMs = 0;  // its latest well-formed request
    uint64_t heldUntilMs = 0;    // its first request waits until then
    uint64_t lastStatusMs = 0;
    Session session;
    LineReader reader;
    std::deque<ReadLine> requests;
    std::string replies;
};

struct Server {
    ServedFrontend& frontend;
    const ServerSettings& settings;
    std::list<Connection> connections;
    FrontendHold hold;
    SecretTries secretTries;
};

// The session's frontend while a request is answered: an open or a tune has
// had its answer already (the frontend's, or none needed).
class AnsweredFrontend final : public FrontendPort {
public:
    AnsweredFrontend(ServedFrontend& frontend, bool ok, const std::string& reason)
        : frontend_(frontend), ok_(ok), reason_(reason)
    {}
    bool open(std::string* reason) override { return answer(reason); }
    bool tune(const CardTuning&, std::string* reason) override { return answer(reason); }
    bool measure(SignalReading* reading) override { return frontend_.measure(reading); }
    NetworkReport network() override { return frontend_.network(); }
    ModcodAnswer modcod() override { return frontend_.modcod(); }
    bool startSweep(const SweepPlan& plan, std::string* reason) override { return frontend_.startSweep(plan, reason); }
    SweepStatus sweepStatus() override { return frontend_.sweepStatus(); }

private:
    bool answer(std::string* reason)
    {
        if (!ok_) *reason = reason_;
        return ok_;
    }
    ServedFrontend& frontend_;
    bool ok_;
    std::string reason_;
};

}  // namespace

static void queueReply(Connection& connection, const Reply& reply) { connection.replies += formatReply(reply) + "\n"; }

static void refuse(Connection& connection, const std::string& reason)
{
    queueReply(connection, failReply(reason));
    connection.closing = true;
}

// A holder that has just gone may not have been noticed yet.
static bool hasEnded(const Connection& connection)
{
    char byte;
    const ssize_t got = recv(connection.socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

static void endConnection(Server& server, Connection& connection, uint64_t nowMs)
{
    if (connection.socket < 0) return;
    close(connection.socket);
    connection.socket = -1;
    if (connection.calling) server.frontend.abandonCall();
    connection.calling = false;
    if (connection.holder) {
        connection.holder = false;
        leaveFrontend(server.hold, connection.address, nowMs, server.settings.idleMs);
    }
}

// A peer that vanishes without a word is found within about 10 s.
static void keepAlive(int socket)
{
    const int yes = 1, idle = 5, interval = 2, count = 3;
    setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, &yes, sizeof yes);
    setsockopt(socket, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(socket, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(socket, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

// An admitted connection takes the frontend, or is told why not and ends.
static void admit(Server& server, Connection& connection, uint64_t nowMs)
{
    connection.admitted = true;
    for (Connection& other : server.connections)
        if (other.holder && other.socket >= 0 && hasEnded(other)) endConnection(server, other, nowMs);
    if (server.hold.held) {
        refuse(connection, server.frontend.sweepStatus().state == SweepRunning ? "busy: the band is being swept"
                                                                               : "busy: another program is measuring");
    } else if (!mayTakeFrontend(server.hold, connection.address, nowMs)) {
        refuse(connection, "busy: the frontend is kept a few seconds for the program that had it");
    } else {
        takeFrontend(server.hold);
        connection.holder = true;
        connection.lastRequestMs = nowMs;
        keepAlive(connection.socket);
    }
}

static void acceptConnection(Server& server, int listener, uint64_t nowMs)
{
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int socket = accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (socket < 0) return;
    // At the limit, the oldest connection yet to give its secret makes room:
    // silent connections cannot keep the program out.
    size_t open = 0;
    Connection* oldestSilent = nullptr;
    for (Connection& connection : server.connections) {
        if (connection.socket < 0) continue;
        ++open;
        if (!connection.admitted && !oldestSilent) oldestSilent = &connection;
    }
    if (open >= connectionLimit && oldestSilent) endConnection(server, *oldestSilent, nowMs);
    else if (open >= connectionLimit) {
        close(socket);
        return;
    }
    // Each request waits for its reply: send every line at once.
    const int yes = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    server.connections.emplace_back();
    Connection& connection = server.connections.back();
    connection.socket = socket;
    connection.address = ntohl(peer.sin_addr.s_addr);
    connection.openedMs = nowMs;
    if (server.settings.secret.empty()) admit(server, connection, nowMs);
}

// Takes what has come, up to the queue's bound, so that requests sent
// together are seen together. False when the peer has gone.
static bool receive(Connection& connection)
{
    while (connection.requests.size() < queuedLineLimit) {
        char bytes[256];
        const ssize_t got = recv(connection.socket, bytes, sizeof bytes, 0);
        if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        if (got == 0) return false;
        std::vector<ReadLine> lines;
        readLines(connection.reader, bytes, static_cast<size_t>(got), &lines);
        connection.requests.insert(connection.requests.end(), lines.begin(), lines.end());
    }
    return true;
}

// False when the peer has gone.
static bool sendReplies(Connection& connection)
{
    while (!connection.replies.empty()) {
        const ssize_t sent =
            send(connection.socket, connection.replies.data(), connection.replies.size(), MSG_NOSIGNAL);
        if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        connection.replies.erase(0, static_cast<size_t>(sent));
    }
    return true;
}

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
    if (parseRequest(line.text, &request) && request.kind == RequestInitialize) noteOpened(server.hold, ok);
    AnsweredFrontend answered(server.frontend, ok, reason);
    queueReply(connection, handleLine(connection.session, line, answered));
    connection.lastRequestMs = nowMs;
    return true;
}

// Answers the connection's requests in order, as far as their pace allows;
// an open or a tune is handed to the frontend and answered once it is done.
static void answer(Server& server, Connection& connection, uint64_t nowMs)
{
    while (!connection.requests.empty() && !connection.closing && connection.replies.size() < queuedByteLimit) {
        if (connection.calling) {
            if (!finishCall(server, connection, nowMs)) break;
            continue;
        }
        if (nowMs < connection.heldUntilMs) break;
        const ReadLine line = connection.requests.front();
        if (!connection.admitted) {
            // A peer that gave a wrong secret waits before its next one is looked at.
            const uint64_t allowed = secretCheckAllowedMs(server.secretTries, connection.address, nowMs);
            if (allowed > nowMs) {
                connection.heldUntilMs = allowed;
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
        AnsweredFrontend noCall(server.frontend, true, "");
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
        if ((opens && openNeeded(server.hold)) || tunes) {
            const uint64_t allowed = nextFrontendCallAllowedMs(server.hold, nowMs);
            if (allowed > nowMs) {
                connection.heldUntilMs = allowed;
                break;
            }
            noteFrontendCall(server.hold, nowMs);
            if (tunes) server.frontend.startTune(tuning);
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

// When the connection next needs looking at without any traffic. A peer
// whose replies wait to be read, or that is being refused, waits for its
// socket, not for a time.
static uint64_t nextDeadline(const Server& server, const Connection& connection)
{
    uint64_t deadline = UINT64_MAX;
    const bool answering =
        !connection.requests.empty() && !connection.closing && connection.replies.size() < queuedByteLimit;
    if (answering) deadline = connection.calling ? server.frontend.callDeadlineMs() : connection.heldUntilMs;
    if (!connection.admitted) deadline = std::min(deadline, connection.openedMs + secretWaitMs);
    if (connection.holder && !connection.calling)
        deadline = std::min(deadline, connection.lastRequestMs + server.settings.idleMs);
    return deadline;
}

static void checkTimes(Server& server, Connection& connection, uint64_t nowMs)
{
    if (!connection.admitted && nowMs >= connection.openedMs + secretWaitMs) endConnection(server, connection, nowMs);
    else if (connection.holder && !connection.calling && nowMs >= connection.lastRequestMs + server.settings.idleMs)
        endConnection(server, connection, nowMs);
}

static void emptyWake(int descriptor)
{
    char bytes[64];
    while (read(descriptor, bytes, sizeof bytes) > 0) {}
}

void serveConnections(int listener, ServedFrontend& frontend, const ServerSettings& settings,
                      volatile sig_atomic_t* stop)
{
    Server server{frontend, settings, {}, {}, {}};
    std::vector<pollfd> watched;
    std::vector<Connection*> watchedConnections;
    constexpr size_t firstConnection = 2;  // after the listener and the frontend's wake
    while (!*stop) {
        uint64_t now = monotonicMs();
        uint64_t deadline = now + 1000;  // bounds how late a signal just before poll is seen
        deadline = std::min(deadline, releaseDueMs(server.hold, now));
        watched.assign({pollfd{listener, POLLIN, 0}, pollfd{frontend.wakeDescriptor(), POLLIN, 0}});
        watchedConnections.clear();
        for (Connection& connection : server.connections) {
            short events = 0;
            if (!connection.closing && connection.requests.size() < queuedLineLimit &&
                connection.replies.size() < queuedByteLimit)
                events |= POLLIN;
            if (!connection.replies.empty()) events |= POLLOUT;
            watched.push_back(pollfd{connection.socket, events, 0});
            watchedConnections.push_back(&connection);
            deadline = std::min(deadline, nextDeadline(server, connection));
        }
        const int timeout = deadline > now ? static_cast<int>(std::min<uint64_t>(deadline - now, 1000)) : 0;
        if (poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) break;
        if (*stop) break;
        now = monotonicMs();
        if (watched[1].revents & POLLIN) emptyWake(watched[1].fd);
        for (size_t i = 0; i < watchedConnections.size(); ++i) {
            Connection& connection = *watchedConnections[i];
            // Ended earlier in this pass (a holder that another connection
            // found gone): what it still had queued is never carried out.
            if (connection.socket < 0) continue;
            const short events = watched[i + firstConnection].revents;
            bool alive = true;
            if (events & (POLLIN | POLLHUP | POLLERR)) alive = receive(connection);
            if (alive) answer(server, connection, now);
            if (alive && !connection.replies.empty()) alive = sendReplies(connection);
            if (alive && connection.closing && connection.replies.empty()) alive = false;
            if (!alive) endConnection(server, connection, now);
            else checkTimes(server, connection, now);
        }
        server.connections.remove_if([](const Connection& connection) { return connection.socket < 0; });
        if (watched[0].revents & POLLIN) acceptConnection(server, listener, now);
        if (releaseNow(server.hold, now)) frontend.release();
    }
    for (Connection& connection : server.connections) endConnection(server, connection, monotonicMs());
}

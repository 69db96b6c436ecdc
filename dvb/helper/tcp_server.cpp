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
    uint64_t openedMs = 0;
    uint64_t lastRequestMs = 0;
    uint64_t heldUntilMs = 0;  // its next request waits until then
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
    if (connection.holder) {
        connection.holder = false;
        leaveFrontend(server.hold, connection.address, nowMs, server.settings.idleMs);
        server.frontend.release();
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
        refuse(connection, "busy: another program is measuring");
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

// False when the peer has gone.
static bool receive(Connection& connection)
{
    char bytes[256];
    const ssize_t got = recv(connection.socket, bytes, sizeof bytes, 0);
    if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (got == 0) return false;
    std::vector<ReadLine> lines;
    readLines(connection.reader, bytes, static_cast<size_t>(got), &lines);
    connection.requests.insert(connection.requests.end(), lines.begin(), lines.end());
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

static void takeSecret(Server& server, Connection& connection, const ReadLine& line, uint64_t nowMs)
{
    std::string given;
    if (line.tooLong || !parseSecretLine(line.text, &given)) {
        refuse(connection, "this helper wants its shared secret first");
    } else if (!sameSecret(given, server.settings.secret)) {
        refuse(connection, "wrong secret");
    } else {
        queueReply(connection, okReply());
        admit(server, connection, nowMs);
    }
}

// Answers the connection's requests in order, as far as their pace allows.
static void answer(Server& server, Connection& connection, uint64_t nowMs)
{
    while (!connection.requests.empty() && !connection.closing && nowMs >= connection.heldUntilMs &&
           connection.replies.size() < queuedByteLimit) {
        const ReadLine line = connection.requests.front();
        if (!connection.admitted) {
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
        Request request;
        const bool parsed = !line.tooLong && parseRequest(line.text, &request);
        // Readings at the pace the frontend is read, tunes at the pace allowed.
        if (parsed && request.kind == RequestQuerySignalStatus && nowMs < connection.lastStatusMs + readingIntervalMs) {
            connection.heldUntilMs = connection.lastStatusMs + readingIntervalMs;
            break;
        }
        const bool tunes = parsed && completesTuning(connection.session, request);
        if (tunes && nextTuneAllowedMs(server.hold, nowMs) > nowMs) {
            connection.heldUntilMs = nextTuneAllowedMs(server.hold, nowMs);
            break;
        }
        connection.requests.pop_front();
        if (tunes) noteTune(server.hold, nowMs);
        if (parsed && request.kind == RequestQuerySignalStatus) connection.lastStatusMs = nowMs;
        connection.lastRequestMs = nowMs;
        queueReply(connection, handleLine(connection.session, line, server.frontend));
        nowMs = monotonicMs();  // a tune or an open may have taken a while
    }
}

// When the connection next needs looking at without any traffic.
static uint64_t nextDeadline(const Server& server, const Connection& connection)
{
    uint64_t deadline = UINT64_MAX;
    if (!connection.requests.empty() && connection.heldUntilMs > 0) deadline = connection.heldUntilMs;
    if (!connection.admitted) deadline = std::min(deadline, connection.openedMs + secretWaitMs);
    if (connection.holder) deadline = std::min(deadline, connection.lastRequestMs + server.settings.idleMs);
    return deadline;
}

static void checkTimes(Server& server, Connection& connection, uint64_t nowMs)
{
    if (!connection.admitted && nowMs >= connection.openedMs + secretWaitMs) endConnection(server, connection, nowMs);
    else if (connection.holder && nowMs >= connection.lastRequestMs + server.settings.idleMs)
        endConnection(server, connection, nowMs);
}

void serveConnections(int listener, ServedFrontend& frontend, const ServerSettings& settings,
                      volatile sig_atomic_t* stop)
{
    Server server{frontend, settings, {}, {}};
    std::vector<pollfd> watched;
    std::vector<Connection*> watchedConnections;
    while (!*stop) {
        uint64_t now = monotonicMs();
        uint64_t deadline = now + 1000;  // bounds how late a signal just before poll is seen
        watched.assign(1, pollfd{listener, POLLIN, 0});
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
        for (size_t i = 0; i < watchedConnections.size(); ++i) {
            Connection& connection = *watchedConnections[i];
            // Ended earlier in this pass (a holder that another connection
            // found gone): what it still had queued is never carried out.
            if (connection.socket < 0) continue;
            const short events = watched[i + 1].revents;
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
    }
    for (Connection& connection : server.connections) endConnection(server, connection, monotonicMs());
}

#include "dvb/helper/serve/tcp_server.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/serve/request_answering.h"
#include "dvb/helper/serve/served_connection.h"

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
        deadline = std::min(deadline, idleSinceMs(connection) + server.settings.idleMs);
    return deadline;
}

static void checkTimes(Server& server, Connection& connection, uint64_t nowMs)
{
    if (!connection.admitted && nowMs >= connection.openedMs + secretWaitMs) endConnection(server, connection, nowMs);
    else if (connection.holder && !connection.calling && nowMs >= idleSinceMs(connection) + server.settings.idleMs)
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
            if (events & (POLLIN | POLLHUP | POLLERR)) alive = receive(connection, events);
            if (alive) answerRequests(server, connection, now);
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

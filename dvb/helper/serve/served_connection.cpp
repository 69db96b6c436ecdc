#include "dvb/helper/serve/served_connection.h"

#include <algorithm>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

void queueReply(Connection& connection, const Reply& reply) { connection.replies += formatReply(reply) + "\n"; }

void refuse(Connection& connection, const std::string& reason)
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

void endConnection(Server& server, Connection& connection, uint64_t nowMs)
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

void admit(Server& server, Connection& connection, uint64_t nowMs)
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

void acceptConnection(Server& server, int listener, uint64_t nowMs)
{
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int socket = accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (socket < 0) return;
    // Silent connections cannot keep the program out.
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
    connection.session.singleCable = server.settings.singleCable.used;
    connection.session.singleCableSetting = server.settings.singleCable.setting;
    if (server.settings.secret.empty()) admit(server, connection, nowMs);
}

bool receive(Connection& connection, short events)
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
    // A full queue reads no more, yet poll goes on saying that a peer reset
    // or hung up: its error is taken, and a socket that can take no reply
    // any more is gone, however much it left queued.
    if (!(events & (POLLHUP | POLLERR))) return true;
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(connection.socket, SOL_SOCKET, SO_ERROR, &error, &size);
    return error == 0 && !(events & POLLHUP);
}

bool sendReplies(Connection& connection)
{
    while (!connection.replies.empty()) {
        const ssize_t sent =
            send(connection.socket, connection.replies.data(), connection.replies.size(), MSG_NOSIGNAL);
        if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        connection.replies.erase(0, static_cast<size_t>(sent));
    }
    return true;
}

uint64_t idleSinceMs(const Connection& connection)
{
    return std::max(connection.lastRequestMs, connection.motorUntilMs);
}

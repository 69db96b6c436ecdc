#include "dvb/helper/tcp_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

static bool sendLine(int socket, const std::string& line)
{
    const std::string text = line + "\n";
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t result = send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (result < 0 && errno == EINTR) continue;
        if (result <= 0) return false;
        sent += static_cast<size_t>(result);
    }
    return true;
}

struct Connection {
    int socket = -1;
    Session session;
    LineReader reader;
};

static void endConnection(Connection& connection, ServedFrontend& frontend)
{
    if (connection.socket < 0) return;
    close(connection.socket);
    connection = Connection();
    frontend.release();
}

// A program that has just gone may not have been noticed yet.
static bool hasEnded(const Connection& connection)
{
    char byte;
    const ssize_t got = recv(connection.socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

static void endConnection(Connection& connection, ServedFrontend& frontend);

static void acceptConnection(int listener, Connection& connection, ServedFrontend& frontend)
{
    const int socket = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) return;
    if (connection.socket >= 0 && hasEnded(connection)) endConnection(connection, frontend);
    if (connection.socket >= 0) {
        sendLine(socket, formatReply(failReply("busy: another program is measuring")));
        close(socket);
        return;
    }
    // Each request waits for its reply: send every line at once.
    const int yes = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    connection.socket = socket;
}

// False when the connection has ended.
static bool serveInput(Connection& connection, ServedFrontend& frontend)
{
    char bytes[512];
    const ssize_t got = recv(connection.socket, bytes, sizeof bytes, 0);
    if (got < 0 && errno == EINTR) return true;
    if (got <= 0) return false;
    std::vector<ReadLine> lines;
    readLines(connection.reader, bytes, static_cast<size_t>(got), &lines);
    for (const ReadLine& line : lines)
        if (!sendLine(connection.socket, formatReply(handleLine(connection.session, line, frontend)))) return false;
    return true;
}

void serveConnections(int listener, ServedFrontend& frontend, volatile sig_atomic_t* stop)
{
    Connection connection;
    while (!*stop) {
        pollfd watched[2] = {{listener, POLLIN, 0}, {connection.socket, POLLIN, 0}};
        // The timeout only bounds how late a signal that came just before poll is seen.
        const int count = poll(watched, connection.socket >= 0 ? 2 : 1, 1000);
        if (count < 0) continue;  // a signal: look at *stop again
        if (connection.socket >= 0 && (watched[1].revents & (POLLIN | POLLHUP | POLLERR)) &&
            !serveInput(connection, frontend))
            endConnection(connection, frontend);
        if (watched[0].revents & POLLIN) acceptConnection(listener, connection, frontend);
    }
    endConnection(connection, frontend);
}

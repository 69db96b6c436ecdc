#include "tests/kernel/guest_link.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <netdb.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

#include "dvb/protocol/line_protocol.h"

std::string guestSetting(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

uint64_t nowMs()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

static int connectTo(const std::string& hostPort)
{
    std::string host;
    uint16_t port = 0;
    if (!parseHostPort(hostPort, nullptr, false, &host, &port)) return -1;
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(socket);
        return -1;
    }
    return socket;
}

// Reads until `mark` ends the text, the peer closes, or `timeoutMs` passes.
static std::string readUntil(int socket, std::string& pending, const std::string& mark, int timeoutMs)
{
    const uint64_t deadline = nowMs() + static_cast<uint64_t>(timeoutMs);
    for (;;) {
        const size_t at = pending.find(mark);
        if (at != std::string::npos) {
            std::string text = pending.substr(0, at);
            pending.erase(0, at + mark.size());
            return text;
        }
        const uint64_t now = nowMs();
        pollfd readable{socket, POLLIN, 0};
        if (now >= deadline || poll(&readable, 1, static_cast<int>(deadline - now)) <= 0) return "(no reply)";
        char bytes[4096];
        const ssize_t got = recv(socket, bytes, sizeof bytes, 0);
        if (got <= 0) return pending.empty() ? "(closed)" : pending;
        pending.append(bytes, static_cast<size_t>(got));
    }
}

std::string guestCommand(const std::string& line)
{
    const int socket = connectTo(guestSetting("AZM_GUEST_CONTROL"));
    if (socket < 0) return "(no command port)";
    const std::string text = line + "\n";
    send(socket, text.data(), text.size(), MSG_NOSIGNAL);
    std::string pending;
    std::string output = readUntil(socket, pending, "@@ end\n", 30000);
    close(socket);
    return output;
}

std::vector<std::string> guestLog()
{
    std::vector<std::string> lines;
    std::istringstream text(guestCommand("log"));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

bool connectToGuest(GuestConnection& connection)
{
    disconnect(connection);
    connection.socket = connectTo(guestSetting("AZM_GUEST_HELPER"));
    return connection.socket >= 0;
}

void disconnect(GuestConnection& connection)
{
    if (connection.socket >= 0) close(connection.socket);
    connection.socket = -1;
    connection.pending.clear();
}

std::string readReply(GuestConnection& connection)
{
    if (connection.socket < 0) return "(closed)";
    return readUntil(connection.socket, connection.pending, "\n", 5000);
}

std::string ask(GuestConnection& connection, const std::string& line)
{
    const std::string text = line + "\n";
    if (connection.socket < 0 || send(connection.socket, text.data(), text.size(), MSG_NOSIGNAL) < 0)
        return "(not sent)";
    return readReply(connection);
}

#include "dvb/card/helper_link.h"

#include <vector>
#include <ws2tcpip.h>

const char defaultHelperAddress[] = "127.0.0.1:47474";

static std::string helperAddress()
{
    char value[300];
    const DWORD length = GetEnvironmentVariableA("AZIMORA_DVB", value, sizeof value);
    if (length == 0 || length >= sizeof value) return defaultHelperAddress;
    return std::string(value, length);
}

static DWORD remainingMs(DWORD deadline)
{
    const LONG left = static_cast<LONG>(deadline - GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

// Waits until the socket can be read (or written) or the deadline passes.
static bool waitFor(SOCKET socket, bool writing, DWORD deadline)
{
    const DWORD left = remainingMs(deadline);
    timeval timeout{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    const int count = select(0, writing ? nullptr : &ready, writing ? &ready : nullptr, &failed, &timeout);
    return count > 0 && FD_ISSET(socket, &ready);
}

bool isConnected(const HelperLink& link) { return link.socket != INVALID_SOCKET; }

bool connectLink(HelperLink& link, DWORD deadline)
{
    closeLink(link);
    if (!link.socketsStarted) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
        link.socketsStarted = true;
    }
    std::string host;
    uint16_t port = 0;
    if (!parseHostPort(helperAddress(), "127.0.0.1", false, &host, &port)) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found) return false;
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    bool connected = false;
    if (socket != INVALID_SOCKET) {
        u_long nonBlocking = 1;
        ioctlsocket(socket, FIONBIO, &nonBlocking);
        const int result = connect(socket, found->ai_addr, static_cast<int>(found->ai_addrlen));
        connected = result == 0 || (WSAGetLastError() == WSAEWOULDBLOCK && waitFor(socket, true, deadline));
        int error = 0;
        int size = sizeof error;
        if (connected && getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0)
            connected = error == 0;
    }
    freeaddrinfo(found);
    if (!connected) {
        if (socket != INVALID_SOCKET) closesocket(socket);
        return false;
    }
    // Each call waits for its reply: every line goes out at once.
    const BOOL yes = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
    link.socket = socket;
    link.reader = LineReader();
    return true;
}

void closeLink(HelperLink& link)
{
    if (link.socket != INVALID_SOCKET) closesocket(link.socket);
    link.socket = INVALID_SOCKET;
    link.reader = LineReader();
}

void stopLink(HelperLink& link)
{
    closeLink(link);
    if (link.socketsStarted) WSACleanup();
    link.socketsStarted = false;
}

static bool sendAll(HelperLink& link, const std::string& text, DWORD deadline)
{
    size_t sent = 0;
    while (sent < text.size()) {
        const int result = send(link.socket, text.data() + sent, static_cast<int>(text.size() - sent), 0);
        if (result > 0) {
            sent += static_cast<size_t>(result);
        } else if (result == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
            if (!waitFor(link.socket, true, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

bool exchange(HelperLink& link, const Request& request, Reply* reply, DWORD deadline)
{
    if (!isConnected(link)) return false;
    if (!sendAll(link, formatRequest(request) + "\n", deadline)) {
        closeLink(link);
        return false;
    }
    std::vector<ReadLine> lines;
    while (lines.empty()) {
        char bytes[256];
        const int got = recv(link.socket, bytes, sizeof bytes, 0);
        if (got > 0) {
            readLines(link.reader, bytes, static_cast<size_t>(got), &lines);
        } else if (got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK &&
                   waitFor(link.socket, false, deadline)) {
            continue;
        } else {
            closeLink(link);
            return false;
        }
    }
    // One reply per request: anything else means the two sides are out of step.
    if (lines.size() != 1 || lines[0].tooLong || !parseReply(lines[0].text, reply)) {
        closeLink(link);
        return false;
    }
    return true;
}

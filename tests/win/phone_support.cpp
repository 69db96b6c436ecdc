#include "tests/win/phone_support.h"

#include "cardbase/phone/phone_service.h"

static bool socketsStarted()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

static SOCKET connectTo(uint16_t port)
{
    if (!socketsStarted()) return INVALID_SOCKET;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
    return s;
}

int occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); !part.empty() && at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// Sends the request, half-closing after it when asked, and reads as phoneAsk does.
static std::string exchange(uint16_t port, const std::string& request, bool halfClose, const std::string& until,
                            int count, int timeoutMs)
{
    const SOCKET s = connectTo(port);
    if (s == INVALID_SOCKET) return std::string();
    send(s, request.data(), static_cast<int>(request.size()), 0);
    if (halfClose) shutdown(s, SD_SEND);
    std::string answer;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(timeoutMs)) {
        if (!until.empty() && occurrences(answer, until) >= count) break;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval wait = {0, 100000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        char buffer[4096];
        const int got = recv(s, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        answer.append(buffer, static_cast<size_t>(got));
    }
    closesocket(s);
    return answer;
}

std::string phoneAsk(uint16_t port, const std::string& path, const std::string& until, int count, int timeoutMs,
                     const std::string& method)
{
    return exchange(port, method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", false, until, count, timeoutMs);
}

std::string phoneAskHalfClosed(uint16_t port, const std::string& request, const std::string& until)
{
    return exchange(port, request, true, until, 1, 5000);
}

bool phoneListening(uint16_t port)
{
    const SOCKET s = connectTo(port);
    if (s == INVALID_SOCKET) return false;
    closesocket(s);
    return true;
}

HWND waitForPhoneWindow(const AppRun& run, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (HWND found = findProcessWindow(run, phoneWindowClass)) return found;
        Sleep(20);
    }
    return nullptr;
}

uint16_t freePort()
{
    uint16_t port = 0;
    const SOCKET s = socketsStarted() ? socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (s != INVALID_SOCKET) closesocket(s);
    return port;
}

PortTaker::PortTaker(uint16_t port)
{
    if (!socketsStarted()) return;
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ != INVALID_SOCKET &&
        (bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(socket_, 1) != 0)) {
        closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
}

PortTaker::~PortTaker()
{
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
}

std::string streamUntil(uint16_t port, const std::string& part, int timeoutMs)
{
    const std::string stream = phoneAsk(port, "/events", part, 1, timeoutMs);
    return stream.find(part) == std::string::npos ? std::string() : stream;
}

StartOptions withPhoneAndScenario(uint16_t port, const std::string& scenario)
{
    StartOptions options;
    options.scenario = scenario;
    options.environment.push_back("AZIMORA_PHONE=127.0.0.1:" + std::to_string(port));
    return options;
}

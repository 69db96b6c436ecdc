#include <ws2tcpip.h>

#include "app/wall_clock.h"
#include "cardbase/phone/phone_parts.h"

static std::string portText(uint16_t port) { return std::to_string(static_cast<unsigned>(port)); }

static std::string bindProblem(int error, const PhoneSetting& setting, const std::string& settingsPath)
{
    const std::string port = portText(setting.port);
    const std::string change = "Choose another with a line phone=PORT in " + settingsPath + " or with AZIMORA_PHONE.";
    switch (error) {
    case WSAEADDRINUSE: return "Port " + port + " is taken by another program. " + change;
    case WSAEACCES: return "Port " + port + " may not be used by this program. " + change;
    case WSAEADDRNOTAVAIL: return setting.host + " is not an address of this computer.";
    default: return "The page's server could not start (Windows Sockets error " + std::to_string(error) + ").";
    }
}

static bool resolveHost(const std::string& host, in_addr* address)
{
    if (host.empty()) {
        address->s_addr = htonl(INADDR_ANY);
        return true;
    }
    const unsigned long dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE) {
        address->s_addr = dotted;
        return true;
    }
    const hostent* found = gethostbyname(host.c_str());
    if (!found || found->h_addrtype != AF_INET || !found->h_addr_list[0]) return false;
    memcpy(&address->s_addr, found->h_addr_list[0], sizeof address->s_addr);
    return true;
}

// Releases whatever was made, so that nothing half set up is served: a
// listener without its event would block the thread in accept.
static bool failed(PhoneSockets& sockets, std::string* problem, const std::string& why)
{
    *problem = why;
    closePhoneSockets(sockets);
    return false;
}

static void addSocketAddress(PhoneHosts& hosts, const sockaddr* address)
{
    if (address->sa_family == AF_INET) {
        const sockaddr_in* v4 = reinterpret_cast<const sockaddr_in*>(address);
        addHostAddress(hosts, ipv4HostAddress(reinterpret_cast<const uint8_t*>(&v4->sin_addr)));
    } else if (address->sa_family == AF_INET6) {
        const sockaddr_in6* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        HostAddress bytes{};
        memcpy(bytes.data(), &v6->sin6_addr, bytes.size());
        addHostAddress(hosts, bytes);
    }
}

// The names and addresses a phone may reach this computer by.
static PhoneHosts ownHosts(const PhoneSetting& setting)
{
    PhoneHosts hosts = loopbackHosts();
    HostAddress asked{};
    if (parseHostAddress(setting.host, &asked)) addHostAddress(hosts, asked);
    else addHostName(hosts, setting.host);
    char name[256] = "";
    if (gethostname(name, sizeof name) != 0) return hosts;
    addHostName(hosts, name);
    // Windows answers for NAME.local on the local network.
    addHostName(hosts, std::string(name) + ".local");
    char full[256] = "";
    DWORD size = sizeof full;
    if (GetComputerNameExA(ComputerNameDnsFullyQualified, full, &size)) addHostName(hosts, full);
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, nullptr, &found) == 0) {
        for (const addrinfo* one = found; one; one = one->ai_next) addSocketAddress(hosts, one->ai_addr);
        freeaddrinfo(found);
    }
    return hosts;
}

bool openPhoneSockets(PhoneSockets& sockets, const PhoneSetting& setting, const std::string& settingsPath,
                      std::string* problem)
{
    for (SOCKET& client : sockets.clients) client = INVALID_SOCKET;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        *problem = "Windows Sockets could not be started.";
        return false;
    }
    sockets.started = true;
    sockets.hosts = ownHosts(setting);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(setting.port);
    if (!resolveHost(setting.host, &address.sin_addr))
        return failed(sockets, problem, setting.host + ": no such host.");
    sockets.listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockets.network = WSACreateEvent();
    if (sockets.listener == INVALID_SOCKET || sockets.network == WSA_INVALID_EVENT)
        return failed(sockets, problem, bindProblem(WSAGetLastError(), setting, settingsPath));
    // Nobody else may take the port while the page is served from it.
    BOOL exclusive = TRUE;
    setsockopt(sockets.listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    if (bind(sockets.listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR ||
        listen(sockets.listener, maxPhoneConnections) == SOCKET_ERROR ||
        WSAEventSelect(sockets.listener, sockets.network, FD_ACCEPT) == SOCKET_ERROR)
        return failed(sockets, problem, bindProblem(WSAGetLastError(), setting, settingsPath));
    return true;
}

void closePhoneSockets(PhoneSockets& sockets)
{
    // Without Windows Sockets nothing was made, and the client slots may
    // never have been set (a setting that cannot be used opens nothing).
    if (!sockets.started) return;
    for (int slot = 0; slot < maxPhoneConnections; ++slot) {
        if (sockets.clients[slot] != INVALID_SOCKET) closesocket(sockets.clients[slot]);
        sockets.clients[slot] = INVALID_SOCKET;
        closePhoneConnection(sockets.core, slot);
    }
    if (sockets.listener != INVALID_SOCKET) closesocket(sockets.listener);
    sockets.listener = INVALID_SOCKET;
    if (sockets.network != WSA_INVALID_EVENT) WSACloseEvent(sockets.network);
    sockets.network = WSA_INVALID_EVENT;
    WSACleanup();
    sockets.started = false;
}

static void acceptPhones(PhoneSockets& sockets, uint32_t nowMs)
{
    for (;;) {
        const SOCKET client = accept(sockets.listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        const int slot = openPhoneConnection(sockets.core, nowMs);
        // A small send buffer, so that a phone that stopped taking data is
        // seen as stalled within seconds rather than minutes.
        const int sendBuffer = 16 * 1024;
        if (slot < 0 ||
            setsockopt(client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBuffer), sizeof sendBuffer) ==
                SOCKET_ERROR ||
            WSAEventSelect(client, sockets.network, FD_READ | FD_WRITE | FD_CLOSE) == SOCKET_ERROR) {
            closesocket(client);
            if (slot >= 0) closePhoneConnection(sockets.core, slot);
            continue;
        }
        sockets.clients[slot] = client;
        // The address the phone reached is one of this computer's, whatever the list above found.
        sockaddr_storage local = {};
        int length = sizeof local;
        if (getsockname(client, reinterpret_cast<sockaddr*>(&local), &length) == 0)
            addSocketAddress(sockets.hosts, reinterpret_cast<const sockaddr*>(&local));
    }
}

// False when the connection is to be closed now (it failed, or ended
// before there was anything to answer). What the answer needs of the feed
// comes with phoneFeedStreams.
static bool readFrom(PhoneSockets& sockets, int slot, uint32_t nowMs)
{
    PhoneServing serving;
    serving.place = &sockets.place;
    serving.recordFolder = &sockets.recordFolder;
    serving.hosts = &sockets.hosts;
    if (sockets.core.slots[slot].inputEnded) return true;
    char buffer[1024];
    // Bounded, so that a phone that floods the server cannot keep it here.
    for (int round = 0; round < 16; ++round) {
        const int got = recv(sockets.clients[slot], buffer, sizeof buffer, 0);
        if (got == 0) return phoneInputEnded(sockets.core, slot);
        if (got < 0) return WSAGetLastError() == WSAEWOULDBLOCK;
        phoneReceived(sockets.core, slot, buffer, static_cast<size_t>(got), serving, nowMs);
    }
    return true;
}

static bool sendTo(PhoneSockets& sockets, int slot, uint32_t nowMs)
{
    const std::string& queue = sockets.core.slots[slot].queue;
    while (!queue.empty()) {
        const int length = queue.size() > 65536 ? 65536 : static_cast<int>(queue.size());
        const int sent = send(sockets.clients[slot], queue.data(), length, 0);
        if (sent < 0) return WSAGetLastError() == WSAEWOULDBLOCK;
        phoneSent(sockets.core, slot, static_cast<size_t>(sent), nowMs);
    }
    return true;
}

static void closeClient(PhoneSockets& sockets, int slot)
{
    closesocket(sockets.clients[slot]);
    sockets.clients[slot] = INVALID_SOCKET;
    closePhoneConnection(sockets.core, slot);
}

void servePhoneSockets(PhoneSockets& sockets, CRITICAL_SECTION* feedLock, const PhoneFeed& feed)
{
    if (sockets.listener == INVALID_SOCKET) return;
    // Reset first: whatever happens from here on signals the event again.
    WSAResetEvent(sockets.network);
    const uint32_t nowMs = GetTickCount();
    EnterCriticalSection(feedLock);
    if (sockets.servingVersion != feed.servingVersion) {
        sockets.servingVersion = feed.servingVersion;
        sockets.place = feed.place;
        sockets.recordFolder = feed.recordFolder;
    }
    LeaveCriticalSection(feedLock);
    acceptPhones(sockets, nowMs);
    for (int slot = 0; slot < maxPhoneConnections; ++slot)
        if (sockets.clients[slot] != INVALID_SOCKET && !readFrom(sockets, slot, nowMs)) closeClient(sockets, slot);
    EnterCriticalSection(feedLock);
    phoneFeedStreams(sockets.core, feed, wallClockMs(), nowMs);
    LeaveCriticalSection(feedLock);
    for (int slot = 0; slot < maxPhoneConnections; ++slot) {
        if (sockets.clients[slot] == INVALID_SOCKET) continue;
        if (!sendTo(sockets, slot, nowMs)) {
            closeClient(sockets, slot);
            continue;
        }
        switch (phoneActionFor(sockets.core, slot, nowMs)) {
        case PhoneAction::Keep: break;
        case PhoneAction::HalfClose: shutdown(sockets.clients[slot], SD_SEND); break;
        case PhoneAction::Close: closeClient(sockets, slot); break;
        }
    }
}

std::string phonePageAddress(const PhoneSetting& setting)
{
    std::string host = setting.host;
    if (host.empty() || host == "0.0.0.0") {
        // The address this computer sends from on its default route: a UDP
        // socket connected to a documentation address sends nothing.
        host = "127.0.0.1";
        const SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in remote = {};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(9);
        remote.sin_addr.s_addr = inet_addr("192.0.2.1");
        sockaddr_in local = {};
        int length = sizeof local;
        if (probe != INVALID_SOCKET && connect(probe, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0 &&
            getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length) == 0 && local.sin_addr.s_addr != 0)
            host = inet_ntoa(local.sin_addr);
        if (probe != INVALID_SOCKET) closesocket(probe);
    }
    return "http://" + host + ":" + portText(setting.port) + "/";
}

#include "dvb/card/helper_link.h"

#include <vector>

#include "app/host_text.h"
#include "dvb/protocol/shared_secret.h"

const char defaultHelperAddress[] = "127.0.0.1:47474";

static std::string helperAddress()
{
    const std::string value = environmentText("AZIMORA_DVB");
    return value.empty() ? defaultHelperAddress : value;
}

// The module this code is in (the card DLL, or a program that links it).
static HMODULE ownModule(bool keepLoaded)
{
    HMODULE module = nullptr;
    const DWORD flags =
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | (keepLoaded ? 0 : GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT);
    GetModuleHandleExA(flags, reinterpret_cast<LPCSTR>(&ownModule), &module);
    return module;
}

static std::string helperSecret()
{
    const std::string value = environmentText("AZIMORA_DVB_SECRET");
    if (!value.empty()) return value;
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(ownModule(false), path, sizeof path);
    if (length == 0 || length >= sizeof path) return std::string();
    std::string settings(path, length);
    settings = settings.substr(0, settings.find_last_of('\\') + 1) + "dvbcard.ini";
    return secretFromSettings(wholeFileText(settings, FILE_SHARE_READ | FILE_SHARE_WRITE));
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

// One lookup, shared by the caller and the thread that makes it: whoever
// is last lets it go, so a caller that gives up leaves the thread its own.
struct Lookup {
    LONG owners;
    std::string host;
    AddressLookup lookup;
    bool found;
    sockaddr_in address;
};

static void leave(Lookup* lookup)
{
    if (InterlockedDecrement(&lookup->owners) == 0) delete lookup;
}

static DWORD WINAPI lookUp(void* argument)
{
    Lookup* lookup = static_cast<Lookup*>(argument);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (lookup->lookup(lookup->host.c_str(), nullptr, &hints, &found) == 0 && found) {
        lookup->address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
        lookup->found = true;
        freeaddrinfo(found);
    }
    leave(lookup);
    return 0;
}

// The thread keeps the module loaded while it runs, and lets it go as it ends.
static DWORD WINAPI lookUpInModule(void* argument)
{
    lookUp(argument);
    FreeLibraryAndExitThread(ownModule(false), 0);
    return 0;
}

bool lookUpWithin(const std::string& host, uint16_t port, DWORD deadline, sockaddr_in* address, AddressLookup lookup)
{
    *address = sockaddr_in{};
    address->sin_family = AF_INET;
    address->sin_port = htons(port);
    if (host.find_first_not_of("0123456789.") == std::string::npos) {
        const unsigned long dotted = inet_addr(host.c_str());
        address->sin_addr.s_addr = dotted;
        return dotted != INADDR_NONE || host == "255.255.255.255";
    }
    Lookup* shared = new Lookup{2, host, lookup, false, sockaddr_in{}};
    HMODULE kept = ownModule(true);
    HANDLE thread = CreateThread(nullptr, 0, lookUpInModule, shared, 0, nullptr);
    if (!thread) {
        if (kept) FreeLibrary(kept);
        leave(shared);
        leave(shared);
        return false;
    }
    const bool done = WaitForSingleObject(thread, remainingMs(deadline)) == WAIT_OBJECT_0;
    CloseHandle(thread);
    const bool found = done && shared->found;
    if (found) address->sin_addr = shared->address.sin_addr;
    leave(shared);
    return found;
}

bool isConnected(const HelperLink& link) { return link.socket != INVALID_SOCKET; }

static bool exchangeLine(HelperLink& link, const std::string& line, Reply* reply, DWORD deadline);

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
    sockaddr_in address{};
    if (!parseHostPort(helperAddress(), "127.0.0.1", false, &host, &port) ||
        !lookUpWithin(host, port, deadline, &address))
        return false;
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) return false;
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    const int result = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    bool connected = result == 0 || (WSAGetLastError() == WSAEWOULDBLOCK && waitFor(socket, true, deadline));
    int error = 0;
    int size = sizeof error;
    if (connected && getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0)
        connected = error == 0;
    if (!connected) {
        closesocket(socket);
        return false;
    }
    // Each call waits for its reply: every line goes out at once.
    const BOOL yes = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
    link.socket = socket;
    link.reader = LineReader();
    const std::string secret = helperSecret();
    if (secret.empty()) return true;
    Reply reply;
    if (exchangeLine(link, secretLine(secret), &reply, deadline) && reply.ok) return true;
    closeLink(link);
    return false;
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

// Anything already waiting before a request goes out answers no request.
static bool inStep(HelperLink& link)
{
    if (!link.reader.pending.empty() || link.reader.discarding) return false;
    char byte;
    const int got = recv(link.socket, &byte, 1, MSG_PEEK);
    return got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK;
}

// One reply is at most a line; a peer that sends more without a line end,
// or keeps sending, is cut off at this many bytes or at the deadline.
static constexpr size_t replyByteLimit = 2 * (maxLineLength + 2);

static bool exchangeLine(HelperLink& link, const std::string& line, Reply* reply, DWORD deadline)
{
    if (!isConnected(link)) return false;
    if (!inStep(link) || !sendAll(link, line + "\n", deadline)) {
        closeLink(link);
        return false;
    }
    std::vector<ReadLine> lines;
    size_t received = 0;
    while (lines.empty() && received <= replyByteLimit) {
        char bytes[256];
        const int got = recv(link.socket, bytes, sizeof bytes, 0);
        if (got > 0) {
            received += static_cast<size_t>(got);
            readLines(link.reader, bytes, static_cast<size_t>(got), &lines);
        } else if (!(got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK && remainingMs(deadline) > 0 &&
                     waitFor(link.socket, false, deadline))) {
            break;
        }
    }
    // One whole reply line and nothing after it: anything else means the two
    // sides are out of step.
    const bool taken = lines.size() == 1 && !lines[0].tooLong && link.reader.pending.empty() &&
                       !link.reader.discarding && parseReply(lines[0].text, reply);
    if (!taken) closeLink(link);
    return taken;
}

bool exchange(HelperLink& link, const Request& request, Reply* reply, DWORD deadline)
{
    return exchangeLine(link, formatRequest(request), reply, deadline);
}

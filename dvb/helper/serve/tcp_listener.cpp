#include "dvb/helper/serve/tcp_listener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
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

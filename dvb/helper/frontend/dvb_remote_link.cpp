#include "dvb/helper/frontend/dvb_remote_link.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <netdb.h>
#include <unistd.h>

#include "dvb/helper/exit_codes.h"

static const char remoteAdvice[] =
    "  run azimora-dvb on the machine with the card instead (--listen 0.0.0.0:47474 there, and\n"
    "  AZIMORA_DVB=THAT-MACHINE:47474 for Azimora here)\n";

static void endForRemoteLink(const char* message, size_t length)
{
    ssize_t ignored = write(2, message, length);
    ignored = write(2, remoteAdvice, sizeof remoteAdvice - 1);
    (void)ignored;
    _exit(ExitNoDaemon);
}

// Debian's libdvbv5 1.22 misreads some message lengths from the daemon and
// aborts in its receiving thread; say what happened instead of dumping core.
static void remoteLinkFailed(int)
{
    static const char message[] =
        "azimora-dvb: the link to dvbv5-daemon failed inside libdvbv5 (its remote support misread a message);\n";
    endForRemoteLink(message, sizeof message - 1);
}

// The same library can also wait for ever for a reply that never comes, so
// every remote call is given remoteAnswerSeconds to return.
static const unsigned remoteAnswerSeconds = 5;

static void remoteSilent(int)
{
    static const char message[] = "azimora-dvb: dvbv5-daemon did not answer libdvbv5 in time;\n";
    endForRemoteLink(message, sizeof message - 1);
}

void guardRemoteLink()
{
    signal(SIGABRT, remoteLinkFailed);
    signal(SIGALRM, remoteSilent);
}

void expectRemoteAnswer(bool remote)
{
    if (remote) alarm(remoteAnswerSeconds);
}

void remoteAnswered(bool remote)
{
    if (remote) alarm(0);
}

bool dottedAddress(const std::string& host, std::string* address, std::string* detail)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result != 0 || !found) {
        *detail = std::string("cannot resolve ") + host + ": " + gai_strerror(result);
        return false;
    }
    char text[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
    freeaddrinfo(found);
    *address = text;
    return true;
}

bool daemonListens(const std::string& address, uint16_t port, std::string* detail)
{
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return true;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    const bool listens = connect(probe, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    if (!listens) *detail = std::strerror(errno);
    close(probe);
    return listens;
}

// dvbcard.dll's connection to azimora-dvb: one TCP connection, one request
// line out and one reply line back per call, every call bounded in time,
// the helper's name looked up within that time too. A helper on another
// machine asks for its shared secret first.
#pragma once
#include <winsock2.h>

#include <cstdint>
#include <string>
#include <ws2tcpip.h>

#include "dvb/protocol/line_protocol.h"

// About two seconds for any one call, connecting included (the call that
// tunes is given the bound of a start on top, dvb/protocol/start_bound.h).
constexpr DWORD callTimeoutMs = 2000;
extern const char defaultHelperAddress[];

struct HelperLink {
    bool socketsStarted = false;
    SOCKET socket = INVALID_SOCKET;
    LineReader reader;
};

bool isConnected(const HelperLink& link);
// Connects to AZIMORA_DVB ("HOST:PORT", default 127.0.0.1:47474) before
// the deadline (GetTickCount time) and gives the shared secret, if there is
// one (AZIMORA_DVB_SECRET, or "secret=..." in dvbcard.ini beside the DLL).
bool connectLink(HelperLink& link, DWORD deadline);
void closeLink(HelperLink& link);
// Ends the link's use of the sockets library, once the link is closed.
void stopLink(HelperLink& link);

// Sends the request and waits for its reply until the deadline. False when
// the link failed or is out of step (a line came that no request asked
// for): it is closed then, so that no line is taken for the answer to
// another call.
bool exchange(HelperLink& link, const Request& request, Reply* reply, DWORD deadline);

typedef int(WSAAPI* AddressLookup)(const char* host, const char* service, const addrinfo* hints, addrinfo** found);

// The helper's IPv4 address: a dotted one at once, a name through `lookup`
// on a thread of its own, given up at the deadline (the thread then ends by
// itself).
bool lookUpWithin(const std::string& host, uint16_t port, DWORD deadline, sockaddr_in* address,
                  AddressLookup lookup = getaddrinfo);

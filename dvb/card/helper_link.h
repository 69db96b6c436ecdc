// dvbcard.dll's connection to azimora-dvb: one TCP connection, one request
// line out and one reply line back per call, every call bounded in time.
#pragma once
#include <winsock2.h>

#include <cstdint>
#include <string>

#include "dvb/protocol/line_protocol.h"

// About two seconds for any one call, connecting included.
constexpr DWORD callTimeoutMs = 2000;
extern const char defaultHelperAddress[];

struct HelperLink {
    bool socketsStarted = false;
    SOCKET socket = INVALID_SOCKET;
    LineReader reader;
};

bool isConnected(const HelperLink& link);
// Connects to AZIMORA_DVB ("HOST:PORT", default 127.0.0.1:47474) before
// the deadline (GetTickCount time).
bool connectLink(HelperLink& link, DWORD deadline);
void closeLink(HelperLink& link);
// Ends the link's use of the sockets library, once the link is closed.
void stopLink(HelperLink& link);

// Sends the request and waits for its reply until the deadline. False when
// the link failed: it is closed then, so that a late reply cannot be taken
// for the answer to a later call.
bool exchange(HelperLink& link, const Request& request, Reply* reply, DWORD deadline);

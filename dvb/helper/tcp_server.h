// azimora-dvb's TCP side: the listening socket and the loop that serves
// one connection at a time, line by line, through the protocol session.
// A second connection while one is served is told "fail busy" and closed.
#pragma once
#include <csignal>
#include <cstdint>
#include <string>

#include "dvb/protocol/session.h"

// -1 with `error` set (`taken` when the port is in use); `boundPort` gets
// the port actually bound (for port 0).
int listenOn(const std::string& host, uint16_t port, bool* taken, std::string* error, uint16_t* boundPort);

class ServedFrontend : public FrontendPort {
public:
    // The connection has ended: the frontend is let go.
    virtual void release() = 0;
};

// Serves until *stop is set (by a signal handler).
void serveConnections(int listener, ServedFrontend& frontend, volatile sig_atomic_t* stop);

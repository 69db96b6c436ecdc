// azimora-dvb's TCP side: the listening socket and the loop that serves
// its connections, line by line, through the protocol session. No peer can
// stall it: every socket is non-blocking, what a slow reader has not taken
// and what a peer sends faster than it is answered are bounded, and so are
// the connections open at once. Who holds the frontend, for how long, and
// how often it may be tuned follow connection_rules.h; a helper with a
// shared secret takes a connection only after its first line gives it.
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
    // The connection that held the frontend has ended: it is let go.
    virtual void release() = 0;
};

struct ServerSettings {
    std::string secret;  // "": none asked for
    uint32_t idleMs = 0;
};

// Serves until *stop is set (by a signal handler).
void serveConnections(int listener, ServedFrontend& frontend, const ServerSettings& settings,
                      volatile sig_atomic_t* stop);

// azimora-dvb's listening socket: IPv4, non-blocking, closed on exec. Linux.
#pragma once
#include <cstdint>
#include <string>

// -1 with `error` set (`taken` when the port is in use); `boundPort` gets
// the port actually bound (for port 0).
int listenOn(const std::string& host, uint16_t port, bool* taken, std::string* error, uint16_t* boundPort);

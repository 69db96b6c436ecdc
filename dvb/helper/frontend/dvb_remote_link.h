// The link to dvbv5-daemon for a frontend on another machine (--server).
// Debian's libdvbv5 can abort in its receiving thread or wait for ever for a
// reply, so a failure inside it ends the helper with words and
// ExitNoDaemon, and every remote call is given a bound to return in; the
// daemon's address is checked for a listener first, as libdvbv5's own
// connect gives no reason. Linux.
#pragma once
#include <cstdint>
#include <string>

// From now on, a failure of the link inside libdvbv5 ends the helper with words.
void guardRemoteLink();
// Around each remote call (nothing for a local frontend): its answer within
// a bound, or the helper ends.
void expectRemoteAnswer(bool remote);
void remoteAnswered(bool remote);

// libdvbv5 connects to dotted IPv4 addresses only.
bool dottedAddress(const std::string& host, std::string* address, std::string* detail);
// Whether the daemon listens at all.
bool daemonListens(const std::string& address, uint16_t port, std::string* detail);

// Who may drive the frontend through azimora-dvb, and how much any peer may
// ask of it. One program at a time holds the frontend; it lets it go by
// ending its connection, by asking nothing for idleMs (the program asks for
// readings several times a second while it measures), or when TCP's
// keepalive finds it gone. For idleMs after that, only a connection from
// the same address may take the frontend, so that a program whose link
// dropped gets it back before anyone else. Tunes (each one powers the LNB
// and sends switch commands) are held to tunesPerSecond. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t defaultIdleMs = 10000;
constexpr uint32_t secretWaitMs = 2000;   // for the first line of a connection that must give a secret
constexpr size_t connectionLimit = 8;     // open at once, the holder's included
constexpr size_t queuedByteLimit = 4096;  // replies not yet taken by a slow reader
constexpr size_t queuedLineLimit = 64;    // requests not yet answered
constexpr size_t tunesPerSecond = 5;

// IPv4 addresses in host order.
bool isLoopback(uint32_t address);
// Whether listening on this host (a name or dotted address) opens the port
// to other machines, which then needs a shared secret.
bool listensBeyondLoopback(const std::string& host);

struct FrontendHold {
    bool held = false;
    uint32_t formerAddress = 0;
    uint64_t preferredUntilMs = 0;
    std::vector<uint64_t> recentTunesMs;  // the latest tunesPerSecond, oldest first
};

// Whether a connection from `address` may take the frontend now.
bool mayTakeFrontend(const FrontendHold& hold, uint32_t address, uint64_t nowMs);
void takeFrontend(FrontendHold& hold);
void leaveFrontend(FrontendHold& hold, uint32_t address, uint64_t nowMs, uint32_t preferMs);

// When the next tune may go out (nowMs when it may at once).
uint64_t nextTuneAllowedMs(const FrontendHold& hold, uint64_t nowMs);
void noteTune(FrontendHold& hold, uint64_t nowMs);

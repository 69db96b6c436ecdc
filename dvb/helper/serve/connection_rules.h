// Who may drive the frontend through azimora-dvb, and how much any peer may
// ask of it. One program at a time holds the frontend; it lets it go by
// ending its connection, by asking nothing well-formed for idleMs (the
// program asks for readings several times a second while it measures), or
// when TCP's keepalive finds it gone. For idleMs after that, only a
// connection from the same address may take the frontend, so that a program
// whose link dropped gets it back before anyone else. Every call that
// switches the LNB (a tune powers it and sends switch commands, an open and
// a letting go switch it on and off) is held to frontendCallsPerSecond; the
// next holder's open waits for a letting go still due. A peer that gives a wrong secret
// waits before its next secret is looked at, longer after each wrong one.
// Platform-neutral.
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
constexpr size_t frontendCallsPerSecond = 5;

// IPv4 addresses in host order.
bool isLoopback(uint32_t address);
// Whether listening on this host (a name or dotted address) opens the port
// to other machines, which then needs a shared secret.
bool listensBeyondLoopback(const std::string& host);

struct FrontendHold {
    bool held = false;
    uint32_t formerAddress = 0;
    uint64_t preferredUntilMs = 0;
    std::vector<uint64_t> recentCallsMs;  // the latest frontendCallsPerSecond, oldest first
    bool open = true;                     // serving starts with the frontend open
    bool releaseDue = false;              // its holder has gone: let go at the next turn
};

// Whether a connection from `address` may take the frontend now.
bool mayTakeFrontend(const FrontendHold& hold, uint32_t address, uint64_t nowMs);
void takeFrontend(FrontendHold& hold);
// The frontend is let go at the next turn of the pace (see releaseNow).
void leaveFrontend(FrontendHold& hold, uint32_t address, uint64_t nowMs, uint32_t preferMs);

// When the next call that switches the LNB may go out (nowMs when it may at once).
uint64_t nextFrontendCallAllowedMs(const FrontendHold& hold, uint64_t nowMs);
void noteFrontendCall(FrontendHold& hold, uint64_t nowMs);

// For a holder's Initialize: whether an open must reach the frontend (after
// a letting go still due).
bool openNeeded(const FrontendHold& hold);
// The outcome of an open that reached the frontend.
void noteOpened(FrontendHold& hold, bool ok);
// Whether the due letting go goes out now (then noted as a call and done).
bool releaseNow(FrontendHold& hold, uint64_t nowMs);
// When releaseNow will say yes (UINT64_MAX: nothing due).
uint64_t releaseDueMs(const FrontendHold& hold, uint64_t nowMs);

// Peers that gave a wrong secret lately, each with its wait.
constexpr uint32_t firstSecretPauseMs = 1000;  // after a first wrong secret; doubled after each further one
constexpr uint32_t longestSecretPauseMs = 30000;
constexpr uint32_t secretPeerMemoryMs = 600000;  // a peer without a wrong secret this long is forgotten
constexpr size_t secretPeerLimit = 64;           // the oldest is forgotten beyond this

struct SecretPeer {
    uint32_t address;
    uint32_t wrongCount;
    uint64_t pausedUntilMs;
    uint64_t lastWrongMs;
};

struct SecretTries {
    std::vector<SecretPeer> peers;
};

// When a secret from `address` may be looked at (nowMs when it may at once).
uint64_t secretCheckAllowedMs(const SecretTries& tries, uint32_t address, uint64_t nowMs);
// A wrong secret from `address`; true for the first of its run (to be said once).
bool noteWrongSecret(SecretTries& tries, uint32_t address, uint64_t nowMs);
void noteRightSecret(SecretTries& tries, uint32_t address);
// "192.168.1.5"
std::string addressText(uint32_t address);

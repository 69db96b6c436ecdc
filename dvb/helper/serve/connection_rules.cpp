#include "dvb/helper/serve/connection_rules.h"

#include <algorithm>
#include <arpa/inet.h>

bool isLoopback(uint32_t address) { return (address >> 24) == 127; }

bool listensBeyondLoopback(const std::string& host)
{
    if (host == "localhost") return false;
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) != 1) return true;  // a name: whatever it resolves to
    return !isLoopback(ntohl(parsed.s_addr));
}

bool mayTakeFrontend(const FrontendHold& hold, uint32_t address, uint64_t nowMs)
{
    if (hold.held) return false;
    return nowMs >= hold.preferredUntilMs || address == hold.formerAddress;
}

void takeFrontend(FrontendHold& hold) { hold.held = true; }

void leaveFrontend(FrontendHold& hold, uint32_t address, uint64_t nowMs, uint32_t preferMs)
{
    hold.held = false;
    hold.formerAddress = address;
    hold.preferredUntilMs = nowMs + preferMs;
    hold.releaseDue = true;
}

uint64_t nextFrontendCallAllowedMs(const FrontendHold& hold, uint64_t nowMs)
{
    if (hold.recentCallsMs.size() < frontendCallsPerSecond) return nowMs;
    const uint64_t allowed = hold.recentCallsMs.front() + 1000;
    return allowed > nowMs ? allowed : nowMs;
}

void noteFrontendCall(FrontendHold& hold, uint64_t nowMs)
{
    hold.recentCallsMs.push_back(nowMs);
    if (hold.recentCallsMs.size() > frontendCallsPerSecond) hold.recentCallsMs.erase(hold.recentCallsMs.begin());
}

bool openNeeded(const FrontendHold& hold) { return !hold.open || hold.releaseDue; }

void noteOpened(FrontendHold& hold, bool ok) { hold.open = ok; }

bool releaseNow(FrontendHold& hold, uint64_t nowMs)
{
    if (!hold.releaseDue || nextFrontendCallAllowedMs(hold, nowMs) > nowMs) return false;
    hold.releaseDue = false;
    hold.open = false;
    noteFrontendCall(hold, nowMs);
    return true;
}

uint64_t releaseDueMs(const FrontendHold& hold, uint64_t nowMs)
{
    return hold.releaseDue ? nextFrontendCallAllowedMs(hold, nowMs) : UINT64_MAX;
}

static SecretPeer* peerOf(SecretTries& tries, uint32_t address)
{
    for (SecretPeer& peer : tries.peers)
        if (peer.address == address) return &peer;
    return nullptr;
}

uint64_t secretCheckAllowedMs(const SecretTries& tries, uint32_t address, uint64_t nowMs)
{
    for (const SecretPeer& peer : tries.peers)
        if (peer.address == address && peer.pausedUntilMs > nowMs) return peer.pausedUntilMs;
    return nowMs;
}

bool noteWrongSecret(SecretTries& tries, uint32_t address, uint64_t nowMs)
{
    tries.peers.erase(
        std::remove_if(tries.peers.begin(), tries.peers.end(),
                       [&](const SecretPeer& peer) { return nowMs >= peer.lastWrongMs + secretPeerMemoryMs; }),
        tries.peers.end());
    SecretPeer* peer = peerOf(tries, address);
    const bool first = !peer;
    if (first) {
        if (tries.peers.size() >= secretPeerLimit) tries.peers.erase(tries.peers.begin());
        tries.peers.push_back(SecretPeer{address, 0, 0, 0});
        peer = &tries.peers.back();
    }
    ++peer->wrongCount;
    uint64_t pause = firstSecretPauseMs;
    for (uint32_t i = 1; i < peer->wrongCount && pause < longestSecretPauseMs; ++i) pause *= 2;
    peer->pausedUntilMs = nowMs + std::min<uint64_t>(pause, longestSecretPauseMs);
    peer->lastWrongMs = nowMs;
    return first;
}

void noteRightSecret(SecretTries& tries, uint32_t address)
{
    tries.peers.erase(std::remove_if(tries.peers.begin(), tries.peers.end(),
                                     [&](const SecretPeer& peer) { return peer.address == address; }),
                      tries.peers.end());
}

std::string addressText(uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
           std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

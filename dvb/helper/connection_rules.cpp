#include "dvb/helper/connection_rules.h"

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
}

uint64_t nextTuneAllowedMs(const FrontendHold& hold, uint64_t nowMs)
{
    if (hold.recentTunesMs.size() < tunesPerSecond) return nowMs;
    const uint64_t allowed = hold.recentTunesMs.front() + 1000;
    return allowed > nowMs ? allowed : nowMs;
}

void noteTune(FrontendHold& hold, uint64_t nowMs)
{
    hold.recentTunesMs.push_back(nowMs);
    if (hold.recentTunesMs.size() > tunesPerSecond) hold.recentTunesMs.erase(hold.recentTunesMs.begin());
}

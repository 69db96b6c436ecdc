// Which delivery system a tune asks for, so that DVB-S2 transponders lock
// as well as DVB-S. A frontend that offers DVB-S2 is first tuned as DVB-S2
// with modulation, code rate, roll-off and pilots automatic, and left to
// find the system itself. Where the driver refuses that, the search takes
// turns: DVB-S, then DVB-S2 with QPSK, then DVB-S2 with 8PSK (those the
// frontend offers), moving on after searchWindowMs without lock.
// Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum TuneSystem : uint8_t { TuneDvbS, TuneDvbS2Automatic, TuneDvbS2Qpsk, TuneDvbS2Psk8 };

// Long enough for a demodulator to lock a DVB-S or DVB-S2 carrier.
constexpr uint32_t searchWindowMs = 2000;

struct DeliverySearch {
    std::vector<TuneSystem> order;
    size_t current = 0;
    uint64_t sinceMs = 0;  // the latest tune, or the latest reading with lock
};

// The order to try for a frontend offering these systems; empty when it
// offers neither.
std::vector<TuneSystem> searchOrder(bool offersDvbS, bool offersDvbS2, bool automaticRefused);

// Starts a search over `order` at `nowMs`.
void startSearch(DeliverySearch& search, std::vector<TuneSystem> order, uint64_t nowMs);
TuneSystem currentSystem(const DeliverySearch& search);

// After a reading: true when the search has moved on to another system,
// which is then to be tuned.
bool searchMovesOn(DeliverySearch& search, bool locked, uint64_t nowMs);

// How long one measurement start may take before azimora-dvb answers it as
// failed, and so how long dvbcard.dll waits for the answer to the call that
// completes a set. A start is the pauses of its own sequence and its
// frontend calls; every call waits for the frontend, which the kernel's
// frontend thread holds while it tunes or searches: a first call may wait
// out the longest such hold of a known driver (the table of known
// frontends: stv090x's cold search at 1 MS/s, 6.3 s, is longer than
// cx24117's own three roll-offs of 1 s each), and the supply or tone call
// that it then is stops that thread's searching, so that later calls wait
// only for their own work (a switch command takes about a quarter of a
// second on some boards). The lock search after the start is not part of
// it. Platform-neutral: both sides build it.
#pragma once
#include <cstdint>

constexpr uint32_t frontendSearchHoldMs = 6300;
constexpr uint32_t frontendCallAllowanceMs = 600;

struct StartShape {
    uint32_t pausesMs = 0;       // the settle and quiet times it contains
    uint32_t frontendCalls = 0;  // supply, tone, switch command, burst and the tune
};

uint32_t startBoundMs(const StartShape& shape);

// At least the shape of the longest start azimora-dvb makes (the LNB
// powered from off, the switch command twice, a tone burst, the band's
// tone and the tune): what dvbcard.dll, which does not know the frontend,
// waits for.
StartShape longestStart();

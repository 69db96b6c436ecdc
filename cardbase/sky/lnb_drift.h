// An LNB's own oscillator error as the simulators play it (the simulated
// frontend and the practice dish share it): off by a fixed amount, and
// drifting by so much a minute from the start, every oscillator of the
// LNB alike. For simulators and tests only. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The words after an lnb line's own, in both scenario files, in kHz:
//   error KHZ [drift KHZ_PER_MIN]      ("lnb 9750 10600 error 2300 drift 40")
struct LnbDrift {
    int32_t errorKHz = 0;           // above the nominal frequency +, below -
    int32_t driftKHzPerMinute = 0;  // from the start
};

// Reads "error KHZ [drift KHZ_PER_MIN]" from `words` at `at` to their end;
// false with the reason when they do not read.
bool parseLnbDriftWords(const std::vector<std::string>& words, size_t at, LnbDrift* drift, std::string* why);

// How far the oscillators are off `sinceStartMs` after the start.
int32_t lnbErrorAtKHz(const LnbDrift& drift, uint64_t sinceStartMs);

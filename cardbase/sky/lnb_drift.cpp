#include "cardbase/sky/lnb_drift.h"

#include "app/number_text.h"

static constexpr WholeForm errorForm{-50000, 50000, 5, false};
static constexpr WholeForm driftForm{-10000, 10000, 5, false};

bool parseLnbDriftWords(const std::vector<std::string>& words, size_t at, LnbDrift* drift, std::string* why)
{
    LnbDrift read;
    const size_t left = words.size() - at;
    const bool sound =
        (left == 2 || left == 4) && words[at] == "error" && readWholeNumber(words[at + 1], errorForm, &read.errorKHz) &&
        (left == 2 || (words[at + 2] == "drift" && readWholeNumber(words[at + 3], driftForm, &read.driftKHzPerMinute)));
    if (!sound) {
        *why = "expected \"error KHZ [drift KHZ_PER_MIN]\" (kHz, -50000 to 50000; drift -10000 to 10000 a minute)";
        return false;
    }
    *drift = read;
    return true;
}

int32_t lnbErrorAtKHz(const LnbDrift& drift, uint64_t sinceStartMs)
{
    // A run of weeks drifts no further than a gigahertz.
    constexpr int64_t furthest = 1000000;
    const uint64_t minutesMs = sinceStartMs < (uint64_t{1} << 40) ? sinceStartMs : uint64_t{1} << 40;
    const int64_t drifted = int64_t{drift.driftKHzPerMinute} * static_cast<int64_t>(minutesMs) / 60000;
    const int64_t error = drift.errorKHz + drifted;
    return static_cast<int32_t>(error < -furthest ? -furthest : error > furthest ? furthest : error);
}

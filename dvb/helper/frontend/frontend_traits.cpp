#include "dvb/helper/frontend/frontend_traits.h"

#include <algorithm>
#include <cerrno>

#include "cardbase/reading_pace.h"

FrontendTraits frontendTraitsFor(const std::string& frontendName)
{
    for (size_t i = 0; i < knownFrontendCount; ++i) {
        if (!frontendNameContains(frontendName, knownFrontends[i].nameContains)) continue;
        FrontendTraits known = knownFrontends[i];
        if (known.figuresRefreshMs == 0) known.figuresRefreshMs = readingIntervalMs;
        return known;
    }
    return FrontendTraits{};
}

bool hasTrait(const FrontendTraits& traits, FrontendTrait trait) { return (traits.traits & trait) != 0; }

uint32_t lockWindowMs(uint32_t symbolsPerSecond)
{
    constexpr uint64_t symbolMilliseconds = 8000000000ull;  // 0.4 s at 20 MS/s, 4 s at 2 MS/s
    const uint64_t window = symbolMilliseconds / std::max<uint64_t>(symbolsPerSecond, 1);
    return static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(window, 400), 4000));
}

static uint32_t searchMs(const FrontendTraits& traits, uint32_t symbolsPerSecond)
{
    if (traits.search[0].ms == 0) return lockWindowMs(symbolsPerSecond);
    uint32_t ms = 0;
    for (const SearchTime& row : traits.search) {
        if (row.ms == 0) break;
        ms = row.ms;
        if (row.upToSymbolRate == 0 || symbolsPerSecond <= row.upToSymbolRate) break;
    }
    return ms;
}

uint32_t attemptTimeMs(const FrontendTraits& traits, uint32_t symbolsPerSecond)
{
    return traits.tunerMs + std::max(traits.ownWaitMs, searchMs(traits, symbolsPerSecond));
}

bool knowsItsTime(const FrontendTraits& traits)
{
    return traits.tunerMs != 0 || traits.ownWaitMs != 0 || traits.search[0].ms != 0;
}

FigureScales figureScalesFor(const FrontendTraits& traits, bool dvbs2, bool parameterSet)
{
    FigureScales scales = dvbs2 ? traits.dvbs2 : traits.dvbs;
    if (parameterSet && traits.scaleParameter) scales.snr = traits.whenParameterSet;
    return scales;
}

uint32_t longestKnownSearchMs()
{
    // Other drivers' searches run in the chip, the frontend free meanwhile.
    uint32_t longest = 0;
    for (size_t i = 0; i < knownFrontendCount; ++i) {
        const FrontendTraits& traits = knownFrontends[i];
        const uint32_t search = hasTrait(traits, TraitHoldsWhileSearching) ? searchMs(traits, 1) : 0;
        longest = std::max(longest, traits.tunerMs + std::max(traits.ownWaitMs, search));
    }
    return longest;
}

bool unsupportedByDriver(int negativeErrno)
{
    constexpr int kernelNotSupported = 524;
    const int error = -negativeErrno;
    return error == kernelNotSupported || error == EOPNOTSUPP || error == ENOTTY;
}

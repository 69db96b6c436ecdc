// Any bdacard.ini a user may have saved: the name found is trimmed, holds
// no line break, and is UTF-8 unless it came in the system's code page; the
// tuner choice takes only names that match it; the modulations are BDA's,
// each once, at most as many as a search holds, and a search over them
// keeps each stand-in after the value it stands in for; pilots and
// roll-off are BDA's values or not set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "bda/bda_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    bool inCodePage = true;
    const std::string name = tunerNameFromSettings(bytes, &inCodePage);
    if (name.find_first_of("\r\n") != std::string::npos) std::abort();
    if (!name.empty() && (name.front() == ' ' || name.front() == '\t' || name.back() == ' ' || name.back() == '\t'))
        std::abort();
    if (!inCodePage && !isUtf8(name)) std::abort();
    if (name.empty() && inCodePage) std::abort();
    const std::vector<std::string> names = {name, " " + name + " ", "other"};
    for (int index : tunerCandidates(names, name))
        if (!name.empty() && !tunerNameMatches(names[static_cast<size_t>(index)], name)) std::abort();
    const ModulationOrder order = modulationsFromSettings(bytes);
    if (order.count < 0 || order.count > maxModulations) std::abort();
    for (int i = 0; i < order.count; ++i) {
        if (order.values[i] < bdaModulationNotSet || order.values[i] > bdaModulationLast) std::abort();
        for (int k = 0; k < i; ++k)
            if (order.values[k] == order.values[i]) std::abort();
    }
    const ModulationSearch search = startModulationSearch(order, bdaModulationNotSet, 27500, 0);
    if (search.order.count < 1 || search.order.count > maxModulations) std::abort();
    for (int i = 0; i < search.order.count; ++i) {
        const int principal = search.standsInFor[i];
        if (principal >= i ||
            (principal >= 0 && standInModulation(search.order.values[principal]) != search.order.values[i]))
            std::abort();
    }
    const SignalShape shape = signalShapeFromSettings(bytes);
    if (shape.pilot != bdaPilotNotSet && shape.pilot != bdaPilotOff && shape.pilot != bdaPilotOn) std::abort();
    if (shape.rollOff != bdaRollOffNotSet && (shape.rollOff < bdaRollOff20 || shape.rollOff > bdaRollOff35))
        std::abort();
    return 0;
}

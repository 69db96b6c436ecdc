#include "dvb/helper/frontend/found_lnb_error.h"

#include "dvb/common/found_frequency.h"

bool foundFrequencyWorthAsking(const std::string& frontendName)
{
    return foundFrequencyDriverFor(frontendName).givesFound;
}

LnbError lnbErrorOfReadBack(const std::string& frontendName, bool singleCable, const CardTuning& tuning,
                            uint32_t askedKHz, bool read, uint32_t foundKHz, bool* differed)
{
    LnbError none;
    none.state = singleCable ? LnbErrorThroughCable : LnbErrorNotGiven;
    if (singleCable || !read || foundKHz == 0) return none;  // stv0900 gives 0 while unlocked
    if (foundKHz != askedKHz) *differed = true;
    // An unknown driver that never gave back another frequency gives back the one asked.
    const bool known = foundFrequencyDriverFor(frontendName).nameContains != nullptr;
    if (!known && !*differed) return none;
    return lnbErrorFound(tuning, askedKHz, foundKHz);
}

#include "catalogue/catalogue_entry.h"

#include <cstring>

#include "catalogue/decimal_value.h"
#include "catalogue/parameter_ranges.h"

// The parameters are judged by this many bytes after the "=", whatever they hold.
static const size_t parameterWindow = 11;

// Where an entry's pieces lie in the file; valid only when found is set.
struct EntryPlace {
    bool found;
    size_t nameStart;
    size_t nameEnd;          // the "]" behind the name
    size_t parameterStart;   // two bytes after the "]"
    size_t parameterLength;  // parameterWindow, or fewer where a last entry ends the file
};

static EntryPlace locateEntry(const char* bytes, size_t size, int32_t index)
{
    EntryPlace place = {false, 0, 0, 0, 0};
    if (index < 0) {
        return place;
    }
    // The first entry's "[" is the file's first byte; any later entry starts
    // after the ";", CR, LF and "[" that close the previous one.
    size_t nameStart = 1;
    if (index > 0) {
        int32_t semicolons = 0;
        size_t i = 0;
        for (; i < size; ++i) {
            if (bytes[i] == ';' && ++semicolons == index) {
                break;
            }
        }
        if (i == size) {
            return place;
        }
        nameStart = i + 4;
    }
    if (nameStart >= size) {
        return place;
    }
    const void* bracket = std::memchr(bytes + nameStart, ']', size - nameStart);
    if (bracket == nullptr) {
        return place;
    }
    const size_t nameEnd = static_cast<size_t>(static_cast<const char*>(bracket) - bytes);
    const size_t parameterStart = nameEnd + 2;
    if (parameterStart > size) {
        return place;
    }
    // The last entry of a file without a final line end holds fewer bytes
    // than the window: it is whole when its ";" is there, and cut off when not.
    size_t parameterLength = size - parameterStart;
    if (parameterLength >= parameterWindow) {
        parameterLength = parameterWindow;
    } else if (std::memchr(bytes + parameterStart, ';', parameterLength) == nullptr) {
        return place;
    }
    place.found = true;
    place.nameStart = nameStart;
    place.nameEnd = nameEnd;
    place.parameterStart = parameterStart;
    place.parameterLength = parameterLength;
    return place;
}

static bool isValidCatalogueFrequency(int32_t mhz) { return catalogueCBandRange.holds(mhz) || kuBandRange.holds(mhz); }

CatalogueOutcome examineCatalogueEntry(const char* bytes, size_t size, int32_t index, TuningParameters& tuning,
                                       char bannerText[32])
{
    const EntryPlace place = locateEntry(bytes, size, index);
    if (!place.found) {
        return CatalogueBadFrequency;
    }

    std::memset(bannerText, ' ', 31);
    bannerText[31] = '\0';
    const size_t nameLength = place.nameEnd - place.nameStart;
    std::memcpy(bannerText, bytes + place.nameStart, nameLength < 32 ? nameLength : 32);

    char frequencyText[parameterWindow];
    size_t frequencyLength = 0;
    char rateText[parameterWindow];
    size_t rateLength = 0;
    bool readingFrequency = true;
    for (size_t i = 0; i < place.parameterLength; ++i) {
        const char c = bytes[place.parameterStart + i];
        if (readingFrequency) {
            if (c >= '0' && c <= '9') {
                frequencyText[frequencyLength++] = c;
                continue;
            }
            if (c == 'H' || c == 'h') {
                tuning.polarization = Horizontal;
            } else if (c == 'V' || c == 'v') {
                tuning.polarization = Vertical;
            } else {
                tuning.polarization = NoPolarization;
            }
            readingFrequency = false;
        } else if (c != ';') {
            // Short parameters let the line end and the next line's start
            // follow the digits here; the conversion stops at them anyway.
            rateText[rateLength++] = c;
        }
    }

    tuning.frequencyMHz = decimalValue(frequencyText, frequencyLength);
    if (!isValidCatalogueFrequency(tuning.frequencyMHz)) {
        return CatalogueBadFrequency;
    }
    tuning.symbolRate = decimalValue(rateText, rateLength);
    if (!symbolRateRange.holds(tuning.symbolRate)) {
        return CatalogueBadSymbolRate;
    }
    return CatalogueOk;
}

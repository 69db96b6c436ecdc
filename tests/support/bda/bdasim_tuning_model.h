// Stand-ins for the parts of Windows' tuning model that Wine lacks, as
// tuner.h declares them and Windows' documentation describes them: the DVB-S
// tuning space (CLSID_DVBSTuningSpace), its tune requests and the DVB-S
// locator (CLSID_DVBSLocator, with the LNB source of IDVBSLocator2 unless the
// scenario says "legacy locator"; the space refuses an input range where it
// says "no input range"). They only hold values; the network provider reads
// them.
#pragma once
#include <windows.h>

#include <string>
#include <tuner.h>

HRESULT createTuningSpace(REFIID iid, void** object);
HRESULT createLocator(REFIID iid, void** object);

// What a DVB-S tuning space holds for a network provider (-1: not set).
struct SpaceValues {
    GUID networkType;
    LONG lowKHz;
    LONG highKHz;
    LONG switchKHz;
    std::wstring inputRange;  // "" when never put
};
// False when the object is no simulated DVB-S tuning space.
bool spaceValuesOf(ITuningSpace* space, SpaceValues* values);

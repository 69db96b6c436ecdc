// The catalogue Azimora ships (resources/satellite.ini), built into
// azimora-dvb: the satellites --survey, --goto and --arc name.
#pragma once
#include <cstddef>

extern const unsigned char builtInCatalogue[];
extern const size_t builtInCatalogueSize;

// The catalogue file beside the program and the satellite list built from it.
#pragma once
#include <windows.h>

#include <cstddef>

#include "app/whole_file.h"

// Reads the whole catalogue file with the given sharing. False when it
// cannot be opened; a file that cannot be held in memory reads as empty.
bool readCatalogueFile(DWORD shareMode, FileBytes* file);

// Start-up: makes sure the catalogue exists, then creates and fills the list.
void loadSatelliteCatalogue();

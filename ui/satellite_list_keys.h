// The keys that the satellite list handles before the list itself sees
// them, through a procedure put in front of the list's own.
#pragma once

// Start-up: puts the key procedure in front of the list's own procedure.
void subclassSatelliteList();

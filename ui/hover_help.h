// The hover help of the three side buttons (a tooltip control).
#pragma once

// Start-up: creates the tooltip control and its three tools.
void createHoverHelp();

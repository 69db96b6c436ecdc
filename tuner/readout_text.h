// The display texts of the two figures the card reports. Platform-neutral.
#pragma once
#include <cstdint>

// Writes the signal quality as two digits, "%" and a terminating zero:
// 0 -> "00%", 7 -> "07%", 42 -> "42%". Never more than 3 characters.
void formatQualityText(int32_t quality, char text[4]);

// Writes the four characters that follow "s/n:" in the s/n readout (no
// terminator): "--  " for no figure, otherwise the value with as many
// decimals as fit, such as "5.68", "12.4", "150 ".
void formatSnrDigits(float snr, char digits[4]);

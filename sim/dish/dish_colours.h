// The colours of the simulated dish's window, as 0xRRGGBB. The marks that
// tests look for on the screen (the tuned satellite, the pointing cross,
// the C/N trace, the lock line) each have a colour nothing else uses.
// Platform-neutral.
#pragma once
#include <cstdint>

namespace dishColour {
constexpr uint32_t paper = 0xFFFFFF;
constexpr uint32_t sky = 0xE2EEFC;
constexpr uint32_t ground = 0xDDD4B8;
constexpr uint32_t skyGrid = 0xC6D6EA;
constexpr uint32_t horizon = 0x80683C;
constexpr uint32_t arc = 0x8C8CA8;
constexpr uint32_t motorPath = 0x00A0A0;  // where a motorised dish's motor sweeps it
constexpr uint32_t satellite = 0x464646;
constexpr uint32_t target = 0xFF0000;
constexpr uint32_t targetName = 0xAA0000;
constexpr uint32_t nearest = 0xF08C00;
constexpr uint32_t nearestName = 0x9A5A00;
constexpr uint32_t cross = 0x0000FF;
constexpr uint32_t beam = 0x0096FF;
constexpr uint32_t beamArea = 0xB4D7FF;
constexpr uint32_t beamName = 0x005AAA;
constexpr uint32_t note = 0x7A007A;
constexpr uint32_t axis = 0x606060;
constexpr uint32_t frame = 0x909090;
constexpr uint32_t stripBackground = 0xF8FAFC;
constexpr uint32_t stripGrid = 0xE0E0E0;
constexpr uint32_t carrierToNoise = 0x005AC8;
constexpr uint32_t quality = 0x00A050;
constexpr uint32_t level = 0x9A6A2A;  // the level over the noise, lock or no lock
constexpr uint32_t threshold = 0xDC7800;
constexpr uint32_t need = 0xB03CB0;  // what the locked modulation and code rate need
constexpr uint32_t lock = 0x00B400;
constexpr uint32_t loss = 0xDC0000;
constexpr uint32_t text = 0x000000;
constexpr uint32_t lockedText = 0x008000;
constexpr uint32_t unlockedText = 0xC00000;
constexpr uint32_t marginalText = 0xB06000;
}  // namespace dishColour

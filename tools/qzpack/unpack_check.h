// Unpacking a container with a verdict that tells the kinds of failure apart.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum class UnpackVerdict { Ok, BadMagic, DamagedStream, ChecksumMismatch, TooLarge };

// On Ok, out holds the unpacked bytes.
UnpackVerdict unpackChecked(const uint8_t* packed, size_t packedLength, std::vector<uint8_t>& out);

const char* describeVerdict(UnpackVerdict verdict);

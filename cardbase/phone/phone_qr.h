// The phone page's address as a QR code: the modules from Debian's qrcodegen,
// and their drawing as text for a terminal. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct QrModules {
    int size = 0;               // modules per side; 0 when the text could not be encoded
    std::vector<uint8_t> dark;  // size * size, row by row
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < size && y < size && dark[y * size + x]; }
};

// Medium error correction: a phone reads it off a screen at an angle.
QrModules qrModulesFor(const std::string& text);

// Two rows of modules per line of text in half blocks (UTF-8), with the
// quiet zone of four modules round it: light modules in the terminal's ink,
// dark ones left blank, for the usual light text on a dark background.
std::string qrTerminalText(const QrModules& modules);

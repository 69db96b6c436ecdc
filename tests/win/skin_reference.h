// The skin picture as the program draws it, for comparing the screen with.
#pragma once
#include <cstdint>
#include <vector>

#include "ui/skin_layout.h"

// 0x00RRGGBB of the picture at (x, y), y from the top row.
uint32_t skinPixel(int x, int y);
// The pixels of a cell, row by row from its top.
std::vector<uint32_t> skinCell(const CellRect& cell);

constexpr uint32_t rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
constexpr uint32_t panelRgb = rgb(128, 197, 255);
constexpr uint32_t bandRgb = rgb(159, 211, 255);
constexpr uint32_t barRgb = rgb(240, 240, 255);
constexpr uint32_t alertRgb = rgb(255, 0, 0);
constexpr uint32_t inkRgb = rgb(0, 0, 30);

// Painting the window face for the current state, and the one primitive
// that copies a skin cell onto the window.
#pragma once
#include "ui/skin_layout.h"

void paintWindow();
void drawSkinCell(const CellRect& cell, int x, int y);
inline void drawSkinCell(const CellRect& cell, Point at) { drawSkinCell(cell, at.x, at.y); }

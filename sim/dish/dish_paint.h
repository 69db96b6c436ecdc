// Drawing the simulated dish's picture with GDI, into whatever device
// context the window hands over (its off-screen bitmap).
#pragma once
#include <windows.h>

#include "sim/dish/dish_picture.h"

// The pens, brushes and fonts the picture is drawn with; made once for the
// window and deleted with it.
struct DishInk {
    HFONT textFont, labelFont;
    HPEN skyGrid, horizon, arc, nearest, cross, beam, frame, stripGrid, carrierToNoise, quality, threshold, need, lock,
        loss, level, motorPath;
    HBRUSH paper, sky, ground, satellite, target, beamArea, crossDot, stripBackground;
};
DishInk createDishInk();
void deleteDishInk(DishInk& ink);

void drawDishPicture(HDC dc, const DishPicture& picture, const DishInk& ink);

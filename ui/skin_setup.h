// Start-up steps that create the window's shape, hit regions, fonts, skin,
// layout rectangles and drawing objects.
#pragma once

void createWindowShape();
void createButtonRegions();
void createFonts();
void loadSkin();
void createKeypadRegions();
void setLayoutRectangles();
void createDrawingObjects();

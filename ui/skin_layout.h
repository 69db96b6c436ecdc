// Geometry of the skinned window: atlas cells (picture coordinates, y from
// the top row of the 646 x 200 skin picture), slots, hit areas, layout
// rectangles, colours. Platform-neutral.
#pragma once
#include <cstdint>

constexpr int skinPictureHeight = 200;

struct CellRect {
    int x, y, width, height;
};

// A button picture in its grey (plain) and light-blue (lit) variants.
struct SkinCell {
    CellRect plain, lit;
};

// Source y of a cell inside the bottom-up skin bitmap.
constexpr int cellSourceY(const CellRect& cell) { return skinPictureHeight - cell.y - cell.height; }

inline constexpr CellRect windowFace{0, 0, 350, 200};

inline constexpr SkinCell mode0Face{{350, 0, 74, 28}, {350, 28, 74, 28}};
inline constexpr SkinCell mode1Face{{424, 0, 74, 28}, {424, 28, 74, 28}};
// FAST and SLOW are drawn without their top row, which the skin does not store.
inline constexpr SkinCell fastFace{{498, 1, 74, 27}, {498, 29, 74, 27}};
inline constexpr SkinCell slowFace{{572, 1, 74, 27}, {572, 29, 74, 27}};
inline constexpr SkinCell editFace{{350, 56, 74, 28}, {350, 84, 74, 28}};
inline constexpr SkinCell helpFace{{424, 56, 74, 28}, {424, 84, 74, 28}};
inline constexpr SkinCell backFace{{498, 56, 74, 28}, {498, 84, 74, 28}};
inline constexpr SkinCell aboutFace{{572, 56, 74, 28}, {572, 84, 74, 28}};
inline constexpr SkinCell findFace{{350, 112, 74, 28}, {350, 140, 74, 28}};
inline constexpr SkinCell minimizeFace{{572, 112, 21, 18}, {572, 130, 21, 18}};
inline constexpr SkinCell closeFace{{593, 112, 21, 18}, {614, 112, 21, 18}};

inline constexpr CellRect homeIcon{350, 168, 20, 15};
inline constexpr CellRect toneIcon{370, 168, 20, 15};
inline constexpr CellRect englishIcon{390, 168, 20, 15};
inline constexpr CellRect russianIcon{410, 168, 20, 15};
inline constexpr CellRect voiceIcon{430, 168, 20, 15};
inline constexpr CellRect silentIcon{450, 168, 20, 15};
inline constexpr CellRect blankSlot{5, 35, 20, 15};

struct Point {
    int x, y;
};

// Where the cells are drawn (window client coordinates).
inline constexpr Point leftButtonSlot{36, 160};
inline constexpr Point measuringLeftButtonSlot{36, 161};
inline constexpr Point middleButtonSlot{138, 160};
inline constexpr Point rightButtonSlot{240, 160};
inline constexpr Point minimizeSlot{262, 6};
inline constexpr Point closeSlot{289, 6};
inline constexpr Point languageSlot{5, 35};
inline constexpr Point soundModeSlot{5, 70};
inline constexpr Point homeSiteSlot{5, 105};

struct Bounds {
    int left, top, right, bottom;
};

// Hit areas: rectangles and the ellipses inscribed in the bounds.
inline constexpr Bounds windowShapeBounds{0, 0, 350, 200};
constexpr int windowCornerEllipse = 85;
inline constexpr Bounds closeBounds{289, 6, 310, 24};
inline constexpr Bounds minimizeBounds{262, 6, 283, 24};
inline constexpr Bounds leftButtonBounds{36, 160, 110, 188};
inline constexpr Bounds middleButtonBounds{138, 160, 212, 188};
inline constexpr Bounds rightButtonBounds{240, 160, 304, 188};  // narrower than its 74-pixel picture
inline constexpr Bounds languageBounds{5, 35, 25, 50};
inline constexpr Bounds soundModeBounds{5, 70, 25, 85};
inline constexpr Bounds homeSiteBounds{5, 105, 25, 120};
// The sound-mode button's hover help also covers the 10 pixels below it.
inline constexpr Bounds soundModeHelpBounds{soundModeBounds.left, soundModeBounds.top, soundModeBounds.right,
                                            soundModeBounds.bottom + 10};
constexpr int keypadCellCount = 16;
// Cells below keypadEraseCell type their caption; these two edit the entry.
constexpr int keypadEraseCell = 14;
constexpr int keypadClearCell = 15;
inline constexpr Bounds keypadCellBounds(int cell) { return {40 + 17 * cell, 130, 55 + 17 * cell, 150}; }
inline constexpr Point keypadCaptionAt(int cell) { return {42 + 17 * cell, 128}; }

// Layout rectangles.
inline constexpr Bounds promptBounds{40, 40, 300, 80};
inline constexpr Bounds entryBounds{42, 86, 307, 114};
inline constexpr Bounds barBounds{42, 88, 42, 112};
inline constexpr Bounds bigReadoutBounds{65, 50, 275, 140};
inline constexpr Bounds bigPanelBounds{38, 82, 310, 150};
inline constexpr Bounds snrBounds{240, 130, 310, 150};

inline constexpr Point smallPercentAt{160, 87};
inline constexpr Point snrTextAt{240, 130};
inline constexpr Point bannerAt{40, 40};
inline constexpr Point sweepLineStart{42, 113};

// Colours as 0x00BBGGRR.
constexpr uint32_t inkColour = 0x1E0000;
constexpr uint32_t highlightColour = 0xFFDCC8;
constexpr uint32_t alertColour = 0x0000FF;
constexpr uint32_t panelColour = 0xFFC580;
constexpr uint32_t barColour = 0xFFF0F0;
constexpr uint32_t entryBandColour = 0xFFD39F;

// Right edge of the level bar for a quality percentage (the bar spans 265
// pixels for 100 %).
int barRightEdge(int32_t signalQuality);

// The no-signal sweep line grows 3 pixels per paint and starts over at the
// left end of the band once it has passed x 305.
int16_t nextSweepX(int16_t sweepX);

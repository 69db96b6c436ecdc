// Where the window's buttons and keypad are, and the hand and eye the
// input tests drive them with: clicks and moves that wait for the program
// to settle, and the painting over of an area to see whether it is drawn
// again.
#pragma once
#include <string>

#include "tests/win/program_test.h"

inline const Point leftButton{73, 174}, middleButton{175, 174}, rightButton{272, 174};
inline const Point languageButton{15, 42}, soundButton{15, 77}, homeButton{15, 112};
inline const Point outside{200, 60};

inline Point keypadCell(int cell) { return {47 + 17 * cell, 140}; }

inline void click(const AppRun& run, Point at)
{
    postClick(run.window, at.x, at.y);
    settle(run);
}

inline void move(const AppRun& run, Point at)
{
    postMouseMove(run.window, at.x, at.y);
    settle(run);
}

inline void clickCells(const AppRun& run, const std::string& text)
{
    static const std::string captions = "1234567890HVAB<C";
    for (char c : text) click(run, keypadCell(static_cast<int>(captions.find(c))));
}

// Paints black over an area from this process: a later draw of the program
// shows, no draw leaves it black.
inline void blackOut(const AppRun& run, int x, int y, int width, int height)
{
    HDC dc = GetDC(run.window);
    RECT area = {x, y, x + width, y + height};
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    GdiFlush();
    ReleaseDC(run.window, dc);
    Sleep(100);
}

inline bool allBlack(const AppRun& run, int x, int y, int width, int height)
{
    for (uint32_t p : screenArea(run.window, x, y, width, height))
        if (p != 0) return false;
    return true;
}

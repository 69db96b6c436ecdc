// The simulated dish's steering window, on a thread of its own with its own
// message loop: the program's user-interface thread takes the keyboard focus
// back whenever its window is activated, so the window cannot live there.
#pragma once
#include <windows.h>

#include "cardbase/reading_feed.h"
#include "sim/dish/dish_model.h"

struct DishWindow;

// What the tests and tools find the window and its thread by.
constexpr char dishWindowClass[] = "AzimoraSimulatedDish";
constexpr char dishWindowThreadName[] = "dish window";

// Shows the window for `model`, which it reads and steers only while
// holding `lock`, and what `feed` knows of the network the card is locked
// to. Null when the window could not be made.
DishWindow* startDishWindow(CRITICAL_SECTION* lock, DishModel* model, ReadingFeed* feed);

// Closes the window and waits for its thread to end. Must not be called
// while the loader lock is held. Null does nothing.
void stopDishWindow(DishWindow* window);

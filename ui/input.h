// Pointer and keyboard input of the main window and the satellite list.
#pragma once
#include <windows.h>

void onMouseMove(LPARAM position);
void onLeftButtonDown(LPARAM position);
void onLeftButtonDoubleClick();
void onKeyDown(WPARAM virtualKey);
void onCharacter(WPARAM character);

void leftButtonAction();

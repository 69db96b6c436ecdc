// The application frame: start-up, window procedure and shutdown.
#pragma once
#include <windows.h>

int setWorkingDirectory();
void initializeWindowResources();
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The main window's class, by which other programs find the window.
constexpr char mainWindowClass[] = "dazm";

constexpr int windowWidth = 350;
constexpr int windowHeight = 200;
constexpr int appIconId = 142;

// Entry point: one popup window, its start-up sequence and the message loop.
#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "app/frame.h"
#include "app/module_directory.h"
#include "tuner/tuner.h"

int setWorkingDirectory()
{
    char path[512];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0) return 1;
    if (length >= sizeof path) length = sizeof path - 1;  // truncated path: keep it terminated

    size_t directoryLength = moduleDirectoryLength(path, length);
    char* directory = static_cast<char*>(std::malloc(directoryLength + 1));
    if (!directory) return 1;
    std::memcpy(directory, path, directoryLength);
    directory[directoryLength] = '\0';
    SetCurrentDirectoryA(directory);
    std::free(directory);
    return 0;
}

static void registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(appIconId));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = mainWindowClass;
    RegisterClassExA(&windowClass);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    setWorkingDirectory();
    registerWindowClass(instance);
    app.instance = instance;

    app.mainWindow =
        CreateWindowExA(0, mainWindowClass, "AZM 0.98", WS_POPUP, GetSystemMetrics(SM_CXSCREEN) / 2 - windowWidth / 2,
                        GetSystemMetrics(SM_CYSCREEN) / 2 - windowHeight / 2, windowWidth, windowHeight, nullptr,
                        nullptr, instance, nullptr);
    if (!app.mainWindow) return 1;  // nothing to show and nothing to release
    app.windowDc = GetDC(app.mainWindow);
    ShowWindow(app.mainWindow, showCommand);
    initializeWindowResources();

    // A start-up step may already have destroyed the window (no catalogue
    // could be created); then there is no card to open.
    if (IsWindow(app.mainWindow)) {
        UpdateWindow(app.mainWindow);
        if (openTuner()) DestroyWindow(app.mainWindow);
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

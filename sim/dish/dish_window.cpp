#include "sim/dish/dish_window.h"

#include <new>
#include <string>
#include <vector>

#include "cardbase/com_server.h"
#include "sim/dish/dish_view.h"

struct DishWindow {
    CRITICAL_SECTION* lock;
    DishModel* model;
    HANDLE thread;
    HANDLE ready;
    HWND window;
    HFONT font;
};

static const char windowClass[] = "AzimoraSimulatedDish";
static const UINT closeMessage = WM_APP + 1;
static const UINT_PTR refreshTimer = 1;
static const int clientWidth = 300;
static const int clientHeight = 200;

static void steer(HWND window, DishAxis axis, int direction)
{
    DishWindow* dish = reinterpret_cast<DishWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    const bool coarse = GetKeyState(VK_SHIFT) < 0;
    EnterCriticalSection(dish->lock);
    steerDish(*dish->model, axis, direction, coarse);
    LeaveCriticalSection(dish->lock);
    InvalidateRect(window, nullptr, FALSE);
}

static void paint(HWND window)
{
    DishWindow* dish = reinterpret_cast<DishWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    EnterCriticalSection(dish->lock);
    const DishView view = dishView(*dish->model, GetTickCount());
    LeaveCriticalSection(dish->lock);
    const std::vector<std::string> lines = dishWindowLines(view);

    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ oldFont = SelectObject(dc, dish->font ? dish->font : GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    const int lineHeight = metrics.tmHeight + 1;
    SetBkColor(dc, RGB(255, 255, 255));
    // Each line fills its whole row, so the window repaints without flicker.
    int y = 4;
    RECT row = {0, 0, client.right, y};
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);
    for (const std::string& line : lines) {
        row = {0, y, client.right, y + lineHeight};
        const bool signalLine = line.compare(0, 7, "Signal ") == 0;
        SetTextColor(dc, signalLine ? (view.verdict == Locked ? RGB(0, 128, 0) : RGB(192, 0, 0)) : RGB(0, 0, 0));
        ExtTextOutA(dc, 6, y + 1, ETO_OPAQUE, &row, line.c_str(), static_cast<UINT>(line.size()), nullptr);
        y += lineHeight;
    }
    row = {0, y, client.right, client.bottom};
    if (row.top < row.bottom) ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);
    SelectObject(dc, oldFont);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK dishWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        SetTimer(window, refreshTimer, 200, nullptr);
        return 0;
    case WM_TIMER: InvalidateRect(window, nullptr, FALSE); return 0;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_LEFT: steer(window, AzimuthAxis, -1); break;
        case VK_RIGHT: steer(window, AzimuthAxis, 1); break;
        case VK_UP: steer(window, ElevationAxis, 1); break;
        case VK_DOWN: steer(window, ElevationAxis, -1); break;
        case VK_PRIOR: steer(window, SkewAxis, 1); break;
        case VK_NEXT: steer(window, SkewAxis, -1); break;
        }
        return 0;
    case WM_CHAR:
        // With Shift the brackets arrive as braces.
        if (wParam == '[' || wParam == '{') steer(window, SkewAxis, -1);
        else if (wParam == ']' || wParam == '}') steer(window, SkewAxis, 1);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(window); return 0;
    case WM_CLOSE:
        // The dish stays as long as the card: closing only puts it aside.
        ShowWindow(window, SW_MINIMIZE);
        return 0;
    case WM_DESTROY:
        KillTimer(window, refreshTimer);
        PostQuitMessage(0);
        return 0;
    }
    if (message == closeMessage) {
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND createDishWindow(DishWindow* dish)
{
    // Columns line up in a fixed-pitch font.
    dish->font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");

    WNDCLASSA windowClassInfo = {};
    windowClassInfo.lpfnWndProc = dishWindowProcedure;
    windowClassInfo.hInstance = cardModule;
    windowClassInfo.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClassInfo.lpszClassName = windowClass;
    if (!RegisterClassA(&windowClassInfo) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    // Top left of the work area, clear of the program's centred window.
    RECT work = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND window = CreateWindowExA(0, windowClass, "Simulated dish", style, work.left, work.top, width, height, nullptr,
                                  nullptr, cardModule, dish);
    // Shown without taking the focus from the program; a click steers.
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

static DWORD WINAPI dishWindowThread(void* parameter)
{
    DishWindow* dish = static_cast<DishWindow*>(parameter);
    dish->window = createDishWindow(dish);
    const bool shown = dish->window != nullptr;
    SetEvent(dish->ready);
    MSG message;
    while (shown && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // Fails while another card's window is still up; that one unregisters it.
    UnregisterClassA(windowClass, cardModule);
    if (dish->font) DeleteObject(dish->font);
    return 0;
}

// Messages that the window's thread sends to this one (activation moving on
// as a window comes or goes) are handled while waiting; nothing posted is.
static void waitHandlingSentMessages(HANDLE handle)
{
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

DishWindow* startDishWindow(CRITICAL_SECTION* lock, DishModel* model)
{
    DishWindow* dish = new (std::nothrow) DishWindow{lock, model, nullptr, nullptr, nullptr, nullptr};
    if (!dish) return nullptr;
    dish->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (dish->ready) dish->thread = CreateThread(nullptr, 0, dishWindowThread, dish, 0, nullptr);
    if (dish->thread) waitHandlingSentMessages(dish->ready);
    if (dish->window) return dish;
    if (dish->thread) {
        WaitForSingleObject(dish->thread, INFINITE);  // it ends at once without a window
        CloseHandle(dish->thread);
    }
    if (dish->ready) CloseHandle(dish->ready);
    delete dish;
    return nullptr;
}

void stopDishWindow(DishWindow* dish)
{
    if (!dish) return;
    PostMessageA(dish->window, closeMessage, 0, 0);
    waitHandlingSentMessages(dish->thread);
    CloseHandle(dish->thread);
    CloseHandle(dish->ready);
    delete dish;
}

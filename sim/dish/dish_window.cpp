#include "sim/dish/dish_window.h"

#include <new>

#include "app/wall_clock.h"
#include "cardbase/com_server.h"
#include "cardbase/sent_messages.h"
#include "cardbase/thread_name.h"
#include "sim/dish/dish_paint.h"
#include "sim/dish/dish_pointing.h"
#include "sim/dish/rough_aim.h"

struct DishWindow {
    CRITICAL_SECTION* lock;
    ReadingFeed* feed;
    DishModel* model;
    HANDLE thread;
    HANDLE ready;
    HWND window;
    DishInk ink;
    // The picture is drawn off screen and copied to the window in one go.
    HDC canvas;
    HBITMAP canvasBitmap;
    HGDIOBJ canvasOldBitmap;
    DishLayout layout;
    SignalHistory history;
    DishPicture shown;  // what the canvas holds
    bool drawn;
    bool dragging;
    SkyDrag drag;
    int hover;  // the satellite under the mouse pointer, or -1
    AimDraws aim;
    DWORD steeredAtMs;  // the latest steering by the user
    DWORD frameCount;
    // Where to point for the target, worked out when it changes and once a minute.
    std::vector<std::string> whereToPoint;
    int pointingFor;
    DWORD pointingAtMs;
};

static const UINT closeMessage = WM_APP + 1;
static const UINT_PTR frameTimer = 1;
// The picture is looked at 20 times a second while the user steers and for
// a second after, five times a second otherwise (as the readings come, ten a
// second, the chart would change at every look, and drawing it is the
// practice dish's main cost), and drawn when it changed.
static const UINT frameIntervalMs = 50;
static const DWORD steeringFramesMs = 1000;
// How close to a satellite's mark the mouse pointer must be to take it.
static const int markRadius = 6;
// Every run of the card draws the same rough aims.
static const uint32_t aimSeed = 1;
// The program's window is 350 x 200, centred on the screen.
static const int programHeight = 200;

static DishWindow* dishOf(HWND window)
{
    return reinterpret_cast<DishWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

static PixelPoint pointOf(LPARAM lParam)
{
    return PixelPoint{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

static void updatePointing(DishWindow* dish, const DishView& view, DWORD now)
{
    const int target = view.tunedSatellite >= 0 ? view.tunedSatellite : view.nearest;
    if (target == dish->pointingFor && now - dish->pointingAtMs < dishPointingRefreshMs) return;
    dish->whereToPoint = dishPointingLines(*dish->model, target, wallClockMs(), zoneMinutesAt);
    dish->pointingFor = target;
    dish->pointingAtMs = now;
}

// Takes a sample for the strip chart and draws the picture when anything
// on it changed.
static void showFrame(DishWindow* dish)
{
    const DWORD now = GetTickCount();
    const bool visible = dish->canvas && !IsIconic(dish->window);
    DishPicture picture{};
    std::vector<PositionTenths> expected;
    const NetworkReport network = feedNetworkReport(*dish->feed, &expected);
    const LinkMargin margin = feedLatestMargin(*dish->feed);
    const std::string peak = feedPeakLine(*dish->feed);
    EnterCriticalSection(dish->lock);
    followMotor(*dish->model, now);
    DishView view = dishView(*dish->model, now);
    view.network = network;
    view.expected = expected;
    updatePointing(dish, view, now);
    view.whereToPoint = dish->whereToPoint;
    view.margin = margin;
    view.peak = peak;
    if (view.tuning.tuned) addSample(dish->history, sampleOf(view, now));
    if (visible) picture = dishPicture(*dish->model, view, dish->history, dish->layout, dish->hover);
    LeaveCriticalSection(dish->lock);
    if (!visible || (dish->drawn && picture == dish->shown)) return;
    drawDishPicture(dish->canvas, picture, dish->ink);
    dish->shown = std::move(picture);
    dish->drawn = true;
    InvalidateRect(dish->window, nullptr, FALSE);
}

static void releaseCanvas(DishWindow* dish)
{
    if (!dish->canvas) return;
    SelectObject(dish->canvas, dish->canvasOldBitmap);
    DeleteObject(dish->canvasBitmap);
    DeleteDC(dish->canvas);
    dish->canvas = nullptr;
    dish->canvasBitmap = nullptr;
}

static void resize(DishWindow* dish, int width, int height)
{
    releaseCanvas(dish);
    EnterCriticalSection(dish->lock);
    dish->layout = dishLayout(width, height, dish->model->site);
    LeaveCriticalSection(dish->lock);
    // Below the smallest size the picture is cut off, not squeezed.
    const int canvasWidth = dish->layout.text.right, canvasHeight = dish->layout.text.bottom;
    HDC screen = GetDC(dish->window);
    HDC canvas = CreateCompatibleDC(screen);
    HBITMAP bitmap = canvas ? CreateCompatibleBitmap(screen, canvasWidth, canvasHeight) : nullptr;
    ReleaseDC(dish->window, screen);
    if (!bitmap) {
        if (canvas) DeleteDC(canvas);
        return;
    }
    dish->canvas = canvas;
    dish->canvasBitmap = bitmap;
    dish->canvasOldBitmap = SelectObject(canvas, bitmap);
    dish->drawn = false;
    showFrame(dish);
}

static void paint(DishWindow* dish)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dish->window, &paint);
    const RECT& area = paint.rcPaint;
    if (dish->canvas && dish->drawn)
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, dish->canvas, area.left,
               area.top, SRCCOPY);
    else FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EndPaint(dish->window, &paint);
}

static void noteSteering(DishWindow* dish) { dish->steeredAtMs = GetTickCount(); }

static void frameDue(DishWindow* dish)
{
    const bool steering = GetTickCount() - dish->steeredAtMs < steeringFramesMs;
    if (steering || ++dish->frameCount % 4 == 0) showFrame(dish);
}

static void steer(DishWindow* dish, DishAxis axis, int direction)
{
    noteSteering(dish);
    const bool coarse = GetKeyState(VK_SHIFT) < 0;
    EnterCriticalSection(dish->lock);
    steerDish(*dish->model, axis, direction, coarse);
    LeaveCriticalSection(dish->lock);
}

static void startDragging(DishWindow* dish, PixelPoint at)
{
    if (!dish->drawn || !contains(dish->shown.sky.chart.plot, at)) return;
    EnterCriticalSection(dish->lock);
    dish->drag = startDrag(at, dish->model->pointing);
    LeaveCriticalSection(dish->lock);
    dish->dragging = true;
    SetCapture(dish->window);
}

static void mouseMoved(DishWindow* dish, PixelPoint at, bool fine)
{
    if (dish->dragging) {
        noteSteering(dish);
        EnterCriticalSection(dish->lock);
        pointDish(*dish->model, dragTo(dish->drag, dish->shown.sky.chart, at, fine));
        LeaveCriticalSection(dish->lock);
    } else if (dish->drawn) {
        dish->hover = markNear(dish->shown.sky.marks, at, markRadius);
        // Told when the pointer leaves, so that the name it showed goes too.
        TRACKMOUSEEVENT leaving = {sizeof leaving, TME_LEAVE, dish->window, 0};
        if (dish->hover >= 0) TrackMouseEvent(&leaving);
    }
}

// A double-click on a satellite points the dish at it as roughly as by eye.
static void aimNear(DishWindow* dish, PixelPoint at)
{
    if (!dish->drawn) return;
    const int satellite = markNear(dish->shown.sky.marks, at, markRadius);
    if (satellite < 0) return;
    noteSteering(dish);
    EnterCriticalSection(dish->lock);
    DishModel& model = *dish->model;
    const DishPointing direction =
        lookAngles(model.site, model.sky[static_cast<size_t>(satellite)].longitudeDeg).direction;
    pointDish(model, roughlyAt(direction, model.pointing.skewDeg, dish->aim));
    LeaveCriticalSection(dish->lock);
}

// A four-way arrow on the chart, a hand on a satellite.
static bool setCursor(DishWindow* dish)
{
    POINT at;
    if (!dish->drawn || !GetCursorPos(&at) || !ScreenToClient(dish->window, &at)) return false;
    const PixelPoint point{at.x, at.y};
    if (!contains(dish->shown.sky.chart.plot, point)) return false;
    const bool onMark = markNear(dish->shown.sky.marks, point, markRadius) >= 0;
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(onMark ? IDC_HAND : IDC_SIZEALL)));
    return true;
}

static RECT frameFor(int clientWidth, int clientHeight)
{
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return frame;
}

static LRESULT CALLBACK dishWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DishWindow* dish = dishOf(window);
    if (message == WM_GETMINMAXINFO) {
        const RECT least = frameFor(dishMinimumWidth, dishMinimumHeight);
        MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{least.right - least.left, least.bottom - least.top};
        return 0;
    }
    if (!dish && message != WM_CREATE) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: {
        dish = static_cast<DishWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dish));
        dish->window = window;
        RECT client;
        GetClientRect(window, &client);
        resize(dish, client.right, client.bottom);
        SetTimer(window, frameTimer, frameIntervalMs, nullptr);
        return 0;
    }
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) resize(dish, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_TIMER: frameDue(dish); return 0;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_LEFT: steer(dish, AzimuthAxis, -1); break;
        case VK_RIGHT: steer(dish, AzimuthAxis, 1); break;
        case VK_UP: steer(dish, ElevationAxis, 1); break;
        case VK_DOWN: steer(dish, ElevationAxis, -1); break;
        case VK_PRIOR: steer(dish, SkewAxis, 1); break;
        case VK_NEXT: steer(dish, SkewAxis, -1); break;
        }
        return 0;
    case WM_CHAR:
        // With Shift the brackets arrive as braces.
        if (wParam == '[' || wParam == '{') steer(dish, SkewAxis, -1);
        else if (wParam == ']' || wParam == '}') steer(dish, SkewAxis, 1);
        return 0;
    case WM_LBUTTONDOWN: startDragging(dish, pointOf(lParam)); return 0;
    case WM_MOUSEMOVE: mouseMoved(dish, pointOf(lParam), (wParam & MK_SHIFT) != 0); return 0;
    case WM_LBUTTONUP:
        if (dish->dragging) ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED: dish->dragging = false; return 0;
    case WM_LBUTTONDBLCLK: aimNear(dish, pointOf(lParam)); return 0;
    case WM_MOUSELEAVE: dish->hover = -1; return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && setCursor(dish)) return TRUE;
        break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(dish); return 0;
    case WM_CLOSE:
        // The dish stays as long as the card: closing only puts it aside.
        ShowWindow(window, SW_MINIMIZE);
        return 0;
    case WM_DESTROY:
        KillTimer(window, frameTimer);
        releaseCanvas(dish);
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
    WNDCLASSA windowClassInfo = {};
    windowClassInfo.style = CS_DBLCLKS;
    windowClassInfo.lpfnWndProc = dishWindowProcedure;
    windowClassInfo.hInstance = cardModule;
    windowClassInfo.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClassInfo.lpszClassName = dishWindowClass;
    if (!RegisterClassA(&windowClassInfo) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

    // Top left of the work area, above the program's centred window: as
    // wide as wanted and as high as the room there allows.
    RECT work = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT wanted = frameFor(dishPreferredWidth, dishPreferredHeight);
    const RECT least = frameFor(dishMinimumWidth, dishMinimumHeight);
    const int room = (GetSystemMetrics(SM_CYSCREEN) - programHeight) / 2 - work.top;
    int width = wanted.right - wanted.left, height = wanted.bottom - wanted.top;
    if (width > work.right - work.left) width = work.right - work.left;
    if (height > room) height = room;
    if (height < least.bottom - least.top) height = least.bottom - least.top;
    HWND window = CreateWindowExA(0, dishWindowClass, "Simulated dish", WS_OVERLAPPEDWINDOW, work.left, work.top, width,
                                  height, nullptr, nullptr, cardModule, dish);
    // Shown without taking the focus from the program; a click steers.
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

static DWORD WINAPI dishWindowThread(void* parameter)
{
    DishWindow* dish = static_cast<DishWindow*>(parameter);
    nameThisThread(dishWindowThreadName);
    dish->ink = createDishInk();
    const HWND window = createDishWindow(dish);
    // Set by WM_CREATE already; a window that failed to come leaves none.
    dish->window = window;
    const bool shown = window != nullptr;
    SetEvent(dish->ready);
    MSG message;
    while (shown && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // Fails while another card's window is still up; that one unregisters it.
    UnregisterClassA(dishWindowClass, cardModule);
    deleteDishInk(dish->ink);
    return 0;
}

DishWindow* startDishWindow(CRITICAL_SECTION* lock, DishModel* model, ReadingFeed* feed)
{
    DishWindow* dish = new (std::nothrow) DishWindow{};
    if (!dish) return nullptr;
    dish->lock = lock;
    dish->feed = feed;
    dish->model = model;
    dish->hover = -1;
    dish->pointingFor = -2;  // none worked out yet
    dish->aim = aimDrawsFrom(aimSeed);
    dish->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (dish->ready) dish->thread = CreateThread(nullptr, 0, dishWindowThread, dish, 0, nullptr);
    if (dish->thread) waitHandlingSentMessages(dish->ready, INFINITE);
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
    waitHandlingSentMessages(dish->thread, INFINITE);
    CloseHandle(dish->thread);
    CloseHandle(dish->ready);
    delete dish;
}

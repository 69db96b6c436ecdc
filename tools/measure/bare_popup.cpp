// The platform's floor for start-up: a bare 350 x 200 popup at the same
// place as the program's window that paints itself once in one colour.
#include <windows.h>

static LRESULT CALLBACK bareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(RGB(128, 197, 255));
        RECT all = {0, 0, 350, 200};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = bareWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "barepopup";
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, "barepopup", "bare", WS_POPUP, GetSystemMetrics(SM_CXSCREEN) / 2 - 175,
                        GetSystemMetrics(SM_CYSCREEN) / 2 - 100, 350, 200, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

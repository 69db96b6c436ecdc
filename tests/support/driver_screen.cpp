// The driver's eye on the program: pixels of the screen where its windows
// are, read back as colours.
#include "tests/support/driver.h"

COLORREF screenPixel(HWND window, int x, int y)
{
    RECT frame;
    GetWindowRect(window, &frame);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, frame.left + x, frame.top + y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// A rectangle of the screen in screen coordinates.
static std::vector<uint32_t> screenPixels(int left, int top, int width, int height)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + static_cast<size_t>(width) * height);
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<uint32_t> screenArea(HWND window, int x, int y, int width, int height)
{
    RECT frame;
    GetWindowRect(window, &frame);
    return screenPixels(frame.left + x, frame.top + y, width, height);
}

std::vector<uint32_t> clientArea(HWND window, int x, int y, int width, int height)
{
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return screenPixels(origin.x + x, origin.y + y, width, height);
}

bool waitForScreenColour(HWND window, int x, int y, uint32_t colour, int timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (screenArea(window, x, y, 1, 1)[0] == colour) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(10);
    }
}

int countColour(const std::vector<uint32_t>& pixels, uint32_t colour)
{
    int count = 0;
    for (uint32_t pixel : pixels) count += pixel == colour;
    return count;
}

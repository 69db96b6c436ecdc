// The "Phone" window: the page's address as a QR code to scan and as text
// to type, how many phones follow, or why there is no page.
#include "cardbase/com_server.h"
#include "cardbase/phone/phone_parts.h"
#include "cardbase/phone/phone_service.h"

static const int clientWidth = 300;
static const int codeHeight = 300;
static const int clientHeight = 420;
static const int margin = 12;

static PhoneView* viewOf(HWND window) { return reinterpret_cast<PhoneView*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

// The view's texts are UTF-8 (a tuner's name may be in any script); a text
// that is no UTF-8, such as an environment value typed in the system's code
// page, is taken in that code page rather than drawn as replacement marks.
static std::wstring wideText(const std::string& text)
{
    const int size = static_cast<int>(text.size());
    UINT codePage = CP_UTF8;
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) {
        codePage = CP_ACP;
        length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    }
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
    return wide;
}

static void drawText(HDC dc, const std::string& text, RECT area, HFONT font, COLORREF colour, UINT format)
{
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, colour);
    const std::wstring wide = wideText(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, format | DT_NOPREFIX);
    SelectObject(dc, old);
}

static void paintCode(HDC dc, const QrModules& code)
{
    const int quiet = 4, span = code.size + 2 * quiet;
    const int module = (clientWidth - 2 * margin) / span;
    const int left = (clientWidth - module * span) / 2 + quiet * module, top = margin + quiet * module;
    HBRUSH ink = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (int y = 0; y < code.size; ++y)
        for (int x = 0; x < code.size; ++x) {
            if (!code.at(x, y)) continue;
            const RECT cell = {left + x * module, top + y * module, left + (x + 1) * module, top + (y + 1) * module};
            FillRect(dc, &cell, ink);
        }
}

static std::string phonesText(int phones)
{
    if (phones == 0) return "No phone follows yet: scan the code, or type the address, on a phone on this network.";
    return std::to_string(phones) + (phones == 1 ? " phone follows" : " phones follow") + " the measurement.";
}

static void paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    const PhoneView* view = viewOf(window);
    if (view) {
        const RECT below = {margin, codeHeight, client.right - margin, client.bottom - margin};
        if (view->problem.empty()) {
            paintCode(dc, view->code);
            RECT address = below;
            address.bottom = address.top + 24;
            drawText(dc, view->address, address, view->addressFont, RGB(0, 0, 0), DT_CENTER | DT_SINGLELINE);
            RECT rest = below;
            rest.top += 30;
            drawText(dc, phonesText(view->phones) + "\n\n" + view->card, rest, nullptr, RGB(60, 60, 60),
                     DT_CENTER | DT_WORDBREAK);
        } else {
            RECT area = {margin, margin * 3, client.right - margin, client.bottom - margin};
            drawText(dc, "No phone page.\n\n" + view->problem + "\n\nMeasuring goes on without it.", area, nullptr,
                     RGB(170, 0, 0), DT_CENTER | DT_WORDBREAK);
        }
    }
    EndPaint(window, &paint);
}

static LRESULT CALLBACK phoneWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(window); return 0;
    case WM_CLOSE:
        // The page stays as long as the card: closing only puts the window aside.
        ShowWindow(window, SW_MINIMIZE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createPhoneWindow(PhoneView* view)
{
    WNDCLASSA windowClassInfo = {};
    windowClassInfo.lpfnWndProc = phoneWindowProcedure;
    windowClassInfo.hInstance = cardModule;
    windowClassInfo.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClassInfo.lpszClassName = phoneWindowClass;
    if (!RegisterClassA(&windowClassInfo) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    view->addressFont = CreateFontA(-17, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    // Top right of the work area, clear of the practice dish at the top left.
    RECT work = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND window = CreateWindowExA(0, phoneWindowClass, "Phone", style, work.right - width, work.top, width, height,
                                  nullptr, nullptr, cardModule, view);
    // Shown without taking the focus from the program.
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void showPhoneView(HWND window)
{
    if (window) InvalidateRect(window, nullptr, FALSE);
}

void destroyPhoneWindow(HWND window, PhoneView* view)
{
    if (window) DestroyWindow(window);
    if (view->addressFont) DeleteObject(view->addressFont);
    view->addressFont = nullptr;
    // Fails while another card's window is still up; that one unregisters it.
    UnregisterClassA(phoneWindowClass, cardModule);
}

// The driver's hand on the program: keys, characters, clicks and drags
// posted to its windows, and what its satellite list and focus show.
#include "tests/support/driver.h"

void postKey(HWND window, UINT virtualKey)
{
    const UINT scan = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void postCharacter(HWND window, char character)
{
    PostMessageA(window, WM_CHAR, static_cast<unsigned char>(character), 1);
}

void postText(HWND window, const std::string& text)
{
    for (char c : text) postCharacter(window, c);
}

void postClick(HWND window, int x, int y)
{
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageA(window, WM_MOUSEMOVE, 0, at);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
}

void postMouseMove(HWND window, int x, int y) { PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

void postDrag(HWND window, int fromX, int fromY, int toX, int toY, WPARAM keys)
{
    PostMessageA(window, WM_MOUSEMOVE, keys, MAKELPARAM(fromX, fromY));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(fromX, fromY));
    const int steps = 4;
    for (int i = 1; i <= steps; ++i) {
        const int x = fromX + (toX - fromX) * i / steps, y = fromY + (toY - fromY) * i / steps;
        PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | keys, MAKELPARAM(x, y));
    }
    PostMessageA(window, WM_LBUTTONUP, keys, MAKELPARAM(toX, toY));
}

void postDoubleClick(HWND window, int x, int y)
{
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageA(window, WM_MOUSEMOVE, 0, at);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
}

HWND satelliteList(HWND mainWindow) { return FindWindowExA(mainWindow, nullptr, "ComboBox", nullptr); }

std::vector<std::string> satelliteListLines(HWND list)
{
    // Asked in wide characters: across processes the narrow form comes back
    // in wide characters anyway and overruns a narrow buffer.
    std::vector<std::string> lines;
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, i, 0);
        std::wstring wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
        std::string line(wide.size() * 2, '\0');
        const int converted =
            WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &line[0], static_cast<int>(line.size()), nullptr, nullptr);
        line.resize(converted > 0 ? static_cast<size_t>(converted - 1) : 0);
        lines.push_back(line);
    }
    return lines;
}

HWND focusedWindow(const AppRun& run)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!run.window) return nullptr;
    const DWORD thread = GetWindowThreadProcessId(run.window, nullptr);
    if (!GetGUIThreadInfo(thread, &info)) return nullptr;
    return info.hwndFocus;
}

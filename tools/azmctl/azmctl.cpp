// A small remote control for the running program, for scripts and demos:
//   azmctl wait [MS]       wait until the window is up (prints its position)
//   azmctl close           close it as the close button would
//   azmctl key VK          press a key on the window (decimal virtual-key code)
//   azmctl text TEXT       type characters on the window
//   azmctl click X Y       click at a client position
//   azmctl dblclick X Y    double-click at a client position
//   azmctl select N        select line N of the satellite list
//   azmctl dishwait [MS]   wait until the practice dish's window is up (prints its client area's position)
//   azmctl phonewait [MS]  wait until the card's Phone window is up (prints its client area's position)
//   azmctl dishkey VK [N [GAP]]  press a key on the practice dish's window, N times GAP ms apart
//                          (default 100); prints when the last press was posted, in ms since 1970
// Exit code 0 on success, 1 when the window is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/frame.h"
#include "app/wall_clock.h"
#include "cardbase/phone/phone_service.h"
#include "sim/dish/dish_window.h"

static HWND findWindow(const char* className, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, nullptr);
        if (window && IsWindowVisible(window)) return window;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: azmctl wait|close|key|text|click|dblclick|select|dishwait|dishkey ...\n");
        return 2;
    }
    const char* command = argv[1];
    const bool phone = std::strcmp(command, "phonewait") == 0;
    const bool waiting = std::strcmp(command, "wait") == 0 || std::strcmp(command, "dishwait") == 0 || phone;
    const DWORD timeout = waiting && argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 15000;
    const bool dish = std::strncmp(command, "dish", 4) == 0;
    HWND window = findWindow(dish ? dishWindowClass : phone ? phoneWindowClass : mainWindowClass, timeout);
    if (!window) {
        std::fprintf(stderr, "azmctl: the %s window is not there\n",
                     dish    ? "practice dish's"
                     : phone ? "Phone"
                             : "program's");
        return 1;
    }
    if (waiting) {
        RECT frame;
        GetWindowRect(window, &frame);
        if (dish || phone) {
            // Without a window manager the caption's buttons come out as letters: the client area looks better.
            POINT origin = {0, 0};
            ClientToScreen(window, &origin);
            GetClientRect(window, &frame);
            OffsetRect(&frame, origin.x, origin.y);
        }
        std::printf("%ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    } else if (std::strcmp(command, "close") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (std::strcmp(command, "key") == 0 && argc > 2) {
        const WPARAM key = std::strtoul(argv[2], nullptr, 10);
        PostMessageA(window, WM_KEYDOWN, key, 1);
        PostMessageA(window, WM_KEYUP, key, 0xC0000001);
    } else if (std::strcmp(command, "text") == 0 && argc > 2) {
        for (const char* c = argv[2]; *c; ++c) PostMessageA(window, WM_CHAR, static_cast<unsigned char>(*c), 1);
    } else if (std::strcmp(command, "click") == 0 && argc > 3) {
        const LPARAM at = MAKELPARAM(std::atoi(argv[2]), std::atoi(argv[3]));
        PostMessageA(window, WM_MOUSEMOVE, 0, at);
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(window, WM_LBUTTONUP, 0, at);
    } else if (std::strcmp(command, "dblclick") == 0 && argc > 3) {
        const LPARAM at = MAKELPARAM(std::atoi(argv[2]), std::atoi(argv[3]));
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(window, WM_LBUTTONUP, 0, at);
        PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(window, WM_LBUTTONUP, 0, at);
    } else if (std::strcmp(command, "dishkey") == 0 && argc > 2) {
        const WPARAM key = std::strtoul(argv[2], nullptr, 10);
        const unsigned long times = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1;
        const DWORD gap = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 100;
        for (unsigned long i = 0; i < times; ++i) {
            PostMessageA(window, WM_KEYDOWN, key, 1);
            PostMessageA(window, WM_KEYUP, key, 0xC0000001);
            if (i + 1 < times && gap > 0) Sleep(gap);
        }
        // For measuring what follows a press against the host's clock.
        std::printf("%lld\n", static_cast<long long>(wallClockMs()));
    } else if (std::strcmp(command, "select") == 0 && argc > 2) {
        HWND list = FindWindowExA(window, nullptr, "ComboBox", nullptr);
        SendMessageA(list, CB_SETCURSEL, std::strtoul(argv[2], nullptr, 10), 0);
    } else {
        std::fprintf(stderr, "azmctl: unknown command %s\n", command);
        return 2;
    }
    return 0;
}

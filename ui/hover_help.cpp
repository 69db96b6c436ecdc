#include "ui/hover_help.h"

#include <windows.h>

#include <commctrl.h>

#include "app/app_state.h"
#include "ui/skin_layout.h"

static void addHoverHelpTool(HWND tooltip, const char* text, const Bounds& area)
{
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = app.mainWindow;
    tool.uId = 0;  // all three share it: the control tells them apart by their rectangles
    tool.rect = RECT{area.left, area.top, area.right, area.bottom};
    tool.hinst = app.instance;
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void createHoverHelp()
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    // Its handle is not kept: the control goes with the main window.
    HWND tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0,
                                   app.mainWindow, nullptr, app.instance, nullptr);
    addHoverHelpTool(tooltip, "voice", languageBounds);
    addHoverHelpTool(tooltip, "tone or voice", soundModeHelpBounds);
    addHoverHelpTool(tooltip, "home site", homeSiteBounds);
}

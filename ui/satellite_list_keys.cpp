#include "ui/satellite_list_keys.h"

#include <cstring>

#include "app/app_state.h"
#include "catalogue/measurement_start.h"
#include "ui/input.h"
#include "ui/input_rules.h"

static LRESULT CALLBACK comboKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN) {
        switch (satelliteListKeyAction(static_cast<unsigned>(wParam), app.appMode.load())) {
        case ListKeyLeftButton: leftButtonAction(); break;
        case ListKeyDropDown: SendMessageA(app.satelliteCombo, CB_SHOWDROPDOWN, TRUE, 0); break;
        case ListKeyStartMeasurement: startMeasurement(); break;
        case ListKeyCloseWindow: DestroyWindow(app.mainWindow); break;
        case ListKeyNothing: break;
        }
        // The list went with the main window: nobody is left to pass the key to.
        if (!IsWindow(window)) return 0;
    } else if (message == WM_MOUSEMOVE) {
        // Moves over the list never reach the main window, yet they take the
        // pointer off every keypad cell: the keypad must not come back lit.
        std::memset(app.keypadHover, 0, sizeof app.keypadHover);
    }
    return CallWindowProcA(app.comboPreviousProc, window, message, wParam, lParam);
}

void subclassSatelliteList()
{
    POINT origin = {0, 0};
    HWND list = ChildWindowFromPoint(app.satelliteCombo, origin);
    app.comboPreviousProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(comboKeyProc)));
}

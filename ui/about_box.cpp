#include "ui/about_box.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/version.h"

void showAboutBox()
{
    static const char aboutText[] =
        "Azimora " AZM_VERSION_TEXT " version. \r\n"
        "Dish alignment by ear: pick a transponder, then follow the tone or the spoken level.";
    MessageBoxA(app.mainWindow, aboutText, "About", MB_OK);
}

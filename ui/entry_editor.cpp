#include "ui/entry_editor.h"

#include <cstring>

#include "app/app_state.h"
#include "app/resource_data.h"
#include "ui/default_entry.h"
#include "ui/skin_layout.h"

void drawEntryText(int count)
{
    static const char blanks[typedEntryLength + 1] = "             ";
    DrawTextA(app.windowDc, blanks, typedEntryLength, &app.entryRect, DT_CENTER | DT_WORDBREAK);
    DrawTextA(app.windowDc, app.entryText, count, &app.entryRect, DT_CENTER | DT_WORDBREAK);
}

void typeEntryCharacter(char character, bool advance)
{
    if (app.entryMode != ManualEntry || app.appMode.load() != Setup) return;
    if (app.entryLength == typedEntryLength) return;
    if (app.entryLength < 0) app.entryLength = 0;
    app.entryText[app.entryLength] = character;

    // Redrawn at once, outside painting: the opaque background lays the
    // band's colour under the text, which is centred anew as it grows.
    SelectObject(app.windowDc, app.entryFont);
    SetBkColor(app.windowDc, entryBandColour);
    SetTextColor(app.windowDc, inkColour);
    drawEntryText(app.entryLength + 1);
    SetBkColor(app.windowDc, panelColour);

    if (advance) ++app.entryLength;
}

void eraseEntryCharacter()
{
    --app.entryLength;
    typeEntryCharacter(' ', false);
}

void clearEntry()
{
    std::memset(app.entryText, ' ', sizeof app.entryText);
    app.entryLength = 0;
    typeEntryCharacter(' ', false);
}

void loadDefaultEntry()
{
    size_t size = 0;
    app.defaultEntry = reinterpret_cast<const char*>(resourceBytes(nullptr, "TRP", &size));
    if (!app.defaultEntry) return;
    int length = defaultEntryLength(app.defaultEntry, size);
    if (length < 0) return;
    std::memcpy(app.entryText, app.defaultEntry, static_cast<size_t>(length));
    app.entryLength = static_cast<int16_t>(length);
}

#include "catalogue/catalogue_file.h"

#include <algorithm>
#include <cstdlib>

#include "app/app_state.h"
#include "app/resource_data.h"
#include "catalogue/catalogue_list.h"

static const char catalogueFileName[] = "satellite.ini";

bool readCatalogueFile(DWORD shareMode, FileBytes* file) { return readWholeFile(catalogueFileName, shareMode, file); }

// An existing catalogue, or anything whose name merely ends like one, is
// never overwritten.
static bool catalogueExists()
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*atellite.ini", &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

static bool writeDefaultCatalogue()
{
    HANDLE handle =
        CreateFileA(catalogueFileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    size_t size = 0;
    app.catalogueDefault = resourceBytes(nullptr, "SATDATA", &size);
    DWORD written = 0;
    if (app.catalogueDefault) WriteFile(handle, app.catalogueDefault, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(handle);
    return true;
}

static void createSatelliteList()
{
    app.satelliteCombo =
        CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | CBS_DROPDOWNLIST, 40, 85,
                        270, 645, app.mainWindow, reinterpret_cast<HMENU>(0x71), app.instance, nullptr);
    SendMessageA(app.satelliteCombo, CB_SETHORIZONTALEXTENT, 600, 0);
    SendMessageA(app.satelliteCombo, WM_SETFONT, reinterpret_cast<WPARAM>(app.textFont), TRUE);
}

// The line arrives with its zero byte in place: it goes to the list as it is.
static void addListLine(void*, const char* text, size_t)
{
    SendMessageA(app.satelliteCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void loadSatelliteCatalogue()
{
    if (!catalogueExists() && !writeDefaultCatalogue()) {
        MessageBoxA(app.mainWindow, "Cannot create file satellite.ini", "Error!", MB_OK);
        DestroyWindow(app.mainWindow);
        return;
    }
    FileBytes file;
    readCatalogueFile(FILE_SHARE_READ, &file);
    createSatelliteList();
    // Room for every line at once, and no redrawing line by line: the
    // closed list shows none of them, and start-up is quicker without.
    const size_t lines = file.bytes ? static_cast<size_t>(std::count(file.bytes, file.bytes + file.size, ']')) : 0;
    SendMessageA(app.satelliteCombo, CB_INITSTORAGE, lines, static_cast<LPARAM>(lines * (catalogueLineWidth + 1)));
    SendMessageA(app.satelliteCombo, WM_SETREDRAW, FALSE, 0);
    fillCatalogueList(file.bytes, file.size, addListLine, nullptr);
    SendMessageA(app.satelliteCombo, WM_SETREDRAW, TRUE, 0);
    std::free(file.bytes);
}

#include "catalogue/measurement_start.h"

#include <cstdlib>

#include "app/app_state.h"
#include "catalogue/catalogue_entry.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/typed_entry.h"
#include "catalogue/worker_threads.h"
#include "tuner/tuner.h"
#include "ui/about_box.h"

static StartResult reportCatalogueProblem(const char* text, const char* caption, UINT type)
{
    MessageBoxA(app.mainWindow, text, caption, type);
    return StartReported;
}

// A stopped measurement's threads finish before new ones begin.
static void waitForWorkerThreads()
{
    while (app.monitorRunning.load(std::memory_order_acquire)) Sleep(200);
    while (app.audioRunning.load(std::memory_order_acquire)) Sleep(200);
}

static StartResult startFromCatalogue()
{
    const LRESULT selected = SendMessageA(app.satelliteCombo, CB_GETCURSEL, 0, 0);
    if (selected < 0) return reportCatalogueProblem("Please shoose the satellite!", "Attention!", MB_OK);

    FileBytes file;
    if (!readCatalogueFile(0, &file)) return reportCatalogueProblem("satellite.ini - not found !", "Attention!", MB_OK);
    const CatalogueOutcome outcome =
        examineCatalogueEntry(file.bytes, file.size, static_cast<int32_t>(selected), app.tuning, app.bannerText);
    std::free(file.bytes);

    if (outcome == CatalogueBadFrequency)
        return reportCatalogueProblem("Invalid parameter of transponder frequency in satellite.ini", " Attention! ",
                                      MB_ICONEXCLAMATION | MB_OK);
    if (outcome == CatalogueBadSymbolRate)
        return reportCatalogueProblem("Invalid parameter of symbol rate in satellite.ini", "Attention!",
                                      MB_ICONEXCLAMATION | MB_OK);

    app.appMode.store(Measuring);
    ShowWindow(app.satelliteCombo, SW_HIDE);
    return StartOk;
}

static StartResult startFromTypedEntry()
{
    if (parseTypedEntry(app.entryText, app.tuning, app.bannerText) != StartOk) return StartBadEntry;
    app.appMode.store(Measuring);
    return StartOk;
}

static void startRunning()
{
    SetFocus(app.mainWindow);
    InvalidateRect(app.mainWindow, nullptr, TRUE);
    // After a failed tuning the window is gone and the program is ending:
    // there is nothing left to measure.
    if (tuneTransponder()) return;
    startMeasurementThreads();
}

void returnToSetup()
{
    // The worker threads see the mode and end by themselves.
    app.appMode.store(Setup);
    if (app.entryMode == CatalogueEntry) {
        ShowWindow(app.satelliteCombo, SW_SHOWNORMAL);
        SetFocus(app.satelliteCombo);
    }
    InvalidateRect(app.mainWindow, nullptr, TRUE);
}

StartResult startMeasurement()
{
    if (app.appMode.load() == Measuring) {
        showAboutBox();
        return StartOk;
    }
    waitForWorkerThreads();
    const StartResult result = app.entryMode == CatalogueEntry ? startFromCatalogue() : startFromTypedEntry();
    if (result == StartOk) startRunning();
    return result;
}

#include "tuner/tuner.h"

#include "app/app_state.h"
#include "tuner/lnb_rules.h"
#include "tuner/tuning_plan.h"

static void reportTunerError(const char* message) { MessageBoxA(app.mainWindow, message, "Error", MB_OK); }

// Whatever pointer the card hands out is kept, whatever the result says, so
// that the destroy path releases it; only S_OK with a pointer counts as success.
bool openTuner()
{
    void* filter = nullptr;
    const HRESULT created =
        CoCreateInstance(CLSID_ReceiverCard, nullptr, CLSCTX_INPROC_SERVER, IID_DeviceFilter, &filter);
    app.deviceFilter = static_cast<DeviceFilter*>(filter);
    if (created != S_OK || !app.deviceFilter) {
        reportTunerError("Cannot create filter graph manager");
        return true;
    }

    void* control = nullptr;
    const HRESULT queried = app.deviceFilter->QueryInterface(IID_TunerControl, &control);
    app.tunerControl = static_cast<TunerControl*>(control);
    if (queried != S_OK || !app.tunerControl) return true;

    if (FAILED(app.tunerControl->Initialize())) {
        reportTunerError("Cannot initialize tuner control interface");
        return true;
    }
    if (FAILED(app.tunerControl->SetFec(fecCode))) {
        reportTunerError("Set fec failed");
        return true;
    }
    return false;
}

static HRESULT issueTunerCall(TunerControl* tuner, const TuningStep& step)
{
    switch (step.call) {
    case CallLnbSelection: return tuner->SetLnbSelection(step.argument);
    case CallLnbFrequency: return tuner->SetLnbFrequency(step.argument);
    case CallPolarity: return tuner->SetPolarity(step.argument);
    case CallSymbolRate: return tuner->SetSymbolRate(step.argument);
    case CallTransponderFrequency: return tuner->SetTransponderFrequency(step.argument);
    case CallDiseqc: return tuner->SetDiseqc(step.argument);
    }
    return E_FAIL;
}

bool tuneTransponder()
{
    TuningStep steps[tuningStepCount];
    planTuning(app.tuning, steps);
    for (const TuningStep& step : steps) {
        if (FAILED(issueTunerCall(app.tunerControl, step))) {
            reportTunerError(step.failureMessage);
            DestroyWindow(app.mainWindow);
            return true;
        }
    }
    return false;
}

void releaseTuner()
{
    if (app.tunerControl) {
        app.tunerControl->Release();
        app.tunerControl = nullptr;
    }
    if (app.deviceFilter) {
        app.deviceFilter->Release();
        app.deviceFilter = nullptr;
    }
}

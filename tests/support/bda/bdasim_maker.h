// A tuner maker's DiSEqC property set, as the simulated tuners that model
// such drivers offer it through IKsPropertySet (on the filter or on the
// antenna input pin, as bdasim_reception.h's traits say): TurboSight's USB
// access property (18 of its set), which takes the structure as the
// property's instance as well (the call fails without it), and the
// Conexant reference set's DiSEqC message (0), after whose last message
// the driver sends a tone burst. It decodes the payloads by their
// documented layouts, on its own, and hands the command, burst or tone to
// its tuner, or, for a set taken and ignored or another maker's set under
// the same identifier, logs it as lost. Its references are its tuner's.
#pragma once
#include <windows.h>

#include <dshow.h>

#include "tests/support/bda/bdasim_reception.h"

class SimTuner;

class SimMakerSet final : public IKsPropertySet {
public:
    SimMakerSet(SimTuner* owner, SimMakerKind kind) : owner_(owner), kind_(kind) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD property, void* instance, DWORD instanceBytes, void* data,
                                  DWORD dataBytes) override;
    HRESULT STDMETHODCALLTYPE Get(REFGUID, DWORD, void*, DWORD, void*, DWORD, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD property, DWORD* support) override;

    // Where the driver answers for it.
    bool onFilter() const { return turboSight(); }
    bool onPin() const { return kind_ == ConexantOnPin || kind_ == ForeignSetOnPin; }

private:
    bool turboSight() const { return kind_ == TurboSightOnFilter || kind_ == TurboSightIgnoredOnFilter; }
    HRESULT accessSet(const BYTE* data, DWORD bytes);
    HRESULT messageSet(const BYTE* data, DWORD bytes);

    SimTuner* owner_;
    SimMakerKind kind_;
};

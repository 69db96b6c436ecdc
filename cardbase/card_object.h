// The parts of a card object that every card substitute has alike: one
// object behind both interfaces, reference counting, a filter face that
// does nothing (the program only creates the object through it) and the
// method table's unused positions. A card derives from it and supplies the
// tuner control methods the program calls.
#pragma once
#include <windows.h>

#include "tuner/tuner_control.h"

class CardObject : public IBaseFilter, public TunerControl {
public:
    // IUnknown, shared by both interfaces
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IBaseFilter: a card is not a graph filter here.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    // The positions of the method table that the program never calls.
    HRESULT STDMETHODCALLTYPE Reserved10() override { return reservedCall(10); }
    HRESULT STDMETHODCALLTYPE Reserved14() override { return reservedCall(14); }
    HRESULT STDMETHODCALLTYPE Reserved15() override { return reservedCall(15); }
    HRESULT STDMETHODCALLTYPE Reserved16() override { return reservedCall(16); }
    HRESULT STDMETHODCALLTYPE Reserved17() override { return reservedCall(17); }
    HRESULT STDMETHODCALLTYPE Reserved18() override { return reservedCall(18); }
    HRESULT STDMETHODCALLTYPE Reserved19() override { return reservedCall(19); }
    HRESULT STDMETHODCALLTYPE Reserved21() override { return reservedCall(21); }
    HRESULT STDMETHODCALLTYPE Reserved22() override { return reservedCall(22); }
    HRESULT STDMETHODCALLTYPE Reserved23() override { return reservedCall(23); }
    HRESULT STDMETHODCALLTYPE Reserved24() override { return reservedCall(24); }
    HRESULT STDMETHODCALLTYPE Reserved25() override { return reservedCall(25); }
    HRESULT STDMETHODCALLTYPE Reserved26() override { return reservedCall(26); }
    HRESULT STDMETHODCALLTYPE Reserved27() override { return reservedCall(27); }
    HRESULT STDMETHODCALLTYPE Reserved28() override { return reservedCall(28); }
    HRESULT STDMETHODCALLTYPE Reserved29() override { return reservedCall(29); }
    HRESULT STDMETHODCALLTYPE Reserved30() override { return reservedCall(30); }
    HRESULT STDMETHODCALLTYPE Reserved31() override { return reservedCall(31); }
    HRESULT STDMETHODCALLTYPE Reserved32() override { return reservedCall(32); }
    HRESULT STDMETHODCALLTYPE Reserved33() override { return reservedCall(33); }
    HRESULT STDMETHODCALLTYPE Reserved34() override { return reservedCall(34); }
    HRESULT STDMETHODCALLTYPE Reserved35() override { return reservedCall(35); }

protected:
    CardObject();
    virtual ~CardObject();

    // Asked before the tuner control interface is handed out: a card may
    // refuse it with an error result; a success code goes out with it.
    virtual HRESULT tunerControlRequested() { return S_OK; }
    // A call at an unused position of the method table.
    virtual HRESULT reservedCall(int /*position*/) { return E_NOTIMPL; }
    // The program let go of the card: it is freed, unless a thread of its
    // own still uses it (then it stays for good, as the DLL does).
    virtual void lastReferenceGone() { delete this; }

private:
    LONG references_ = 1;
};

// Hands out `iid` of a new card and drops the creator's own reference:
// the card is gone again when the interface is refused.
HRESULT handOutCard(CardObject* card, REFIID iid, void** object);

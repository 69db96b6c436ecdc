#include "cardbase/card_object.h"

#include "cardbase/com_server.h"

CardObject::CardObject() { cardObjectCreated(); }

CardObject::~CardObject() { cardObjectDestroyed(); }

HRESULT CardObject::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    HRESULT result = S_OK;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_DeviceFilter) || IsEqualIID(iid, IID_IMediaFilter) ||
        IsEqualIID(iid, IID_IPersist)) {
        *object = static_cast<IBaseFilter*>(this);
    } else if (IsEqualIID(iid, IID_TunerControl)) {
        result = tunerControlRequested();
        if (FAILED(result)) return result;
        *object = static_cast<TunerControl*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return result;
}

ULONG CardObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG CardObject::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) lastReferenceGone();
    return static_cast<ULONG>(left);
}

HRESULT CardObject::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_ReceiverCard;
    return S_OK;
}

HRESULT handOutCard(CardObject* card, REFIID iid, void** object)
{
    if (!card) {
        if (object) *object = nullptr;
        return E_OUTOFMEMORY;
    }
    const HRESULT result = card->QueryInterface(iid, object);
    card->Release();
    return result;
}

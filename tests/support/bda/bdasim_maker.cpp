#include "tests/support/bda/bdasim_maker.h"

#include <cstring>

#include "tests/support/bda/bdasim_tuner.h"

// The sets as the public BDA extension documentation of open-source tools gives them.
static const GUID turboSightUsbSet = {0xC6EFE5EB, 0x855A, 0x4F1B, {0xB7, 0xAA, 0x87, 0xB5, 0xE1, 0xDC, 0x41, 0x13}};
static const GUID conexantSet = {0xFAA8F3E5, 0x31D4, 0x4E41, {0x88, 0xEF, 0xD9, 0xEB, 0x71, 0x6F, 0x6E, 0xC9}};
static constexpr DWORD turboSightAccess = 18;
static constexpr DWORD conexantMessage = 0;

static ULONG wordAt(const BYTE* data, size_t at)
{
    return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | static_cast<ULONG>(data[at + 3]) << 24;
}

HRESULT SimMakerSet::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IKsPropertySet)) return E_NOINTERFACE;
    *object = static_cast<IKsPropertySet*>(this);
    AddRef();
    return S_OK;
}
ULONG SimMakerSet::AddRef() { return owner_->AddRef(); }
ULONG SimMakerSet::Release() { return owner_->Release(); }

HRESULT SimMakerSet::QuerySupported(REFGUID set, DWORD property, DWORD* support)
{
    if (!support) return E_POINTER;
    *support = 0;
    const GUID& own = turboSight() ? turboSightUsbSet : conexantSet;
    if (!IsEqualGUID(set, own)) return E_PROP_SET_UNSUPPORTED;
    if (property != (turboSight() ? turboSightAccess : conexantMessage)) return E_PROP_ID_UNSUPPORTED;
    *support = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    return S_OK;
}

HRESULT SimMakerSet::Set(REFGUID set, DWORD property, void* instance, DWORD instanceBytes, void* data, DWORD dataBytes)
{
    DWORD support = 0;
    const HRESULT supported = QuerySupported(set, property, &support);
    if (FAILED(supported)) return supported;
    if (!data) return E_POINTER;
    if (turboSight()) {
        // The driver reads the structure from the property's instance.
        if (!instance || instanceBytes != dataBytes || memcmp(instance, data, dataBytes) != 0) {
            simLog("access property without its structure as the instance -> " + hresultText(E_INVALIDARG));
            return E_INVALIDARG;
        }
        return accessSet(static_cast<const BYTE*>(data), dataBytes);
    }
    // The reference driver reads its property as a node's: the instance carries the node.
    if (!instance || instanceBytes < 8) return E_INVALIDARG;
    return messageSet(static_cast<const BYTE*>(data), dataBytes);
}

// Access mode, tone, a reserved word, LNB power, 128 bytes to send and their count, ...: 536 bytes.
HRESULT SimMakerSet::accessSet(const BYTE* data, DWORD bytes)
{
    if (bytes != 536) return E_INVALIDARG;
    const char* lost = kind_ == TurboSightIgnoredOnFilter ? "ignored by the driver" : "";
    const ULONG mode = wordAt(data, 0);
    if (mode == 1) {
        const ULONG count = wordAt(data, 144);
        return count == 0 || count > 128 ? E_INVALIDARG : owner_->makerCommand(data + 16, count, lost);
    }
    if (mode == 2) {
        const ULONG tone = wordAt(data, 4);
        if (tone == 2 || tone == 3) owner_->makerBurst(tone == 3, lost);
        if (tone <= 1) owner_->makerTone(tone == 1);
        return tone <= 3 ? S_OK : E_INVALIDARG;
    }
    return mode == 0 ? S_OK : E_INVALIDARG;
}

// 151 bytes to send, 9 received, the count to send, ..., whether the burst
// is modulated, ..., whether this is the last message: 188 bytes.
HRESULT SimMakerSet::messageSet(const BYTE* data, DWORD bytes)
{
    if (bytes != 188) return E_INVALIDARG;
    const ULONG count = wordAt(data, 160);
    if (count > 151) return E_INVALIDARG;
    if (kind_ == ForeignSetOnPin) return count > 0 ? owner_->makerCommand(data, count, "another maker's layout") : S_OK;
    const HRESULT result = count > 0 ? owner_->makerCommand(data, count) : S_OK;
    // The driver closes a sequence with the burst of the message's position.
    if (wordAt(data, 184) != 0) owner_->makerBurst(wordAt(data, 172) != 0);
    return result;
}

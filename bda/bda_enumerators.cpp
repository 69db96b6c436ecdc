#include "bda/bda_enumerators.h"

#include <new>

// The reference count and QueryInterface every enumerator here shares.
template <typename Interface>
class Enumerator : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(Interface))) return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~Enumerator() = default;

private:
    LONG references_ = 1;
};

class OnePin final : public Enumerator<IEnumPins> {
public:
    OnePin(IPin* pin, bool done) : pin_(pin), done_(done) { pin_->AddRef(); }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override
    {
        if (!pins) return E_POINTER;
        ULONG given = 0;
        if (count > 0 && !done_) {
            pins[0] = pin_;
            pin_->AddRef();
            done_ = true;
            given = 1;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const bool within = count == 0 || (count == 1 && !done_);
        if (count > 0) done_ = true;
        return within ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        done_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** copy) override
    {
        if (!copy) return E_POINTER;
        *copy = new (std::nothrow) OnePin(pin_, done_);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~OnePin() override { pin_->Release(); }
    IPin* pin_;
    bool done_;
};

class NoMediaTypes final : public Enumerator<IEnumMediaTypes> {
public:
    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override
    {
        if (!types) return E_POINTER;
        if (fetched) *fetched = 0;
        return count == 0 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return count == 0 ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** copy) override
    {
        if (!copy) return E_POINTER;
        *copy = new (std::nothrow) NoMediaTypes;
        return *copy ? S_OK : E_OUTOFMEMORY;
    }
};

IEnumPins* enumerateOnePin(IPin* pin) { return new (std::nothrow) OnePin(pin, false); }

IEnumMediaTypes* enumerateNoMediaTypes() { return new (std::nothrow) NoMediaTypes; }

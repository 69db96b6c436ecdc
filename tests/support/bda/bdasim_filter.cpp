#include "tests/support/bda/bdasim_filter.h"

// ---- enumerators ---------------------------------------------------------

class SimEnumPins final : public IEnumPins {
public:
    SimEnumPins(IBaseFilter* owner, const std::vector<SimPin*>& pins, size_t next)
        : owner_(owner), pins_(pins), next_(next)
    {
        owner_->AddRef();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumPins)) return E_NOINTERFACE;
        *object = static_cast<IEnumPins*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override
    {
        if (!pins) return E_POINTER;
        ULONG done = 0;
        while (done < count && next_ < pins_.size()) {
            pins[done] = pins_[next_++];
            pins[done]->AddRef();
            ++done;
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        next_ += count;
        return next_ <= pins_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** copy) override
    {
        if (!copy) return E_POINTER;
        *copy = new SimEnumPins(owner_, pins_, next_);
        return S_OK;
    }

private:
    ~SimEnumPins() { owner_->Release(); }
    LONG references_ = 1;
    IBaseFilter* owner_;
    std::vector<SimPin*> pins_;
    size_t next_;
};

class SimEnumMediaTypes final : public IEnumMediaTypes {
public:
    SimEnumMediaTypes(IPin* owner, const AM_MEDIA_TYPE& type, bool done) : owner_(owner), type_(type), done_(done)
    {
        owner_->AddRef();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumMediaTypes)) return E_NOINTERFACE;
        *object = static_cast<IEnumMediaTypes*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override
    {
        if (!types) return E_POINTER;
        ULONG done = 0;
        if (count > 0 && !done_) {
            AM_MEDIA_TYPE* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
            if (!copy) return E_OUTOFMEMORY;
            *copy = type_;
            types[0] = copy;
            done_ = true;
            done = 1;
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        if (count > 0) done_ = true;
        return count <= 1 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        done_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** copy) override
    {
        if (!copy) return E_POINTER;
        *copy = new SimEnumMediaTypes(owner_, type_, done_);
        return S_OK;
    }

private:
    ~SimEnumMediaTypes() { owner_->Release(); }
    LONG references_ = 1;
    IPin* owner_;
    AM_MEDIA_TYPE type_;
    bool done_;
};

// ---- pin -----------------------------------------------------------------

SimPin::SimPin(SimFilter* owner, PIN_DIRECTION direction, const wchar_t* name, const GUID& majorType,
               const GUID& subType)
    : owner_(owner), direction_(direction), name_(name), type_()
{
    type_.majortype = majorType;
    type_.subtype = subType;
    type_.bFixedSizeSamples = TRUE;
    type_.lSampleSize = 188;
}

SimPin::~SimPin() { simRelease(peer_); }

HRESULT SimPin::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin)) *object = static_cast<IPin*>(this);
    else *object = owner_->pinInterface(this, iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG SimPin::AddRef() { return owner_->AddRef(); }
ULONG SimPin::Release() { return owner_->Release(); }

bool SimPin::accepts(const AM_MEDIA_TYPE* type) const
{
    if (!type) return true;
    const bool major = IsEqualGUID(type->majortype, GUID_NULL) || IsEqualGUID(type->majortype, type_.majortype);
    const bool sub = IsEqualGUID(type->subtype, GUID_NULL) || IsEqualGUID(type->subtype, type_.subtype);
    return major && sub;
}

HRESULT SimPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type)
{
    if (!receiver) return E_POINTER;
    if (direction_ != PINDIR_OUTPUT) return E_UNEXPECTED;
    if (peer_) return VFW_E_ALREADY_CONNECTED;
    if (owner_->state() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!accepts(type)) return VFW_E_TYPE_NOT_ACCEPTED;
    HRESULT result = owner_->acceptConnection(this, receiver);
    if (FAILED(result)) return result;
    result = receiver->ReceiveConnection(this, &type_);
    if (FAILED(result)) return result;
    peer_ = receiver;
    peer_->AddRef();
    return S_OK;
}

HRESULT SimPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type)
{
    if (!connector || !type) return E_POINTER;
    if (direction_ != PINDIR_INPUT) return E_UNEXPECTED;
    if (peer_) return VFW_E_ALREADY_CONNECTED;
    if (owner_->state() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!accepts(type)) return VFW_E_TYPE_NOT_ACCEPTED;
    const HRESULT result = owner_->acceptConnection(this, connector);
    if (FAILED(result)) return result;
    peer_ = connector;
    peer_->AddRef();
    return S_OK;
}

HRESULT SimPin::Disconnect()
{
    if (!peer_) return S_FALSE;
    simRelease(peer_);
    return S_OK;
}

HRESULT SimPin::ConnectedTo(IPin** pin)
{
    if (!pin) return E_POINTER;
    *pin = peer_;
    if (!peer_) return VFW_E_NOT_CONNECTED;
    peer_->AddRef();
    return S_OK;
}

HRESULT SimPin::ConnectionMediaType(AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    ZeroMemory(type, sizeof *type);
    if (!peer_) return VFW_E_NOT_CONNECTED;
    *type = type_;
    return S_OK;
}

HRESULT SimPin::QueryPinInfo(PIN_INFO* info)
{
    if (!info) return E_POINTER;
    info->pFilter = owner_;
    owner_->AddRef();
    info->dir = direction_;
    lstrcpynW(info->achName, name_.c_str(), MAX_PIN_NAME);
    return S_OK;
}

HRESULT SimPin::QueryDirection(PIN_DIRECTION* direction)
{
    if (!direction) return E_POINTER;
    *direction = direction_;
    return S_OK;
}

HRESULT SimPin::QueryId(LPWSTR* id)
{
    if (!id) return E_POINTER;
    const size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    CopyMemory(*id, name_.c_str(), bytes);
    return S_OK;
}

HRESULT SimPin::QueryAccept(const AM_MEDIA_TYPE* type) { return accepts(type) ? S_OK : S_FALSE; }

HRESULT SimPin::EnumMediaTypes(IEnumMediaTypes** types)
{
    if (!types) return E_POINTER;
    *types = new SimEnumMediaTypes(this, type_, false);
    return S_OK;
}

IBaseFilter* SimPin::peerFilter() const
{
    if (!peer_) return nullptr;
    PIN_INFO info;
    if (FAILED(peer_->QueryPinInfo(&info))) return nullptr;
    return info.pFilter;
}

// ---- filter --------------------------------------------------------------

SimFilter::SimFilter(const std::string& kind, const CLSID& clsid, const std::string& name)
    : SimObject(kind + " " + name), clsid_(clsid), name_(name)
{}

SimFilter::~SimFilter()
{
    for (SimPin* pin : pins_) delete pin;
    simRelease(clock_);
}

SimPin* SimFilter::addPin(PIN_DIRECTION direction, const wchar_t* name, const GUID& majorType, const GUID& subType)
{
    pins_.push_back(new SimPin(this, direction, name, majorType, subType));
    return pins_.back();
}

HRESULT SimFilter::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBaseFilter) || IsEqualIID(iid, IID_IMediaFilter) ||
        IsEqualIID(iid, IID_IPersist)) {
        *object = static_cast<IBaseFilter*>(this);
    } else {
        *object = otherInterface(iid);
        if (!*object) return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT SimFilter::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

HRESULT SimFilter::enter(FILTER_STATE state)
{
    if (state_ == State_Stopped && state != State_Stopped) {
        const HRESULT result = startDevice();
        simLog((state == State_Running ? "run " : "pause ") + name_ +
               (FAILED(result) ? " -> " + hresultText(result) : std::string()));
        if (FAILED(result)) return result;
    } else if (state == State_Running && state_ != State_Running) {
        simLog("run " + name_);
    }
    state_ = state;
    return S_OK;
}

HRESULT SimFilter::Stop()
{
    if (state_ != State_Stopped) {
        stopDevice();
        simLog("stop " + name_);
    }
    state_ = State_Stopped;
    return S_OK;
}

HRESULT SimFilter::Pause() { return enter(State_Paused); }
HRESULT SimFilter::Run(REFERENCE_TIME) { return enter(State_Running); }

HRESULT SimFilter::GetState(DWORD, FILTER_STATE* state)
{
    if (!state) return E_POINTER;
    *state = state_;
    return S_OK;
}

HRESULT SimFilter::SetSyncSource(IReferenceClock* clock)
{
    if (clock) clock->AddRef();
    simRelease(clock_);
    clock_ = clock;
    return S_OK;
}

HRESULT SimFilter::GetSyncSource(IReferenceClock** clock)
{
    if (!clock) return E_POINTER;
    *clock = clock_;
    if (clock_) clock_->AddRef();
    return S_OK;
}

HRESULT SimFilter::EnumPins(IEnumPins** pins)
{
    if (!pins) return E_POINTER;
    *pins = new SimEnumPins(this, pins_, 0);
    return S_OK;
}

HRESULT SimFilter::FindPin(LPCWSTR id, IPin** pin)
{
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    for (SimPin* each : pins_) {
        LPWSTR eachId = nullptr;
        if (FAILED(each->QueryId(&eachId))) continue;
        const bool same = lstrcmpW(eachId, id) == 0;
        CoTaskMemFree(eachId);
        if (same) {
            *pin = each;
            each->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT SimFilter::QueryFilterInfo(FILTER_INFO* info)
{
    if (!info) return E_POINTER;
    MultiByteToWideChar(CP_UTF8, 0, name_.c_str(), -1, info->achName, MAX_FILTER_NAME);
    info->achName[MAX_FILTER_NAME - 1] = L'\0';
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
}

HRESULT SimFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR)
{
    graph_ = graph;
    simLog((graph ? "join " : "leave ") + name_);
    return S_OK;
}

#include "bda/bda_section_sink.h"

#include <new>

#include "bda/bda_enumerators.h"
#include "bda/bda_ids.h"
#include "cardbase/com_server.h"

// {9226F19D-B878-4CBD-BAB7-300C79C9CD91}: the sink is never registered, only
// made by the bridge; the class identifier names it to the graph.
static const CLSID classSectionSink = {0x9226F19D, 0xB878, 0x4CBD, {0xBA, 0xB7, 0x30, 0x0C, 0x79, 0xC9, 0xCD, 0x91}};
static const wchar_t pinName[] = L"Sections In";

class SectionSink;

// The pin's references are its filter's, as DirectShow has it.
class SectionPin final : public IPin, public IMemInputPin {
public:
    explicit SectionPin(SectionSink* owner) : owner_(owner) {}
    ~SectionPin()
    {
        if (peer_) peer_->Release();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    // The upstream pin brings its own allocator; the sink only reads the samples.
    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator**) override { return VFW_E_NO_ALLOCATOR; }
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }

private:
    SectionSink* owner_;
    IPin* peer_ = nullptr;
};

class SectionSink final : public IBaseFilter {
public:
    SectionSink(SectionDelivery delivery, void* context) : pin_(this), deliver_(delivery), context_(context)
    {
        InitializeCriticalSection(&lock_);
        cardObjectCreated();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPersist) && !IsEqualIID(iid, IID_IMediaFilter) &&
            !IsEqualIID(iid, IID_IBaseFilter))
            return E_NOINTERFACE;
        *object = static_cast<IBaseFilter*>(this);
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

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override
    {
        if (!clsid) return E_POINTER;
        *clsid = classSectionSink;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return enter(State_Stopped); }
    HRESULT STDMETHODCALLTYPE Pause() override { return enter(State_Paused); }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return enter(State_Running); }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override
    {
        if (!state) return E_POINTER;
        *state = state_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override
    {
        if (clock) clock->AddRef();
        if (clock_) clock_->Release();
        clock_ = clock;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override
    {
        if (!clock) return E_POINTER;
        *clock = clock_;
        if (clock_) clock_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override
    {
        if (!id || !pin) return E_POINTER;
        *pin = nullptr;
        if (lstrcmpW(id, pinName) != 0) return VFW_E_NOT_FOUND;
        *pin = &pin_;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override
    {
        if (!info) return E_POINTER;
        lstrcpynW(info->achName, name_, MAX_FILTER_NAME);
        info->pGraph = graph_;
        if (graph_) graph_->AddRef();
        return S_OK;
    }
    // The graph holds the filter, not the other way round.
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override
    {
        graph_ = graph;
        lstrcpynW(name_, name ? name : L"", MAX_FILTER_NAME);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    IPin* pin() { return &pin_; }
    FILTER_STATE state() const { return state_; }

    void deliver(const BYTE* bytes, size_t size)
    {
        EnterCriticalSection(&lock_);
        if (deliver_) deliver_(context_, bytes, size);
        LeaveCriticalSection(&lock_);
    }
    void detach()
    {
        EnterCriticalSection(&lock_);
        deliver_ = nullptr;
        LeaveCriticalSection(&lock_);
    }

private:
    ~SectionSink()
    {
        if (clock_) clock_->Release();
        DeleteCriticalSection(&lock_);
        cardObjectDestroyed();
    }
    HRESULT enter(FILTER_STATE state)
    {
        state_ = state;
        return S_OK;
    }

    LONG references_ = 1;
    SectionPin pin_;
    CRITICAL_SECTION lock_;  // guards the delivery: samples come on the demultiplexer's thread
    SectionDelivery deliver_;
    void* context_;
    volatile FILTER_STATE state_ = State_Stopped;
    IReferenceClock* clock_ = nullptr;
    IFilterGraph* graph_ = nullptr;
    wchar_t name_[MAX_FILTER_NAME] = {};
};

HRESULT SectionSink::EnumPins(IEnumPins** pins)
{
    if (!pins) return E_POINTER;
    *pins = enumerateOnePin(&pin_);
    return *pins ? S_OK : E_OUTOFMEMORY;
}

// ---- the pin ---------------------------------------------------------------

HRESULT SectionPin::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin)) *object = static_cast<IPin*>(this);
    else if (IsEqualIID(iid, IID_IMemInputPin)) *object = static_cast<IMemInputPin*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG SectionPin::AddRef() { return owner_->AddRef(); }
ULONG SectionPin::Release() { return owner_->Release(); }

static bool isSectionType(const AM_MEDIA_TYPE* type)
{
    return type && IsEqualGUID(type->majortype, mediaMpeg2Sections);
}

HRESULT SectionPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type)
{
    if (!connector || !type) return E_POINTER;
    if (peer_) return VFW_E_ALREADY_CONNECTED;
    if (owner_->state() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!isSectionType(type)) return VFW_E_TYPE_NOT_ACCEPTED;
    peer_ = connector;
    peer_->AddRef();
    return S_OK;
}

HRESULT SectionPin::Disconnect()
{
    if (!peer_) return S_FALSE;
    if (owner_->state() != State_Stopped) return VFW_E_NOT_STOPPED;
    peer_->Release();
    peer_ = nullptr;
    return S_OK;
}

HRESULT SectionPin::ConnectedTo(IPin** pin)
{
    if (!pin) return E_POINTER;
    *pin = peer_;
    if (!peer_) return VFW_E_NOT_CONNECTED;
    peer_->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE sectionsType()
{
    AM_MEDIA_TYPE type = {};
    type.majortype = mediaMpeg2Sections;
    type.subtype = MEDIASUBTYPE_None;
    type.formattype = GUID_NULL;
    return type;
}

HRESULT SectionPin::ConnectionMediaType(AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    ZeroMemory(type, sizeof *type);
    if (!peer_) return VFW_E_NOT_CONNECTED;
    *type = sectionsType();
    return S_OK;
}

HRESULT SectionPin::QueryPinInfo(PIN_INFO* info)
{
    if (!info) return E_POINTER;
    info->pFilter = owner_;
    owner_->AddRef();
    info->dir = PINDIR_INPUT;
    lstrcpynW(info->achName, pinName, MAX_PIN_NAME);
    return S_OK;
}

HRESULT SectionPin::QueryDirection(PIN_DIRECTION* direction)
{
    if (!direction) return E_POINTER;
    *direction = PINDIR_INPUT;
    return S_OK;
}

HRESULT SectionPin::QueryId(LPWSTR* id)
{
    if (!id) return E_POINTER;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof pinName));
    if (!*id) return E_OUTOFMEMORY;
    CopyMemory(*id, pinName, sizeof pinName);
    return S_OK;
}

HRESULT SectionPin::QueryAccept(const AM_MEDIA_TYPE* type) { return isSectionType(type) ? S_OK : S_FALSE; }

HRESULT SectionPin::EnumMediaTypes(IEnumMediaTypes** types)
{
    if (!types) return E_POINTER;
    *types = enumerateNoMediaTypes();
    return *types ? S_OK : E_OUTOFMEMORY;
}

HRESULT SectionPin::Receive(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    if (owner_->state() == State_Stopped) return VFW_E_WRONG_STATE;
    BYTE* bytes = nullptr;
    const long length = sample->GetActualDataLength();
    if (SUCCEEDED(sample->GetPointer(&bytes)) && bytes && length > 0)
        owner_->deliver(bytes, static_cast<size_t>(length));
    return S_OK;
}

HRESULT SectionPin::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed)
{
    if (!samples || !processed) return E_POINTER;
    *processed = 0;
    HRESULT result = S_OK;
    while (*processed < count && result == S_OK) {
        result = Receive(samples[*processed]);
        if (SUCCEEDED(result)) ++*processed;
    }
    return result;
}

// ---- the filter to the bridge ----------------------------------------------

IBaseFilter* createSectionSink(SectionDelivery deliver, void* context)
{
    return new (std::nothrow) SectionSink(deliver, context);
}

IPin* sectionSinkPin(IBaseFilter* sink)
{
    IPin* pin = static_cast<SectionSink*>(sink)->pin();
    pin->AddRef();
    return pin;
}

void detachSectionSink(IBaseFilter* sink) { static_cast<SectionSink*>(sink)->detach(); }

// The DirectShow filter and pin that the simulated network provider, tuner
// and capture filter are made of: pins that connect directly with one
// media type, the filter's states, its place in a graph. A pin's references
// are its filter's, as DirectShow has it.
#pragma once
#include <windows.h>

#include <dshow.h>
#include <string>
#include <vector>

#include "tests/support/bda/bdasim_support.h"

// Media types of the pins (bdamedia.h): the antenna input of a tuner, and
// the transport stream between a tuner and its capture filter.
const GUID mediaBdaAntenna = {0x71985F41, 0x1CA1, 0x11D3, {0x9C, 0xC8, 0x00, 0xC0, 0x4F, 0x79, 0x71, 0xE0}};
const GUID mediaBdaTransport = {0xF4AEB342, 0x0329, 0x4FDD, {0xA8, 0xFD, 0x4A, 0xFF, 0x49, 0x26, 0xC9, 0x78}};

class SimFilter;

class SimPin : public IPin {
public:
    SimPin(SimFilter* owner, PIN_DIRECTION direction, const wchar_t* name, const GUID& majorType, const GUID& subType);
    virtual ~SimPin();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
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

    IPin* peer() const { return peer_; }
    // The filter at the other end, with a reference, or null.
    IBaseFilter* peerFilter() const;
    const std::wstring& name() const { return name_; }

protected:
    bool accepts(const AM_MEDIA_TYPE* type) const;
    SimFilter* owner() const { return owner_; }
    const AM_MEDIA_TYPE& type() const { return type_; }

private:
    SimFilter* owner_;
    PIN_DIRECTION direction_;
    std::wstring name_;
    AM_MEDIA_TYPE type_;
    IPin* peer_ = nullptr;
};

class SimFilter : public SimObject, public IBaseFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(addReference()); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(dropReference()); }

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    // Asked by a pin before it takes a connection to `peer`.
    virtual HRESULT acceptConnection(SimPin* /*own*/, IPin* /*peer*/) { return S_OK; }
    // Further interfaces a pin offers (a driver's property sets), without a reference.
    virtual void* pinInterface(const SimPin* /*pin*/, REFIID /*iid*/) { return nullptr; }
    const std::string& name() const { return name_; }
    FILTER_STATE state() const { return state_; }

protected:
    SimFilter(const std::string& kind, const CLSID& clsid, const std::string& name);
    ~SimFilter() override;

    SimPin* addPin(PIN_DIRECTION direction, const wchar_t* name, const GUID& majorType, const GUID& subType);
    // Asked before the filter leaves Stopped: a device may refuse to start.
    virtual HRESULT startDevice() { return S_OK; }
    virtual void stopDevice() {}
    // Further interfaces of a derived filter, without a reference.
    virtual void* otherInterface(REFIID) { return nullptr; }

    std::vector<SimPin*> pins_;

private:
    HRESULT enter(FILTER_STATE state);

    CLSID clsid_;
    std::string name_;
    FILTER_STATE state_ = State_Stopped;
    IFilterGraph* graph_ = nullptr;  // the graph holds the filter, not the other way round
    IReferenceClock* clock_ = nullptr;
};

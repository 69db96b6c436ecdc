#include "tests/support/bda/bdasim_demux.h"

#include <algorithm>
#include <bdaiface.h>
#include <cstdio>
#include <dshow.h>

#include "bda/bda_ids.h"
#include "tests/support/bda/bdasim_filter.h"
#include "tests/support/bda/bdasim_stream.h"
#include "tests/support/bda/bdasim_tuner.h"

// The scenario's stream, or the one of another receiver's transponder on a single-cable device.
static const std::vector<SimSection>& streamSections(ULONG carrierKHz)
{
    static const std::vector<SimSection> sections = bdaSimSections(simScenario().stream);
    static const std::vector<SimSection> neighbours = bdaSimSections(simScenario().stream, simNeighbourTransponderKHz);
    return carrierKHz == simNeighbourTransponderKHz ? neighbours : sections;
}

// An output pin: what is mapped to it, and the samples it sends.
class SimSectionPin final : public SimPin, public IMPEG2PIDMap {
public:
    SimSectionPin(SimFilter* owner, const wchar_t* name, const AM_MEDIA_TYPE& type)
        : SimPin(owner, PINDIR_OUTPUT, name, type.majortype, type.subtype)
    {
        InitializeCriticalSection(&lock_);
    }
    ~SimSectionPin() override
    {
        release();
        DeleteCriticalSection(&lock_);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (!IsEqualIID(iid, IID_IMPEG2PIDMap)) return SimPin::QueryInterface(iid, object);
        *object = static_cast<IMPEG2PIDMap*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return SimPin::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return SimPin::Release(); }

    // The connection brings the downstream pin's memory input and an allocator.
    HRESULT STDMETHODCALLTYPE Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override
    {
        HRESULT result = SimPin::Connect(receiver, type);
        if (FAILED(result)) return result;
        result = receiver->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input_));
        if (SUCCEEDED(result) && FAILED(input_->GetAllocator(&allocator_)))
            result = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                      reinterpret_cast<void**>(&allocator_));
        ALLOCATOR_PROPERTIES wanted = {8, 1024, 1, 0}, got = {};
        if (SUCCEEDED(result)) result = allocator_->SetProperties(&wanted, &got);
        if (SUCCEEDED(result)) result = input_->NotifyAllocator(allocator_, TRUE);
        if (FAILED(result)) {
            receiver->Disconnect();
            Disconnect();
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Disconnect() override
    {
        release();
        return SimPin::Disconnect();
    }

    HRESULT STDMETHODCALLTYPE MapPID(ULONG count, ULONG* pids, MEDIA_SAMPLE_CONTENT content) override
    {
        if (!pids || count == 0) return E_INVALIDARG;
        std::string line = "map ";
        for (const wchar_t c : name()) line += static_cast<char>(c);
        EnterCriticalSection(&lock_);
        for (ULONG i = 0; i < count; ++i) {
            if (pids[i] > 0x1FFF) continue;
            mapped_.erase(std::remove(mapped_.begin(), mapped_.end(), pids[i]), mapped_.end());
            if (content == MEDIA_MPEG2_PSI) mapped_.push_back(pids[i]);
            char pid[8];
            std::snprintf(pid, sizeof pid, " 0x%04lX", pids[i]);
            line += pid;
        }
        LeaveCriticalSection(&lock_);
        simLog(line);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnmapPID(ULONG count, ULONG* pids) override
    {
        if (!pids) return E_POINTER;
        EnterCriticalSection(&lock_);
        for (ULONG i = 0; i < count; ++i)
            mapped_.erase(std::remove(mapped_.begin(), mapped_.end(), pids[i]), mapped_.end());
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumPIDMap(IEnumPIDMap**) override { return E_NOTIMPL; }

    void commit(bool on)
    {
        if (!allocator_) return;
        if (on) allocator_->Commit();
        else allocator_->Decommit();
    }

    // Sends one section, if its PID is mapped here and the pin passes sections.
    void send(const SimSection& section)
    {
        if (!input_ || !allocator_ || !IsEqualGUID(type().majortype, mediaMpeg2Sections)) return;
        EnterCriticalSection(&lock_);
        const bool wanted = std::find(mapped_.begin(), mapped_.end(), section.pid) != mapped_.end();
        LeaveCriticalSection(&lock_);
        IMediaSample* sample = nullptr;
        if (!wanted || FAILED(allocator_->GetBuffer(&sample, nullptr, nullptr, 0))) return;
        BYTE* bytes = nullptr;
        const size_t size = section.bytes.size();
        if (SUCCEEDED(sample->GetPointer(&bytes)) && static_cast<size_t>(sample->GetSize()) >= size) {
            CopyMemory(bytes, section.bytes.data(), size);
            sample->SetActualDataLength(static_cast<long>(size));
            input_->Receive(sample);
        }
        sample->Release();
    }

private:
    void release()
    {
        simRelease(allocator_);
        simRelease(input_);
    }

    CRITICAL_SECTION lock_;  // guards the map: the stream goes out on the filter's own thread
    std::vector<ULONG> mapped_;
    IMemInputPin* input_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
};

class SimDemux final : public SimFilter, public IMpeg2Demultiplexer {
public:
    SimDemux() : SimFilter("demultiplexer", CLSID_MPEG2Demultiplexer, "MPEG-2 Demultiplexer")
    {
        addPin(PINDIR_INPUT, L"MPEG-2 Stream", MEDIATYPE_Stream, mediaBdaTransport);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return SimFilter::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return SimFilter::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return SimFilter::Release(); }

    HRESULT STDMETHODCALLTYPE CreateOutputPin(AM_MEDIA_TYPE* type, LPWSTR name, IPin** pin) override
    {
        if (!type || !name || !pin) return E_POINTER;
        *pin = nullptr;
        if (state() != State_Stopped) return VFW_E_NOT_STOPPED;
        if (find(name)) return E_INVALIDARG;
        SimSectionPin* created = new SimSectionPin(this, name, *type);
        pins_.push_back(created);
        outputs_.push_back(created);
        *pin = created;
        created->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOutputPinMediaType(LPWSTR, AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteOutputPin(LPWSTR name) override
    {
        if (!name) return E_POINTER;
        if (state() != State_Stopped) return VFW_E_NOT_STOPPED;
        SimSectionPin* pin = find(name);
        if (!pin) return E_INVALIDARG;
        if (pin->peer()) return VFW_E_ALREADY_CONNECTED;
        pins_.erase(std::find(pins_.begin(), pins_.end(), pin));
        outputs_.erase(std::find(outputs_.begin(), outputs_.end(), pin));
        delete pin;
        return S_OK;
    }

private:
    ~SimDemux() override { stopDevice(); }

    void* otherInterface(REFIID iid) override
    {
        return IsEqualIID(iid, IID_IMpeg2Demultiplexer) ? static_cast<IMpeg2Demultiplexer*>(this) : nullptr;
    }

    SimSectionPin* find(const wchar_t* name)
    {
        for (SimSectionPin* pin : outputs_)
            if (pin->name() == name) return pin;
        return nullptr;
    }

    HRESULT startDevice() override
    {
        for (SimSectionPin* pin : outputs_) pin->commit(true);
        stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (stop_) thread_ = CreateThread(nullptr, 0, streamMain, this, 0, nullptr);
        return thread_ ? S_OK : E_OUTOFMEMORY;
    }

    void stopDevice() override
    {
        if (thread_) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, 5000);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        if (stop_) CloseHandle(stop_);
        stop_ = nullptr;
        for (SimSectionPin* pin : outputs_) pin->commit(false);
    }

    // Whether the tuner (through its capture filter, where it has one) gives a stream now.
    bool streamFlows(ULONG* carrierKHz)
    {
        IBaseFilter* upstream = pins_[0]->peerFilter();
        if (!upstream) return false;
        SimTransportSource* source = nullptr;
        bool flows = false;
        if (SUCCEEDED(upstream->QueryInterface(iidSimTransportSource, reinterpret_cast<void**>(&source)))) {
            flows = source->streamFlows(carrierKHz);
            upstream->Release();
        }
        upstream->Release();
        return flows;
    }

    static DWORD WINAPI streamMain(void* parameter)
    {
        SimDemux& demux = *static_cast<SimDemux*>(parameter);
        while (WaitForSingleObject(demux.stop_, simSectionRepeatMs) == WAIT_TIMEOUT) {
            ULONG carrierKHz = 0;
            if (demux.state() != State_Running || !demux.streamFlows(&carrierKHz) ||
                !bdaSimCarriesSections(simScenario().stream, carrierKHz))
                continue;
            for (const SimSection& section : streamSections(carrierKHz))
                for (SimSectionPin* pin : demux.outputs_) pin->send(section);
        }
        return 0;
    }

    std::vector<SimSectionPin*> outputs_;  // also in pins_, which owns them
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
};

HRESULT createSimDemultiplexer(REFIID iid, void** object)
{
    if (simScenario().noDemultiplexer) return REGDB_E_CLASSNOTREG;
    return handOut(new SimDemux(), iid, object);
}

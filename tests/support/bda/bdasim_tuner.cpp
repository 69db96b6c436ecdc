#include "tests/support/bda/bdasim_tuner.h"

#include <bdaiface.h>
#include <dshow.h>
#include <uuids.h>

#include "bda/bda_ids.h"
#include "bda/bda_statistics.h"
#include "tests/support/bda/bdasim_filter.h"

// What the network provider put to the tuner's nodes.
struct TunerSettings {
    ULONG frequency = 0;
    ULONG multiplier = 1000;  // the frequency's unit in Hz
    Polarisation polarisation = BDA_POLARISATION_NOT_SET;
    ULONG range = 0;
    ULONG bandwidth = 0;
    ULONG lowKHz = 0;
    ULONG highKHz = 0;
    ULONG switchKHz = 0;
    bool diseqc = false;
    ULONG source = 0;
    ModulationType modulation = BDA_MOD_NOT_SET;
    FECMethod fec = BDA_FEC_METHOD_NOT_SET;
    BinaryConvolutionCodeRate fecRate = BDA_BCC_RATE_NOT_SET;
    ULONG symbolRate = 0;
    SpectralInversion inversion = BDA_SPECTRAL_INVERSION_NOT_SET;

    ULONG carrierKHz() const { return static_cast<ULONG>(static_cast<ULONGLONG>(frequency) * multiplier / 1000); }
    bool highBand() const { return carrierKHz() >= switchKHz; }
    ULONG intermediateKHz() const
    {
        const LONGLONG oscillator = highBand() ? highKHz : lowKHz;
        const LONGLONG difference = static_cast<LONGLONG>(carrierKHz()) - oscillator;
        return static_cast<ULONG>(difference < 0 ? -difference : difference);
    }
    bool receivable() const
    {
        const ULONG intermediate = intermediateKHz();
        return intermediate >= 950000 && intermediate <= 2150000 && symbolRate >= 1000 && symbolRate <= 45000 &&
               (polarisation == BDA_POLARISATION_LINEAR_H || polarisation == BDA_POLARISATION_LINEAR_V);
    }
};

static std::string tuneText(const TunerSettings& s)
{
    const char* polarisation = s.polarisation == BDA_POLARISATION_LINEAR_H   ? "H"
                               : s.polarisation == BDA_POLARISATION_LINEAR_V ? "V"
                                                                             : "-";
    const std::string source =
        s.diseqc && s.source >= 1 && s.source <= 4 ? std::string(1, static_cast<char>('A' + s.source - 1)) : "none";
    return "frequency=" + std::to_string(s.carrierKHz()) + " symbolRate=" + std::to_string(s.symbolRate) +
           " polarisation=" + polarisation + " low=" + std::to_string(s.lowKHz) + " high=" + std::to_string(s.highKHz) +
           " switch=" + std::to_string(s.switchKHz) + " source=" + source + " band=" + (s.highBand() ? "high" : "low") +
           " if=" + std::to_string(s.intermediateKHz());
}

template <typename T>
static HRESULT give(const T& value, T* out)
{
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

template <typename T>
static HRESULT take(T& field, const T* value)
{
    if (!value) return E_POINTER;
    field = *value;
    return S_OK;
}

class SimTuner;

// The signal figures a node reports; the tuner decides them.
struct SignalNow {
    bool present;
    bool locked;
    LONG quality;
    LONG strength;
};

// A control node's interfaces; its references are the tuner's.
class SimNode {
public:
    explicit SimNode(SimTuner* owner) : owner_(owner) {}

protected:
    ULONG addRef();
    ULONG release();
    SignalNow signal();
    TunerSettings& pending();
    void countReading();
    SimTuner* owner_;
};

class SimTunerNode final : public SimNode,
                           public IBDA_FrequencyFilter,
                           public IBDA_LNBInfo,
                           public IBDA_DiseqCommand,
                           public IBDA_SignalStatistics {
public:
    using SimNode::SimNode;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBDA_FrequencyFilter))
            *object = static_cast<IBDA_FrequencyFilter*>(this);
        else if (IsEqualIID(iid, IID_IBDA_LNBInfo)) *object = static_cast<IBDA_LNBInfo*>(this);
        else if (IsEqualIID(iid, __uuidof(IBDA_DiseqCommand))) *object = static_cast<IBDA_DiseqCommand*>(this);
        else if (IsEqualIID(iid, IID_IBDA_SignalStatistics)) *object = static_cast<IBDA_SignalStatistics*>(this);
        else return E_NOINTERFACE;
        addRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }

    HRESULT STDMETHODCALLTYPE put_Autotune(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Autotune(ULONG* v) override { return give(0ul, v); }
    HRESULT STDMETHODCALLTYPE put_Frequency(ULONG v) override { return store(pending().frequency, v); }
    HRESULT STDMETHODCALLTYPE get_Frequency(ULONG* v) override { return give(pending().frequency, v); }
    HRESULT STDMETHODCALLTYPE put_Polarity(Polarisation v) override { return store(pending().polarisation, v); }
    HRESULT STDMETHODCALLTYPE get_Polarity(Polarisation* v) override { return give(pending().polarisation, v); }
    HRESULT STDMETHODCALLTYPE put_Range(ULONG v) override { return store(pending().range, v); }
    HRESULT STDMETHODCALLTYPE get_Range(ULONG* v) override { return give(pending().range, v); }
    HRESULT STDMETHODCALLTYPE put_Bandwidth(ULONG v) override { return store(pending().bandwidth, v); }
    HRESULT STDMETHODCALLTYPE get_Bandwidth(ULONG* v) override { return give(pending().bandwidth, v); }
    HRESULT STDMETHODCALLTYPE put_FrequencyMultiplier(ULONG v) override { return store(pending().multiplier, v); }
    HRESULT STDMETHODCALLTYPE get_FrequencyMultiplier(ULONG* v) override { return give(pending().multiplier, v); }

    HRESULT STDMETHODCALLTYPE put_LocalOscilatorFrequencyLowBand(ULONG v) override
    {
        return store(pending().lowKHz, v);
    }
    HRESULT STDMETHODCALLTYPE get_LocalOscilatorFrequencyLowBand(ULONG* v) override
    {
        return give(pending().lowKHz, v);
    }
    HRESULT STDMETHODCALLTYPE put_LocalOscilatorFrequencyHighBand(ULONG v) override
    {
        return store(pending().highKHz, v);
    }
    HRESULT STDMETHODCALLTYPE get_LocalOscilatorFrequencyHighBand(ULONG* v) override
    {
        return give(pending().highKHz, v);
    }
    HRESULT STDMETHODCALLTYPE put_HighLowSwitchFrequency(ULONG v) override { return store(pending().switchKHz, v); }
    HRESULT STDMETHODCALLTYPE get_HighLowSwitchFrequency(ULONG* v) override { return give(pending().switchKHz, v); }

    HRESULT STDMETHODCALLTYPE put_EnableDiseqCommands(BOOLEAN enable) override
    {
        return store(pending().diseqc, enable != FALSE);
    }
    HRESULT STDMETHODCALLTYPE put_DiseqLNBSource(ULONG source) override { return store(pending().source, source); }
    HRESULT STDMETHODCALLTYPE put_DiseqUseToneBurst(BOOLEAN) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE put_DiseqRepeats(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE put_DiseqSendCommand(ULONG, ULONG, BYTE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DiseqResponse(ULONG, ULONG*, BYTE*) override { return E_NOTIMPL; }

    // The RF tuner knows the carrier, not what it carries.
    HRESULT STDMETHODCALLTYPE put_SignalStrength(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalStrength(LONG* v) override { return give(signal().strength, v); }
    HRESULT STDMETHODCALLTYPE put_SignalQuality(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalQuality(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_SignalPresent(BOOLEAN) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalPresent(BOOLEAN* v) override
    {
        return give(static_cast<BOOLEAN>(signal().present), v);
    }
    HRESULT STDMETHODCALLTYPE put_SignalLocked(BOOLEAN) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalLocked(BOOLEAN* v) override
    {
        return give(static_cast<BOOLEAN>(signal().present), v);
    }
    HRESULT STDMETHODCALLTYPE put_SampleTime(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SampleTime(LONG* v) override { return give(50l, v); }

private:
    template <typename T>
    static HRESULT store(T& field, T value)
    {
        field = value;
        return S_OK;
    }
};

class SimDemodulatorNode final : public SimNode, public IBDA_DigitalDemodulator, public IBDA_SignalStatistics {
public:
    using SimNode::SimNode;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBDA_DigitalDemodulator))
            *object = static_cast<IBDA_DigitalDemodulator*>(this);
        else if (IsEqualIID(iid, IID_IBDA_SignalStatistics)) *object = static_cast<IBDA_SignalStatistics*>(this);
        else return E_NOINTERFACE;
        addRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }

    HRESULT STDMETHODCALLTYPE put_ModulationType(ModulationType* v) override { return take(pending().modulation, v); }
    HRESULT STDMETHODCALLTYPE get_ModulationType(ModulationType* v) override { return give(pending().modulation, v); }
    HRESULT STDMETHODCALLTYPE put_InnerFECMethod(FECMethod* v) override { return take(pending().fec, v); }
    HRESULT STDMETHODCALLTYPE get_InnerFECMethod(FECMethod* v) override { return give(pending().fec, v); }
    HRESULT STDMETHODCALLTYPE put_InnerFECRate(BinaryConvolutionCodeRate* v) override
    {
        return take(pending().fecRate, v);
    }
    HRESULT STDMETHODCALLTYPE get_InnerFECRate(BinaryConvolutionCodeRate* v) override
    {
        return give(pending().fecRate, v);
    }
    HRESULT STDMETHODCALLTYPE put_OuterFECMethod(FECMethod*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_OuterFECMethod(FECMethod* v) override { return give(BDA_FEC_METHOD_NOT_SET, v); }
    HRESULT STDMETHODCALLTYPE put_OuterFECRate(BinaryConvolutionCodeRate*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_OuterFECRate(BinaryConvolutionCodeRate* v) override
    {
        return give(BDA_BCC_RATE_NOT_SET, v);
    }
    HRESULT STDMETHODCALLTYPE put_SymbolRate(ULONG* v) override { return take(pending().symbolRate, v); }
    HRESULT STDMETHODCALLTYPE get_SymbolRate(ULONG* v) override { return give(pending().symbolRate, v); }
    HRESULT STDMETHODCALLTYPE put_SpectralInversion(SpectralInversion* v) override
    {
        return take(pending().inversion, v);
    }
    HRESULT STDMETHODCALLTYPE get_SpectralInversion(SpectralInversion* v) override
    {
        return give(pending().inversion, v);
    }

    // The demodulator knows the lock and the quality of what it decodes.
    HRESULT STDMETHODCALLTYPE put_SignalStrength(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalStrength(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_SignalQuality(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalQuality(LONG* v) override
    {
        if (simScenario().noQuality) return E_NOTIMPL;
        return give(signal().quality, v);
    }
    HRESULT STDMETHODCALLTYPE put_SignalPresent(BOOLEAN) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalPresent(BOOLEAN* v) override
    {
        return give(static_cast<BOOLEAN>(signal().present), v);
    }
    HRESULT STDMETHODCALLTYPE put_SignalLocked(BOOLEAN) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalLocked(BOOLEAN* v) override
    {
        countReading();
        return give(static_cast<BOOLEAN>(signal().locked), v);
    }
    HRESULT STDMETHODCALLTYPE put_SampleTime(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SampleTime(LONG* v) override { return give(50l, v); }
};

// Node type numbers: the RF tuner 0, the demodulator 1; pins 0 (antenna) and 1 (transport).
class SimTuner final : public SimFilter, public IBDA_Topology, public IBDA_DeviceControl {
public:
    explicit SimTuner(const SimDeviceModel& model)
        : SimFilter("tuner", *model.clsid, model.name), model_(model), tunerNode_(this), demodulatorNode_(this)
    {
        InitializeCriticalSection(&lock_);
        addPin(PINDIR_INPUT, L"Antenna In", mediaBdaAntenna, GUID_NULL);
        output_ = addPin(PINDIR_OUTPUT, L"Transport Out", MEDIATYPE_Stream, mediaBdaTransport);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return SimFilter::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return SimFilter::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return SimFilter::Release(); }

    HRESULT STDMETHODCALLTYPE GetNodeTypes(ULONG* count, ULONG maximum, ULONG types[]) override
    {
        if (!count || (maximum > 0 && !types)) return E_POINTER;
        *count = 2;
        for (ULONG i = 0; i < maximum && i < 2; ++i) types[i] = i;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNodeDescriptors(ULONG* count, ULONG maximum, BDANODE_DESCRIPTOR nodes[]) override
    {
        if (!count || (maximum > 0 && !nodes)) return E_POINTER;
        const GUID* functions[] = {&nodeBdaRfTuner, model_.demodulator};
        *count = 2;
        for (ULONG i = 0; i < maximum && i < 2; ++i) {
            nodes[i].ulBdaNodeType = i;
            nodes[i].guidFunction = *functions[i];
            nodes[i].guidName = GUID_NULL;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNodeInterfaces(ULONG type, ULONG* count, ULONG maximum, GUID interfaces[]) override
    {
        if (!count || (maximum > 0 && !interfaces)) return E_POINTER;
        const GUID tuner[] = {IID_IBDA_FrequencyFilter, IID_IBDA_LNBInfo, __uuidof(IBDA_DiseqCommand),
                              IID_IBDA_SignalStatistics};
        const GUID demodulator[] = {IID_IBDA_DigitalDemodulator, IID_IBDA_SignalStatistics};
        if (type > 1) return E_INVALIDARG;
        const GUID* list = type == 0 ? tuner : demodulator;
        *count = type == 0 ? 4 : 2;
        for (ULONG i = 0; i < maximum && i < *count; ++i) interfaces[i] = list[i];
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPinTypes(ULONG* count, ULONG maximum, ULONG types[]) override
    {
        if (!count || (maximum > 0 && !types)) return E_POINTER;
        *count = 2;
        for (ULONG i = 0; i < maximum && i < 2; ++i) types[i] = i;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTemplateConnections(ULONG* count, ULONG, BDA_TEMPLATE_CONNECTION[]) override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreatePin(ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeletePin(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMediaType(ULONG, AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMedium(ULONG, REGPINMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateTopology(ULONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetControlNode(ULONG, ULONG, ULONG type, IUnknown** node) override
    {
        if (!node) return E_POINTER;
        *node = nullptr;
        if (type == 0) *node = static_cast<IBDA_FrequencyFilter*>(&tunerNode_);
        else if (type == 1) *node = static_cast<IBDA_DigitalDemodulator*>(&demodulatorNode_);
        else return E_INVALIDARG;
        (*node)->AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE StartChanges() override
    {
        EnterCriticalSection(&lock_);
        pending_ = committed_;
        changing_ = true;
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CheckChanges() override { return changing_ ? S_OK : E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE CommitChanges() override
    {
        EnterCriticalSection(&lock_);
        const bool refused = simScenario().refuseTune;
        const HRESULT result = refused ? E_FAIL : S_OK;
        if (!refused) {
            committed_ = pending_;
            tuned_ = true;
            tunedAt_ = GetTickCount();
        }
        changing_ = false;
        simLog("tune " + name() + " " + tuneText(pending_) + (refused ? " -> " + hresultText(result) : ""));
        LeaveCriticalSection(&lock_);
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetChangeState(ULONG* state) override
    {
        return give(static_cast<ULONG>(changing_ ? BDA_CHANGES_PENDING : BDA_CHANGES_COMPLETE), state);
    }

    TunerSettings& pending() { return pending_; }

    SignalNow signal()
    {
        EnterCriticalSection(&lock_);
        SignalNow now{false, false, 0, 0};
        if (tuned_ && state() == State_Running && committed_.receivable()) {
            const BdaSimStep step = bdaSimSignalAt(simScenario(), GetTickCount() - tunedAt_);
            now = SignalNow{true, step.locked, step.locked ? step.quality : 0, step.strength};
        }
        LeaveCriticalSection(&lock_);
        return now;
    }

    // Timed with the performance counter, which never lags as the tick count can.
    void countReading()
    {
        LARGE_INTEGER counter, frequency;
        QueryPerformanceCounter(&counter);
        QueryPerformanceFrequency(&frequency);
        const uint32_t now =
            counterMilliseconds(static_cast<uint64_t>(counter.QuadPart), static_cast<uint64_t>(frequency.QuadPart));
        if (readings_ == 0) firstReadingAt_ = now;
        lastReadingAt_ = now;
        ++readings_;
    }

private:
    ~SimTuner() override
    {
        if (readings_ > 0) {
            simLog("readings " + name() + " count=" + std::to_string(readings_) +
                   " spanMs=" + std::to_string(lastReadingAt_ - firstReadingAt_));
        }
        DeleteCriticalSection(&lock_);
    }

    void* otherInterface(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_IBDA_Topology)) return static_cast<IBDA_Topology*>(this);
        if (IsEqualIID(iid, IID_IBDA_DeviceControl)) return static_cast<IBDA_DeviceControl*>(this);
        return nullptr;
    }

    HRESULT startDevice() override
    {
        if (simScenario().refuseGraph) return HRESULT_FROM_WIN32(ERROR_BUSY);
        if (model_.needsCapture && !output_->peer()) return VFW_E_NOT_CONNECTED;
        return S_OK;
    }

    SimDeviceModel model_;
    SimPin* output_ = nullptr;
    SimTunerNode tunerNode_;
    SimDemodulatorNode demodulatorNode_;
    CRITICAL_SECTION lock_;
    TunerSettings pending_;
    TunerSettings committed_;
    bool changing_ = false;
    bool tuned_ = false;
    DWORD tunedAt_ = 0;
    unsigned long readings_ = 0;
    uint32_t firstReadingAt_ = 0;
    uint32_t lastReadingAt_ = 0;
};

ULONG SimNode::addRef() { return owner_->AddRef(); }
ULONG SimNode::release() { return owner_->Release(); }
SignalNow SimNode::signal() { return owner_->signal(); }
TunerSettings& SimNode::pending() { return owner_->pending(); }
void SimNode::countReading() { owner_->countReading(); }

// The capture filter of the tuner of two filters: it takes the transport
// stream of that tuner only (on Windows, their pins' mediums match).
class SimCapture final : public SimFilter {
public:
    SimCapture() : SimFilter("capture", classSimCapture, "Simulated DVB-S Capture 2")
    {
        addPin(PINDIR_INPUT, L"Transport In", MEDIATYPE_Stream, mediaBdaTransport);
        addPin(PINDIR_OUTPUT, L"Transport Out", MEDIATYPE_Stream, mediaBdaTransport);
    }
    HRESULT acceptConnection(SimPin* own, IPin* peer) override
    {
        PIN_DIRECTION direction;
        own->QueryDirection(&direction);
        if (direction != PINDIR_INPUT) return S_OK;
        PIN_INFO info;
        if (FAILED(peer->QueryPinInfo(&info))) return E_FAIL;
        CLSID clsid = GUID_NULL;
        info.pFilter->GetClassID(&clsid);
        info.pFilter->Release();
        for (int i = 0; i < simDeviceCount; ++i)
            if (simDevices[i].needsCapture && IsEqualCLSID(clsid, *simDevices[i].clsid)) return S_OK;
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
};

HRESULT createSimTuner(const SimDeviceModel& model, REFIID iid, void** object)
{
    return handOut(new SimTuner(model), iid, object);
}

HRESULT createSimCapture(REFIID iid, void** object) { return handOut(new SimCapture(), iid, object); }

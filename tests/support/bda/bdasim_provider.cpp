// A stand-in for Windows' BDA network provider (CLSID_NetworkProvider, and
// CLSID_DVBSNetworkProvider of earlier Windows), which Wine lacks. As
// Windows' documentation describes it: the graph's source filter, with one
// "Antenna Out" pin of the BDA antenna type and the ITuner interface. It
// connects only to a tuner whose topology has a demodulator of the tuning
// space's network type (DVB-S: QPSK or 8PSK), takes DVB-S tuning spaces
// only, and puts each tune request to the tuner's control nodes between
// IBDA_DeviceControl's StartChanges and CommitChanges, with the tuning
// space's input range as the RF tuner's range (not set, unless the space
// holds a number), unless the scenario says "no input range".
#include <windows.h>

#include <bdaiface.h>
#include <dshow.h>
#include <tuner.h>

#include "bda/bda_ids.h"
#include "tests/support/bda/bdasim_filter.h"
#include "tests/support/bda/bdasim_system.h"
#include "tests/support/bda/bdasim_tuning_model.h"

// The type numbers of the tuner's RF tuner node and of its demodulator.
struct TunerNodes {
    bool hasTuner = false;
    ULONG tunerType = 0;
    bool hasDemodulator = false;
    ULONG demodulatorType = 0;
};

static TunerNodes nodesOf(IBDA_Topology* topology)
{
    TunerNodes nodes;
    BDANODE_DESCRIPTOR descriptors[8];
    ULONG count = 0;
    if (FAILED(topology->GetNodeDescriptors(&count, 8, descriptors))) return nodes;
    for (ULONG i = 0; i < count && i < 8; ++i) {
        const GUID& function = descriptors[i].guidFunction;
        if (IsEqualGUID(function, nodeBdaRfTuner)) {
            nodes.hasTuner = true;
            nodes.tunerType = descriptors[i].ulBdaNodeType;
        } else if (IsEqualGUID(function, nodeBdaQpskDemodulator) || IsEqualGUID(function, nodeBdaEightPskDemodulator)) {
            nodes.hasDemodulator = true;
            nodes.demodulatorType = descriptors[i].ulBdaNodeType;
        }
    }
    return nodes;
}

template <typename Interface>
static Interface* controlNode(IBDA_Topology* topology, ULONG type, REFIID iid)
{
    IUnknown* node = nullptr;
    if (FAILED(topology->GetControlNode(0, 1, type, &node)) || !node) return nullptr;
    Interface* wanted = nullptr;
    if (FAILED(node->QueryInterface(iid, reinterpret_cast<void**>(&wanted)))) wanted = nullptr;
    node->Release();
    return wanted;
}

struct TuneValues {
    LONG carrierKHz;
    Polarisation polarisation;
    LONG symbolRate;
    FECMethod fec;
    BinaryConvolutionCodeRate fecRate;
    ModulationType modulation;
    Pilot pilot;
    RollOff rollOff;
    LNB_Source source;
    SpaceValues space;
};

// Windows does not say how its provider reads the input range: here, as a
// decimal number, anything else not set.
static ULONG rangeOf(const std::wstring& text)
{
    wchar_t* end = nullptr;
    const long number = text.empty() ? 0 : wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0') return static_cast<ULONG>(BDA_RANGE_NOT_SET);
    return static_cast<ULONG>(number);
}

static HRESULT putToTuner(IBaseFilter* tuner, const TuneValues& values)
{
    IBDA_Topology* topology = nullptr;
    IBDA_DeviceControl* control = nullptr;
    if (FAILED(tuner->QueryInterface(IID_IBDA_Topology, reinterpret_cast<void**>(&topology)))) return E_NOINTERFACE;
    if (FAILED(tuner->QueryInterface(IID_IBDA_DeviceControl, reinterpret_cast<void**>(&control)))) {
        topology->Release();
        return E_NOINTERFACE;
    }
    const TunerNodes nodes = nodesOf(topology);
    HRESULT result = control->StartChanges();
    if (SUCCEEDED(result) && nodes.hasTuner) {
        if (auto* frequency = controlNode<IBDA_FrequencyFilter>(topology, nodes.tunerType, IID_IBDA_FrequencyFilter)) {
            frequency->put_FrequencyMultiplier(1000);
            frequency->put_Frequency(static_cast<ULONG>(values.carrierKHz));
            frequency->put_Polarity(values.polarisation);
            if (!simScenario().noInputRange) frequency->put_Range(rangeOf(values.space.inputRange));
            frequency->Release();
        }
        if (auto* lnb = controlNode<IBDA_LNBInfo>(topology, nodes.tunerType, IID_IBDA_LNBInfo)) {
            lnb->put_LocalOscilatorFrequencyLowBand(static_cast<ULONG>(values.space.lowKHz));
            lnb->put_LocalOscilatorFrequencyHighBand(static_cast<ULONG>(values.space.highKHz));
            lnb->put_HighLowSwitchFrequency(static_cast<ULONG>(values.space.switchKHz));
            lnb->Release();
        }
        if (auto* diseqc = controlNode<IBDA_DiseqCommand>(topology, nodes.tunerType, __uuidof(IBDA_DiseqCommand))) {
            // The node counts its sources from 0, the locator from 1 (A).
            const bool withSwitch = values.source >= BDA_LNB_SOURCE_A && values.source <= BDA_LNB_SOURCE_D;
            diseqc->put_EnableDiseqCommands(withSwitch ? TRUE : FALSE);
            if (withSwitch) diseqc->put_DiseqLNBSource(static_cast<ULONG>(values.source - BDA_LNB_SOURCE_A));
            diseqc->Release();
        }
    }
    if (SUCCEEDED(result) && nodes.hasDemodulator) {
        if (auto* demodulator =
                controlNode<IBDA_DigitalDemodulator>(topology, nodes.demodulatorType, IID_IBDA_DigitalDemodulator)) {
            ModulationType modulation = values.modulation;
            FECMethod fec = values.fec;
            BinaryConvolutionCodeRate rate = values.fecRate;
            ULONG symbolRate = static_cast<ULONG>(values.symbolRate);
            demodulator->put_ModulationType(&modulation);
            demodulator->put_InnerFECMethod(&fec);
            demodulator->put_InnerFECRate(&rate);
            demodulator->put_SymbolRate(&symbolRate);
            demodulator->Release();
        }
        if (auto* second = controlNode<IBDA_DigitalDemodulator2>(topology, nodes.demodulatorType,
                                                                 __uuidof(IBDA_DigitalDemodulator2))) {
            Pilot pilot = values.pilot;
            RollOff rollOff = values.rollOff;
            second->put_Pilot(&pilot);
            second->put_RollOff(&rollOff);
            second->Release();
        }
    }
    if (SUCCEEDED(result)) result = control->CheckChanges();
    if (SUCCEEDED(result)) result = control->CommitChanges();
    control->Release();
    topology->Release();
    return result;
}

static bool readLocator(ITuneRequest* request, TuneValues* values)
{
    ILocator* locator = nullptr;
    if (FAILED(request->get_Locator(&locator)) || !locator) return false;
    IDVBSLocator* satellite = nullptr;
    const bool dvbs = SUCCEEDED(locator->QueryInterface(IID_IDVBSLocator, reinterpret_cast<void**>(&satellite)));
    if (dvbs) {
        satellite->get_CarrierFrequency(&values->carrierKHz);
        satellite->get_SignalPolarisation(&values->polarisation);
        satellite->get_SymbolRate(&values->symbolRate);
        satellite->get_InnerFEC(&values->fec);
        satellite->get_InnerFECRate(&values->fecRate);
        satellite->get_Modulation(&values->modulation);
        values->source = BDA_LNB_SOURCE_NOT_SET;
        values->pilot = BDA_PILOT_NOT_SET;
        values->rollOff = BDA_ROLL_OFF_NOT_SET;
        IDVBSLocator2* second = nullptr;
        if (SUCCEEDED(locator->QueryInterface(__uuidof(IDVBSLocator2), reinterpret_cast<void**>(&second)))) {
            second->get_DiseqLNBSource(&values->source);
            second->get_SignalPilot(&values->pilot);
            second->get_SignalRollOff(&values->rollOff);
            second->Release();
        }
        satellite->Release();
    }
    locator->Release();
    return dvbs;
}

static std::string lnbText(const SpaceValues& space)
{
    std::string range;
    for (wchar_t c : space.inputRange) range += c < 128 ? static_cast<char>(c) : '?';
    return "low=" + std::to_string(space.lowKHz) + " high=" + std::to_string(space.highKHz) +
           " switch=" + std::to_string(space.switchKHz) + (range.empty() ? "" : " range=" + range);
}

class SimProvider final : public SimFilter, public ITuner {
public:
    explicit SimProvider(bool generic)
        : SimFilter("provider", generic ? classNetworkProvider : CLSID_DVBSNetworkProvider,
                    generic ? "Network Provider" : "DVB-S Network Provider")
    {
        output_ = addPin(PINDIR_OUTPUT, L"Antenna Out", mediaBdaAntenna, GUID_NULL);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return SimFilter::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return SimFilter::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return SimFilter::Release(); }

    HRESULT acceptConnection(SimPin*, IPin* peer) override
    {
        PIN_INFO info;
        if (FAILED(peer->QueryPinInfo(&info))) return E_FAIL;
        IBDA_Topology* topology = nullptr;
        HRESULT result = info.pFilter->QueryInterface(IID_IBDA_Topology, reinterpret_cast<void**>(&topology));
        info.pFilter->Release();
        if (FAILED(result)) return VFW_E_NO_ACCEPTABLE_TYPES;
        // A DVB-S network: a satellite demodulator (DVB-S QPSK, DVB-S2 8PSK).
        result = nodesOf(topology).hasDemodulator ? S_OK : VFW_E_NO_ACCEPTABLE_TYPES;
        topology->Release();
        return result;
    }

    HRESULT STDMETHODCALLTYPE get_TuningSpace(ITuningSpace** space) override
    {
        if (!space) return E_POINTER;
        *space = space_;
        if (space_) space_->AddRef();
        return space_ ? S_OK : S_FALSE;
    }
    // The LNB reaches the tuner as the tuning space had it when it was given.
    HRESULT STDMETHODCALLTYPE put_TuningSpace(ITuningSpace* space) override
    {
        SpaceValues values;
        if (!spaceValuesOf(space, &values) || !IsEqualGUID(values.networkType, CLSID_DVBSNetworkProvider)) {
            simLog("tuning space refused");
            return E_INVALIDARG;
        }
        space->AddRef();
        simRelease(space_);
        space_ = space;
        lnb_ = values;
        simLog("tuning space " + lnbText(lnb_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumTuningSpaces(IEnumTuningSpaces**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_TuneRequest(ITuneRequest** request) override
    {
        if (!request) return E_POINTER;
        *request = request_;
        if (request_) request_->AddRef();
        return request_ ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE put_TuneRequest(ITuneRequest* request) override
    {
        HRESULT result = Validate(request);
        if (FAILED(result)) return result;
        TuneValues values{};
        readLocator(request, &values);
        values.space = lnb_;
        IBaseFilter* tuner = output_->peerFilter();
        result = tuner ? putToTuner(tuner, values) : VFW_E_NOT_CONNECTED;
        simRelease(tuner);
        if (SUCCEEDED(result)) {
            request->AddRef();
            simRelease(request_);
            request_ = request;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Validate(ITuneRequest* request) override
    {
        if (!request) return E_POINTER;
        if (!space_) return E_UNEXPECTED;
        TuneValues values{};
        return readLocator(request, &values) ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_PreferredComponentTypes(IComponentTypes**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_PreferredComponentTypes(IComponentTypes*) override { return E_NOTIMPL; }
    // From the tuner's RF node: -1 when it cannot tell, 0 when not tuned.
    HRESULT STDMETHODCALLTYPE get_SignalStrength(LONG* strength) override
    {
        if (!strength) return E_POINTER;
        *strength = -1;
        IBaseFilter* tuner = output_->peerFilter();
        IBDA_Topology* topology = nullptr;
        if (tuner && SUCCEEDED(tuner->QueryInterface(IID_IBDA_Topology, reinterpret_cast<void**>(&topology)))) {
            const TunerNodes nodes = nodesOf(topology);
            IBDA_SignalStatistics* statistics =
                nodes.hasTuner
                    ? controlNode<IBDA_SignalStatistics>(topology, nodes.tunerType, IID_IBDA_SignalStatistics)
                    : nullptr;
            if (statistics) {
                statistics->get_SignalStrength(strength);
                statistics->Release();
            }
            topology->Release();
        }
        simRelease(tuner);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TriggerSignalEvents(LONG) override { return S_OK; }

private:
    ~SimProvider() override
    {
        simRelease(request_);
        simRelease(space_);
    }
    void* otherInterface(REFIID iid) override
    {
        return IsEqualIID(iid, IID_ITuner) ? static_cast<ITuner*>(this) : nullptr;
    }

    SimPin* output_ = nullptr;
    ITuningSpace* space_ = nullptr;
    ITuneRequest* request_ = nullptr;
    SpaceValues lnb_{};
};

HRESULT createGenericProvider(REFIID iid, void** object)
{
    // Before Windows 7 there is no provider of every network type.
    if (simScenario().legacyProvider) return REGDB_E_CLASSNOTREG;
    return handOut(new SimProvider(true), iid, object);
}

HRESULT createSatelliteProvider(REFIID iid, void** object) { return handOut(new SimProvider(false), iid, object); }

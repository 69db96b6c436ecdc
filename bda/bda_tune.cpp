// The tuning space and the tune requests.
#include "bda/bda_graph.h"
#include "bda/bda_search.h"
#include "tuner/lnb_rules.h"

// The numbers the platform-neutral rules use are BDA's own.
static_assert(bdaPolarisationHorizontal == BDA_POLARISATION_LINEAR_H, "BDA polarisation");
static_assert(bdaPolarisationVertical == BDA_POLARISATION_LINEAR_V, "BDA polarisation");
static_assert(bdaLnbSourceNotSet == BDA_LNB_SOURCE_NOT_SET, "BDA LNB source");
static_assert(bdaLnbSourceA == BDA_LNB_SOURCE_A && bdaLnbSourceA + 3 == BDA_LNB_SOURCE_D, "BDA LNB sources");
static_assert(bdaModulationNotSet == BDA_MOD_NOT_SET && bdaModulationQpsk == BDA_MOD_QPSK, "BDA modulation");
static_assert(bdaModulationNbcQpsk == BDA_MOD_NBC_QPSK && bdaModulationNbc8psk == BDA_MOD_NBC_8PSK, "BDA modulation");
static_assert(bdaModulationLast + 1 == BDA_MOD_MAX, "BDA modulations");
static_assert(bdaModulation8psk == BDA_MOD_8PSK && bdaModulation16apsk == BDA_MOD_16APSK, "BDA modulation");
static_assert(bdaModulation32apsk == BDA_MOD_32APSK, "BDA modulation");
static_assert(bdaPilotNotSet == BDA_PILOT_NOT_SET && bdaPilotOff == BDA_PILOT_OFF && bdaPilotOn == BDA_PILOT_ON,
              "BDA pilots");
static_assert(bdaRollOffNotSet == BDA_ROLL_OFF_NOT_SET && bdaRollOff20 == BDA_ROLL_OFF_20, "BDA roll-off");
static_assert(bdaRollOff35 == BDA_ROLL_OFF_35 && bdaRangeNotSet == BDA_RANGE_NOT_SET, "BDA roll-off and range");

static const wchar_t spaceName[] = L"Azimora DVB-S";

static HRESULT putName(IDVBSTuningSpace* space, HRESULT (STDMETHODCALLTYPE ITuningSpace::*put)(BSTR))
{
    BSTR name = SysAllocString(spaceName);
    if (!name) return E_OUTOFMEMORY;
    const HRESULT result = (space->*put)(name);
    SysFreeString(name);
    return result;
}

static HRESULT putOscillators(IDVBSTuningSpace* space, const LnbOscillators& lnb)
{
    HRESULT result = space->put_LowOscillator(lnb.lowKHz);
    if (SUCCEEDED(result)) result = space->put_HighOscillator(lnb.highKHz);
    if (SUCCEEDED(result)) result = space->put_LNBSwitch(lnb.switchKHz);
    return result;
}

HRESULT createTuningSpace(BdaGraph& graph)
{
    HRESULT result = CoCreateInstance(CLSID_DVBSTuningSpace, nullptr, CLSCTX_INPROC_SERVER, IID_IDVBSTuningSpace,
                                      reinterpret_cast<void**>(&graph.space));
    if (FAILED(result)) return result;
    IDVBSTuningSpace* space = graph.space;
    result = putName(space, &ITuningSpace::put_UniqueName);
    if (SUCCEEDED(result)) result = putName(space, &ITuningSpace::put_FriendlyName);
    if (SUCCEEDED(result)) result = space->put__NetworkType(CLSID_DVBSNetworkProvider);  // the DVB-S network type
    if (SUCCEEDED(result)) result = space->put_SystemType(DVB_Satellite);
    if (FAILED(result)) return result;

    // Until the first tune: the low band of a universal LNB, as most dishes have.
    CardTuning lowBand;
    lowBand.lnbFrequencyMHz = lowBandLnbMHz;
    graph.lnb = lnbOscillatorsFor(lowBand);
    result = putOscillators(space, graph.lnb);
    if (FAILED(result)) return result;
    BSTR range = nullptr;
    if (SUCCEEDED(space->get_InputRange(&range)) && range) graph.spaceRange = range;
    SysFreeString(range);
    graph.rangeGiven = graph.spaceRange;

    ILocator* locator = nullptr;
    result = CoCreateInstance(CLSID_DVBSLocator, nullptr, CLSCTX_INPROC_SERVER, IID_ILocator,
                              reinterpret_cast<void**>(&locator));
    if (FAILED(result)) return result;
    // The LNB source travels in the second locator (Windows 7 on).
    IDVBSLocator2* second = nullptr;
    graph.locatorHasLnbSource =
        SUCCEEDED(locator->QueryInterface(__uuidof(IDVBSLocator2), reinterpret_cast<void**>(&second)));
    releaseOnce(second);
    result = space->put_DefaultLocator(locator);
    locator->Release();
    if (FAILED(result)) return result;
    return graph.tuner->put_TuningSpace(space);
}

static HRESULT describeTransponder(IDVBSLocator* locator, const BdaTuneValues& values, int32_t modulation,
                                   int32_t lnbSource, const SignalShape& shape)
{
    HRESULT result = locator->put_CarrierFrequency(values.carrierKHz);
    if (SUCCEEDED(result)) result = locator->put_SymbolRate(values.symbolRate);
    if (SUCCEEDED(result)) result = locator->put_SignalPolarisation(static_cast<Polarisation>(values.polarisation));
    if (SUCCEEDED(result)) result = locator->put_Modulation(static_cast<ModulationType>(modulation));
    // The demodulator finds the code rate itself, whatever the program sent.
    if (SUCCEEDED(result)) result = locator->put_InnerFEC(BDA_FEC_METHOD_NOT_SET);
    if (SUCCEEDED(result)) result = locator->put_InnerFECRate(BDA_BCC_RATE_NOT_SET);
    if (FAILED(result)) return result;
    // Before Windows 7 the locator has no pilots and roll-off: the driver finds them.
    IDVBSLocator2* second = nullptr;
    if (FAILED(locator->QueryInterface(__uuidof(IDVBSLocator2), reinterpret_cast<void**>(&second))))
        return lnbSource == bdaLnbSourceNotSet ? S_OK : E_NOINTERFACE;
    // Pilots and roll-off are for the demodulator to find, as the code rate,
    // unless the settings name them for a driver that cannot.
    const SignalShape named = signalShapeFor(modulation, shape);
    result = second->put_SignalPilot(static_cast<Pilot>(named.pilot));
    if (SUCCEEDED(result)) result = second->put_SignalRollOff(static_cast<RollOff>(named.rollOff));
    if (SUCCEEDED(result)) result = second->put_DiseqLNBSource(static_cast<LNB_Source>(lnbSource));
    second->Release();
    return result;
}

HRESULT createTuneRequest(BdaGraph& graph, const BdaTuneValues& values, int32_t modulation, int32_t lnbSource,
                          const SignalShape& shape, ITuneRequest** request)
{
    *request = nullptr;
    if (!graph.space) return E_UNEXPECTED;
    HRESULT result = graph.space->CreateTuneRequest(request);
    if (FAILED(result)) return result;
    // Any network, stream and service: only the transponder counts.
    IDVBTuneRequest* dvb = nullptr;
    if (SUCCEEDED((*request)->QueryInterface(IID_IDVBTuneRequest, reinterpret_cast<void**>(&dvb)))) {
        dvb->put_ONID(-1);
        dvb->put_TSID(-1);
        dvb->put_SID(-1);
        dvb->Release();
    }
    IDVBSLocator* locator = nullptr;
    result = CoCreateInstance(CLSID_DVBSLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IDVBSLocator,
                              reinterpret_cast<void**>(&locator));
    if (SUCCEEDED(result)) result = describeTransponder(locator, values, modulation, lnbSource, shape);
    if (SUCCEEDED(result)) result = (*request)->put_Locator(locator);
    releaseOnce(locator);
    if (FAILED(result)) releaseOnce(*request);
    return result;
}

// A new LNB reaches the provider with the tuning space handed over again.
HRESULT putLnbOscillators(BdaGraph& graph, const LnbOscillators& lnb)
{
    if (!graph.space || !graph.tuner) return E_UNEXPECTED;
    if (lnb == graph.lnb) return S_OK;
    HRESULT result = putOscillators(graph.space, lnb);
    if (SUCCEEDED(result)) result = graph.tuner->put_TuningSpace(graph.space);
    if (SUCCEEDED(result)) graph.lnb = lnb;
    return result;
}

static std::wstring wideOf(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], length);
    return out;
}

static HRESULT putRangeText(IDVBSTuningSpace* space, const std::wstring& range)
{
    BSTR text = SysAllocString(range.c_str());
    if (!text) return E_OUTOFMEMORY;
    const HRESULT result = space->put_InputRange(text);
    SysFreeString(text);
    return result;
}

// Windows' provider puts the space's input range to the tuner with every
// tune, as it does the LNB: it learns a new one with the space handed over again.
HRESULT putSpaceInputRange(BdaGraph& graph, const std::string& range)
{
    if (!graph.space || !graph.tuner) return E_UNEXPECTED;
    const std::wstring wanted = range.empty() ? graph.spaceRange : wideOf(range);
    if (wanted == graph.rangeGiven) return S_OK;
    HRESULT result = putRangeText(graph.space, wanted);
    if (FAILED(result)) return result;
    result = graph.tuner->put_TuningSpace(graph.space);
    // A space the provider refused keeps what the provider has, for the next time it is handed over.
    if (FAILED(result)) putRangeText(graph.space, graph.rangeGiven);
    else graph.rangeGiven = wanted;
    return result;
}

HRESULT putTuneRequest(BdaGraph& graph, ITuneRequest* request)
{
    if (!graph.tuner || !request) return E_UNEXPECTED;
    return graph.tuner->put_TuneRequest(request);
}

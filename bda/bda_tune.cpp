// The tuning space and the tune requests.
#include "bda/bda_graph.h"
#include "tuner/lnb_rules.h"

// The numbers the platform-neutral rules use are BDA's own.
static_assert(bdaPolarisationHorizontal == BDA_POLARISATION_LINEAR_H, "BDA polarisation");
static_assert(bdaPolarisationVertical == BDA_POLARISATION_LINEAR_V, "BDA polarisation");
static_assert(bdaLnbSourceNotSet == BDA_LNB_SOURCE_NOT_SET, "BDA LNB source");
static_assert(bdaLnbSourceA == BDA_LNB_SOURCE_A && bdaLnbSourceA + 3 == BDA_LNB_SOURCE_D, "BDA LNB sources");

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

    // Until the first tune: a universal LNB, as most dishes have.
    CardTuning universal;
    universal.lnbFrequencyMHz = lowBandLnbMHz;
    graph.lnb = lnbOscillatorsFor(universal);
    result = putOscillators(space, graph.lnb);
    if (FAILED(result)) return result;

    ILocator* locator = nullptr;
    result = CoCreateInstance(CLSID_DVBSLocator, nullptr, CLSCTX_INPROC_SERVER, IID_ILocator,
                              reinterpret_cast<void**>(&locator));
    if (FAILED(result)) return result;
    result = space->put_DefaultLocator(locator);
    locator->Release();
    if (FAILED(result)) return result;
    return graph.tuner->put_TuningSpace(space);
}

static HRESULT describeTransponder(IDVBSLocator* locator, const BdaTuneValues& values)
{
    HRESULT result = locator->put_CarrierFrequency(values.carrierKHz);
    if (SUCCEEDED(result)) result = locator->put_SymbolRate(values.symbolRate);
    if (SUCCEEDED(result)) result = locator->put_SignalPolarisation(static_cast<Polarisation>(values.polarisation));
    // The demodulator finds the code rate itself, whatever the program sent.
    if (SUCCEEDED(result)) result = locator->put_InnerFEC(BDA_FEC_METHOD_NOT_SET);
    if (SUCCEEDED(result)) result = locator->put_InnerFECRate(BDA_BCC_RATE_NOT_SET);
    if (FAILED(result)) return result;
    // The LNB source of a DiSEqC switch travels in the second locator
    // (Windows 7 on). Without one a switch port cannot be asked for.
    IDVBSLocator2* second = nullptr;
    if (FAILED(locator->QueryInterface(__uuidof(IDVBSLocator2), reinterpret_cast<void**>(&second))))
        return values.lnbSource == bdaLnbSourceNotSet ? S_OK : E_NOINTERFACE;
    result = second->put_DiseqLNBSource(static_cast<LNB_Source>(values.lnbSource));
    second->Release();
    return result;
}

static HRESULT newTuneRequest(IDVBSTuningSpace* space, const BdaTuneValues& values, ITuneRequest** request)
{
    HRESULT result = space->CreateTuneRequest(request);
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
    if (FAILED(result)) return result;
    result = describeTransponder(locator, values);
    if (SUCCEEDED(result)) result = (*request)->put_Locator(locator);
    locator->Release();
    return result;
}

HRESULT tuneBdaGraph(BdaGraph& graph, const BdaTuneValues& values)
{
    if (!graph.space || !graph.tuner) return E_UNEXPECTED;
    HRESULT result = S_OK;
    // A new LNB reaches the provider with the tuning space handed over again.
    if (!(values.lnb == graph.lnb)) {
        result = putOscillators(graph.space, values.lnb);
        if (SUCCEEDED(result)) result = graph.tuner->put_TuningSpace(graph.space);
        if (FAILED(result)) return result;
        graph.lnb = values.lnb;
    }
    ITuneRequest* request = nullptr;
    result = newTuneRequest(graph.space, values, &request);
    if (SUCCEEDED(result)) result = graph.tuner->put_TuneRequest(request);
    releaseOnce(request);
    return result;
}

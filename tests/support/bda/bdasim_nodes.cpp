#include "tests/support/bda/bdasim_nodes.h"

#include "tests/support/bda/bdasim_tuner.h"

template <typename T>
static HRESULT give(const T& value, T* out)
{
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

template <typename T>
static HRESULT store(T& field, T value)
{
    field = value;
    return S_OK;
}

template <typename T>
static HRESULT take(T& field, const T* value)
{
    if (!value) return E_POINTER;
    field = *value;
    return S_OK;
}

// A statistics figure as the scenario lets the driver give it, taken once
// the call may go ahead.
template <typename T, typename Figure>
static HRESULT statistic(SimTuner* tuner, bool lockFigure, T* out, Figure figure)
{
    const HRESULT result = tuner->statisticsCall(lockFigure);
    return FAILED(result) ? result : give(static_cast<T>(figure()), out);
}

// ---- RF tuner --------------------------------------------------------------

HRESULT SimTunerNode::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBDA_FrequencyFilter))
        *object = static_cast<IBDA_FrequencyFilter*>(this);
    else if (IsEqualIID(iid, IID_IBDA_LNBInfo)) *object = static_cast<IBDA_LNBInfo*>(this);
    else if (IsEqualIID(iid, __uuidof(IBDA_DiseqCommand)) && !owner_->driver().noDiseqc)
        *object = static_cast<IBDA_DiseqCommand*>(this);
    else if (IsEqualIID(iid, IID_IBDA_SignalStatistics)) *object = static_cast<IBDA_SignalStatistics*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}
ULONG SimTunerNode::AddRef() { return owner_->AddRef(); }
ULONG SimTunerNode::Release() { return owner_->Release(); }

HRESULT SimTunerNode::get_Autotune(ULONG* v) { return give(0ul, v); }
HRESULT SimTunerNode::put_Frequency(ULONG v) { return store(owner_->pending().frequency, v); }
HRESULT SimTunerNode::get_Frequency(ULONG* v) { return give(owner_->pending().frequency, v); }
HRESULT SimTunerNode::put_Polarity(Polarisation v) { return store(owner_->pending().polarisation, v); }
HRESULT SimTunerNode::get_Polarity(Polarisation* v) { return give(owner_->pending().polarisation, v); }
// A driver without a handler for the range property refuses it either way, as the kernel-streaming proxy then does.
HRESULT SimTunerNode::put_Range(ULONG v)
{
    return owner_->driver().switchesByRange ? store(owner_->pending().range, v) : E_NOTIMPL;
}
HRESULT SimTunerNode::get_Range(ULONG* v)
{
    return owner_->driver().switchesByRange ? give(owner_->pending().range, v) : E_NOTIMPL;
}
HRESULT SimTunerNode::put_Bandwidth(ULONG v) { return store(owner_->pending().bandwidth, v); }
HRESULT SimTunerNode::get_Bandwidth(ULONG* v) { return give(owner_->pending().bandwidth, v); }
HRESULT SimTunerNode::put_FrequencyMultiplier(ULONG v) { return store(owner_->pending().multiplier, v); }
HRESULT SimTunerNode::get_FrequencyMultiplier(ULONG* v) { return give(owner_->pending().multiplier, v); }

HRESULT SimTunerNode::put_LocalOscilatorFrequencyLowBand(ULONG v) { return store(owner_->pending().lowKHz, v); }
HRESULT SimTunerNode::get_LocalOscilatorFrequencyLowBand(ULONG* v) { return give(owner_->pending().lowKHz, v); }
HRESULT SimTunerNode::put_LocalOscilatorFrequencyHighBand(ULONG v) { return store(owner_->pending().highKHz, v); }
HRESULT SimTunerNode::get_LocalOscilatorFrequencyHighBand(ULONG* v) { return give(owner_->pending().highKHz, v); }
HRESULT SimTunerNode::put_HighLowSwitchFrequency(ULONG v) { return store(owner_->pending().switchKHz, v); }
HRESULT SimTunerNode::get_HighLowSwitchFrequency(ULONG* v) { return give(owner_->pending().switchKHz, v); }

HRESULT SimTunerNode::put_EnableDiseqCommands(BOOLEAN enable) { return owner_->enableCommands(enable != FALSE); }
HRESULT SimTunerNode::put_DiseqLNBSource(ULONG source)
{
    owner_->putLnbSource(source);
    return S_OK;
}
HRESULT SimTunerNode::put_DiseqUseToneBurst(BOOLEAN use)
{
    owner_->useToneBurst(use != FALSE);
    return S_OK;
}
HRESULT SimTunerNode::put_DiseqSendCommand(ULONG, ULONG length, BYTE* command)
{
    return owner_->sendCommand(command, length);
}

// A driver in mdB reports the carrier's level about the nominal one: the
// lower the level, the larger the figure.
HRESULT SimTunerNode::get_SignalStrength(LONG* v)
{
    return statistic(owner_, false, v, [this] {
        const LONG strength = owner_->signal().strength;
        return owner_->driver().strengthInMillidB ? millidBBelowNominal(strength) : strength;
    });
}
HRESULT SimTunerNode::get_SignalPresent(BOOLEAN* v)
{
    return statistic(owner_, true, v, [this] { return owner_->signal().present; });
}
HRESULT SimTunerNode::get_SignalLocked(BOOLEAN* v)
{
    return statistic(owner_, true, v, [this] { return owner_->signal().present; });
}
HRESULT SimTunerNode::get_SampleTime(LONG* v) { return give(50l, v); }

// ---- demodulator -----------------------------------------------------------

HRESULT SimDemodulatorNode::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBDA_DigitalDemodulator) ||
        IsEqualIID(iid, __uuidof(IBDA_DigitalDemodulator2)))
        *object = static_cast<IBDA_DigitalDemodulator2*>(this);
    else if (IsEqualIID(iid, IID_IBDA_SignalStatistics)) *object = static_cast<IBDA_SignalStatistics*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}
ULONG SimDemodulatorNode::AddRef() { return owner_->AddRef(); }
ULONG SimDemodulatorNode::Release() { return owner_->Release(); }

HRESULT SimDemodulatorNode::put_ModulationType(ModulationType* v) { return take(owner_->pending().modulation, v); }
// A demodulator that reads back what it locked gives the transponder's own
// modulation and code rate while locked; others give what was put.
static bool readsBackNow(SimTuner* owner) { return simScenario().demodulatorReports && owner->signal().locked; }

static ModulationType transponderModulation(BdaSimTransponder transponder)
{
    switch (transponder) {
    case SimDvbS2Qpsk: return BDA_MOD_NBC_QPSK;
    case SimDvbS2Psk8: return BDA_MOD_NBC_8PSK;
    case SimDvbS: break;
    }
    return BDA_MOD_QPSK;
}

HRESULT SimDemodulatorNode::get_ModulationType(ModulationType* v)
{
    if (readsBackNow(owner_)) return give(transponderModulation(simScenario().transponder), v);
    return give(owner_->pending().modulation, v);
}
HRESULT SimDemodulatorNode::put_InnerFECMethod(FECMethod* v) { return take(owner_->pending().fec, v); }
HRESULT SimDemodulatorNode::get_InnerFECMethod(FECMethod* v) { return give(owner_->pending().fec, v); }
HRESULT SimDemodulatorNode::put_InnerFECRate(BinaryConvolutionCodeRate* v)
{
    return take(owner_->pending().fecRate, v);
}
HRESULT SimDemodulatorNode::get_InnerFECRate(BinaryConvolutionCodeRate* v)
{
    if (readsBackNow(owner_)) return give(static_cast<BinaryConvolutionCodeRate>(simScenario().codeRate), v);
    return give(owner_->pending().fecRate, v);
}
HRESULT SimDemodulatorNode::get_OuterFECMethod(FECMethod* v) { return give(BDA_FEC_METHOD_NOT_SET, v); }
HRESULT SimDemodulatorNode::get_OuterFECRate(BinaryConvolutionCodeRate* v) { return give(BDA_BCC_RATE_NOT_SET, v); }
HRESULT SimDemodulatorNode::put_SymbolRate(ULONG* v) { return take(owner_->pending().symbolRate, v); }
HRESULT SimDemodulatorNode::get_SymbolRate(ULONG* v) { return give(owner_->pending().symbolRate, v); }
HRESULT SimDemodulatorNode::put_SpectralInversion(SpectralInversion* v) { return take(owner_->pending().inversion, v); }
HRESULT SimDemodulatorNode::get_SpectralInversion(SpectralInversion* v) { return give(owner_->pending().inversion, v); }
HRESULT SimDemodulatorNode::put_RollOff(RollOff* v) { return take(owner_->pending().rollOff, v); }
HRESULT SimDemodulatorNode::get_RollOff(RollOff* v) { return give(owner_->pending().rollOff, v); }
HRESULT SimDemodulatorNode::put_Pilot(Pilot* v) { return take(owner_->pending().pilot, v); }
HRESULT SimDemodulatorNode::get_Pilot(Pilot* v) { return give(owner_->pending().pilot, v); }

HRESULT SimDemodulatorNode::get_SignalQuality(LONG* v)
{
    if (simScenario().noQuality || owner_->driver().strengthInMillidB) return E_NOTIMPL;
    return statistic(owner_, false, v, [this] { return owner_->signal().quality; });
}
HRESULT SimDemodulatorNode::get_SignalPresent(BOOLEAN* v)
{
    return statistic(owner_, true, v, [this] { return owner_->signal().present; });
}
HRESULT SimDemodulatorNode::get_SignalLocked(BOOLEAN* v)
{
    owner_->countReading();
    return statistic(owner_, true, v, [this] { return owner_->lockedNow(); });
}
HRESULT SimDemodulatorNode::get_SampleTime(LONG* v) { return give(50l, v); }

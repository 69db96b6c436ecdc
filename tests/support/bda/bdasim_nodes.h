// The control nodes of a simulated tuner's topology, as a BDA driver's
// nodes look through Windows' kernel-streaming proxy: the RF tuner
// (IBDA_FrequencyFilter, whose range only a driver that switches by it
// takes, IBDA_LNBInfo, IBDA_DiseqCommand unless the driver lacks it,
// IBDA_SignalStatistics) and the demodulator
// (IBDA_DigitalDemodulator2, IBDA_SignalStatistics). A node's references
// are its tuner's; what it is told goes to the tuner's pending settings.
#pragma once
#include <windows.h>

#include <bdaiface.h>

class SimTuner;

// The signal figures a node reports; the tuner decides them.
struct SignalNow {
    bool present;
    bool locked;
    LONG quality;
    LONG strength;
};

class SimTunerNode final : public IBDA_FrequencyFilter,
                           public IBDA_LNBInfo,
                           public IBDA_DiseqCommand,
                           public IBDA_SignalStatistics {
public:
    explicit SimTunerNode(SimTuner* owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE put_Autotune(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Autotune(ULONG* v) override;
    HRESULT STDMETHODCALLTYPE put_Frequency(ULONG v) override;
    HRESULT STDMETHODCALLTYPE get_Frequency(ULONG* v) override;
    HRESULT STDMETHODCALLTYPE put_Polarity(Polarisation v) override;
    HRESULT STDMETHODCALLTYPE get_Polarity(Polarisation* v) override;
    HRESULT STDMETHODCALLTYPE put_Range(ULONG v) override;
    HRESULT STDMETHODCALLTYPE get_Range(ULONG* v) override;
    HRESULT STDMETHODCALLTYPE put_Bandwidth(ULONG v) override;
    HRESULT STDMETHODCALLTYPE get_Bandwidth(ULONG* v) override;
    HRESULT STDMETHODCALLTYPE put_FrequencyMultiplier(ULONG v) override;
    HRESULT STDMETHODCALLTYPE get_FrequencyMultiplier(ULONG* v) override;

    HRESULT STDMETHODCALLTYPE put_LocalOscilatorFrequencyLowBand(ULONG v) override;
    HRESULT STDMETHODCALLTYPE get_LocalOscilatorFrequencyLowBand(ULONG* v) override;
    HRESULT STDMETHODCALLTYPE put_LocalOscilatorFrequencyHighBand(ULONG v) override;
    HRESULT STDMETHODCALLTYPE get_LocalOscilatorFrequencyHighBand(ULONG* v) override;
    HRESULT STDMETHODCALLTYPE put_HighLowSwitchFrequency(ULONG v) override;
    HRESULT STDMETHODCALLTYPE get_HighLowSwitchFrequency(ULONG* v) override;

    HRESULT STDMETHODCALLTYPE put_EnableDiseqCommands(BOOLEAN enable) override;
    HRESULT STDMETHODCALLTYPE put_DiseqLNBSource(ULONG source) override;
    HRESULT STDMETHODCALLTYPE put_DiseqUseToneBurst(BOOLEAN use) override;
    HRESULT STDMETHODCALLTYPE put_DiseqRepeats(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE put_DiseqSendCommand(ULONG id, ULONG length, BYTE* command) override;
    HRESULT STDMETHODCALLTYPE get_DiseqResponse(ULONG, ULONG*, BYTE*) override { return E_NOTIMPL; }

    // The RF tuner knows the carrier, not what it carries.
    HRESULT STDMETHODCALLTYPE put_SignalStrength(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalStrength(LONG* v) override;
    HRESULT STDMETHODCALLTYPE put_SignalQuality(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalQuality(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_SignalPresent(BOOLEAN) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalPresent(BOOLEAN* v) override;
    HRESULT STDMETHODCALLTYPE put_SignalLocked(BOOLEAN) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalLocked(BOOLEAN* v) override;
    HRESULT STDMETHODCALLTYPE put_SampleTime(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SampleTime(LONG* v) override;

private:
    SimTuner* owner_;
};

class SimDemodulatorNode final : public IBDA_DigitalDemodulator2, public IBDA_SignalStatistics {
public:
    explicit SimDemodulatorNode(SimTuner* owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE put_ModulationType(ModulationType* v) override;
    HRESULT STDMETHODCALLTYPE get_ModulationType(ModulationType* v) override;
    HRESULT STDMETHODCALLTYPE put_InnerFECMethod(FECMethod* v) override;
    HRESULT STDMETHODCALLTYPE get_InnerFECMethod(FECMethod* v) override;
    HRESULT STDMETHODCALLTYPE put_InnerFECRate(BinaryConvolutionCodeRate* v) override;
    HRESULT STDMETHODCALLTYPE get_InnerFECRate(BinaryConvolutionCodeRate* v) override;
    HRESULT STDMETHODCALLTYPE put_OuterFECMethod(FECMethod*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_OuterFECMethod(FECMethod* v) override;
    HRESULT STDMETHODCALLTYPE put_OuterFECRate(BinaryConvolutionCodeRate*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_OuterFECRate(BinaryConvolutionCodeRate* v) override;
    HRESULT STDMETHODCALLTYPE put_SymbolRate(ULONG* v) override;
    HRESULT STDMETHODCALLTYPE get_SymbolRate(ULONG* v) override;
    HRESULT STDMETHODCALLTYPE put_SpectralInversion(SpectralInversion* v) override;
    HRESULT STDMETHODCALLTYPE get_SpectralInversion(SpectralInversion* v) override;
    HRESULT STDMETHODCALLTYPE put_GuardInterval(GuardInterval*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_GuardInterval(GuardInterval*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_TransmissionMode(TransmissionMode*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_TransmissionMode(TransmissionMode*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_RollOff(RollOff* v) override;
    HRESULT STDMETHODCALLTYPE get_RollOff(RollOff* v) override;
    HRESULT STDMETHODCALLTYPE put_Pilot(Pilot* v) override;
    HRESULT STDMETHODCALLTYPE get_Pilot(Pilot* v) override;

    // The demodulator knows the lock and the quality of what it decodes.
    HRESULT STDMETHODCALLTYPE put_SignalStrength(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalStrength(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_SignalQuality(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalQuality(LONG* v) override;
    HRESULT STDMETHODCALLTYPE put_SignalPresent(BOOLEAN) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalPresent(BOOLEAN* v) override;
    HRESULT STDMETHODCALLTYPE put_SignalLocked(BOOLEAN) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SignalLocked(BOOLEAN* v) override;
    HRESULT STDMETHODCALLTYPE put_SampleTime(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SampleTime(LONG* v) override;

private:
    SimTuner* owner_;
};

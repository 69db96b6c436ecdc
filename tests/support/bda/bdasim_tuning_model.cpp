#include "tests/support/bda/bdasim_tuning_model.h"

#include <string>

#include "tests/support/bda/bdasim_support.h"

template <typename T>
static HRESULT give(const T& value, T* out)
{
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

template <typename T>
static HRESULT giveReference(T* value, T** out)
{
    if (!out) return E_POINTER;
    *out = value;
    if (value) value->AddRef();
    return S_OK;
}

template <typename T>
static void hold(T*& slot, T* value)
{
    if (value) value->AddRef();
    simRelease(slot);
    slot = value;
}

// ---- locator -------------------------------------------------------------

class SimLocator final : public SimObject, public DispatchStub<IDVBSLocator2> {
public:
    SimLocator() : SimObject("Locator") {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        const bool second = IsEqualIID(iid, __uuidof(IDVBSLocator2)) && !simScenario().legacyLocator;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_ILocator) ||
            IsEqualIID(iid, __uuidof(IDigitalLocator)) || IsEqualIID(iid, IID_IDVBSLocator) || second) {
            *object = static_cast<IDVBSLocator2*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(addReference()); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(dropReference()); }

    HRESULT STDMETHODCALLTYPE get_CarrierFrequency(LONG* v) override { return give(v_.carrier, v); }
    HRESULT STDMETHODCALLTYPE put_CarrierFrequency(LONG v) override { return set(v_.carrier, v); }
    HRESULT STDMETHODCALLTYPE get_InnerFEC(FECMethod* v) override { return give(v_.innerFec, v); }
    HRESULT STDMETHODCALLTYPE put_InnerFEC(FECMethod v) override { return set(v_.innerFec, v); }
    HRESULT STDMETHODCALLTYPE get_InnerFECRate(BinaryConvolutionCodeRate* v) override { return give(v_.innerRate, v); }
    HRESULT STDMETHODCALLTYPE put_InnerFECRate(BinaryConvolutionCodeRate v) override { return set(v_.innerRate, v); }
    HRESULT STDMETHODCALLTYPE get_OuterFEC(FECMethod* v) override { return give(v_.outerFec, v); }
    HRESULT STDMETHODCALLTYPE put_OuterFEC(FECMethod v) override { return set(v_.outerFec, v); }
    HRESULT STDMETHODCALLTYPE get_OuterFECRate(BinaryConvolutionCodeRate* v) override { return give(v_.outerRate, v); }
    HRESULT STDMETHODCALLTYPE put_OuterFECRate(BinaryConvolutionCodeRate v) override { return set(v_.outerRate, v); }
    HRESULT STDMETHODCALLTYPE get_Modulation(ModulationType* v) override { return give(v_.modulation, v); }
    HRESULT STDMETHODCALLTYPE put_Modulation(ModulationType v) override { return set(v_.modulation, v); }
    HRESULT STDMETHODCALLTYPE get_SymbolRate(LONG* v) override { return give(v_.symbolRate, v); }
    HRESULT STDMETHODCALLTYPE put_SymbolRate(LONG v) override { return set(v_.symbolRate, v); }
    HRESULT STDMETHODCALLTYPE Clone(ILocator** copy) override
    {
        if (!copy) return E_POINTER;
        SimLocator* twin = new SimLocator();
        twin->v_ = v_;
        *copy = twin;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_SignalPolarisation(Polarisation* v) override { return give(v_.polarisation, v); }
    HRESULT STDMETHODCALLTYPE put_SignalPolarisation(Polarisation v) override { return set(v_.polarisation, v); }
    HRESULT STDMETHODCALLTYPE get_WestPosition(VARIANT_BOOL* v) override { return give(v_.west, v); }
    HRESULT STDMETHODCALLTYPE put_WestPosition(VARIANT_BOOL v) override { return set(v_.west, v); }
    HRESULT STDMETHODCALLTYPE get_OrbitalPosition(LONG* v) override { return give(v_.orbital, v); }
    HRESULT STDMETHODCALLTYPE put_OrbitalPosition(LONG v) override { return set(v_.orbital, v); }
    HRESULT STDMETHODCALLTYPE get_Azimuth(LONG* v) override { return give(v_.azimuth, v); }
    HRESULT STDMETHODCALLTYPE put_Azimuth(LONG v) override { return set(v_.azimuth, v); }
    HRESULT STDMETHODCALLTYPE get_Elevation(LONG* v) override { return give(v_.elevation, v); }
    HRESULT STDMETHODCALLTYPE put_Elevation(LONG v) override { return set(v_.elevation, v); }

    HRESULT STDMETHODCALLTYPE get_DiseqLNBSource(LNB_Source* v) override { return give(v_.source, v); }
    HRESULT STDMETHODCALLTYPE put_DiseqLNBSource(LNB_Source v) override { return set(v_.source, v); }
    HRESULT STDMETHODCALLTYPE get_LocalOscillatorOverrideLow(LONG* v) override { return give(v_.overrideLow, v); }
    HRESULT STDMETHODCALLTYPE put_LocalOscillatorOverrideLow(LONG v) override { return set(v_.overrideLow, v); }
    HRESULT STDMETHODCALLTYPE get_LocalOscillatorOverrideHigh(LONG* v) override { return give(v_.overrideHigh, v); }
    HRESULT STDMETHODCALLTYPE put_LocalOscillatorOverrideHigh(LONG v) override { return set(v_.overrideHigh, v); }
    HRESULT STDMETHODCALLTYPE get_LocalLNBSwitchOverride(LONG* v) override { return give(v_.overrideSwitch, v); }
    HRESULT STDMETHODCALLTYPE put_LocalLNBSwitchOverride(LONG v) override { return set(v_.overrideSwitch, v); }
    HRESULT STDMETHODCALLTYPE get_LocalSpectralInversionOverride(SpectralInversion* v) override
    {
        return give(v_.inversion, v);
    }
    HRESULT STDMETHODCALLTYPE put_LocalSpectralInversionOverride(SpectralInversion v) override
    {
        return set(v_.inversion, v);
    }
    HRESULT STDMETHODCALLTYPE get_SignalRollOff(RollOff* v) override { return give(v_.rollOff, v); }
    HRESULT STDMETHODCALLTYPE put_SignalRollOff(RollOff v) override { return set(v_.rollOff, v); }
    HRESULT STDMETHODCALLTYPE get_SignalPilot(Pilot* v) override { return give(v_.pilot, v); }
    HRESULT STDMETHODCALLTYPE put_SignalPilot(Pilot v) override { return set(v_.pilot, v); }

private:
    struct Values {
        LONG carrier = -1;
        FECMethod innerFec = BDA_FEC_METHOD_NOT_SET;
        BinaryConvolutionCodeRate innerRate = BDA_BCC_RATE_NOT_SET;
        FECMethod outerFec = BDA_FEC_METHOD_NOT_SET;
        BinaryConvolutionCodeRate outerRate = BDA_BCC_RATE_NOT_SET;
        ModulationType modulation = BDA_MOD_NOT_SET;
        LONG symbolRate = -1;
        Polarisation polarisation = BDA_POLARISATION_NOT_SET;
        VARIANT_BOOL west = VARIANT_FALSE;
        LONG orbital = -1;
        LONG azimuth = -1;
        LONG elevation = -1;
        LNB_Source source = BDA_LNB_SOURCE_NOT_SET;
        LONG overrideLow = -1;
        LONG overrideHigh = -1;
        LONG overrideSwitch = -1;
        SpectralInversion inversion = BDA_SPECTRAL_INVERSION_NOT_SET;
        RollOff rollOff = BDA_ROLL_OFF_NOT_SET;
        Pilot pilot = BDA_PILOT_NOT_SET;
    };

    template <typename T>
    static HRESULT set(T& field, T value)
    {
        field = value;
        return S_OK;
    }

    Values v_;
};

// ---- tune request --------------------------------------------------------

class SimTuneRequest final : public SimObject, public DispatchStub<IDVBTuneRequest> {
public:
    explicit SimTuneRequest(ITuningSpace* space) : SimObject("TuneRequest") { hold(space_, space); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_ITuneRequest) ||
            IsEqualIID(iid, IID_IDVBTuneRequest)) {
            *object = static_cast<IDVBTuneRequest*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(addReference()); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(dropReference()); }

    HRESULT STDMETHODCALLTYPE get_TuningSpace(ITuningSpace** space) override { return giveReference(space_, space); }
    HRESULT STDMETHODCALLTYPE get_Components(IComponents**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(ITuneRequest** copy) override
    {
        if (!copy) return E_POINTER;
        SimTuneRequest* twin = new SimTuneRequest(space_);
        twin->onid_ = onid_;
        twin->tsid_ = tsid_;
        twin->sid_ = sid_;
        if (locator_) locator_->Clone(&twin->locator_);
        *copy = twin;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Locator(ILocator** locator) override { return giveReference(locator_, locator); }
    HRESULT STDMETHODCALLTYPE put_Locator(ILocator* locator) override
    {
        hold(locator_, locator);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ONID(LONG* v) override { return give(onid_, v); }
    HRESULT STDMETHODCALLTYPE put_ONID(LONG v) override { return store(onid_, v); }
    HRESULT STDMETHODCALLTYPE get_TSID(LONG* v) override { return give(tsid_, v); }
    HRESULT STDMETHODCALLTYPE put_TSID(LONG v) override { return store(tsid_, v); }
    HRESULT STDMETHODCALLTYPE get_SID(LONG* v) override { return give(sid_, v); }
    HRESULT STDMETHODCALLTYPE put_SID(LONG v) override { return store(sid_, v); }

private:
    ~SimTuneRequest() override
    {
        simRelease(locator_);
        simRelease(space_);
    }
    static HRESULT store(LONG& field, LONG value)
    {
        field = value;
        return S_OK;
    }

    ITuningSpace* space_ = nullptr;
    ILocator* locator_ = nullptr;
    LONG onid_ = -1;
    LONG tsid_ = -1;
    LONG sid_ = -1;
};

// ---- tuning space --------------------------------------------------------

class SimTuningSpace final : public SimObject, public DispatchStub<IDVBSTuningSpace> {
public:
    SimTuningSpace() : SimObject("TuningSpace") {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_ITuningSpace) ||
            IsEqualIID(iid, IID_IDVBTuningSpace) || IsEqualIID(iid, IID_IDVBTuningSpace2) ||
            IsEqualIID(iid, IID_IDVBSTuningSpace)) {
            *object = static_cast<IDVBSTuningSpace*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(addReference()); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(dropReference()); }

    HRESULT STDMETHODCALLTYPE get_UniqueName(BSTR* name) override { return copyString(uniqueName_, name); }
    HRESULT STDMETHODCALLTYPE put_UniqueName(BSTR name) override { return storeString(uniqueName_, name); }
    HRESULT STDMETHODCALLTYPE get_FriendlyName(BSTR* name) override { return copyString(friendlyName_, name); }
    HRESULT STDMETHODCALLTYPE put_FriendlyName(BSTR name) override { return storeString(friendlyName_, name); }
    HRESULT STDMETHODCALLTYPE get_CLSID(BSTR* clsid) override { return guidText(CLSID_DVBSTuningSpace, clsid); }
    HRESULT STDMETHODCALLTYPE get_NetworkType(BSTR* type) override { return guidText(networkType_, type); }
    HRESULT STDMETHODCALLTYPE put_NetworkType(BSTR type) override
    {
        return type && SUCCEEDED(CLSIDFromString(type, &networkType_)) ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get__NetworkType(GUID* type) override { return give(networkType_, type); }
    HRESULT STDMETHODCALLTYPE put__NetworkType(REFCLSID type) override
    {
        networkType_ = type;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateTuneRequest(ITuneRequest** request) override
    {
        if (!request) return E_POINTER;
        *request = new SimTuneRequest(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumCategoryGUIDs(IEnumGUID**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDeviceMonikers(IEnumMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DefaultPreferredComponentTypes(IComponentTypes**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DefaultPreferredComponentTypes(IComponentTypes*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FrequencyMapping(BSTR* mapping) override { return copyString(mapping_, mapping); }
    HRESULT STDMETHODCALLTYPE put_FrequencyMapping(BSTR mapping) override { return storeString(mapping_, mapping); }
    HRESULT STDMETHODCALLTYPE get_DefaultLocator(ILocator** locator) override
    {
        return giveReference(locator_, locator);
    }
    HRESULT STDMETHODCALLTYPE put_DefaultLocator(ILocator* locator) override
    {
        hold(locator_, locator);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(ITuningSpace** copy) override
    {
        if (!copy) return E_POINTER;
        SimTuningSpace* twin = new SimTuningSpace();
        twin->copyFrom(*this);
        *copy = twin;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_SystemType(DVBSystemType* type) override { return give(systemType_, type); }
    HRESULT STDMETHODCALLTYPE put_SystemType(DVBSystemType type) override { return store(systemType_, type); }
    HRESULT STDMETHODCALLTYPE get_NetworkID(LONG* id) override { return give(networkId_, id); }
    HRESULT STDMETHODCALLTYPE put_NetworkID(LONG id) override { return store(networkId_, id); }

    HRESULT STDMETHODCALLTYPE get_LowOscillator(LONG* v) override { return give(low_, v); }
    HRESULT STDMETHODCALLTYPE put_LowOscillator(LONG v) override { return store(low_, v); }
    HRESULT STDMETHODCALLTYPE get_HighOscillator(LONG* v) override { return give(high_, v); }
    HRESULT STDMETHODCALLTYPE put_HighOscillator(LONG v) override { return store(high_, v); }
    HRESULT STDMETHODCALLTYPE get_LNBSwitch(LONG* v) override { return give(switch_, v); }
    HRESULT STDMETHODCALLTYPE put_LNBSwitch(LONG v) override { return store(switch_, v); }
    HRESULT STDMETHODCALLTYPE get_InputRange(BSTR* range) override { return copyString(inputRange_, range); }
    HRESULT STDMETHODCALLTYPE put_InputRange(BSTR range) override
    {
        return simScenario().noInputRange ? E_NOTIMPL : storeString(inputRange_, range);
    }
    HRESULT STDMETHODCALLTYPE get_SpectralInversion(SpectralInversion* v) override { return give(inversion_, v); }
    HRESULT STDMETHODCALLTYPE put_SpectralInversion(SpectralInversion v) override { return store(inversion_, v); }

private:
    ~SimTuningSpace() override { simRelease(locator_); }

    void copyFrom(const SimTuningSpace& other)
    {
        uniqueName_ = other.uniqueName_;
        friendlyName_ = other.friendlyName_;
        mapping_ = other.mapping_;
        inputRange_ = other.inputRange_;
        networkType_ = other.networkType_;
        systemType_ = other.systemType_;
        networkId_ = other.networkId_;
        low_ = other.low_;
        high_ = other.high_;
        switch_ = other.switch_;
        inversion_ = other.inversion_;
        if (other.locator_) other.locator_->Clone(&locator_);
    }
    template <typename T>
    static HRESULT store(T& field, T value)
    {
        field = value;
        return S_OK;
    }
    static HRESULT storeString(std::wstring& field, BSTR value)
    {
        field = value ? value : L"";
        return S_OK;
    }
    static HRESULT guidText(const GUID& guid, BSTR* out)
    {
        wchar_t text[40];
        StringFromGUID2(guid, text, 40);
        return copyString(text, out);
    }

    std::wstring uniqueName_, friendlyName_, mapping_, inputRange_;
    GUID networkType_ = GUID_NULL;
    DVBSystemType systemType_ = DVB_Satellite;
    LONG networkId_ = -1;
    LONG low_ = -1;
    LONG high_ = -1;
    LONG switch_ = -1;
    SpectralInversion inversion_ = BDA_SPECTRAL_INVERSION_NOT_SET;
    ILocator* locator_ = nullptr;
};

bool spaceValuesOf(ITuningSpace* space, SpaceValues* values)
{
    BSTR clsid = nullptr;
    if (!space || FAILED(space->get_CLSID(&clsid))) return false;
    CLSID kind = GUID_NULL;
    const bool dvbs = clsid && SUCCEEDED(CLSIDFromString(clsid, &kind)) && IsEqualCLSID(kind, CLSID_DVBSTuningSpace);
    SysFreeString(clsid);
    if (!dvbs) return false;
    IDVBSTuningSpace* satellite = nullptr;
    if (FAILED(space->QueryInterface(IID_IDVBSTuningSpace, reinterpret_cast<void**>(&satellite)))) return false;
    values->networkType = GUID_NULL;
    satellite->get__NetworkType(&values->networkType);
    satellite->get_LowOscillator(&values->lowKHz);
    satellite->get_HighOscillator(&values->highKHz);
    satellite->get_LNBSwitch(&values->switchKHz);
    BSTR range = nullptr;
    values->inputRange = SUCCEEDED(satellite->get_InputRange(&range)) && range ? range : L"";
    SysFreeString(range);
    satellite->Release();
    return true;
}

HRESULT createTuningSpace(REFIID iid, void** object) { return handOut(new SimTuningSpace(), iid, object); }
HRESULT createLocator(REFIID iid, void** object) { return handOut(new SimLocator(), iid, object); }

// The receiver card's tuner control interface, as its driver registers it.
// Methods are called by their position in the table; the positions the
// program never calls are declared as placeholders so that the table keeps
// its shape (37 entries). Every method returns an HRESULT; a negative one
// means failure.
#pragma once
#include <windows.h>

#include <strmif.h>
#include <unknwn.h>

// {E82536A0-94DA-11D2-A463-00A0C95D308D}
const CLSID CLSID_ReceiverCard = {0xE82536A0, 0x94DA, 0x11D2, {0xA4, 0x63, 0x00, 0xA0, 0xC9, 0x5D, 0x30, 0x8D}};
// {56A86895-0AD4-11CE-B03A-0020AF0BA770}
const IID IID_DeviceFilter = {0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {CD900832-50DF-4F8F-882D-1C358F90B3F2}
const IID IID_TunerControl = {0xCD900832, 0x50DF, 0x4F8F, {0x88, 0x2D, 0x1C, 0x35, 0x8F, 0x90, 0xB3, 0xF2}};

typedef IBaseFilter DeviceFilter;

struct TunerControl : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetTransponderFrequency(LONG frequencyMHz) = 0;  //  3
    virtual HRESULT STDMETHODCALLTYPE SetSymbolRate(LONG symbolRate) = 0;              //  4
    virtual HRESULT STDMETHODCALLTYPE SetLnbFrequency(LONG lnbFrequencyMHz) = 0;       //  5
    virtual HRESULT STDMETHODCALLTYPE SetFec(LONG fec) = 0;                            //  6
    virtual HRESULT STDMETHODCALLTYPE SetPolarity(LONG polarization) = 0;              //  7
    virtual HRESULT STDMETHODCALLTYPE SetLnbSelection(LONG highBand) = 0;              //  8
    virtual HRESULT STDMETHODCALLTYPE SetDiseqc(LONG diseqcCode) = 0;                  //  9
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Initialize() = 0;             // 11
    virtual HRESULT STDMETHODCALLTYPE QuerySignalStatus() = 0;      // 12
    virtual HRESULT STDMETHODCALLTYPE RefreshSignalReadings() = 0;  // 13
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSignalNoiseRatio(float* snr) = 0;  // 20
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved24() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved25() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved26() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved27() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved28() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved29() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved30() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved31() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved32() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved33() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved34() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved35() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSignalQuality(LONG* quality) = 0;  // 36
};

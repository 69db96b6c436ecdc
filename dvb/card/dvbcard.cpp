// dvbcard.dll: the receiver card's COM object for a DVB-S/S2 frontend
// that the Linux kernel drives. Each call of the program goes to
// azimora-dvb (at AZIMORA_DVB, default 127.0.0.1:47474) as one request and
// comes back as one reply, within about two seconds; a helper on another
// machine first gets the shared secret (AZIMORA_DVB_SECRET, or a line
// "secret=..." in dvbcard.ini beside this DLL). Without the helper, or
// when it has no frontend, Initialize fails; a link lost while measuring
// reads as no signal, and the next measurement start connects again.
#include <windows.h>

#include <new>

#include "cardbase/card_object.h"
#include "cardbase/com_server.h"
#include "cardbase/reading_pace.h"
#include "dvb/card/helper_link.h"

const char cardDescription[] = "DVB-S/S2 frontend through azimora-dvb";

// Without the helper the status comes back at once; this keeps the
// program's unpaced monitor loop at the pace the helper keeps.
static constexpr DWORD idleStatusMs = readingIntervalMs;

class DvbCard final : public CardObject {
public:
    // The tuner control interface
    HRESULT STDMETHODCALLTYPE SetTransponderFrequency(LONG value) override
    {
        return setCall(RequestSetTransponderFrequency, value);
    }
    HRESULT STDMETHODCALLTYPE SetSymbolRate(LONG value) override { return setCall(RequestSetSymbolRate, value); }
    HRESULT STDMETHODCALLTYPE SetLnbFrequency(LONG value) override { return setCall(RequestSetLnbFrequency, value); }
    HRESULT STDMETHODCALLTYPE SetFec(LONG value) override { return setCall(RequestSetFec, value); }
    HRESULT STDMETHODCALLTYPE SetPolarity(LONG value) override { return setCall(RequestSetPolarity, value); }
    HRESULT STDMETHODCALLTYPE SetLnbSelection(LONG value) override { return setCall(RequestSetLnbSelection, value); }
    HRESULT STDMETHODCALLTYPE SetDiseqc(LONG value) override { return setCall(RequestSetDiseqc, value); }

    HRESULT STDMETHODCALLTYPE Initialize() override
    {
        const DWORD deadline = GetTickCount() + callTimeoutMs;
        return connectAndInitialize(deadline) ? S_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE QuerySignalStatus() override
    {
        if (!isConnected(link_)) {
            Sleep(idleStatusMs);
            return E_FAIL;
        }
        Reply reply;
        return call(RequestQuerySignalStatus, 0, &reply) && reply.ok ? S_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE RefreshSignalReadings() override
    {
        Reply reply;
        return call(RequestRefreshSignalReadings, 0, &reply) && reply.ok ? S_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE GetSignalQuality(LONG* quality) override
    {
        if (!quality) return E_POINTER;
        Reply reply;
        if (!call(RequestGetSignalQuality, 0, &reply) || !reply.ok || !reply.hasValue) return E_FAIL;
        *quality = reply.value;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetSignalNoiseRatio(float* snr) override
    {
        if (!snr) return E_POINTER;
        Reply reply;
        if (!call(RequestGetSignalNoiseRatio, 0, &reply) || !reply.ok || !reply.hasValue) return E_FAIL;
        *snr = static_cast<float>(reply.value) / 1000.0f;
        return S_OK;
    }

private:
    ~DvbCard() override { stopLink(link_); }

    bool call(RequestKind kind, LONG value, Reply* reply)
    {
        return exchange(link_, Request{kind, static_cast<int32_t>(value)}, reply, GetTickCount() + callTimeoutMs);
    }

    bool connectAndInitialize(DWORD deadline)
    {
        if (!connectLink(link_, deadline)) return false;
        Reply reply;
        if (exchange(link_, Request{RequestInitialize, 0}, &reply, deadline) && reply.ok) return true;
        closeLink(link_);
        return false;
    }

    // A set call after the link was lost starts a new one: a new measurement
    // start sends all six values again. The helper ends a link that asked
    // nothing for a while (the program left in Setup): found so at the next
    // start's first call, it is made again at once.
    HRESULT setCall(RequestKind kind, LONG value)
    {
        const DWORD deadline = GetTickCount() + callTimeoutMs;
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!isConnected(link_) && !connectAndInitialize(deadline)) return E_FAIL;
            Reply reply;
            if (exchange(link_, Request{kind, static_cast<int32_t>(value)}, &reply, deadline))
                return reply.ok ? S_OK : E_FAIL;
        }
        return E_FAIL;
    }

    HelperLink link_;
};

HRESULT createCard(REFIID iid, void** object) { return handOutCard(new (std::nothrow) DvbCard(), iid, object); }

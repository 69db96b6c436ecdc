// The bridge to BDA tuners: a card object with the receiver card's
// identifiers, method order and result conventions that drives any DVB-S or
// DVB-S2 tuner with a Broadcast Driver Architecture driver through
// DirectShow. Initialize opens the session (bda_session.h), the sixth set
// call of a start tunes (and tells the phone page which way it reached the
// switch port), and each status query reads the tuner afresh, at most ten
// times a second, and hands on the network of the tuned stream once the
// session has found it.
#include <windows.h>

#include <new>
#include <string>

#include "app/host_text.h"
#include "bda/bda_session.h"
#include "bda/bda_settings.h"
#include "cardbase/card_object.h"
#include "cardbase/card_tuning.h"
#include "cardbase/com_server.h"
#include "cardbase/reading_feed.h"

const char cardDescription[] = "BDA DVB-S tuner bridge";

static std::string utf8FromCodePage(const std::string& text)
{
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return std::string();
    std::wstring converted(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &converted[0], wide);
    const int length = WideCharToMultiByte(CP_UTF8, 0, converted.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, converted.data(), wide, &out[0], length, nullptr, nullptr);
    return out;
}

// The bytes of bdacard.ini beside this DLL (where the phone line is read
// too), "" without one.
static std::string settingsFileBytes() { return wholeFileText(cardSettingsPath(), FILE_SHARE_READ | FILE_SHARE_WRITE); }

// The tuner the settings name, in UTF-8; "" for the first one.
static std::string wantedTunerName(const std::string& settings)
{
    bool inCodePage = false;
    const std::string name = tunerNameFromSettings(settings, &inCodePage);
    return inCodePage ? utf8FromCodePage(name) : name;
}

class BdaCard final : public CardObject {
public:
    BdaCard()
    {
        const std::string name = wantedTunerName(settingsFileBytes());
        // BDA has no C/N in dB (the s/n is the scale's for the quality): the
        // margin stays unknown for that, whatever the demodulator says it locked.
        feed_.margin.carrierToNoiseInDecibels = false;
        cardName_ = name.empty() ? std::string("BDA tuner") : "BDA tuner " + name;
        openReadingFeed(feed_, cardName_);
    }

    HRESULT STDMETHODCALLTYPE Initialize() override
    {
        if (session_) return S_OK;
        BdaSession* session = new (std::nothrow) BdaSession;
        if (!session) return E_OUTOFMEMORY;
        const std::string settings = settingsFileBytes();
        BdaSessionSettings asked;
        asked.order = modulationsFromSettings(settings);
        asked.shape = signalShapeFromSettings(settings);
        asked.switchSetting = switchSettingFromSettings(settings);
        asked.rangeForms = inputRangeFormsFromSettings(settings);
        const HRESULT result = openBdaSession(*session, wantedTunerName(settings), asked);
        if (FAILED(result)) {
            delete session;
            return result;
        }
        session_ = session;
        return S_OK;
    }

    // The demodulator always finds the code rate itself.
    HRESULT STDMETHODCALLTYPE SetFec(LONG) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE SetLnbSelection(LONG value) override { return set(SetLnbSelectionCall, value); }
    HRESULT STDMETHODCALLTYPE SetLnbFrequency(LONG value) override { return set(SetLnbFrequencyCall, value); }
    HRESULT STDMETHODCALLTYPE SetPolarity(LONG value) override { return set(SetPolarityCall, value); }
    HRESULT STDMETHODCALLTYPE SetSymbolRate(LONG value) override { return set(SetSymbolRateCall, value); }
    HRESULT STDMETHODCALLTYPE SetTransponderFrequency(LONG value) override
    {
        return set(SetTransponderFrequencyCall, value);
    }
    HRESULT STDMETHODCALLTYPE SetDiseqc(LONG value) override { return set(SetDiseqcCall, value); }

    // Waits until the previous reading is old enough, then latches the
    // lock and the readings of this moment for the calls that follow.
    HRESULT STDMETHODCALLTYPE QuerySignalStatus() override
    {
        if (!session_) return E_UNEXPECTED;
        latched_ = takeReading(feed_, [this] {
            const SignalReading reading = readBdaSession(*session_);
            // Before the reading is published, so that it carries the demodulator's word.
            if (reading.locked) noteTunerModcod(feed_, bdaSessionModcod(*session_));
            return reading;
        });
        NetworkIdentity network;
        if (takeBdaNetwork(*session_, &network)) noteNetwork(feed_, network);
        return latched_.locked ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE RefreshSignalReadings() override
    {
        readings_ = latched_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSignalNoiseRatio(float* snr) override
    {
        if (!snr) return E_POINTER;
        *snr = readings_.snr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSignalQuality(LONG* quality) override
    {
        if (!quality) return E_POINTER;
        *quality = readings_.quality;
        return S_OK;
    }

private:
    // A session whose driver never let go stays with its thread.
    ~BdaCard() override
    {
        closeReadingFeed(feed_);
        if (session_ && closeBdaSession(*session_)) delete session_;
    }

    // The set that a call completes is tuned at once; its result is the call's.
    HRESULT set(CardSetCall call, LONG value)
    {
        if (!session_) return E_UNEXPECTED;
        noteSetCall(feed_, call, value);
        if (!recordSetCall(tuning_, call, value)) return S_OK;
        const HRESULT result = startBdaSession(*session_, tuning_);
        noteCardLine(feed_, bdaCardLine(cardName_, session_->served, session_->graph.maker));
        return result;
    }

    BdaSession* session_ = nullptr;
    std::string cardName_;
    CardTuning tuning_;
    ReadingFeed feed_;
    SignalReading latched_{false, 0, 0.0f};
    SignalReading readings_{false, 0, 0.0f};
};

HRESULT createCard(REFIID iid, void** object) { return handOutCard(new (std::nothrow) BdaCard, iid, object); }

// The bridge to BDA tuners: a card object with the receiver card's
// identifiers, method order and result conventions that drives any DVB-S or
// DVB-S2 tuner with a Broadcast Driver Architecture driver through
// DirectShow. Initialize opens the session (bda_session.h), the sixth set
// call of a start tunes (and tells the phone page which way it reached the
// switch port), and each status query reads the tuner afresh, at most ten
// times a second, and hands on the network of the tuned stream once the
// session has found it (and, through a single-cable device, that another
// receiver took the user band). Asked by the phone page while the program
// does not measure, it sweeps the band from the tuner's own statistics
// through the one sweep-and-try loop (cardbase/sweep/sweep_run.h): each of
// the sweep's tunes checks, in the same hold of the session's lock, whether
// the program has called, and once it has the tuner is the program's again.
// It also turns a motorised dish (bdacard.ini's motor= lines), which a
// start of a catalogue satellite's transponder turns first (bda_motor.h).
#include <windows.h>

#include <algorithm>
#include <new>
#include <string>

#include "app/host_text.h"
#include "bda/bda_log.h"
#include "bda/bda_session.h"
#include "bda/bda_settings.h"
#include "cardbase/card_clock.h"
#include "cardbase/card_object.h"
#include "cardbase/card_tuning.h"
#include "cardbase/com_server.h"
#include "cardbase/motor/card_motor.h"
#include "cardbase/reading_feed.h"
#include "cardbase/sweep/sweep_run.h"

const char cardDescription[] = "BDA DVB-S tuner bridge";

// A sweep's step is read once the tuner has settled; a peak tried is
// given a few seconds to lock and a few more for its network; its waits
// look at the program's calls this often.
static const uint32_t bdaSweepSettleMs = 50;
static const uint32_t bdaTryLockMs = 3000;
static const uint32_t bdaTryNetworkMs = 4000;
static const DWORD bdaSweepSliceMs = 20;

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
        InitializeCriticalSection(&sessionLock_);
        openReadingFeed(feed_, cardName_);
        setCardSweeper(feed_, [this](const SweepPlan& plan, const SweepReport& report) { sweepBand(plan, report); });
        const MotorSettings motor = bdaMotorSettings(settingsFileBytes());
        if (motor.kind != NoMotor || !motor.problem.empty())
            setCardMotor(feed_, [this](const MotorRequest& request) { return requestMotor(request); });
    }

    HRESULT STDMETHODCALLTYPE Initialize() override
    {
        programCalled();
        EnterCriticalSection(&sessionLock_);
        const HRESULT result = openSession();
        LeaveCriticalSection(&sessionLock_);
        return result;
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
        programCalled();
        if (!session_) return E_UNEXPECTED;
        latched_ = takeReading(feed_, [this] {
            EnterCriticalSection(&sessionLock_);
            takeTunerBack();
            const SignalReading reading = motorHeld() ? SignalReading{false, 0, 0.0f} : readBdaSession(*session_);
            // Before the reading is published, so that it carries the demodulator's word.
            if (reading.locked) noteTunerModcod(feed_, bdaSessionModcod(*session_));
            LeaveCriticalSection(&sessionLock_);
            return reading;
        });
        NetworkIdentity network;
        EnterCriticalSection(&sessionLock_);
        const bool found = takeBdaNetwork(*session_, &network);
        const bool bandShared = takeBdaBandShared(*session_);
        const bool lineChanged = takeBdaCardLineChange(*session_);
        const std::string line = lineChanged ? bdaSessionCardLine(*session_, cardName_) : std::string();
        LeaveCriticalSection(&sessionLock_);
        if (found) noteNetwork(feed_, network);
        if (lineChanged) noteCardLine(feed_, line);
        if (bandShared) noteBandShared();
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
    // A sweep under way ends first; one whose thread did not end in time
    // still uses the card and its session, which then stay for good.
    void lastReferenceGone() override
    {
        InterlockedExchange(&closing_, 1);
        if (closeReadingFeed(feed_)) delete this;
    }

    // A session whose driver never let go stays with its thread.
    ~BdaCard() override
    {
        if (session_ && closeBdaSession(*session_)) delete session_;
        DeleteCriticalSection(&sessionLock_);
    }

    // Called with the session's lock held.
    HRESULT openSession()
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
        asked.singleCable = singleCableFromSettings(settings);
        const HRESULT result = openBdaSession(*session, wantedTunerName(settings), asked);
        if (FAILED(result)) {
            delete session;
            return result;
        }
        session_ = session;
        motor_.settings = bdaMotorSettings(settings);
        if (!motor_.settings.problem.empty()) noteCardLine(feed_, cardMotorLine(cardName_, motor_.settings.problem));
        const BdaSingleCable& cable = asked.singleCable;
        noteSingleCable(feed_, cable.asked && cable.refusal.empty() ? &cable.setting : nullptr);
        if (cable.asked) noteCardLine(feed_, bdaSessionCardLine(*session_, cardName_));
        return S_OK;
    }

    // Another receiver took the user band under a steady tune.
    void noteBandShared()
    {
        const std::string text = userBandSharedText(session_->settings.singleCable.setting);
        noteUserBandShared(feed_, text);
        bdaLog(text);
    }

    // The set that a call completes is tuned at once; its result is the call's.
    HRESULT set(CardSetCall call, LONG value)
    {
        programCalled();
        if (!session_) return E_UNEXPECTED;
        noteSetCall(feed_, call, value);
        if (!recordSetCall(tuning_, call, value)) return S_OK;
        EnterCriticalSection(&sessionLock_);
        // A catalogue satellite's transponder: the dish turns first, and the
        // tune returns at once; the start follows the motor's estimated arrival.
        const CardMotorMove move = cardMotorForTune(motor_, programCatalogueLines(), tuning_, cardClockMs());
        std::string said;
        startAfterMotor_ = turnDish(move, &said);
        HRESULT result = S_OK;
        sweepTunedLast_ = false;
        if (!startAfterMotor_) {
            motor_.holding = false;
            result = startBdaSession(*session_, tuning_);
            noteCardLine(feed_, cardMotorLine(bdaSessionCardLine(*session_, cardName_), said));
            logBdaStart(*session_);
        }
        LeaveCriticalSection(&sessionLock_);
        return result;
    }

    // With the session's lock held: the move's command through the route
    // that carries DiSEqC, its words on the card's line; false where
    // nothing went out.
    bool turnDish(const CardMotorMove& move, std::string* said = nullptr)
    {
        if (said) *said = move.words;
        if (move.steps.empty()) {
            if (!move.words.empty()) bdaLog("motor: " + move.words);
            return false;
        }
        std::string refusal, sent;
        const HRESULT result = sendBdaMotor(*session_, move.steps, move.command, &refusal, &sent);
        const std::string words = !refusal.empty() ? refusal : move.words;
        if (said) *said = words;
        bdaLog("motor: " + (refusal.empty() ? sent + "; " + move.words : refusal));
        noteCardLine(feed_, cardMotorLine(bdaSessionCardLine(*session_, cardName_), words));
        return refusal.empty() && SUCCEEDED(result);
    }

    // With the session's lock held: whether a measurement still waits for
    // the motor; at its estimated arrival the start it waited for goes out.
    bool motorHeld()
    {
        bool arrived = false;
        if (cardMotorHolds(motor_, cardClockMs(), &arrived)) return true;
        if (arrived && startAfterMotor_) {
            startAfterMotor_ = false;
            startBdaSession(*session_, tuning_);
            noteCardLine(feed_, cardMotorLine(bdaSessionCardLine(*session_, cardName_), "at " + motor_.at));
            bdaLog("motor: at " + motor_.at + "; the measuring tune");
            logBdaStart(*session_);
        }
        return false;
    }

    // A card request from the phone page: the move, or why not, in words.
    std::string requestMotor(const MotorRequest& request)
    {
        EnterCriticalSection(&sessionLock_);
        std::string words = "the tuner is not open";
        if (session_) {
            turnDish(cardMotorForRequest(motor_, request, cardClockMs()), &words);
        }
        LeaveCriticalSection(&sessionLock_);
        return words;
    }

    // The program's calls come first: a sweep under way gives way at its next step.
    void programCalled() { InterlockedExchange(&programCalled_, 1); }
    bool sweepInterrupted() const { return programCalled_ || closing_; }

    // On the program's own call, with the session's lock held (the program's
    // thread owns its tuning): where a sweep tuned last and the program has a
    // tuning of its own, the tuner goes back to it before it is read.
    void takeTunerBack()
    {
        if (!sweepTunedLast_ || !tuning_.tuned || !session_) return;
        startBdaSession(*session_, tuning_);
        sweepTunedLast_ = false;
    }

    // One step of a sweep, or a try at a peak: a start of these values, in
    // the same hold of the session's lock as the check that the program
    // has not called meanwhile (once it has, its own start or status query
    // has the tuner, takeTunerBack).
    SweepCall startFor(const SweepPlan& plan, int32_t frequencyMHz, int32_t symbolRate)
    {
        const CardTuning tuning = sweepStepTuning(plan, frequencyMHz, symbolRate);
        EnterCriticalSection(&sessionLock_);
        if (sweepInterrupted()) {
            LeaveCriticalSection(&sessionLock_);
            return SweepCallInterrupted;
        }
        const HRESULT result = startBdaSession(*session_, tuning);
        sweepTunedLast_ = true;
        LeaveCriticalSection(&sessionLock_);
        return SUCCEEDED(result) ? SweepCallOk : SweepCallFailed;
    }

    SignalReading readNow()
    {
        EnterCriticalSection(&sessionLock_);
        const SignalReading reading = readBdaSession(*session_);
        LeaveCriticalSection(&sessionLock_);
        return reading;
    }

    // Sleeps in short slices, so that the program's call or the card's end is seen within one.
    bool pauseSweep(uint32_t ms)
    {
        const DWORD began = GetTickCount();
        while (GetTickCount() - began < ms) {
            if (sweepInterrupted()) return false;
            Sleep(std::min<DWORD>(bdaSweepSliceMs, ms - (GetTickCount() - began)));
        }
        return !sweepInterrupted();
    }

    // The band from the tuner's own statistics: a start a step, its
    // strength read once the tuner has settled; peaks tried as a start at
    // each likely symbol rate, the network read from the stream once locked.
    void sweepBand(const SweepPlan& plan, const SweepReport& report)
    {
        InterlockedExchange(&programCalled_, 0);
        SweepCard card;
        card.begin = [this](std::string* problem) {
            EnterCriticalSection(&sessionLock_);
            const HRESULT opened = openSession();
            LeaveCriticalSection(&sessionLock_);
            if (SUCCEEDED(opened)) return SweepCallOk;
            *problem = "the tuner cannot be opened";
            return SweepCallFailed;
        };
        card.measure = [this, &plan](int32_t frequency, SignalLevel* level, std::string* problem) {
            const SweepCall tuned = startFor(plan, frequency, plan.symbolRate);
            if (tuned == SweepCallFailed)
                *problem = "the tuner refused a tune at " + std::to_string(frequency) + " MHz";
            if (tuned != SweepCallOk) return tuned;
            if (!pauseSweep(bdaSweepSettleMs)) return SweepCallInterrupted;
            *level = readNow().level;
            return SweepCallOk;
        };
        card.tune = [this, &plan](int32_t frequency, int32_t rate, uint32_t* lockWaitMs) {
            *lockWaitMs = bdaTryLockMs;
            return startFor(plan, frequency, rate);
        };
        card.read = [this](TryReading* reading) {
            reading->locked = readNow().locked;
            EnterCriticalSection(&sessionLock_);
            const ModcodWord word = bdaSessionModcod(*session_);
            NetworkIdentity network;
            reading->settled = takeBdaNetwork(*session_, &network);
            LeaveCriticalSection(&sessionLock_);
            reading->hasModcod = reading->locked && word.known;
            reading->modcod = word.modcod;
            if (reading->settled) reading->network = network;
            return SweepCallOk;
        };
        card.pause = [this](uint32_t ms) { return pauseSweep(ms); };
        card.interrupted = [this] { return sweepInterrupted(); };
        card.report = report;
        card.nowMs = [] { return static_cast<uint64_t>(GetTickCount()); };
        card.networkWaitMs = bdaTryNetworkMs;
        card.interruptedProblem = "Azimora began measuring";
        runSweepLoop(plan, card);
    }

    CRITICAL_SECTION sessionLock_;  // the program's calls and a sweep's thread share the session
    volatile LONG programCalled_ = 0;
    volatile LONG closing_ = 0;    // the program let go: a sweep under way ends
    bool sweepTunedLast_ = false;  // with the session's lock: the tuner is at a sweep's step, not the program's
    BdaSession* session_ = nullptr;
    std::string cardName_;
    CardTuning tuning_;
    ReadingFeed feed_;
    SignalReading latched_{false, 0, 0.0f};
    SignalReading readings_{false, 0, 0.0f};
    CardMotor motor_;
    bool startAfterMotor_ = false;  // a start waits for the motor's arrival
};

HRESULT createCard(REFIID iid, void** object) { return handOutCard(new (std::nothrow) BdaCard, iid, object); }

// dvbcard.dll: the receiver card's COM object for a DVB-S/S2 frontend
// that the Linux kernel drives. Each call of the program goes to
// azimora-dvb (at AZIMORA_DVB, default 127.0.0.1:47474) as one request and
// comes back as one reply, within about two seconds (the call that tunes,
// within the bound of a start, dvb/protocol/start_bound.h); a helper on another
// machine first gets the shared secret (AZIMORA_DVB_SECRET, or a line
// "secret=..." in dvbcard.ini beside this DLL). Without the helper, or
// when it has no frontend, Initialize fails; a link lost while measuring
// reads as no signal, and the next measurement start connects again.
// Each status query reads the status and both figures of one moment, at
// the shared pace, for the program and the phone page alike, with what the
// helper says of that very reading (whether its s/n is a C/N in dB, a search
// under way: dvb/protocol/reading_words.h) and the level beside them, locked
// or not; while locked, every few readings also what the helper has read of
// the network, what the link margin rests on and the LNB's own error. With a line "scr=..." in
// dvbcard.ini the card measures through a single-cable device: the setting
// goes to the helper after Initialize (dvb/protocol/single_cable_words.h),
// and where it does not read, or the helper cannot take it, no tune goes
// out at all and the card line says why; while locked, the helper is also
// asked whether another receiver took the user band. With motor= lines, a
// catalogue satellite's start turns the dish first, and so do the page's
// "Go to" and steps (dvb/card/dvb_motor.h).
#include <windows.h>

#include <new>

#include "app/host_text.h"
#include "cardbase/card_clock.h"
#include "cardbase/card_object.h"
#include "cardbase/card_tuning.h"
#include "cardbase/com_server.h"
#include "cardbase/reading_feed.h"
#include "dvb/card/dvb_motor.h"
#include "dvb/card/helper_link.h"
#include "dvb/card/helper_words.h"
#include "dvb/protocol/reading_words.h"
#include "dvb/protocol/single_cable_words.h"
#include "dvb/protocol/start_bound.h"
#include "dvb/protocol/sweep_answer.h"

const char cardDescription[] = "DVB-S/S2 frontend through azimora-dvb";

// A sweep under way is looked at this often.
constexpr DWORD sweepLookMs = 400;

class DvbCard final : public CardObject {
public:
    DvbCard()
    {
        InitializeCriticalSection(&linkLock_);
        const std::string address = environmentText("AZIMORA_DVB");
        cardName_ = std::string("DVB-S/S2 frontend through azimora-dvb at ") +
                    (address.empty() ? defaultHelperAddress : address.c_str());
        openReadingFeed(feed_, cardName_);
        setCardSweeper(feed_, [this](const SweepPlan& plan, const SweepReport& report) { sweepBand(plan, report); });
        const std::string settings = wholeFileText(cardSettingsPath(), FILE_SHARE_READ | FILE_SHARE_WRITE);
        singleCable_ = singleCableFromSettings(settings, &scrSetting_, &scrRefusal_);
        if (!scrRefusal_.empty()) refuseSingleCable(scrRefusal_);
        else if (singleCable_) noteSingleCable(feed_, &scrSetting_);
        motor_.motor.settings = dvbMotorSettings(settings);
        const MotorSettings& motor = motor_.motor.settings;
        if (!motor.problem.empty()) noteCardLine(feed_, cardMotorLine(cardName_, motor.problem));
        if (motor.kind != NoMotor || !motor.problem.empty())
            setCardMotor(feed_, [this](const MotorRequest& request) {
                EnterCriticalSection(&linkLock_);
                const std::string words = dvbMotorRequest(motor_, request, cardClockMs(), motorLink());
                LeaveCriticalSection(&linkLock_);
                return words;
            });
    }

    // The tuner control interface
    HRESULT STDMETHODCALLTYPE SetTransponderFrequency(LONG value) override
    {
        return tuningCall(RequestSetTransponderFrequency, SetTransponderFrequencyCall, value);
    }
    HRESULT STDMETHODCALLTYPE SetSymbolRate(LONG value) override
    {
        return tuningCall(RequestSetSymbolRate, SetSymbolRateCall, value);
    }
    HRESULT STDMETHODCALLTYPE SetLnbFrequency(LONG value) override
    {
        return tuningCall(RequestSetLnbFrequency, SetLnbFrequencyCall, value);
    }
    HRESULT STDMETHODCALLTYPE SetFec(LONG value) override { return setCall(RequestSetFec, value, nullptr); }
    HRESULT STDMETHODCALLTYPE SetPolarity(LONG value) override
    {
        return tuningCall(RequestSetPolarity, SetPolarityCall, value);
    }
    HRESULT STDMETHODCALLTYPE SetLnbSelection(LONG value) override
    {
        return tuningCall(RequestSetLnbSelection, SetLnbSelectionCall, value);
    }
    HRESULT STDMETHODCALLTYPE SetDiseqc(LONG value) override
    {
        return tuningCall(RequestSetDiseqc, SetDiseqcCall, value);
    }

    HRESULT STDMETHODCALLTYPE Initialize() override
    {
        const DWORD deadline = GetTickCount() + callTimeoutMs;
        EnterCriticalSection(&linkLock_);
        const bool ok = connectAndInitialize(deadline);
        LeaveCriticalSection(&linkLock_);
        return ok ? S_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE QuerySignalStatus() override
    {
        latched_ = takeReading(feed_, [this] { return helperReading(); });
        if (latched_.locked && helperWordsDue(words_)) askUserBand();
        askHelperNetwork(words_, latched_.locked, helperCall(), feed_);
        return latched_.locked ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE RefreshSignalReadings() override
    {
        readings_ = latched_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSignalQuality(LONG* quality) override
    {
        if (!quality) return E_POINTER;
        *quality = readings_.quality;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSignalNoiseRatio(float* snr) override
    {
        if (!snr) return E_POINTER;
        *snr = readings_.snr;
        return S_OK;
    }

private:
    ~DvbCard() override
    {
        closeReadingFeed(feed_);  // a sweep under way ends first
        stopLink(link_);
        DeleteCriticalSection(&linkLock_);
    }

    // The band swept by azimora-dvb, which holds the frontend for it: asked
    // on the card's own link, followed every few tenths of a second until
    // done, its steps and peaks read back a line at a time.
    void sweepBand(const SweepPlan& plan, const SweepReport& report)
    {
        SweepStatus status = sweepBegun(plan);
        const auto fail = [&](const std::string& why) {
            status.state = SweepFailed;
            status.problem = why;
            report(status);
        };
        EnterCriticalSection(&linkLock_);
        const bool linked = isConnected(link_) || connectAndInitialize(GetTickCount() + callTimeoutMs);
        const std::string refusal = singleCableBlocked() ? scrRefusal_ : std::string();
        if (!refusal.empty()) {
            LeaveCriticalSection(&linkLock_);
            return fail(refusal);
        }
        Reply reply;
        Request ask{RequestSweep, 0, sweepRequestWords(plan.request)};
        const bool asked = linked && exchange(link_, ask, &reply, GetTickCount() + callTimeoutMs);
        if (asked && reply.ok) sent_ = CardTuning();  // the helper's session forgets its tuning
        LeaveCriticalSection(&linkLock_);
        if (!linked) return fail("azimora-dvb cannot be reached");
        if (!asked) return fail("the link to azimora-dvb failed");
        if (!reply.ok)
            return fail(reply.reason == "malformed request" ? "this azimora-dvb is too old to sweep" : reply.reason);
        for (;;) {
            Sleep(sweepLookMs);
            SweepStatus now;
            size_t peaks = 0;
            if (!call(RequestQuerySweep, 0, &reply) || !reply.ok) return fail("the link to azimora-dvb failed");
            if (!parseSweepState(reply.text, &now, &peaks)) return fail("azimora-dvb's answer does not read");
            if (now.state == SweepFailed) return fail(now.problem);
            std::vector<SweepPoint>& points = status.result.points;
            // The fine pass fills in steps the coarse one passed over: once done, every step is read again.
            if (now.state == SweepDone) points.clear();
            while (points.size() < now.stepsDone && points.size() < plan.frequenciesMHz.size()) {
                const size_t from = points.size();
                if (!call(RequestSweepLevels, static_cast<LONG>(from), &reply) || !reply.ok ||
                    !parseSweepLevels(reply.text, plan, from, &points) || points.size() == from)
                    return fail("azimora-dvb's steps do not read");
            }
            status.stepsDone = static_cast<uint32_t>(points.size());
            if (now.state == SweepDone) {
                status.result.unit = now.result.unit;
                status.result.floor = now.result.floor;
                for (size_t i = 0; i < peaks; ++i) {
                    SweepPeak peak;
                    Reply name;
                    if (!call(RequestSweepPeak, static_cast<LONG>(i), &reply) || !reply.ok ||
                        !parseSweepPeak(reply.text, &peak) ||
                        !call(RequestSweepPeakName, static_cast<LONG>(i), &name) || !name.ok ||
                        !parseSweepPeakName(name.text, &peak))
                        return fail("azimora-dvb's peaks do not read");
                    status.result.peaks.push_back(peak);
                }
                status.state = SweepDone;
                report(status);
                return;
            }
            if (now.state != SweepRunning) return fail("azimora-dvb's sweep went");
            if (!report(status)) return;
        }
    }

    // The helper's status and figures of one moment, asked in the order the
    // program asks them, and the level beside them, locked or not; without
    // the helper, or when any call fails, no signal.
    SignalReading helperReading()
    {
        SignalReading none{false, 0, 0.0f};
        // No lock until the motor is there (the helper, asked all the same, keeps
        // the frontend at 18 V meanwhile); then the start that waited for it.
        bool startNow = false;
        CardTuning start;
        EnterCriticalSection(&linkLock_);
        const bool held = dvbMotorHolds(motor_, cardClockMs(), motorLink(), &startNow, &start);
        if (startNow)
            for (const StartCall& each : startCalls(start)) setCallOnLink(each.kind, each.value, &each.call);
        LeaveCriticalSection(&linkLock_);
        Reply status, refreshed, quality, snr;
        if (!isConnected(link_) || !call(RequestQuerySignalStatus, 0, &status)) return none;
        const bool measured = status.ok || status.reason == "no lock";
        if (measured) none.level = askHelperLevel(words_, helperCall());
        if (!status.ok) {
            none.searchingMs = searchingMsOf(status.reason);
            return none;
        }
        if (!call(RequestRefreshSignalReadings, 0, &refreshed) || !refreshed.ok ||
            !call(RequestGetSignalQuality, 0, &quality) || !quality.ok || !quality.hasValue ||
            !call(RequestGetSignalNoiseRatio, 0, &snr) || !snr.ok || !snr.hasValue)
            return none;
        askHelperMargin(words_, helperCall(), feed_);
        SignalReading reading{true, quality.value, static_cast<float>(snr.value) / 1000.0f};
        // A helper that does not say (an older one) leaves the card's own word: no C/N in dB, no refresh.
        reading.unit = readingUnitOf(refreshed.text);
        reading.refreshMs = readingRefreshOf(refreshed.text);
        reading.level = none.level;
        return held ? none : reading;
    }

    // Whether no tune may go out: the single-cable setting refused.
    bool singleCableBlocked()
    {
        EnterCriticalSection(&linkLock_);
        const bool blocked = singleCable_ && !scrRefusal_.empty();
        LeaveCriticalSection(&linkLock_);
        return blocked;
    }

    // Where the card measures through a single-cable device that the helper
    // cannot carry, no tune goes out: the card line says why.
    void refuseSingleCable(const std::string& reason)
    {
        scrRefusal_ = reason;
        noteCardLine(feed_, cardName_ + "; single cable refused: " + reason);
    }

    // Whether another receiver took the user band since the tune.
    void askUserBand()
    {
        Reply reply;
        UserBandAnswer answer;
        if (!singleCable_ || singleCableBlocked() || !call(RequestQueryUserBand, 0, &reply) || !reply.ok ||
            !parseUserBandAnswer(reply.text, &answer))
            return;
        if (answer.shared) noteUserBandShared(feed_, userBandSharedText(scrSetting_));
    }

    HelperCall helperCall()
    {
        return [this](RequestKind kind, Reply* reply) { return call(kind, 0, reply); };
    }

    // One request and its reply, whole: the program's thread and a sweep's share the link.
    bool call(RequestKind kind, LONG value, Reply* reply)
    {
        EnterCriticalSection(&linkLock_);
        const bool ok =
            exchange(link_, Request{kind, static_cast<int32_t>(value)}, reply, GetTickCount() + callTimeoutMs);
        LeaveCriticalSection(&linkLock_);
        return ok;
    }

    bool connectAndInitialize(DWORD deadline)
    {
        if (!connectLink(link_, deadline)) return false;
        helperWordsNewLink(words_);
        sent_ = CardTuning();  // the helper's session begins with the link
        Reply reply;
        if (!exchange(link_, Request{RequestInitialize, 0}, &reply, deadline) || !reply.ok) {
            closeLink(link_);
            return false;
        }
        // A setting that did not read goes nowhere; the helper's own refusal stops every tune.
        if (!singleCable_ || (!scrRefusal_.empty() && !scrRefusedByHelper_)) return true;
        if (!exchange(link_, singleCableRequest(scrSetting_), &reply, deadline)) return false;
        const std::string refusal = singleCableAnswerRefusal(reply);
        scrRefusedByHelper_ = !refusal.empty();
        if (scrRefusedByHelper_) refuseSingleCable(refusal);
        else scrRefusal_.clear();
        return true;
    }

    // A set call after the link was lost starts a new one: a new measurement
    // start sends all six values again. The helper ends a link that asked
    // nothing for a while (the program left in Setup): found so at the next
    // start's first call, it is made again at once. The call that completes
    // a set is answered once the helper's start is done: it is waited for as
    // long as the helper may take for a start, by the same rule.
    HRESULT setCall(RequestKind kind, LONG value, const CardSetCall* tuningCall)
    {
        EnterCriticalSection(&linkLock_);
        const HRESULT result = setCallOnLink(kind, value, tuningCall);
        LeaveCriticalSection(&linkLock_);
        return result;
    }

    HRESULT setCallOnLink(RequestKind kind, LONG value, const CardSetCall* tuningCall)
    {
        const DWORD began = GetTickCount();
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!isConnected(link_) && !connectAndInitialize(began + callTimeoutMs)) return E_FAIL;
            // Never a plain tune where the single-cable device's cannot go out.
            if (tuningCall && singleCableBlocked()) return E_FAIL;
            CardTuning next = sent_;
            const bool tunes = tuningCall && recordSetCall(next, *tuningCall, static_cast<int32_t>(value));
            const DWORD deadline = began + callTimeoutMs + (tunes ? startBoundMs(longestStart()) : 0);
            Reply reply;
            if (exchange(link_, Request{kind, static_cast<int32_t>(value)}, &reply, deadline)) {
                sent_ = next;
                return reply.ok ? S_OK : E_FAIL;
            }
        }
        return E_FAIL;
    }

    // The link as the motor's decisions use it, with the link's lock held.
    DvbMotorLink motorLink()
    {
        const auto exchangeOnLink = [this](const Request& request, Reply* reply) {
            const DWORD deadline = GetTickCount() + callTimeoutMs;
            if ((!isConnected(link_) && !connectAndInitialize(deadline)) || !exchange(link_, request, reply, deadline))
                return false;
            if (reply->ok) sent_ = CardTuning();  // the helper's session forgets its tuning
            return true;
        };
        return {exchangeOnLink,
                [this](const std::string& words) { noteCardLine(feed_, cardMotorLine(cardName_, words)); }};
    }

    // A start's completing call turns the dish first where the motor says so: the call returns at once.
    bool motorTurnsFirst(CardSetCall call, LONG value)
    {
        EnterCriticalSection(&linkLock_);
        CardTuning next = sent_;
        const bool turns = recordSetCall(next, call, static_cast<int32_t>(value)) &&
                           dvbMotorTurnsFirst(motor_, programCatalogueLines(), next, cardClockMs(), motorLink());
        LeaveCriticalSection(&linkLock_);
        return turns;
    }

    HRESULT tuningCall(RequestKind kind, CardSetCall setCallKind, LONG value)
    {
        const HRESULT result = motorTurnsFirst(setCallKind, value) ? S_OK : setCall(kind, value, &setCallKind);
        if (SUCCEEDED(result)) noteSetCall(feed_, setCallKind, value);
        return result;
    }

    CRITICAL_SECTION linkLock_;  // guards the link and sent_: a sweep's thread uses them too
    HelperLink link_;
    ReadingFeed feed_;
    SignalReading latched_{false, 0, 0.0f};
    SignalReading readings_{false, 0, 0.0f};
    HelperWords words_;  // what this link's helper tells besides the calls
    CardTuning sent_;    // the set calls this link's session has had
    std::string cardName_;
    bool singleCable_ = false;  // dvbcard.ini has a line scr=
    SingleCableSetting scrSetting_;
    std::string scrRefusal_;           // why no tune may go out, else ""
    bool scrRefusedByHelper_ = false;  // the helper's refusal, asked again on a new link
    DvbMotor motor_;                   // guarded by linkLock_: the phone's thread turns it too
};

HRESULT createCard(REFIID iid, void** object) { return handOutCard(new (std::nothrow) DvbCard(), iid, object); }

// The simulated receiver card: a COM object with the card's identifiers,
// method order and result conventions, driven by a scenario file or, with
// nothing set, by a simulated dish that the user steers in a window of its own.
#include <windows.h>

#include <new>
#include <string>

#include "app/resource_data.h"
#include "cardbase/card_object.h"
#include "cardbase/com_server.h"
#include "cardbase/reading_feed.h"
#include "sim/card/call_log.h"
#include "sim/card/process_resources.h"
#include "sim/card/sim_motor_card.h"
#include "sim/card/sim_settings.h"
#include "sim/dish/dish_lnb.h"
#include "sim/dish/dish_model.h"
#include "sim/dish/dish_network.h"
#include "sim/dish/dish_sweep.h"
#include "sim/dish/dish_view.h"
#include "sim/dish/dish_window.h"

static std::string builtInCatalogue()
{
    size_t size = 0;
    const uint8_t* bytes = resourceBytes(cardModule, "SATDATA", &size);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), size) : std::string();
}

// The FEC code is no tuning value: the card always searches the code itself.
static bool setCallOf(SimMethod method, CardSetCall* call)
{
    switch (method) {
    case SimSetLnbSelection: *call = SetLnbSelectionCall; return true;
    case SimSetLnbFrequency: *call = SetLnbFrequencyCall; return true;
    case SimSetPolarity: *call = SetPolarityCall; return true;
    case SimSetSymbolRate: *call = SetSymbolRateCall; return true;
    case SimSetTransponderFrequency: *call = SetTransponderFrequencyCall; return true;
    case SimSetDiseqc: *call = SetDiseqcCall; return true;
    default: return false;
    }
}

const char cardDescription[] = "Simulated DVB-S receiver card";

class SimulatedCard final : public CardObject {
public:
    explicit SimulatedCard(SimSettings settings) : settings_(std::move(settings))
    {
        InitializeCriticalSection(&lock_);
        if (settings_.dish.enabled) {
            std::vector<Satellite> sky = skyFromCatalogue(builtInCatalogue());
            addLookalikeTransponders(sky);
            applyScenarioModcods(settings_.scenario, sky);
            dish_ = newDishModel(settings_.dish, std::move(sky));
            dish_.startedAtMs = GetTickCount();
        }
        startDishCable(settings_.cable, dish_.cable);
        // The simulated demodulator measures its C/N in dB, as the scenario or the dish gives it,
        // once a refresh.
        feed_.margin.carrierToNoiseInDecibels = true;
        feed_.figuresRefreshMs = settings_.dish.refreshMs;
        openReadingFeed(feed_, cardName(), settings_.dish.enabled ? &settings_.dish.site : nullptr);
        const SimCable& cable = settings_.cable;
        if (cable.settingRead) noteSingleCable(feed_, &cable.setting);
        else if (cable.wanted) noteCardLine(feed_, simCardLine(cardName(), cable.badValue));
        motor_ = SimMotorCard{&lock_, &dish_, &feed_, settings_.log, cardName(), CardMotor(), false};
        startSimMotor(motor_, settings_.motor);
        if (settings_.dish.enabled && settings_.dish.window) dishWindow_ = startDishWindow(&lock_, &dish_, &feed_);
        if (settings_.dish.enabled)
            setCardSweeper(feed_,
                           [this](const SweepPlan& plan, const SweepReport& report) { sweepBand(plan, report); });
    }

    // The tuner control interface
    HRESULT STDMETHODCALLTYPE SetTransponderFrequency(LONG value) override
    {
        return setter(SimSetTransponderFrequency, value, [this] {
            tuned_ = true;
            tunedAt_ = GetTickCount();
            if (settings_.scenario.countResources) log(resourcesLine());
        });
    }
    HRESULT STDMETHODCALLTYPE SetSymbolRate(LONG value) override { return setter(SimSetSymbolRate, value); }
    HRESULT STDMETHODCALLTYPE SetLnbFrequency(LONG value) override { return setter(SimSetLnbFrequency, value); }
    HRESULT STDMETHODCALLTYPE SetFec(LONG value) override { return setter(SimSetFec, value); }
    HRESULT STDMETHODCALLTYPE SetPolarity(LONG value) override { return setter(SimSetPolarity, value); }
    HRESULT STDMETHODCALLTYPE SetLnbSelection(LONG value) override { return setter(SimSetLnbSelection, value); }
    HRESULT STDMETHODCALLTYPE SetDiseqc(LONG value) override { return setter(SimSetDiseqc, value); }
    HRESULT STDMETHODCALLTYPE Initialize() override
    {
        wait(SimInitialize);
        const HRESULT result = resultOf(SimInitialize);
        log(callLine("Initialize", false, 0, result));
        return result;
    }
    HRESULT STDMETHODCALLTYPE QuerySignalStatus() override
    {
        wait(SimQuerySignalStatus);
        HRESULT result = S_OK;
        takeReading(feed_, [&] {
            EnterCriticalSection(&lock_);
            ++polls_;
            result = resultOf(SimQuerySignalStatus);
            // The status and the readings taken after it belong to one moment, as
            // a demodulator latches them: a lock lost in between shows next time.
            latched_ = signalNow();
            if (result == S_OK && !latched_.locked) result = E_FAIL;
            logPoll(0, callLine("QuerySignalStatus", false, 0, result));
            SignalReading told = latched_;
            if (result != S_OK) {
                told = SignalReading{false, 0, latched_.snr};
                told.level = latched_.level;  // the level is there with or without the lock
            }
            const ModcodWord word = result == S_OK ? reportedModcod() : ModcodWord();
            const bool dishLocked = result == S_OK && settings_.dish.enabled;
            const LnbError lnb = dishLocked ? dishLnbError(dish_, GetTickCount()) : LnbError();
            LeaveCriticalSection(&lock_);
            // Before the reading is published, so that the first one with the lock has its margin.
            if (result == S_OK) noteTunerModcod(feed_, word);
            if (dishLocked) noteLnbError(feed_, lnb);
            return told;
        });
        readNetwork(result == S_OK);
        watchCable(result == S_OK);
        afterSimMotorReading(motor_);
        return result;
    }
    HRESULT STDMETHODCALLTYPE RefreshSignalReadings() override
    {
        wait(SimRefreshSignalReadings);
        EnterCriticalSection(&lock_);
        const HRESULT result = resultOf(SimRefreshSignalReadings);
        if (result == S_OK) readings_ = latched_;
        logPoll(1, callLine("RefreshSignalReadings", false, 0, result));
        LeaveCriticalSection(&lock_);
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetSignalNoiseRatio(float* snr) override
    {
        wait(SimGetSignalNoiseRatio);
        EnterCriticalSection(&lock_);
        HRESULT result = snr ? resultOf(SimGetSignalNoiseRatio) : E_POINTER;
        std::string value = "-";
        if (result == S_OK) {
            *snr = readings_.snr;
            value = floatText(readings_.snr);
        }
        logPoll(2, readingLine("GetSignalNoiseRatio", result, value));
        LeaveCriticalSection(&lock_);
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetSignalQuality(LONG* quality) override
    {
        wait(SimGetSignalQuality);
        EnterCriticalSection(&lock_);
        HRESULT result = quality ? resultOf(SimGetSignalQuality) : E_POINTER;
        std::string value = "-";
        if (result == S_OK) {
            *quality = readings_.quality;
            value = std::to_string(readings_.quality);
        }
        logPoll(3, readingLine("GetSignalQuality", result, value));
        LeaveCriticalSection(&lock_);
        return result;
    }

private:
    ~SimulatedCard() override
    {
        releaseCable();
        stopDishWindow(dishWindow_);
        closeReadingFeed(feed_);
        char line[64];
        wsprintfA(line, "Destroyed polls=%lu", static_cast<unsigned long>(polls_));
        log(line);
        if (settings_.log != INVALID_HANDLE_VALUE) CloseHandle(settings_.log);
        DeleteCriticalSection(&lock_);
    }

    void wait(SimMethod method) const
    {
        const int32_t latency = settings_.scenario.latencyMs[method];
        if (latency > 0) Sleep(static_cast<DWORD>(latency));
    }

    HRESULT resultOf(SimMethod method) const { return settings_.scenario.failMethod[method] ? E_FAIL : S_OK; }

    const char* cardName() const
    {
        return settings_.dish.enabled ? "Practice dish (simulated card)" : "Simulated card";
    }

    template <typename Effect>
    HRESULT setter(SimMethod method, LONG value, Effect effect)
    {
        wait(method);
        EnterCriticalSection(&lock_);
        const HRESULT result = resultOf(method);
        bool started = false;
        if (result == S_OK) {
            effect();
            CardSetCall call;
            if (setCallOf(method, &call)) {
                started = recordTuning(dish_, call, value);
                noteSetCall(feed_, call, value);
            }
        }
        log(callLine(simMethodName(method), true, value, result));
        LeaveCriticalSection(&lock_);
        if (started && settings_.cable.wanted) tuneThroughCable();
        if (started) turnSimDishFirst(motor_);
        return result;
    }
    HRESULT setter(SimMethod method, LONG value)
    {
        return setter(method, value, [] {});
    }

    HRESULT tunerControlRequested() override
    {
        HRESULT result = S_OK;
        if (settings_.scenario.failQuery) result = E_NOINTERFACE;
        else if (settings_.scenario.oddQuery) result = S_FALSE;
        log(result == S_OK ? std::string("QueryTuner") : callLine("QueryTuner", false, 0, result));
        return result;
    }

    HRESULT reservedCall(int position) override
    {
        wait(SimReserved);
        log(callLine(("Reserved" + std::to_string(position)).c_str(), false, 0, E_NOTIMPL));
        return E_NOTIMPL;
    }

    // The steps go one by one, each under the card's lock, the pauses without it.
    void carryOut(const std::vector<SingleCableStep>& steps)
    {
        for (const SingleCableStep& step : steps) {
            EnterCriticalSection(&lock_);
            log(cableStep(dish_.cable, step, simCable().plan, dish_.eighteenLost, GetTickCount()));
            LeaveCriticalSection(&lock_);
            if (step.kind == ScrPause) Sleep(step.ms);
        }
    }

    SimCable& simCable() { return settings_.cable; }

    // A start through a single-cable device: the command for the
    // transponder, or why nothing is sent, on the page and in the dish's readout.
    void tuneThroughCable()
    {
        EnterCriticalSection(&lock_);
        std::string refusal;
        const std::vector<SingleCableStep> steps = simCableTune(simCable(), dish_.tuning, GetTickCount(), &refusal);
        dish_.cable.refusal = refusal;
        dish_.cable.userBandNote.clear();
        if (!refusal.empty()) log("ScrRefused " + refusal);
        LeaveCriticalSection(&lock_);
        noteCardLine(feed_, simCardLine(cardName(), refusal));
        carryOut(steps);
    }

    // While locked through the device the card reads the stream's PAT: its
    // id changing under a steady tune says another receiver took the band.
    // Without a lock the log says why, as the dish's window does, and where
    // none came in the driver's time the command goes once more.
    void watchCable(bool locked)
    {
        if (!simCable().settingRead) return;
        const DWORD now = GetTickCount();
        EnterCriticalSection(&lock_);
        std::string shared;
        uint16_t streamId = 0;
        if (locked && lockedStreamId(dish_, now, &streamId)) {
            if (streamId != loggedStreamId_) {
                char line[32];
                wsprintfA(line, "Stream tsid 0x%04X", streamId);
                log(line);
                loggedStreamId_ = streamId;
            }
            if (userBandStreamSeen(simCable().watch, streamId))
                shared = dish_.cable.userBandNote = userBandSharedText(simCable().setting);
        }
        const std::string why = locked ? std::string() : dishSignalText(dishView(dish_, now));
        if (why != loggedWhy_ && settings_.dish.enabled) {
            if (!why.empty()) log("Dish " + why);
            loggedWhy_ = why;
        }
        const std::vector<SingleCableStep> retry = simCableAfterPoll(simCable(), locked, now, now * 2654435761u);
        if (!shared.empty()) log("UserBandShared " + shared);
        LeaveCriticalSection(&lock_);
        if (!shared.empty()) noteUserBandShared(feed_, shared);
        carryOut(retry);
    }

    // The band is freed when the card goes (the program closes).
    void releaseCable()
    {
        EnterCriticalSection(&lock_);
        const std::vector<SingleCableStep> steps = simCableRelease(simCable());
        LeaveCriticalSection(&lock_);
        carryOut(steps);
    }

    // A locked demodulator delivers the stream, and its network table comes
    // round a little later: from the dish's sky, the satellite it really
    // sees; from a scenario, the table it names.
    void readNetwork(bool locked)
    {
        const DWORD now = GetTickCount();
        if (!locked) {
            lockedFor_ = false;
            return;
        }
        if (!lockedFor_) {
            lockedFor_ = true;
            lockedAt_ = now;
        }
        if (now - lockedAt_ < simulatedNetworkDelayMs) return;
        NetworkIdentity identity;
        EnterCriticalSection(&lock_);
        if (settings_.dish.enabled) {
            const DishSignal signal = dishSignal(dish_, now);
            if (signal.verdict == Locked) {
                identity = satelliteNetwork(dish_.sky[signal.satellite]);
                // This stream's own entry, with its satellite delivery system descriptor.
                identity.modcod = knownWord(dish_.sky[signal.satellite].transponders[signal.transponder].modcod);
            }
        } else if (settings_.scenario.hasNetwork) {
            identity = settings_.scenario.network;
        }
        LeaveCriticalSection(&lock_);
        if (identity.known) noteNetwork(feed_, identity);
    }

    // The practice dish's band, as it points when asked, from its sky; the
    // dish itself is left as it was.
    void sweepBand(const SweepPlan& plan, const SweepReport& report)
    {
        EnterCriticalSection(&lock_);
        const DishModel model = dish_;
        LeaveCriticalSection(&lock_);
        SweepStatus status;
        status.plan = plan;
        status.result = sweepDish(model, plan, GetTickCount());
        status.steps = status.stepsDone = static_cast<uint32_t>(plan.frequenciesMHz.size());
        status.state = SweepDone;
        report(status);
    }

    // What the demodulator reports of the modulation and code rate it is
    // locked to: the dish's transponder, or what the scenario names. Called
    // with the card's lock held, after a locked status.
    ModcodWord reportedModcod()
    {
        if (!settings_.scenario.reportsModcod) return missingWord(GapNotReported);
        Modcod modcod;
        if (settings_.dish.enabled) {
            const DishSignal signal = dishSignal(dish_, GetTickCount());
            if (signal.verdict != Locked) return missingWord(GapNotReported);
            return knownWord(dish_.sky[signal.satellite].transponders[signal.transponder].modcod);
        }
        return scenarioModcod(settings_.scenario, &modcod) ? knownWord(modcod) : missingWord(GapNotReported);
    }

    SignalReading signalNow()
    {
        if (settings_.dish.enabled) {
            const DWORD now = GetTickCount();
            // The program hears no lock before the motor can be there.
            return simMotorHold(motor_, pollDish(dish_, now), now);
        }
        return scenarioSignal(settings_.scenario, tuned_, GetTickCount() - tunedAt_);
    }

    // The polling methods are logged only when something changed, so that
    // the log stays readable however fast the program polls.
    void logPoll(int poll, const std::string& line)
    {
        if (line == lastPollLine_[poll]) return;
        lastPollLine_[poll] = line;
        log(line);
    }

    void log(const std::string& line)
    {
        EnterCriticalSection(&lock_);
        appendLogLine(settings_.log, line);
        LeaveCriticalSection(&lock_);
    }

    CRITICAL_SECTION lock_;
    SimSettings settings_;
    bool tuned_ = false;
    DWORD tunedAt_ = 0;
    SignalReading latched_{false, 0, 0.0f};
    SignalReading readings_{false, 0, 0.0f};
    unsigned long polls_ = 0;
    std::string lastPollLine_[4];
    DishModel dish_{};
    DishWindow* dishWindow_ = nullptr;
    ReadingFeed feed_;
    bool lockedFor_ = false;  // since lockedAt_, as the program was told
    DWORD lockedAt_ = 0;
    uint16_t loggedStreamId_ = 0;
    std::string loggedWhy_;
    SimMotorCard motor_;
};

HRESULT createCard(REFIID iid, void** object)
{
    SimSettings settings = readSettings();
    if (settings.scenario.failCreate) {
        appendLogLine(settings.log, callLine("Create", false, 0, E_FAIL));
        if (settings.log != INVALID_HANDLE_VALUE) CloseHandle(settings.log);
        return E_FAIL;
    }
    appendLogLine(settings.log, "Create");
    return handOutCard(new (std::nothrow) SimulatedCard(std::move(settings)), iid, object);
}

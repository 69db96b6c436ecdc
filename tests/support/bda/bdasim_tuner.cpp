#include "tests/support/bda/bdasim_tuner.h"

#include <dshow.h>
#include <uuids.h>

#include "bda/bda_ids.h"
#include "cardbase/reading_pace.h"
#include "tests/support/bda/bdasim_stream.h"

// {5A1B0D7F-7C3E-4F2A-9B6D-3E8A1C5F7D7F}
const IID iidSimTransportSource = {0x5A1B0D7F, 0x7C3E, 0x4F2A, {0x9B, 0x6D, 0x3E, 0x8A, 0x1C, 0x5F, 0x7D, 0x7F}};

// How long a demodulator takes to lock once it has been tuned.
static constexpr DWORD acquisitionMs = 200;
template <typename T>
static HRESULT give(const T& value, T* out)
{
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

SimTuner::SimTuner(const SimDeviceModel& model)
    : SimFilter("tuner", *model.clsid, model.name), model_(model), tunerNode_(this), demodulatorNode_(this),
      makerSet_(this, model.driver.makerSet), tables_(static_cast<IBaseFilter*>(this), this, model.driver.blocksTables)
{
    InitializeCriticalSection(&lock_);
    resetScrDevice(scrDevice_, simScenario().scr);
    resetMotorMount(motor_, simScenario().motor, false, GetTickCount());
    addPin(PINDIR_INPUT, L"Antenna In", mediaBdaAntenna, GUID_NULL);
    output_ = addPin(PINDIR_OUTPUT, L"Transport Out", MEDIATYPE_Stream, mediaBdaTransport);
}

SimTuner::~SimTuner()
{
    if (readings_ > 0) {
        simLog("readings " + name() + " count=" + std::to_string(readings_) +
               " spanMs=" + std::to_string(lastReadingAt_ - firstReadingAt_));
    }
    DeleteCriticalSection(&lock_);
}

HRESULT SimTuner::GetNodeTypes(ULONG* count, ULONG maximum, ULONG types[])
{
    if (!count || (maximum > 0 && !types)) return E_POINTER;
    *count = 2;
    for (ULONG i = 0; i < maximum && i < 2; ++i) types[i] = i;
    return S_OK;
}

HRESULT SimTuner::GetNodeDescriptors(ULONG* count, ULONG maximum, BDANODE_DESCRIPTOR nodes[])
{
    if (!count || (maximum > 0 && !nodes)) return E_POINTER;
    const GUID* functions[] = {&nodeBdaRfTuner, model_.demodulator};
    *count = 2;
    for (ULONG i = 0; i < maximum && i < 2; ++i) {
        nodes[i].ulBdaNodeType = i;
        nodes[i].guidFunction = *functions[i];
        nodes[i].guidName = GUID_NULL;
    }
    return S_OK;
}

HRESULT SimTuner::GetNodeInterfaces(ULONG type, ULONG* count, ULONG maximum, GUID interfaces[])
{
    if (!count || (maximum > 0 && !interfaces)) return E_POINTER;
    const GUID withDiseqc[] = {IID_IBDA_FrequencyFilter, IID_IBDA_LNBInfo, IID_IBDA_SignalStatistics,
                               __uuidof(IBDA_DiseqCommand)};
    const GUID demodulator[] = {IID_IBDA_DigitalDemodulator, __uuidof(IBDA_DigitalDemodulator2),
                                IID_IBDA_SignalStatistics};
    if (type > 1) return E_INVALIDARG;
    const GUID* list = type == 0 ? withDiseqc : demodulator;
    *count = type == 0 ? (model_.driver.noDiseqc ? 3 : 4) : 3;
    for (ULONG i = 0; i < maximum && i < *count; ++i) interfaces[i] = list[i];
    return S_OK;
}

HRESULT SimTuner::GetPinTypes(ULONG* count, ULONG maximum, ULONG types[])
{
    if (!count || (maximum > 0 && !types)) return E_POINTER;
    *count = 2;
    for (ULONG i = 0; i < maximum && i < 2; ++i) types[i] = i;
    return S_OK;
}

HRESULT SimTuner::GetTemplateConnections(ULONG* count, ULONG, BDA_TEMPLATE_CONNECTION[])
{
    if (!count) return E_POINTER;
    *count = 0;
    return E_NOTIMPL;
}

HRESULT SimTuner::GetControlNode(ULONG, ULONG, ULONG type, IUnknown** node)
{
    if (!node) return E_POINTER;
    *node = nullptr;
    if (type == 0) *node = static_cast<IBDA_FrequencyFilter*>(&tunerNode_);
    else if (type == 1) *node = static_cast<IBDA_DigitalDemodulator2*>(&demodulatorNode_);
    else return E_INVALIDARG;
    (*node)->AddRef();
    return S_OK;
}

HRESULT SimTuner::StartChanges()
{
    EnterCriticalSection(&lock_);
    pending_ = committed_;
    changing_ = true;
    commandsInChange_.clear();
    LeaveCriticalSection(&lock_);
    return S_OK;
}

// The lost reason of a command put to the node, as the driver sends it.
static std::string nodeCommandLoss(const SimDriverTraits& driver)
{
    if (driver.cannotSendDiseqc) return "no commands";
    return driver.commandsGoNowhere ? "dropped by the driver" : "";
}

HRESULT SimTuner::CommitChanges()
{
    EnterCriticalSection(&lock_);
    noteTuningCall();
    std::vector<std::vector<BYTE>> commands;
    commands.swap(commandsInChange_);
    for (const std::vector<BYTE>& command : commands) busCommand(command, nodeCommandLoss(model_.driver), "");
    // A change that carried only commands tunes nothing.
    if (!commands.empty() && sameTuneAsideFromRange(pending_, committed_) && pending_.range == committed_.range) {
        changing_ = false;
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    // A commit that changes nothing but the range selects an input without a tune.
    if (sameTuneAsideFromRange(pending_, committed_) && pending_.range != committed_.range) {
        committed_.range = pending_.range;
        const int port = portFromRange(committed_, model_.driver);
        if (port >= 0) switchPort_ = port;
        changing_ = false;
        simLog("range " + name() + " " + std::to_string(committed_.range));
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    const bool refused = simScenario().refuseTune || refusesModulation(pending_, model_.driver);
    const HRESULT result = !refused ? S_OK : simScenario().refuseTune ? E_FAIL : E_INVALIDARG;
    if (!refused) {
        const DWORD now = GetTickCount();
        if (!tuned_ || !sameTransponder(pending_, committed_)) transponderAt_ = now;
        committed_ = pending_;
        tuned_ = true;
        toneOn_ = committed_.highBand();
        committedAt_ = now;
        suppliedAtMs_ = simCounterNowMs();
        int port = portFromLnbSource(committed_, model_.driver);
        if (port < 0) port = portFromRange(committed_, model_.driver);
        if (port >= 0 && !simScenario().toneBurstSwitch) switchPort_ = port;
    }
    changing_ = false;
    simLog("tune " + name() + " " + tuneText(pending_, model_.driver) + (refused ? " -> " + hresultText(result) : ""));
    LeaveCriticalSection(&lock_);
    return result;
}

HRESULT SimTuner::GetChangeState(ULONG* state)
{
    return give(static_cast<ULONG>(changing_ ? BDA_CHANGES_PENDING : BDA_CHANGES_COMPLETE), state);
}

uint32_t SimTuner::msSinceTransponder() { return GetTickCount() - transponderAt_; }

// Under the lock. Another receiver on the cable takes its turn as time goes by.
ULONG SimTuner::scrTransponder()
{
    if (scrNeighbourAdvance(scrDevice_, GetTickCount(), simNeighbourIfKHz, true, true))
        simLog("scr neighbour on user band " + std::to_string(simScenario().scr.neighbourBand));
    return scrTransponderKHz(committed_, model_.driver, simScenario(), scrDevice_);
}

SignalNow SimTuner::signal()
{
    EnterCriticalSection(&lock_);
    SignalNow now{false, false, 0, 0};
    const bool turning = simScenario().motor.present && motorMountMoving(motor_, GetTickCount());
    const bool arrives =
        !turning && (simScenario().scr.present ? scrTransponder() != 0
                                               : carrierArrives(committed_, model_.driver, simScenario(), switchPort_));
    if (tuned_ && state() == State_Running && arrives) {
        const BdaSimStep step = bdaSimSignalAtCarrier(simScenario(), msSinceTransponder(), committed_.carrierKHz());
        const bool locked = step.locked && GetTickCount() - committedAt_ >= acquisitionMs &&
                            modulationLocks(committed_, model_.driver, simScenario());
        now = SignalNow{true, locked, locked ? step.quality : 0, step.strength};
    }
    LeaveCriticalSection(&lock_);
    return now;
}

HRESULT SimTuner::statisticsCall(bool lockFigure)
{
    const BdaSimScenario& scenario = simScenario();
    EnterCriticalSection(&lock_);
    const bool tuned = tuned_;
    const uint32_t since = tuned ? msSinceTransponder() : 0;
    LeaveCriticalSection(&lock_);
    if (!tuned) return S_OK;
    if (scenario.stallReadings.contains(since)) {
        simLog("stall " + name());
        Sleep(scenario.stallReadings.toMs - since);
    }
    return lockFigure && scenario.failLock.contains(since) ? E_FAIL : S_OK;
}

void SimTuner::countReading()
{
    const uint32_t now = simCounterNowMs();
    EnterCriticalSection(&lock_);
    if (readings_ == 0) firstReadingAt_ = now;
    lastReadingAt_ = now;
    ++readings_;
    LeaveCriticalSection(&lock_);
}

bool SimTuner::lockedNow()
{
    const bool locked = signal().locked;
    EnterCriticalSection(&lock_);
    const bool first = locked && !lockLogged_ && anyTuningCall_;
    if (first) lockLogged_ = true;
    const uint32_t afterMs = simCounterNowMs() - firstTuningCallMs_;
    LeaveCriticalSection(&lock_);
    if (first) simLog("lock " + name() + " after " + std::to_string(afterMs) + " ms");
    return locked;
}

// Through a single-cable device the stream is the transponder's the cable frequency holds.
bool SimTuner::streamFlows(ULONG* carrierKHz)
{
    const SignalNow now = signal();
    EnterCriticalSection(&lock_);
    *carrierKHz = simScenario().scr.present ? scrTransponder() : committed_.carrierKHz();
    LeaveCriticalSection(&lock_);
    return now.locked;
}

void* SimTuner::otherInterface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IBDA_Topology)) return static_cast<IBDA_Topology*>(this);
    if (IsEqualIID(iid, IID_IBDA_DeviceControl)) return static_cast<IBDA_DeviceControl*>(this);
    if (IsEqualIID(iid, iidSimTransportSource)) return static_cast<SimTransportSource*>(this);
    if (IsEqualIID(iid, __uuidof(IMpeg2Data)) && model_.driver.offersTables) return static_cast<IMpeg2Data*>(&tables_);
    if (IsEqualIID(iid, IID_IKsPropertySet) && makerSet_.onFilter()) return static_cast<IKsPropertySet*>(&makerSet_);
    return nullptr;
}

void* SimTuner::pinInterface(const SimPin* pin, REFIID iid)
{
    const bool antenna = !pins_.empty() && pin == pins_[0];
    if (antenna && IsEqualIID(iid, IID_IKsPropertySet) && makerSet_.onPin())
        return static_cast<IKsPropertySet*>(&makerSet_);
    return nullptr;
}

HRESULT SimTuner::startDevice()
{
    if (simScenario().refuseGraph) return HRESULT_FROM_WIN32(ERROR_BUSY);
    if (model_.needsCapture && !output_->peer()) return VFW_E_NOT_CONNECTED;
    return S_OK;
}

// The capture filter of the tuner of two filters: it takes the transport
// stream of that tuner only (on Windows, their pins' mediums match), and
// passes it on.
class SimCapture final : public SimFilter, public SimTransportSource {
public:
    SimCapture() : SimFilter("capture", classSimCapture, "Simulated DVB-S Capture 2")
    {
        addPin(PINDIR_INPUT, L"Transport In", MEDIATYPE_Stream, mediaBdaTransport);
        addPin(PINDIR_OUTPUT, L"Transport Out", MEDIATYPE_Stream, mediaBdaTransport);
    }
    HRESULT acceptConnection(SimPin* own, IPin* peer) override
    {
        PIN_DIRECTION direction;
        own->QueryDirection(&direction);
        if (direction != PINDIR_INPUT) return S_OK;
        PIN_INFO info;
        if (FAILED(peer->QueryPinInfo(&info))) return E_FAIL;
        CLSID clsid = GUID_NULL;
        info.pFilter->GetClassID(&clsid);
        info.pFilter->Release();
        for (int i = 0; i < simDeviceCount; ++i)
            if (simDevices[i].needsCapture && IsEqualCLSID(clsid, *simDevices[i].clsid)) return S_OK;
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    bool streamFlows(ULONG* carrierKHz) override
    {
        IBaseFilter* tuner = pins_[0]->peerFilter();
        if (!tuner) return false;
        SimTransportSource* source = nullptr;
        bool flows = false;
        if (SUCCEEDED(tuner->QueryInterface(iidSimTransportSource, reinterpret_cast<void**>(&source)))) {
            flows = state() == State_Running && source->streamFlows(carrierKHz);
            tuner->Release();
        }
        tuner->Release();
        return flows;
    }
    bool filterRuns() override { return state() == State_Running; }

private:
    void* otherInterface(REFIID iid) override
    {
        return IsEqualIID(iid, iidSimTransportSource) ? static_cast<SimTransportSource*>(this) : nullptr;
    }
};

HRESULT createSimTuner(const SimDeviceModel& model, REFIID iid, void** object)
{
    return handOut(new SimTuner(model), iid, object);
}

HRESULT createSimCapture(REFIID iid, void** object) { return handOut(new SimCapture(), iid, object); }

// The simulated tuner's DiSEqC bus: commands through the node or the
// maker's own set, the tone and the tone burst, each heard or lost as the
// driver's bus has it (a tuner that supplies its LNB with the tune hears
// nothing before it, while the supply settles, under the tone or too soon
// after a command), and the LNB source the node selects.
#include "tests/support/bda/bdasim_tuner.h"

// The bus of a tuner that supplies its LNB with the tune (SimDriverTraits).
static constexpr uint32_t supplySettleMs = 100;
static constexpr uint32_t commandPaceMs = 100;
static constexpr uint32_t burstQuietMs = 15;

// Under the lock.
void SimTuner::noteTuningCall()
{
    if (anyTuningCall_) return;
    anyTuningCall_ = true;
    firstTuningCallMs_ = simCounterNowMs();
}

// Under the lock.
std::string SimTuner::unheardBecause(bool burst)
{
    if (!model_.driver.suppliesLnbWithTune) return "";
    const uint32_t now = simCounterNowMs();
    if (!tuned_) return "no supply";
    if (now - suppliedAtMs_ < supplySettleMs) return "supply settling";
    if (toneOn_) return "tone on";
    if (commandSent_ && now - commandAtMs_ < (burst ? burstQuietMs : commandPaceMs)) return "too soon after a command";
    return "";
}

// The LNB source is used whatever the answer.
HRESULT SimTuner::enableCommands(bool enabled)
{
    EnterCriticalSection(&lock_);
    const bool refused = enabled && model_.driver.cannotSendDiseqc;
    commandsEnabled_ = enabled && !refused;
    pending_.diseqc = enabled;
    LeaveCriticalSection(&lock_);
    return refused ? E_NOTIMPL : S_OK;
}

static std::string commandText(const std::vector<BYTE>& command)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "diseqc";
    for (BYTE each : command) {
        text += ' ';
        text += digits[each >> 4];
        text += digits[each & 15];
    }
    return text;
}

// Under the lock or not; a command takes effect as it is sent, as a DiSEqC
// bus has it. A single-cable device hears it at 18 V (after a horizontal
// tune) unless the tone garbles it.
void SimTuner::busCommand(const std::vector<BYTE>& command, std::string lost, const char* how)
{
    EnterCriticalSection(&lock_);
    noteTuningCall();
    if (lost.empty()) {
        lost = unheardBecause(false);
        commandSent_ = true;
        commandAtMs_ = simCounterNowMs();
    }
    const int port = portFromCommand(command.data(), static_cast<ULONG>(command.size()));
    if (lost.empty() && port >= 0 && !simScenario().toneBurstSwitch) switchPort_ = port;
    ScrHeard heard = ScrNotForIt;
    MotorHeard moved = MotorNotForIt;
    if (lost.empty()) {
        const bool supply18 = tuned_ && committed_.polarisation == BDA_POLARISATION_LINEAR_H;
        heard = scrDeviceHears(scrDevice_, command.data(), command.size(), supply18, toneOn_, GetTickCount());
        if (simScenario().motor.present)
            moved = motorMountHears(motor_, command.data(), command.size(), supply18, toneOn_, GetTickCount());
    }
    LeaveCriticalSection(&lock_);
    simLog(commandText(command) + how + (lost.empty() ? "" : " lost: " + lost) +
           (heard == ScrNotForIt ? "" : std::string(" scr: ") + scrHeardName(heard)) +
           (moved == MotorNotForIt ? "" : std::string(" motor: ") + motorHeardName(moved)));
}

// Windows' proxy passes the node's command on to the driver, which takes
// it, as the other values of the node, at the end of the change.
HRESULT SimTuner::sendCommand(const BYTE* command, ULONG length)
{
    if (!command || length == 0 || length > 8) return E_INVALIDARG;
    const std::vector<BYTE> bytes(command, command + length);
    EnterCriticalSection(&lock_);
    const bool refused = !model_.driver.cannotSendDiseqc && !commandsEnabled_;
    const bool inChange = !refused && changing_;
    if (inChange) commandsInChange_.push_back(bytes);
    LeaveCriticalSection(&lock_);
    if (refused) {
        simLog(commandText(bytes) + " -> " + hresultText(E_FAIL));
        return E_FAIL;
    }
    if (!inChange) busCommand(bytes, "outside a change", "");
    return S_OK;
}

HRESULT SimTuner::makerCommand(const BYTE* command, ULONG length, const char* lost)
{
    busCommand(std::vector<BYTE>(command, command + length), lost, " by property set");
    return S_OK;
}

void SimTuner::makerTone(bool toneOn)
{
    EnterCriticalSection(&lock_);
    toneOn_ = toneOn;
    LeaveCriticalSection(&lock_);
    simLog(std::string(toneOn ? "tone on" : "tone off") + " by property set");
}

void SimTuner::makerBurst(bool burstB, const char* ignored)
{
    EnterCriticalSection(&lock_);
    noteTuningCall();
    const std::string lost = *ignored ? ignored : unheardBecause(true);
    if (lost.empty() && simScenario().toneBurstSwitch) switchPort_ = burstB ? 1 : 0;
    LeaveCriticalSection(&lock_);
    simLog(std::string(burstB ? "burst B" : "burst A") + " by property set" + (lost.empty() ? "" : " lost: " + lost));
}

void SimTuner::useToneBurst(bool used)
{
    EnterCriticalSection(&lock_);
    toneBurst_ = used;
    LeaveCriticalSection(&lock_);
}

// A tone burst selects input A or B of a simple switch; a committed switch ignores it.
void SimTuner::putLnbSource(ULONG source)
{
    EnterCriticalSection(&lock_);
    pending_.source = source;
    const bool burst = toneBurst_ && commandsEnabled_ && source <= 1;
    std::string lost;
    if (burst) {
        noteTuningCall();
        lost = unheardBecause(true);
        if (lost.empty() && simScenario().toneBurstSwitch) switchPort_ = static_cast<int>(source);
    }
    LeaveCriticalSection(&lock_);
    if (burst) simLog(std::string(source == 0 ? "burst A" : "burst B") + (lost.empty() ? "" : " lost: " + lost));
}

// The simulated BDA tuners (bdasim_tuner.dll), as a BDA driver's filter
// looks to DirectShow through Windows' kernel-streaming proxy: an antenna
// input pin, a transport stream output pin, IBDA_Topology with two control
// nodes (bdasim_nodes.h) and IBDA_DeviceControl, whose CommitChanges tunes.
// What reached the tuner is logged as
//   tune NAME VALUES          (bdasim_reception.h gives the values)
//   range NAME N              a commit that changed only the RF tuner's range
//   diseqc E0 10 38 F9        a DiSEqC command sent through a node, which goes
//                             out at the commit of the change it was put in
//   burst A|B                 a tone burst (the LNB source put with tone bursts on)
//   tone on|off               the 22 kHz tone put through the maker's set
// with " by property set" after a command, burst or tone sent through the
// driver's maker's set (bdasim_maker.h), " lost: WHY" after one that the
// switch could not hear, and " scr: WHAT" after a command that a
// single-cable device behind the tuner took (what it made of it,
// cardbase/single_cable_device.h's words); once, at the first reading with lock,
//   lock NAME after MS ms     counted from the tuner's first tune, command or range
// and each time another receiver takes a user band,
//   scr neighbour on user band N
// and " motor: WHAT" after a command that a motorised mount behind the
// tuner took (cardbase/sky/motor_mount.h's words);
// and it locks, as the scenario says, only while it runs and its driver's
// kind receives the transponder (bdasim_reception.h). Locked, it passes the
// simulated stream on (bdasim_stream.h); a tuner of the kind that offers
// IMpeg2Data gives its tables itself (bdasim_tables.h).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "cardbase/sky/motor_mount.h"
#include "tests/support/bda/bdasim_filter.h"
#include "tests/support/bda/bdasim_maker.h"
#include "tests/support/bda/bdasim_nodes.h"
#include "tests/support/bda/bdasim_reception.h"
#include "tests/support/bda/bdasim_tables.h"

// What a filter that passes the simulated transport stream on tells the
// demultiplexer behind it: whether the stream flows now (the graph runs and
// the tuner is locked), and on which carrier. Reached by QueryInterface with
// this identifier, within bdasim_tuner.dll only; the reference taken is the
// filter's.
struct SimTransportSource {
    virtual bool streamFlows(ULONG* carrierKHz) = 0;
    virtual bool filterRuns() = 0;
};
extern const IID iidSimTransportSource;

// The devices the DLL registers, in the order the system lists them.
struct SimDeviceModel {
    const CLSID* clsid;
    const char* name;
    const GUID* demodulator;  // the node type that says which network the tuner receives
    bool needsCapture;        // a tuner of two filters that does not run without its capture filter
    SimDriverTraits driver;
    const char* devicePath = nullptr;  // what the system lists as its device path, if anything
};

extern const SimDeviceModel simDevices[];
extern const int simDeviceCount;
extern const CLSID classSimCapture;  // the capture filter of the tuner that needs one

HRESULT createSimTuner(const SimDeviceModel& model, REFIID iid, void** object);
HRESULT createSimCapture(REFIID iid, void** object);

// Node type numbers: the RF tuner 0, the demodulator 1; pins 0 (antenna) and 1 (transport).
class SimTuner final : public SimFilter, public IBDA_Topology, public IBDA_DeviceControl, public SimTransportSource {
public:
    explicit SimTuner(const SimDeviceModel& model);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return SimFilter::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return SimFilter::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return SimFilter::Release(); }

    HRESULT STDMETHODCALLTYPE GetNodeTypes(ULONG* count, ULONG maximum, ULONG types[]) override;
    HRESULT STDMETHODCALLTYPE GetNodeDescriptors(ULONG* count, ULONG maximum, BDANODE_DESCRIPTOR nodes[]) override;
    HRESULT STDMETHODCALLTYPE GetNodeInterfaces(ULONG type, ULONG* count, ULONG maximum, GUID interfaces[]) override;
    HRESULT STDMETHODCALLTYPE GetPinTypes(ULONG* count, ULONG maximum, ULONG types[]) override;
    HRESULT STDMETHODCALLTYPE GetTemplateConnections(ULONG* count, ULONG, BDA_TEMPLATE_CONNECTION[]) override;
    HRESULT STDMETHODCALLTYPE CreatePin(ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeletePin(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMediaType(ULONG, AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMedium(ULONG, REGPINMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateTopology(ULONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetControlNode(ULONG, ULONG, ULONG type, IUnknown** node) override;

    HRESULT STDMETHODCALLTYPE StartChanges() override;
    HRESULT STDMETHODCALLTYPE CheckChanges() override { return changing_ ? S_OK : E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE CommitChanges() override;
    HRESULT STDMETHODCALLTYPE GetChangeState(ULONG* state) override;

    // For the nodes.
    TunerSettings& pending() { return pending_; }
    const SimDriverTraits& driver() const { return model_.driver; }
    SignalNow signal();
    // Whether a statistics call (of the lock or presence, or another
    // figure) succeeds now, as the scenario has it; a stalled one returns
    // only at the end of its stall.
    HRESULT statisticsCall(bool lockFigure);
    void countReading();
    // The demodulator's lock, noted for the log's first lock.
    bool lockedNow();
    HRESULT enableCommands(bool enabled);
    // A command put to the node: it goes out at the commit of the change it was put in.
    HRESULT sendCommand(const BYTE* command, ULONG length);
    // A command, a burst and the tone through the maker's set, at once; a
    // set that goes nowhere says why (`lost`).
    HRESULT makerCommand(const BYTE* command, ULONG length, const char* lost = "");
    void makerBurst(bool burstB, const char* lost = "");
    void makerTone(bool toneOn);
    void useToneBurst(bool used);
    // The LNB source put to the node itself, with a tone burst where it is on.
    void putLnbSource(ULONG source);
    bool streamFlows(ULONG* carrierKHz) override;
    bool filterRuns() override { return state() == State_Running; }

private:
    ~SimTuner() override;
    void* otherInterface(REFIID iid) override;
    void* pinInterface(const SimPin* pin, REFIID iid) override;
    HRESULT startDevice() override;
    // A command on the DiSEqC bus: the switch hears it unless `lost` says why not.
    void busCommand(const std::vector<BYTE>& command, std::string lost, const char* how);
    uint32_t msSinceTransponder();
    void noteTuningCall();
    // Why the switch cannot hear a command (or a burst) now, or "" when it can.
    std::string unheardBecause(bool burst);
    // Through a single-cable device: the transponder the tuned cable frequency holds, or 0.
    ULONG scrTransponder();

    SimDeviceModel model_;
    SimPin* output_ = nullptr;
    SimTunerNode tunerNode_;
    SimDemodulatorNode demodulatorNode_;
    SimMakerSet makerSet_;
    SimTables tables_;
    CRITICAL_SECTION lock_;
    TunerSettings pending_;
    TunerSettings committed_;
    bool changing_ = false;
    std::vector<std::vector<BYTE>> commandsInChange_;
    bool tuned_ = false;
    DWORD committedAt_ = 0;    // the latest tune
    DWORD transponderAt_ = 0;  // the latest tune to another transponder
    bool commandsEnabled_ = false;
    bool toneBurst_ = false;
    int switchPort_ = 0;   // where the switch stands
    bool toneOn_ = false;  // as the latest tune left it, or the maker's set after it
    ScrDevice scrDevice_;  // where the scenario has one
    MotorMount motor_;     // where the scenario has one: no carrier while it turns
    // On the performance counter's clock, as the bridge's own waits are.
    uint32_t suppliedAtMs_ = 0;  // the latest tune
    bool commandSent_ = false;
    uint32_t commandAtMs_ = 0;  // the latest command on the bus, heard or not
    bool anyTuningCall_ = false;
    uint32_t firstTuningCallMs_ = 0;
    bool lockLogged_ = false;
    unsigned long readings_ = 0;
    uint32_t firstReadingAt_ = 0;
    uint32_t lastReadingAt_ = 0;
};

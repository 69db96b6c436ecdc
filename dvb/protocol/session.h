// The helper's side of one connection: which calls are taken in which
// order, when the six set calls have made a complete tuning, and the
// readings latched by a status call. The frontend itself sits behind
// FrontendPort. Platform-neutral.
//
// Order: Initialize first (it opens the frontend); SetFec and the six set
// calls in any order, a tune whenever a set of six is complete; then
// QuerySignalStatus (a fresh reading; without lock it may say how long the
// driver has searched), RefreshSignalReadings (takes the reading of the
// latest status, and says what its s/n is: reading_words.h) and the two Get
// calls (read what the latest refresh took). QueryNetwork, any time after Initialize, says what
// is known of the network the frontend is locked to, QueryModcod what
// its link margin rests on and QueryLnbError the LNB's own error; QueryLevel, after a status, the level of the
// reading that status latched, locked or not (level_answer.h). Sweep, any
// time after Initialize, sweeps the band on the frontend (and leaves it
// untuned: the next measurement sends its six again); QuerySweep and the
// sweep's lines read it (sweep_answer.h). SingleCable, any time after
// Initialize, makes the connection's later tunes go through a single-cable
// device, and QueryUserBand says whether another receiver took its user
// band (single_cable_words.h). Motor, any time after Initialize, sends a
// positioner's command and forgets the tuning, as Sweep does
// (motor_words.h). A call out of that order is refused and changes nothing.
#pragma once
#include <deque>
#include <string>

#include "cardbase/card_tuning.h"
#include "cardbase/motor/motor_commands.h"
#include "cardbase/network/network_watch.h"
#include "cardbase/signal_scale.h"
#include "cardbase/single_cable.h"
#include "cardbase/sweep/sweep_result.h"
#include "dvb/protocol/line_protocol.h"
#include "dvb/protocol/lnb_answer.h"
#include "dvb/protocol/modcod_answer.h"

class FrontendPort {
public:
    virtual ~FrontendPort() = default;
    // False with a reason for the program ("frontend is busy").
    virtual bool open(std::string* reason) = 0;
    // The six values as the program sent them; the frontend checks them.
    virtual bool tune(const CardTuning& tuning, std::string* reason) = 0;
    // The latest reading; false when the frontend does not answer.
    virtual bool measure(SignalReading* reading) = 0;
    // What the stream has said of its network, as of the latest reading.
    virtual NetworkReport network() = 0;
    // What the link margin rests on, as of the latest reading.
    virtual ModcodAnswer modcod() { return ModcodAnswer(); }
    // The LNB's own error, as of the latest reading (lnb_answer.h).
    virtual LnbError lnbError() { return LnbError(); }
    // A band sweep begun (false with a reason), and how it stands.
    virtual bool startSweep(const SweepPlan&, std::string* reason)
    {
        *reason = "this frontend cannot sweep";
        return false;
    }
    virtual SweepStatus sweepStatus() { return SweepStatus(); }
    // "" where the frontend can carry a single-cable device's steps, else why not.
    virtual std::string singleCableRefusal() { return ""; }
    // "another receiver uses user band 1" since the latest tune, else "".
    virtual std::string userBandNote() { return ""; }
    // A positioner's command with its steps (motor_words.h); false with a reason.
    virtual bool motor(const MotorCommand&, uint32_t, std::string* reason)
    {
        *reason = "this frontend cannot turn a motor";
        return false;
    }
};

struct Session {
    bool initialized = false;
    CardTuning tuning;
    bool tuned = false;  // a complete set has been tuned
    bool hasStatus = false;
    bool hasReadings = false;
    SignalReading latched{false, 0, 0.0f};
    SignalReading readings{false, 0, 0.0f};
    bool singleCable = false;  // the tunes go through a single-cable device
    SingleCableSetting singleCableSetting;
};

Reply handleRequest(Session& session, const Request& request, FrontendPort& frontend);

// Whether the request, handled now, would tune (it completes a set of six);
// `tuning`, when given, gets the values it would tune.
bool completesTuning(const Session& session, const Request& request, CardTuning* tuning = nullptr);

// Whether the first of these queued lines completes a set and a later one
// completes another: the first tune would be replaced before it could be
// measured, and need not reach the frontend.
bool laterTuningQueued(const Session& session, const std::deque<ReadLine>& queued);

// A whole request line, malformed or not.
Reply handleLine(Session& session, const ReadLine& line, FrontendPort& frontend);

// The s/n as it travels: thousandths of a dB, within int32.
int32_t milliDecibels(float snr);

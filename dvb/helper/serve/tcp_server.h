// azimora-dvb's TCP side: the loop that serves the listener's connections,
// line by line, through the protocol session (a connection's life and
// socket in served_connection.h, the answering of its requests in
// request_answering.h). No peer can
// stall it: every socket is non-blocking, what a slow reader has not taken
// and what a peer sends faster than it is answered are bounded, and so are
// the connections open at once; an open or a tune of the frontend runs on
// the frontend's own thread while the loop serves everyone else, and a peer
// that waits (for its pace, or with replies it does not read) costs no
// work. Who holds the frontend, for how long, and how often the LNB may be
// switched follow connection_rules.h; a helper with a shared secret takes a
// connection only after its first line gives it, and slows a peer that
// guesses. Of a peer's queued tuning sets, only the latest reaches the
// frontend: the others are answered as replaced by it.
#pragma once
#include <csignal>
#include <cstdint>
#include <string>

#include "dvb/helper/frontend/frontend_log.h"
#include "dvb/helper/frontend/tuning_sequence.h"
#include "dvb/protocol/session.h"

// The frontend as the server drives it. An open or a tune is handed over
// without waiting: the server serves others while it runs, and looks at its
// answer when woken through wakeDescriptor or when its bound runs out.
class ServedFrontend {
public:
    virtual ~ServedFrontend() = default;
    virtual void startOpen() = 0;
    virtual void startTune(const CardTuning& tuning, const SingleCableUse& singleCable) = 0;
    // A positioner's command with its steps, answered as a tune is.
    virtual void startMotor(const MotorCommand& command) = 0;
    // The answer to the call started latest, once it has one: its outcome,
    // or past its bound a failure the program reports (a call that has not
    // begun by then never does).
    virtual bool callAnswer(uint64_t nowMs, bool* ok, std::string* reason) = 0;
    // When the call started latest runs out of its bound.
    virtual uint64_t callDeadlineMs() = 0;
    // Nobody waits for the call started latest any more: one that has not
    // begun never does.
    virtual void abandonCall() = 0;
    // The latest reading; false when the frontend does not answer.
    virtual bool measure(SignalReading* reading) = 0;
    virtual NetworkReport network() = 0;
    // What the link margin rests on, as of the latest reading.
    virtual ModcodAnswer modcod() = 0;
    // The LNB's own error, as of the latest reading.
    virtual LnbError lnbError() { return LnbError(); }
    // A band sweep handed over without waiting, and how it stands: the
    // connection that asked holds the frontend while it runs.
    virtual bool startSweep(const SweepPlan& plan, const SingleCableUse& singleCable, std::string* reason) = 0;
    virtual SweepStatus sweepStatus() = 0;
    // "" where a single-cable device's steps can be carried, else why not.
    virtual std::string singleCableRefusal() = 0;
    // "another receiver uses user band 1" since the latest tune, else "".
    virtual std::string userBandNote() = 0;
    // The tone off, the LNB's supply off, and the frontend closed.
    virtual void release() = 0;
    // Readable when a call is done; the server empties it.
    virtual int wakeDescriptor() = 0;
};

struct ServerSettings {
    std::string secret;  // "": none asked for
    // --scr: each connection's tunes go through this device unless its own
    // SingleCable request names another.
    SingleCableUse singleCable;
    uint32_t idleMs = 0;
    FrontendLog* log = nullptr;  // where a guessing peer is said
};

// Serves until *stop is set (by a signal handler).
void serveConnections(int listener, ServedFrontend& frontend, const ServerSettings& settings,
                      volatile sig_atomic_t* stop);

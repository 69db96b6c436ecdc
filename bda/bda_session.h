// A card's hold on its BDA tuner from Initialize to release: the graph, the
// driver thread that every call into the driver goes through, and what each
// start asked for. A start makes one tune request per modulation to try and
// carries out its steps (bda_start_steps.h) on the way to the switch port,
// if one was asked for, by the routes of bda_tuning.h that the tuner offers
// and bdacard.ini allows; each reading then reads the
// statistics and, while there is no lock, moves the modulation search on
// (bda_search.h). Every wait for the driver has a bound: a start that
// overruns fails, a reading that overruns is one without signal. Beside it,
// the section reader (bda_section_reader.h) learns the network of the tuned
// stream where the graph delivers sections; each start and each lost lock
// begins its reading anew.
#pragma once
#include <string>
#include <vector>

#include "bda/bda_driver_thread.h"
#include "bda/bda_graph.h"
#include "bda/bda_motor.h"
#include "bda/bda_route_trial.h"
#include "bda/bda_search.h"
#include "bda/bda_section_reader.h"
#include "bda/bda_single_cable.h"
#include "bda/bda_start_steps.h"
#include "cardbase/card_tuning.h"

// What bdacard.ini asks of the session.
struct BdaSessionSettings {
    ModulationOrder order{};  // empty: the search's own
    SignalShape shape;        // for DVB-S2
    SwitchSetting switchSetting;
    InputRangeForms rangeForms;
    BdaSingleCable singleCable;
};

struct BdaSession {
    BdaGraph graph;
    DriverThread driver;
    BdaSessionSettings settings;
    ModulationMemory memory;
    BdaReadingHistory history;
    SectionReader* sections = nullptr;

    // The latest start.
    bool started = false;
    CardTuning tuning;
    BdaTuneValues values{};
    ModulationSearch search{};
    ITuneRequest* requests[maxModulations] = {};
    ITuneRequest* supplyRequest = nullptr;  // through a single-cable device: the same, horizontal (18 V)
    std::vector<BdaStep> steps;             // of the route being tried
    SwitchRoute served = NoSwitchAsked;     // the route of the latest start that succeeded
    SwitchMeans means{};
    std::string refusal;  // why the latest start refused single cable, "" when it did not
    SingleCablePlan plan;
    std::string startText;  // what the latest start sent through the device

    // Since the open: a single-cable device has been asked for a
    // transponder (it hears the power-off at the close), through this route.
    bool deviceAsked = false;
    SwitchRoute deviceRoute = NoSwitchAsked;
    std::string otherMaker;  // whose boards the tuner's name fits, where bdacard.ini forced a set on it

    // What the readings of the latest start do besides reading.
    ScrRetry retry;
    RouteTrial trial;
    SwitchRoute kept = NoSwitchAsked;  // a route the trial kept, for the card to write down
    bool lineChanged = false;          // ... since the card line was last taken

    // What the driver thread's latest work found.
    bool routeRefused = false;  // a call the route needs was refused
    HRESULT tuneResult = S_OK;
    uint32_t tunedAtMs = 0;  // cardClockMs when the latest tune request was put
    SignalReading reading{false, 0, 0.0f};
    ModcodWord lockedModcod;      // the demodulator's word since the lock
    uint32_t lockedReadings = 0;  // since the lock, for asking it again while it says nothing

    // As of the latest reading that the driver answered in time.
    ModcodWord tunerModcod;
};

// Builds and starts the graph around the tuner named (UTF-8; "" for the
// first satellite tuner) and starts the driver thread.
HRESULT openBdaSession(BdaSession& session, const std::string& tunerName, const BdaSessionSettings& settings);

// Tunes the transponder of a complete set of calls; the result is the
// tune's, or a failure when a switch port was asked for that the tuner
// cannot reach.
HRESULT startBdaSession(BdaSession& session, const CardTuning& tuning);

// The reading now; without lock when not started, or when the driver did
// not answer in time.
SignalReading readBdaSession(BdaSession& session);

// The demodulator's word on the modulation and code rate it locked, as of
// the latest reading: asked at the lock, and every second while it has none.
ModcodWord bdaSessionModcod(const BdaSession& session);

// The network of the tuned stream, once found while locked (taken once).
bool takeBdaNetwork(BdaSession& session, NetworkIdentity* identity);
// Through a single-cable device: that another receiver took the user band (taken once).
bool takeBdaBandShared(BdaSession& session);

// The card's line after the latest start (bda_tuning.h's bdaCardLine), and
// whether a reading has changed it since (a route kept over a maker's set), once.
std::string bdaSessionCardLine(const BdaSession& session, const std::string& card);
bool takeBdaCardLineChange(BdaSession& session);
// What the latest start sent through a single-cable device, or why it
// refused, into the bridge's log; nothing without one.
void logBdaStart(const BdaSession& session);

// A positioner's command with its steps (up to the command) on the driver
// thread, through the route that carries DiSEqC; refused with the reason
// where no route does, and nothing sent. `sent` says what went out, for the log.
HRESULT sendBdaMotor(BdaSession& session, const std::vector<MotorStep>& core, const MotorCommand& command,
                     std::string* refusal, std::string* sent);

// Ends the driver and section threads and releases the graph. A section
// thread still waiting in a filter's call is left to finish it with a
// reference of its own. False when the driver still held its thread: then
// nothing is released, and the session must be left as it is (the thread
// may still use it).
bool closeBdaSession(BdaSession& session);

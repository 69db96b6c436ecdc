// The one thread that calls the frontend. Every frontend call waits for the
// kernel's frontend thread, and drivers that search in software keep a call
// waiting half a second or more, so the connection is never served from a
// frontend call: it hands opens, tunes and releases to this thread and
// answers from the latest reading, which this thread takes at most
// readingIntervalMs apart. It also carries out each tuning sequence,
// writes it to the frontend log, moves the delivery-system search on and
// remembers what locked, and reads the network's own word from the stream
// while locked (network_reader.h), forgotten at each attempt sent. A read
// the kernel keeps waiting (a driver that searches in the kernel's thread
// holds the frontend for seconds at low symbol rates) never freezes what
// is answered: past stalledReadMs the latest reading is one without lock
// that says how long the driver has been searching, and the log says how
// long the read waited. It also sweeps a band (worker_sweep.cpp), step by
// step, until done or until another command comes. Through a single-cable
// device (worker_single_cable.cpp) it carries out the device's steps, says
// the command once more where no lock came in the driver's time, watches
// the stream for another receiver on the user band while locked, and frees
// the band when the frontend is let go. A motorised dish's positioner gets
// its command with its own steps (worker_motor.cpp): no tone, 18 V, the
// command once, and the frontend left untuned, at 18 V, until the next tune.
// Platform-neutral: the frontend itself is behind FrontendDevice.
#pragma once
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "cardbase/card_tuning.h"
#include "cardbase/lnb_error.h"
#include "cardbase/margin/link_margin.h"
#include "cardbase/motor/motor_commands.h"
#include "cardbase/reading_pace.h"
#include "cardbase/signal_scale.h"
#include "cardbase/sweep/sweep_result.h"
#include "cardbase/sweep/sweep_run.h"
#include "dvb/helper/frontend/delivery_search.h"
#include "dvb/helper/frontend/frontend_log.h"
#include "dvb/helper/frontend/frontend_report.h"
#include "dvb/helper/frontend/level_watch.h"
#include "dvb/helper/frontend/network_reader.h"
#include "dvb/helper/frontend/signal_figures.h"
#include "dvb/helper/frontend/tuning_sequence.h"

class FrontendDevice : public SectionSource {
public:
    virtual ~FrontendDevice() = default;
    virtual FrontendProblem open(std::string* detail) = 0;
    virtual void close() = 0;
    virtual FrontendAbilities abilities() = 0;
    // Each: 0, or a negative errno.
    virtual int setVoltage(LnbVoltage voltage) = 0;
    virtual int setTone(bool on) = 0;
    // A DiSEqC message of 3 to 6 bytes (FE_DISEQC_SEND_MASTER_CMD).
    virtual int sendSwitchCommand(const uint8_t* command, size_t length) = 0;
    virtual int sendBurst(bool b) = 0;
    virtual int tune(const TuningSequence& sequence, SystemAttempt attempt) = 0;
    // False when the frontend does not answer.
    virtual bool read(RawFigures* raw) = 0;
    // The strength alone (a sweep's step), as cheaply as the device allows.
    virtual bool readLevel(RawFigures* raw) { return read(raw); }
    // The modulation and code rate the tuner says it locked, read while
    // locked (link_margin.h); none unless the device can be asked.
    virtual ModcodWord lockedModcod() { return missingWord(GapNotAsked); }
    // The frequency the driver gives back while locked (DTV_FREQUENCY, kHz);
    // false unless the device can be asked (found_lnb_error.h).
    virtual bool foundFrequencyKHz(uint32_t*) { return false; }
    // No demux unless the device has one.
    bool startSections(SectionTable) override { return false; }
    SectionRead readSection(SectionTable, StreamSection*) override { return SectionFailed; }
    void stopSections(SectionTable) override {}
};

// An open waits for dvbv5-daemon up to its own 5 s.
constexpr uint32_t openWaitMs = 6000;

// The latest reading, as the connection answers from it.
// A read takes some tens of ms on a real board (stv090x's C/N alone sleeps
// 21 ms); one that has not answered within three readings' time waits for
// a search.
constexpr uint32_t stalledReadMs = 3 * readingIntervalMs;

struct LatestReading {
    bool answered = false;  // the latest read had an answer
    SignalReading reading{false, 0, 0.0f};
    FrontendFigures figures;
    SystemAttempt attempt = AttemptDvbS2Automatic;  // the one sent latest
    NetworkReport network;                          // as of the latest reading
    ModcodWord tunerModcod;                         // the tuner's word, read since the latest lock
    uint32_t readingNumber = 0;                     // readings taken since the tune: each counted once
    HeardLists lists;                               // for a tune that gathers the networks' lists
    std::string userBandNote;                       // "another receiver uses user band 1" since the tune, else ""
    LnbError lnbError;                              // the LNB's own error, read since the latest lock
};

struct WorkerOutcome {
    bool done = false;
    bool ok = false;
    FrontendProblem problem = ProblemOther;
    std::string reason;  // for a failure: words for the program
};

class FrontendWorker {
public:
    FrontendWorker(FrontendDevice& device, FrontendLog* log);
    ~FrontendWorker();  // stops the thread (see stop)
    FrontendWorker(const FrontendWorker&) = delete;
    FrontendWorker& operator=(const FrontendWorker&) = delete;

    // Each waits at most `waitMs` for the outcome; not done by then, the
    // outcome says so, and the command is withdrawn unless it has begun (it
    // then runs to its end).
    WorkerOutcome open(uint32_t waitMs);
    WorkerOutcome tune(const CardTuning& tuning, uint32_t waitMs);
    // The tone off, the LNB's supply off, and the frontend closed.
    void release();
    LatestReading latest();
    FrontendAbilities abilities();

    // The same without waiting, for a caller that serves others meanwhile:
    // the outcome fills in once the command is done.
    typedef std::shared_ptr<const WorkerOutcome> Pending;
    Pending startOpen();
    // `gatherLists`: the network reader also gathers every NIT other heard
    // while locked, for a survey (LatestReading::lists).
    Pending startTune(const CardTuning& tuning, bool gatherLists = false);
    WorkerOutcome outcomeOf(const Pending& pending);
    // Waits for the command until it is done, `boundMs` has passed or
    // *stop is set (a signal ending the helper; none where null); not done,
    // it is withdrawn as open's and tune's are, and the outcome says so.
    WorkerOutcome waitBounded(const Pending& pending, uint32_t boundMs, const volatile sig_atomic_t* stop);
    // Gives up on a command: one that has not begun never will.
    void withdraw(const Pending& pending);
    // Called on the worker's thread each time a command is done (set it
    // before any command).
    void notifyWhenDone(std::function<void()> notify);

    // How long a tune of these values may take: the bound of its start.
    uint32_t tuneBoundMs(const CardTuning& tuning);

    // The single-cable device (or none) that the tunes and sweeps queued
    // from now on go through; none unless told.
    void useSingleCable(const SingleCableUse& use);

    // A sweep of the band the plan covers, on the open frontend; it runs
    // until done, and a command queued meanwhile ends it. Its status as it
    // goes, and after it until the next one.
    // `showUserBands`: the cable's own sweep, the single-cable device showing its bands.
    Pending startSweep(const SweepPlan& plan, bool showUserBands = false);
    // A sweep of the cable itself (the plan's oscillator 0: its steps are
    // the frequencies the tuner is given) after the single-cable device was
    // asked to show its user bands.
    Pending startUserBandSweep(const SweepPlan& plan);
    SweepStatus sweepStatus();

    // A positioner's command: the tone off, 18 V, the lead and the command
    // once; then nothing more is sent and nothing read, so that 18 V stays
    // (the motor turns faster on it), until the next tune, or until the
    // tune the motor interrupted is taken up again (resumeAfterMotor).
    // Refused behind dvbv5-daemon.
    Pending startMotor(const MotorCommand& command);
    // The motor is there: the tuned transponder's supply and tone back,
    // and its search sent again; at most `waitMs`.
    WorkerOutcome resumeAfterMotor(uint32_t waitMs);
    // A reading taken now on the worker's thread, for one who reads when it
    // asks (the arc check); the latest reading, at most `waitMs` later.
    LatestReading readNow(uint32_t waitMs);

    // Drops every command not begun, lets the frontend go and ends the
    // thread; a tune under way stops at its next step. False when the
    // thread did not end within `waitMs` (a frontend call that never returns).
    bool stop(uint32_t waitMs);

private:
    enum CommandKind : uint8_t {
        CommandOpen,
        CommandTune,
        CommandRelease,
        CommandSweep,
        CommandMotor,
        CommandRead,
        CommandResume
    };
    struct Command {
        CommandKind kind;
        CardTuning tuning;
        std::shared_ptr<WorkerOutcome> outcome;
        bool gatherLists = false;
        SweepPlan sweep{};
        SingleCableUse singleCable{};
        bool showUserBands = false;
        MotorCommand motor{};
    };

    void run();
    std::shared_ptr<WorkerOutcome> queue(Command command);
    WorkerOutcome post(Command command, uint32_t waitMs);
    bool ending();
    void execute(const Command& command, WorkerOutcome* outcome);
    void carryOutOpen(WorkerOutcome* outcome);
    void carryOutTune(const CardTuning& tuning, WorkerOutcome* outcome);
    bool forgetTheStream(WorkerOutcome* outcome);
    void carryOutRelease();
    bool runSteps(const TuningSequence& sequence, WorkerOutcome* outcome);
    bool runStepList(const std::vector<SequenceStep>& steps, WorkerOutcome* outcome);
    int carryOutStep(const SequenceStep& step);
    void letGoOfUserBand();
    bool sayCommandAgain();
    void watchUserBand(bool locked);
    bool tuneSweepStep(const CardTuning& tuning, const FrontendAbilities& abilities, std::string* reason);
    TuningSequence sweepStart(const SweepPlan& plan, const FrontendAbilities& abilities);
    void carryOutSweep(const SweepPlan& plan, WorkerOutcome* outcome);
    void carryOutMotor(const MotorCommand& command, WorkerOutcome* outcome);
    void resumeTune(WorkerOutcome* outcome);
    SweepCall sweepStep(const SweepPlan& plan, int32_t frequencyMHz, const FrontendAbilities& abilities,
                        SignalLevel* level, std::string* reason);
    void updateSweep(const SweepStatus& status);
    bool commandWaiting();
    bool sendAttempt(std::string* reason);
    void takeReading();
    LnbError readLnbError();
    void log(const std::string& line);
    bool pauseFor(uint32_t ms);

    FrontendDevice& device_;
    FrontendLog* log_;

    std::mutex mutex_;
    std::condition_variable wake_;  // commands, readings, the end
    std::deque<Command> commands_;
    bool quitting_ = false;
    bool finished_ = false;
    std::function<void()> notifyDone_;
    LatestReading latest_;
    bool readPending_ = false;  // a read is under way, begun at readStartedMs_
    uint64_t readStartedMs_ = 0;
    uint64_t latestAnswerMs_ = 0;  // the latest read that answered, or the tune
    FrontendAbilities abilities_;
    SweepStatus sweep_;
    SingleCableUse singleCableNext_;  // for the commands queued from now on

    // The thread's own; nobody else touches these.
    bool open_ = false;
    bool supplyOn_ = false;
    bool burstLacking_ = false;  // the driver has no tone burst: said once, then left out
    TuningSequence sequence_;
    CardTuning tuning_;           // the program's values behind sequence_
    bool foundDiffered_ = false;  // since the open: the driver gave back another frequency than asked
    bool tuned_ = false;
    bool motorHold_ = false;  // a positioner's command went out since the tune: nothing sent or read
    DeliverySearch search_;
    FigureMemory figureMemory_;
    int lastLock_ = -1;
    uint64_t nextReadingMs_ = 0;
    TransponderMemory memory_;
    NetworkReader network_;
    LevelWatch levelWatch_;
    uint32_t lockedReadings_ = 0;  // since the lock came, for asking the tuner's word again
    bool tunerWordKnown_ = false;  // asked no more while the lock lasts
    SingleCableUse singleCable_;   // the command carried out now goes through it
    bool showUserBands_ = false;   // the sweep carried out now is of the cable, the device showing its bands
    std::vector<SequenceStep> userBandRelease_;  // frees the user band asked latest; empty when none is
    bool saidAgain_ = false;                     // the single-cable command was said once more since the tune
    UserBandWatch userBand_;
    std::minstd_rand random_;

    std::thread thread_;
};

uint64_t monotonicMs();

// Single cable on the Linux bridge, its logic: the device's steps as the
// tuning sequence carries and logs them, what is refused before anything is
// sent, the frontend worker carrying them out (the command once more where
// no lock came, the stream watched for another receiver, the user band
// freed at release), azimora-dvb's options, the line protocol's words on
// both sides, the survey's sentence and the user bands found on the cable.
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/frontend/tuned_report.h"
#include "dvb/helper/helper_options.h"
#include "dvb/helper/survey/survey_judge.h"
#include "dvb/helper/sweep/user_band_find.h"
#include "dvb/protocol/session.h"
#include "dvb/protocol/single_cable_words.h"
#include "tests/native/dvb_helper_process.h"
#include "tests/native/program_tuning.h"

namespace {

SingleCableUse through(const std::string& text)
{
    SingleCableUse use;
    std::string reason;
    use.used = parseSingleCable(text, &use.setting, &reason);
    EXPECT_TRUE(use.used) << reason;
    return use;
}

std::vector<std::string> described(const std::vector<SequenceStep>& steps)
{
    std::vector<std::string> lines;
    for (const SequenceStep& step : steps)
        lines.push_back(step.kind == StepPause ? "(" + std::to_string(step.pauseMs) + " ms)" : stepLine(step));
    return lines;
}

}  // namespace

TEST(DvbSingleCable, TheDevicesStepsAreTheSequenceItsTuneIsAtTheUserBandAndItsRetryAndReleaseGoWithIt)
{
    const FrontendAbilities abilities;
    const TuningSequence plain = buildTuningSequence(programTuning(11778, 1), abilities, false, nullptr);
    EXPECT_FALSE(plain.singleCable);
    EXPECT_TRUE(plain.retrySteps.empty() && plain.releaseSteps.empty());

    const TuningSequence en50494 =
        buildTuningSequence(programTuning(11778, 1), abilities, false, nullptr, through("en50494,1,1210"), 50);
    EXPECT_TRUE(en50494.singleCable);
    EXPECT_EQ((std::vector<std::string>{"tone off", "voltage 18", "(15 ms)", "diseqc E0 10 5A 04 F7", "(50 ms)",
                                        "voltage 13"}),
              described(en50494.steps));
    EXPECT_EQ(1210000u, en50494.frequencyKHz);
    EXPECT_EQ("tune if_khz=1210000 symbol_rate=27500000 system=DVB-S2", attemptLine(en50494, AttemptDvbS2Automatic));
    EXPECT_EQ((std::vector<std::string>{"(118 ms)", "voltage 18", "(15 ms)", "diseqc E0 10 5A 04 F7", "(50 ms)",
                                        "voltage 13"}),
              described(en50494.retrySteps));
    EXPECT_EQ((std::vector<std::string>{"tone off", "voltage 18", "(15 ms)", "diseqc E0 10 5A 00 00", "(50 ms)",
                                        "voltage 13", "voltage off"}),
              described(en50494.releaseSteps));
    // The transponder's own key: what locked it is remembered as without a device.
    EXPECT_EQ(plain.key, en50494.key);

    // Six bytes with a PIN; the demodulator 1 MHz off the band's centre where the device's oscillator steps so.
    const TuningSequence pinned =
        buildTuningSequence(programTuning(12515, 0, 2), abilities, true, nullptr, through("en50494,2,1420,77"));
    EXPECT_EQ("diseqc E0 10 5C 3D E4 4D", described(pinned.steps)[3]);
    EXPECT_EQ(1421000u, pinned.frequencyKHz);
    const TuningSequence en50607 =
        buildTuningSequence(programTuning(11778, 1), abilities, false, nullptr, through("en50607,1,1210"));
    EXPECT_EQ("diseqc 70 04 36 01", described(en50607.steps)[3]);
    EXPECT_EQ("diseqc 70 00 00 00", described(en50607.releaseSteps)[3]);
    for (uint32_t random : {0u, 7u, 50u, 999u}) {
        const uint32_t pause =
            buildTuningSequence(programTuning(11778, 1), abilities, false, nullptr, through("en50494,1,1210"), random)
                .retrySteps.front()
                .pauseMs;
        EXPECT_GE(pause, 68u);
        EXPECT_LE(pause, 118u);
    }
    // Waited for long enough to say the command again and try once more.
    EXPECT_GT(tunedLockWaitMs(en50494), tunedLockWaitMs(plain) + scrRetryMostMs + en50494.attemptWindowMs);
}

TEST(DvbSingleCable, WhatTheDeviceOrTheFrontendCannotTakeIsRefusedBeforeAnythingIsSent)
{
    FrontendAbilities abilities;
    const SingleCableUse en50494 = through("en50494,1,1210");
    EXPECT_EQ("", tuningRefusal(programTuning(11778, 1), abilities, en50494));
    EXPECT_NE(std::string::npos, tuningRefusal(programTuning(3840, 1), abilities, en50494).find("Ku band"));
    EXPECT_NE(std::string::npos,
              tuningRefusal(programTuning(11778, 1, 5), abilities, en50494).find("positions 1 and 2"));
    EXPECT_EQ("", tuningRefusal(programTuning(11778, 1, 5), abilities, through("en50607,1,1210")));
    // The demodulator's frequency counts, not the transponder's.
    abilities.lowestKHz = 1300000;
    EXPECT_EQ("the frontend tunes 1300000 - 2150000 kHz", tuningRefusal(programTuning(11778, 1), abilities, en50494));
    EXPECT_EQ("", tuningRefusal(programTuning(11778, 1), abilities, through("en50494,2,1420")));
    abilities.remote = true;
    EXPECT_EQ(remoteSingleCableRefusal, tuningRefusal(programTuning(11778, 1), abilities, through("en50494,2,1420")));
}

namespace {

// A frontend that locks when told, with a PAT whose transport stream id the test sets.
class CableDevice : public FrontendDevice {
public:
    FrontendProblem open(std::string*) override { return FrontendUsable; }
    void close() override { note("close"); }
    FrontendAbilities abilities() override { return FrontendAbilities(); }
    int setVoltage(LnbVoltage voltage) override { return note(voltageLine(voltage)); }
    int setTone(bool on) override { return note(toneLine(on)); }
    int sendSwitchCommand(const uint8_t* command, size_t length) override { return note(diseqcLine(command, length)); }
    int sendBurst(bool b) override { return note(b ? "burst B" : "burst A"); }
    int tune(const TuningSequence& sequence, SystemAttempt attempt) override
    {
        return note(attemptLine(sequence, attempt));
    }
    bool read(RawFigures* raw) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        raw->locked = locked_;
        raw->cnrScale = ScaleDecibel;
        raw->cnr = 11000;
        return true;
    }
    bool startSections(SectionTable) override { return true; }
    SectionRead readSection(SectionTable table, StreamSection* section) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        if (table != TablePat || patGiven_) return SectionNone;
        patGiven_ = true;
        section->transportStreamId = streamId_;
        return SectionTaken;
    }
    void stopSections(SectionTable) override {}

    void setLocked(bool locked)
    {
        std::lock_guard<std::mutex> hold(mutex_);
        locked_ = locked;
    }
    // A PAT of this id, once, at the next reading.
    void sendPat(uint16_t streamId)
    {
        std::lock_guard<std::mutex> hold(mutex_);
        streamId_ = streamId;
        patGiven_ = false;
    }
    std::vector<std::string> calls()
    {
        std::lock_guard<std::mutex> hold(mutex_);
        return calls_;
    }
    // Waits until `count` calls have come.
    bool waitForCalls(size_t count)
    {
        std::unique_lock<std::mutex> hold(mutex_);
        return came_.wait_for(hold, std::chrono::seconds(5), [&] { return calls_.size() >= count; });
    }

private:
    int note(const std::string& call)
    {
        std::lock_guard<std::mutex> hold(mutex_);
        calls_.push_back(call);
        came_.notify_all();
        return 0;
    }
    std::mutex mutex_;
    std::condition_variable came_;
    std::vector<std::string> calls_;
    bool locked_ = false;
    uint16_t streamId_ = 0;
    bool patGiven_ = true;
};

}  // namespace

TEST(DvbSingleCable, TheWorkerSaysTheCommandOnceMoreWatchesTheStreamAndFreesTheBandAtRelease)
{
    HelperFiles files = helperFiles("");
    FrontendLog log;
    std::string error;
    ASSERT_TRUE(openFrontendLog(log, files.log, &error)) << error;
    CableDevice device;
    {
        FrontendWorker worker(device, &log);
        worker.useSingleCable(through("en50494,1,1210"));
        ASSERT_TRUE(worker.open(5000).ok);
        const WorkerOutcome tuned = worker.tune(programTuning(11778, 1), 5000);
        ASSERT_TRUE(tuned.ok) << tuned.reason;
        const std::vector<std::string> start{"tone off", "voltage 18", "diseqc E0 10 5A 04 F7", "voltage 13",
                                             "tune if_khz=1210000 symbol_rate=27500000 system=DVB-S2"};
        EXPECT_EQ(start, device.calls());
        // No lock in the first attempt's time: the command once more, then the next attempt.
        ASSERT_TRUE(device.waitForCalls(start.size() + 4));
        std::vector<std::string> calls = device.calls();
        EXPECT_EQ((std::vector<std::string>{"voltage 18", "diseqc E0 10 5A 04 F7", "voltage 13",
                                            "tune if_khz=1210000 symbol_rate=27500000 system=DVB-S"}),
                  std::vector<std::string>(calls.begin() + 5, calls.begin() + 9));
        // Only once: the next attempts go out bare.
        ASSERT_TRUE(device.waitForCalls(start.size() + 5));
        EXPECT_EQ("tune if_khz=1210000 symbol_rate=27500000 system=DVB-S2 modulation=QPSK", device.calls()[9]);

        // Locked, the stream's id changes under the tune: another receiver took the band.
        device.setLocked(true);
        device.sendPat(0x0441);
        for (int i = 0; i < 100 && worker.latest().network.state == NetworkNotLocked; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ("", worker.latest().userBandNote);
        device.sendPat(0x0441);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ("", worker.latest().userBandNote) << "the same stream again";
        device.sendPat(0x03F2);
        for (int i = 0; i < 100 && worker.latest().userBandNote.empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ("another receiver uses user band 1", worker.latest().userBandNote);
        // A new tune forgets it.
        ASSERT_TRUE(worker.tune(programTuning(11778, 1), 5000).ok);
        EXPECT_EQ("", worker.latest().userBandNote);

        const size_t before = device.calls().size();
        worker.release();
        ASSERT_TRUE(device.waitForCalls(before + 6));
        calls = device.calls();
        EXPECT_EQ((std::vector<std::string>{"tone off", "voltage 18", "diseqc E0 10 5A 00 00", "voltage 13",
                                            "voltage off", "close"}),
                  std::vector<std::string>(calls.begin() + static_cast<long>(before), calls.end()));
        ASSERT_TRUE(worker.stop(5000));
    }
    closeFrontendLog(log);
    // The log says the same, and names the other receiver.
    bool named = false;
    for (const std::string& line : fileLines(files.log)) named = named || line == "another receiver uses user band 1";
    EXPECT_TRUE(named);
    EXPECT_EQ("voltage off", fileLines(files.log).back());
}

TEST(DvbSingleCable, TheHelpersOptionsTakeTheSettingWhereATuneGoesAndRefuseItElsewhere)
{
    const auto parse = [](std::vector<const char*> arguments, HelperOptions* options, std::string* error) {
        arguments.insert(arguments.begin(), "azimora-dvb");
        return parseHelperOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
    };
    HelperOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--status", "--tune", "11778V27500", "--scr", "en50494,1,1210,0"}, &options, &error)) << error;
    EXPECT_TRUE(options.hasSingleCable);
    EXPECT_EQ(0, options.singleCable.pin);
    for (std::vector<const char*> fine :
         std::vector<std::vector<const char*>>{{"--survey", "13.0E", "--scr=en50607,12,1680"},
                                               {"--sweep", "--scr", "en50494,2,1420"},
                                               {"--sweep", "--scr-find", "--step", "4"},
                                               {"--listen", "0", "--scr", "en50494,1,1210"}})
        EXPECT_TRUE(parse(fine, &options, &error)) << fine[0] << " " << error;
    const struct {
        std::vector<const char*> arguments;
        const char* says;
    } refused[] = {
        {{"--status", "--tune", "11778V27500", "--scr", "en50494,9,1210"}, "--scr: user band 9 is not 1-8"},
        {{"--server", "h:1", "--scr", "en50494,1,1210"}, "dvbv5-daemon cannot carry"},
        {{"--status", "--scr", "en50494,1,1210"}, "--scr goes with --status --tune"},
        {{"--scr-find"}, "--scr-find goes with --sweep"},
        {{"--sweep", "--scr-find", "--band", "high"}, "leave out --band"},
        {{"--sweep", "--scr-find", "--switch", "A"}, "leave out --switch"},
        {{"--point", "19.2E", "--site", "1,2", "--scr", "en50494,1,1210"}, "not with --scr"},
    };
    for (const auto& each : refused) {
        error.clear();
        EXPECT_FALSE(parse(each.arguments, &options, &error)) << each.says;
        EXPECT_NE(std::string::npos, error.find(each.says)) << error;
    }
}

namespace {

struct PortForCable : FrontendPort {
    std::string refusal, note;
    bool open(std::string*) override { return true; }
    bool tune(const CardTuning&, std::string*) override { return true; }
    bool measure(SignalReading*) override { return false; }
    NetworkReport network() override { return NetworkReport(); }
    std::string singleCableRefusal() override { return refusal; }
    std::string userBandNote() override { return note; }
};

std::string answer(Session& session, FrontendPort& frontend, const std::string& line)
{
    return formatReply(handleLine(session, ReadLine{false, line}, frontend));
}

}  // namespace

TEST(DvbSingleCable, TheLineProtocolCarriesTheSettingAndTheUserBandsStateAndAnOlderHelperStopsEveryTune)
{
    // The card's request, as the helper reads it back.
    SingleCableSetting setting;
    std::string reason;
    ASSERT_TRUE(parseSingleCable("en50494,1,1210,77", &setting, &reason));
    EXPECT_EQ("SingleCable en50494,1,1210,77", formatRequest(singleCableRequest(setting)));

    Session session;
    PortForCable frontend;
    EXPECT_EQ("fail not initialized", answer(session, frontend, "SingleCable en50494,1,1210"));
    EXPECT_EQ("ok", answer(session, frontend, "Initialize"));
    EXPECT_EQ("ok user band none", answer(session, frontend, "QueryUserBand"));
    EXPECT_EQ("fail user band 9 is not 1-8 for EN 50494", answer(session, frontend, "SingleCable en50494,9,1210"));
    EXPECT_EQ("fail malformed request", answer(session, frontend, "SingleCable"));
    EXPECT_FALSE(session.singleCable);
    frontend.refusal = "no device steps here";
    EXPECT_EQ("fail no device steps here", answer(session, frontend, "SingleCable en50494,1,1210"));
    frontend.refusal.clear();
    EXPECT_EQ("ok", answer(session, frontend, "SingleCable en50607,17,1680,0"));
    EXPECT_TRUE(session.singleCable);
    EXPECT_EQ(0, session.singleCableSetting.pin);
    EXPECT_EQ("ok user band 17 own", answer(session, frontend, "QueryUserBand"));
    frontend.note = "another receiver uses user band 17";
    EXPECT_EQ("ok user band 17 shared", answer(session, frontend, "QueryUserBand"));

    // The card reads exactly these words.
    UserBandAnswer read;
    for (const char* words : {"user band none", "user band 3 own", "user band 32 shared"}) {
        ASSERT_TRUE(parseUserBandAnswer(words, &read)) << words;
        EXPECT_EQ(words, userBandAnswerText(read));
    }
    for (const char* words : {"user band 0 own", "user band 33 own", "user band 03 own", "user band 3", "user band 3 ",
                              "user band 3 taken", "user band", "band 3 own"})
        EXPECT_FALSE(parseUserBandAnswer(words, &read)) << words;

    // What the card makes of the answers: an older helper never tunes plainly.
    Reply reply;
    ASSERT_TRUE(parseReply("fail malformed request", &reply));
    EXPECT_EQ("azimora-dvb is too old for single cable", singleCableAnswerRefusal(reply));
    ASSERT_TRUE(parseReply("fail single cable needs azimora-dvb at the card", &reply));
    EXPECT_EQ("single cable needs azimora-dvb at the card", singleCableAnswerRefusal(reply));
    EXPECT_EQ("", singleCableAnswerRefusal(okReply()));

    // dvbcard.ini's line, in any of the forms a settings file comes in.
    std::string refusal;
    EXPECT_FALSE(singleCableFromSettings("secret=abcdefgh\r\n", &setting, &refusal));
    ASSERT_TRUE(singleCableFromSettings("\xEF\xBB\xBF; mine\r\nSCR = en50494,2,1420\r\n", &setting, &refusal));
    EXPECT_EQ("", refusal);
    EXPECT_EQ(2, setting.userBand);
    ASSERT_TRUE(singleCableFromSettings("scr=en50494,2,900\n", &setting, &refusal));
    EXPECT_EQ("scr= in dvbcard.ini: user band frequency 900 MHz is not 950-2150", refusal);
}

TEST(DvbSingleCable, ASurveyThroughTheDeviceAsksForItsBandAndPinRatherThanTheToneOr18V)
{
    const auto result = [](int32_t frequencyMHz, int32_t polarization, bool locked) {
        SurveyResult each;
        each.transponder.tuning = programTuning(frequencyMHz, polarization);
        each.entry.locked = locked;
        return each;
    };
    const std::vector<SurveyResult> none{result(10723, 0, false), result(11778, 1, false)};
    EXPECT_EQ(std::vector<std::string>{singleCableNoAnswerText}, surveySentences(none, {130}, true));
    EXPECT_NE(std::vector<std::string>{singleCableNoAnswerText}, surveySentences(none, {130}, false));
    // High band and horizontal failing say nothing of the tone or 18 V through the device.
    const std::vector<SurveyResult> lowOnly{result(10723, 1, true), result(10800, 1, true), result(12100, 0, false),
                                            result(12200, 0, false)};
    EXPECT_EQ(2u, surveySentences(lowOnly, {130}, false).size());
    EXPECT_TRUE(surveySentences(lowOnly, {130}, true).empty());
}

TEST(DvbSingleCable, TheUserBandsFoundOnTheCableAreSaidWithTheSettingToUse)
{
    const SweepPlan plan = cableSweepPlan(4);
    EXPECT_EQ(950, plan.frequenciesMHz.front());
    EXPECT_EQ(2150, plan.frequenciesMHz.back());
    EXPECT_EQ(1210000u, frontendPlanFor(sweepStepTuning(plan, 1210, plan.symbolRate)).intermediateKHz)
        << "a step of the cable is what the tuner is given";
    EXPECT_EQ("950-2150 MHz on the cable", sweepTitle(plan));

    SweepResult result;
    for (int32_t band : {1680, 1210, 2040, 1420}) {
        SweepPeak peak;
        peak.frequencyMHz = band;
        result.peaks.push_back(peak);
    }
    const std::vector<int32_t> bands = userBandsFound(result);
    EXPECT_EQ((std::vector<int32_t>{1210, 1420, 1680, 2040}), bands);
    EXPECT_EQ("user band: 1210 MHz\nuser band: 1420 MHz\nuser band: 1680 MHz\nuser band: 2040 MHz\n"
              "suggested: scr=en50494,1,1210 (user band 1 counted from the lowest; the device's label numbers them)\n",
              userBandReport(bands, SingleCableUse()));
    EXPECT_NE(std::string::npos,
              userBandReport(bands, through("en50494,3,1300,9")).find("suggested: scr=en50494,3,1680,9 "));
    EXPECT_NE(std::string::npos, userBandReport(bands, through("en50494,8,1300")).find("scr=en50494,1,1210 "));
    EXPECT_EQ(0u, userBandReport({}, SingleCableUse()).find("no user band found"));
}

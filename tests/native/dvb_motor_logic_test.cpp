// The motorised dish's decisions on the Linux bridge, without a process:
// the line protocol's Motor words, strict both ways, and the helper's
// session taking them; dvbcard.dll's motor (dvbcard.ini's settings, a
// catalogue satellite's start turning the dish first and held until the
// motor's arrival, the phone's requests, an older helper's refusal); the
// order a command of azimora-dvb goes out in, and the time it waits.
#include <gtest/gtest.h>

#include "cardbase/catalogue_lines.h"
#include "dvb/card/dvb_motor.h"
#include "dvb/helper/frontend/tuning_sequence.h"
#include "dvb/helper/motor/motor_order.h"
#include "dvb/helper/motor/motor_sequence.h"
#include "dvb/protocol/motor_words.h"
#include "dvb/protocol/session.h"

namespace {

const DishSite london{51.5, -0.13};

MotorCommand bytes(std::initializer_list<uint8_t> list)
{
    MotorCommand command;
    for (uint8_t each : list) command.bytes[command.length++] = each;
    return command;
}

struct MotorFrontend : FrontendPort {
    std::vector<std::string> sent;  // each command's words as the line protocol carries them
    int tunes = 0;
    std::string refusal;
    bool open(std::string*) override { return true; }
    bool tune(const CardTuning&, std::string*) override { return ++tunes > 0; }
    bool measure(SignalReading* reading) override
    {
        *reading = SignalReading{true, 50, 9.0f};
        return true;
    }
    NetworkReport network() override { return NetworkReport(); }
    bool motor(const MotorCommand& command, uint32_t travelMs, std::string* reason) override
    {
        if (!refusal.empty()) *reason = refusal;
        else sent.push_back(motorRequestWords(command, travelMs));
        return refusal.empty();
    }
};

std::string handle(Session& session, FrontendPort& frontend, const std::string& line)
{
    Request request;
    if (!parseRequest(line, &request)) return "unread";
    return formatReply(handleRequest(session, request, frontend));
}

const char catalogue[] = "[Astra1B1H,2C   19.2e]=12515h22000;\r\n"
                         "[HotBird1-6   13.0e]=10723h29900;\r\n"
                         "[Twin A   30.0w]=11000h27500;\r\n"
                         "[Twin B   31.0w]=11000h27500;\r\n";

CardTuning transponder(int32_t frequencyMHz, int32_t polarization, int32_t symbolRate)
{
    CardTuning tuning;
    std::string entry;
    EXPECT_TRUE(tuningOfTransponder(frequencyMHz, polarization, symbolRate, &tuning, &entry));
    return tuning;
}

// The helper as the card's motor sees it: each request kept, answered "ok" or as told.
struct FakeLink {
    std::vector<std::string> requests;
    std::vector<std::string> cardLines;
    std::string failReason;  // "" answers ok
    DvbMotorLink link()
    {
        DvbMotorLink made;
        made.exchange = [this](const Request& request, Reply* reply) {
            requests.push_back(formatRequest(request));
            *reply = failReason.empty() ? okReply() : failReply(failReason);
            return true;
        };
        made.cardLine = [this](const std::string& words) { cardLines.push_back(words); };
        return made;
    }
};

DvbMotor usalsMotorAtLondon()
{
    DvbMotor motor;
    motor.motor.settings = dvbMotorSettings("motor=usals\r\nmotor-speed=2\r\nsite=51.5,-0.13\r\n");
    EXPECT_EQ(UsalsMotor, motor.motor.settings.kind);
    EXPECT_EQ("", motor.motor.settings.problem);
    return motor;
}

}  // namespace

TEST(DvbMotorWords, TheRequestReadsBackAsWrittenAndNothingLooser)
{
    const MotorCommand gotoX = bytes({0xE0, 0x31, 0x6E, 0xE1, 0x55});
    EXPECT_EQ("command=E0316EE155 travel=15500", motorRequestWords(gotoX, 15500));
    EXPECT_EQ("Motor command=E0316EE155 travel=15500", formatRequest(motorRequest(gotoX, 15500)));
    Request request;
    ASSERT_TRUE(parseRequest("Motor command=E03160 travel=0", &request));
    EXPECT_EQ(RequestMotor, request.kind);
    MotorCommand read;
    uint32_t travel = 1;
    std::string reason;
    ASSERT_TRUE(parseMotorRequestWords(request.words, &read, &travel, &reason)) << reason;
    EXPECT_EQ("E0 31 60", motorCommandText(read));
    EXPECT_EQ(0u, travel);
    ASSERT_TRUE(parseMotorRequestWords("command=E0316EE155 travel=600000", &read, &travel, &reason)) << reason;
    EXPECT_EQ(600000u, travel);

    const struct {
        const char* words;
        const char* reason;
    } refused[] = {
        {"command=E031 travel=0", "a positioner's command is 3 to 6 bytes"},
        {"command=E0316EE15500AA travel=0", "a positioner's command is 3 to 6 bytes"},
        {"command=E0316 travel=0", "a positioner's command is 3 to 6 bytes"},
        {"command=e03160 travel=0", "a command's bytes are two capital hexadecimal digits each"},
        {"command=E031G0 travel=0", "a command's bytes are two capital hexadecimal digits each"},
        {"command=E03160 travel=600001", "the travel is 0 to 600000 ms"},
        {"command=E03160 travel=-1", "the travel is 0 to 600000 ms"},
        {"command=E03160 travel=01", "the travel is 0 to 600000 ms"},
        {"command=E03160 travel=5 more", "the travel is 0 to 600000 ms"},
        {"command=E03160", "expected command=HEX travel=MS"},
        {"travel=5 command=E03160", "expected command=HEX travel=MS"},
    };
    for (const auto& each : refused) {
        EXPECT_FALSE(parseMotorRequestWords(each.words, &read, &travel, &reason)) << each.words;
        EXPECT_EQ(each.reason, reason) << each.words;
    }
    EXPECT_FALSE(parseRequest("Motor", &request));

    EXPECT_EQ("", motorAnswerRefusal(okReply()));
    EXPECT_EQ("this azimora-dvb is too old to turn a motor", motorAnswerRefusal(failReply("malformed request")));
    EXPECT_EQ(remoteMotorRefusal, motorAnswerRefusal(failReply(remoteMotorRefusal)));
}

TEST(DvbMotorWords, TheSessionSendsTheCommandAfterInitializeAndForgetsItsTuning)
{
    Session session;
    MotorFrontend frontend;
    EXPECT_EQ("fail not initialized", handle(session, frontend, "Motor command=E03160 travel=0"));
    EXPECT_TRUE(frontend.sent.empty());
    EXPECT_EQ("ok", handle(session, frontend, "Initialize"));
    EXPECT_EQ("fail the travel is 0 to 600000 ms", handle(session, frontend, "Motor command=E03160 travel=700000"));
    EXPECT_TRUE(frontend.sent.empty());

    // A start, then the motor: the next start sends all six again before it tunes.
    for (const char* line : {"SetLnbSelection 1", "SetLnbFrequency 10600", "SetPolarity 0", "SetSymbolRate 22000",
                             "SetTransponderFrequency 12515", "SetDiseqc 0"})
        EXPECT_EQ("ok", handle(session, frontend, line)) << line;
    EXPECT_EQ(1, frontend.tunes);
    EXPECT_EQ("ok", handle(session, frontend, "Motor command=E0316EE155 travel=15500"));
    ASSERT_EQ(1u, frontend.sent.size());
    EXPECT_EQ("command=E0316EE155 travel=15500", frontend.sent[0]);
    EXPECT_EQ("fail not tuned", handle(session, frontend, "QuerySignalStatus"));
    EXPECT_EQ("ok", handle(session, frontend, "SetDiseqc 0"));
    EXPECT_EQ(1, frontend.tunes) << "one value is no start";

    frontend.refusal = remoteMotorRefusal;
    EXPECT_EQ(std::string("fail ") + remoteMotorRefusal, handle(session, frontend, "Motor command=E03160 travel=0"));
}

TEST(DvbCardMotor, ACatalogueSatellitesStartTurnsTheDishFirstAndWaitsForTheArrival)
{
    DvbMotor motor = usalsMotorAtLondon();
    FakeLink helper;
    const std::vector<CatalogueLine> lines = catalogueLines(catalogue);
    const CardTuning astra = transponder(12515, 0, 22000);
    ASSERT_TRUE(dvbMotorTurnsFirst(motor, lines, astra, 1000, helper.link()));
    ASSERT_EQ(1u, helper.requests.size());
    // 21.3° from the meridian at 2°/s, with the start and the stop.
    EXPECT_EQ("Motor command=E0316EE155 travel=11145", helper.requests[0]);
    ASSERT_EQ(1u, helper.cardLines.size());
    EXPECT_EQ(0u, helper.cardLines[0].find("turning the dish to ")) << helper.cardLines[0];

    bool startNow = true;
    CardTuning start;
    EXPECT_TRUE(dvbMotorHolds(motor, 1000 + 11000, helper.link(), &startNow, &start));
    EXPECT_FALSE(startNow);
    EXPECT_FALSE(dvbMotorHolds(motor, 1000 + 11200, helper.link(), &startNow, &start));
    ASSERT_TRUE(startNow);
    EXPECT_EQ("at 19.2\xC2\xB0 E (21.3\xC2\xB0 east)", helper.cardLines.back());
    EXPECT_EQ(12515, start.frequencyMHz);
    EXPECT_EQ(22000, start.symbolRate);
    EXPECT_FALSE(dvbMotorHolds(motor, 1000 + 11300, helper.link(), &startNow, &start));
    EXPECT_FALSE(startNow) << "the start goes out once";

    // Its six calls in the program's order, the completing one last.
    const std::vector<StartCall> calls = startCalls(start);
    ASSERT_EQ(6u, calls.size());
    EXPECT_EQ(RequestSetLnbSelection, calls[0].kind);
    EXPECT_EQ(RequestSetDiseqc, calls[5].kind);
    CardTuning replayed;
    for (size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(i == 5, recordSetCall(replayed, calls[i].call, calls[i].value)) << i;
    EXPECT_EQ(start.frequencyMHz, replayed.frequencyMHz);
    EXPECT_EQ(start.lnbFrequencyMHz, replayed.lnbFrequencyMHz);

    // A transponder no catalogue line lists, or two list, goes out at once.
    helper.requests.clear();
    EXPECT_FALSE(dvbMotorTurnsFirst(motor, lines, transponder(11778, 1, 27500), 20000, helper.link()));
    EXPECT_FALSE(dvbMotorTurnsFirst(motor, lines, transponder(11000, 0, 27500), 20000, helper.link()));
    EXPECT_TRUE(helper.requests.empty());
    EXPECT_FALSE(dvbMotorHolds(motor, 20000, helper.link(), &startNow, &start));
}

TEST(DvbCardMotor, RefusalsLeaveTheStartWhereTheDishStands)
{
    const std::vector<CatalogueLine> lines = catalogueLines(catalogue);
    const CardTuning astra = transponder(12515, 0, 22000);
    bool startNow = false;
    CardTuning start;

    // An older helper: the card says so, and nothing waits.
    DvbMotor motor = usalsMotorAtLondon();
    FakeLink older;
    older.failReason = "malformed request";
    EXPECT_FALSE(dvbMotorTurnsFirst(motor, lines, astra, 0, older.link()));
    ASSERT_EQ(1u, older.cardLines.size());
    EXPECT_EQ("this azimora-dvb is too old to turn a motor", older.cardLines[0]);
    EXPECT_FALSE(dvbMotorHolds(motor, 100, older.link(), &startNow, &start));

    // Beyond the motor's limit: said, nothing sent.
    motor.motor.settings = dvbMotorSettings("motor=usals\r\nmotor-limit=15\r\nsite=51.5,-0.13\r\n");
    FakeLink helper;
    EXPECT_FALSE(dvbMotorTurnsFirst(motor, lines, astra, 0, helper.link()));
    EXPECT_TRUE(helper.requests.empty());
    ASSERT_EQ(1u, helper.cardLines.size());
    EXPECT_NE(std::string::npos, helper.cardLines[0].find("beyond the motor's limit of 15°")) << helper.cardLines[0];

    // No motor line: nothing at all; a setting that does not read is said.
    motor.motor.settings = dvbMotorSettings("scr=\r\n");
    EXPECT_EQ(NoMotor, motor.motor.settings.kind);
    EXPECT_FALSE(dvbMotorTurnsFirst(motor, lines, astra, 0, helper.link()));
    EXPECT_EQ(1u, helper.cardLines.size());
    EXPECT_NE("", dvbMotorSettings("motor=usals\r\nmotor-speed=99\r\n").problem);
}

TEST(DvbCardMotor, ThePhonesRequestsGoToTheHelperWithTheirWords)
{
    DvbMotor motor = usalsMotorAtLondon();
    FakeLink helper;
    MotorRequest gotoHotBird;
    gotoHotBird.kind = MotorGotoSatellite;
    gotoHotBird.longitudeDeg = 13.0;
    gotoHotBird.name = "HotBird1-6";
    const std::string words = dvbMotorRequest(motor, gotoHotBird, 0, helper.link());
    EXPECT_EQ(0u, words.find("turning the dish to HotBird1-6 13.0° E")) << words;
    ASSERT_EQ(1u, helper.requests.size());
    EXPECT_EQ(0u, helper.requests[0].find("Motor command=E0316EE0E8 travel=")) << helper.requests[0];
    EXPECT_EQ(std::vector<std::string>{words}, helper.cardLines);
    bool startNow = false;
    CardTuning start;
    EXPECT_FALSE(dvbMotorHolds(motor, 0, helper.link(), &startNow, &start))
        << "a move of the page's holds no measurement";

    MotorRequest steps;
    steps.kind = MotorDriveSteps;
    steps.side = MotorWest;
    steps.steps = 3;
    EXPECT_EQ("driving the dish 3 steps west", dvbMotorRequest(motor, steps, 20000, helper.link()));
    EXPECT_EQ(0u, helper.requests[1].find("Motor command=E03169FD travel=")) << helper.requests[1];

    helper.failReason = remoteMotorRefusal;
    EXPECT_EQ(remoteMotorRefusal, dvbMotorRequest(motor, MotorRequest(), 30000, helper.link()));

    DvbMotor none;
    FakeLink untouched;
    EXPECT_EQ("no motor is set (motor=usals or motor=diseqc12)",
              dvbMotorRequest(none, MotorRequest(), 0, untouched.link()));
    EXPECT_TRUE(untouched.requests.empty());
}

TEST(DvbMotorOrder, ACommandGoesOutAfterTheToneOffAnd18VWithTheTimeToArrive)
{
    MotorOptions options;
    options.action = ActionGoto;
    options.actionName = "--goto";
    options.satellite = "Astra1B1H,2C";
    MotorOrder order = motorOrderFor(options, true, london, catalogueLines(catalogue));
    ASSERT_EQ("", order.refusal);
    EXPECT_EQ("E0 31 6E E1 55", motorCommandText(order.command));
    EXPECT_EQ(0u, order.words.find("turning the dish to Astra1B1H,2C 19.2\xC2\xB0 E (21.3\xC2\xB0 east), there in "))
        << order.words;
    // 21.3° from the meridian at the default 1.5°/s, with the start and the stop.
    EXPECT_NEAR(14700, order.travelMs, 300);
    EXPECT_TRUE(order.tuneAfter);
    EXPECT_EQ("12515H22000", order.entry);

    options.satellite = "30.0W";
    options.speedDegPerS = 20.0;
    order = motorOrderFor(options, true, london, catalogueLines(catalogue));
    EXPECT_EQ("E0 31 6E D2 0D", motorCommandText(order.command));
    EXPECT_NEAR(2140, order.travelMs, 100);
    EXPECT_TRUE(order.tuneAfter) << "the satellite at that position";
    EXPECT_EQ("11000H27500", order.entry);
    options.satellite = "45.0W";
    EXPECT_FALSE(motorOrderFor(options, true, london, catalogueLines(catalogue)).tuneAfter) << "none there";

    MotorOptions store;
    store.action = ActionStore;
    EXPECT_NE("", motorOrderFor(store, false, london, {}).refusal) << "no position 0 to store in";

    const std::vector<SequenceStep> steps = motorSequenceSteps(motorSteps(order.travelMs, false), order.command);
    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(StepTone, steps[0].kind);
    EXPECT_EQ(StepSupply, steps[1].kind);
    EXPECT_EQ(Voltage18, steps[1].voltage);
    EXPECT_EQ(StepSwitchCommand, steps.back().kind);
    EXPECT_EQ(5, steps.back().commandLength);
    size_t commands = 0;
    for (const SequenceStep& step : steps) commands += step.kind == StepSwitchCommand;
    EXPECT_EQ(1u, commands);
}

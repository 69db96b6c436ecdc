// azimora-dvb on the real kernel's DVB core, driven from outside the guest
// through its protocol: vidtv's frontend as --status sees it, list and
// typed starts in both bands and in C band, with and without switch
// letters, lock and no lock, values it refuses, vidtv's network as the
// stream names it (through QueryNetwork and --status --tune in the guest),
// what the link margin rests on (QueryModcod, and --status --tune with and
// without --modcod),
// and the end of the helper.
// The figures each start gives are printed as "figure: ..." lines for the
// stage's summary. GuestFrontend.* runs before the program's own run
// through the same helper, GuestEnd.* after it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

#include "tests/kernel/guest_link.h"
#include "tuner/tuning_plan.h"

namespace {

static const char* const callNames[] = {"SetLnbSelection", "SetLnbFrequency",         "SetPolarity",
                                        "SetSymbolRate",   "SetTransponderFrequency", "SetDiseqc"};

static bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A connection that has given the guest helper its secret and opened the frontend.
static void openFrontend(GuestConnection& connection)
{
    ASSERT_TRUE(connectToGuest(connection)) << guestSetting("AZM_GUEST_HELPER");
    ASSERT_EQ("ok", ask(connection, "secret " + guestSetting("AZM_GUEST_SECRET")));
    ASSERT_EQ("ok", ask(connection, "Initialize"));
    ASSERT_EQ("ok", ask(connection, "SetFec 6"));
}

// Ends the connection and waits until the helper has let the frontend go,
// so that the next connection is not turned away as a second program.
static void letGo(GuestConnection& connection)
{
    disconnect(connection);
    for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        const std::vector<std::string> log = guestLog();
        if (log.empty() || log.back() == "voltage off") return;
    }
}

// One measurement start as the program makes it; the reply to its last call.
static std::string start(GuestConnection& connection, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate,
                         int32_t diseqc)
{
    TuningParameters parameters;
    parameters.frequencyMHz = frequencyMHz;
    parameters.polarization = polarization;
    parameters.symbolRate = symbolRate;
    parameters.diseqcCode = diseqc;
    TuningStep steps[tuningStepCount];
    planTuning(parameters, steps);
    std::string reply;
    for (const TuningStep& step : steps)
        reply = ask(connection, std::string(callNames[step.call]) + " " + std::to_string(step.argument));
    return reply;
}

// The frontend log from the line after `before` lines on.
static std::vector<std::string> logSince(size_t before)
{
    const std::vector<std::string> log = guestLog();
    return before < log.size() ? std::vector<std::string>(log.begin() + static_cast<long>(before), log.end())
                               : std::vector<std::string>();
}

TEST(GuestFrontend, StatusBeforeAnyTuneGivesVidtvsRangeInMegahertz)
{
    const std::string status = guestCommand("status");
    EXPECT_TRUE(contains(status, "name: Dummy demod for DVB-T/T2/C/S/S2\n")) << status;
    EXPECT_TRUE(contains(status, "delivery systems: DVB-T DVB-T2 DVB-C DVB-S DVB-S2\n")) << status;
    // vidtv starts set to DVB-T, and the kernel then gives the range in Hz.
    EXPECT_TRUE(contains(status, "frequency range: 51 - 2150 MHz\n")) << status;
    EXPECT_TRUE(contains(status, "symbol rate range: 1000 - 45000 kS/s\n")) << status;
    EXPECT_TRUE(contains(status, "lock: no\n")) << status;
    EXPECT_TRUE(contains(status, "statistics: v5")) << status;
    EXPECT_TRUE(contains(status, "exit 0")) << status;
}

TEST(GuestFrontend, TheHelperServesThePortBeyondItsLoopbackOnlyWithTheSharedSecret)
{
    const std::string served = guestCommand("serve " + guestSetting("AZM_GUEST_SECRET"));
    ASSERT_TRUE(contains(served, "azimora-dvb: serving adapter 0 frontend 0 (Dummy demod for DVB-T/T2/C/S/S2) on "
                                 "0.0.0.0:47474 (shared secret required)"))
        << served;
    // This host is outside the guest's loopback: no secret, no frontend.
    GuestConnection stranger;
    ASSERT_TRUE(connectToGuest(stranger));
    EXPECT_EQ("fail this helper wants its shared secret first", ask(stranger, "Initialize"));
    ASSERT_TRUE(connectToGuest(stranger));
    EXPECT_EQ("fail wrong secret", ask(stranger, "secret not-the-secret"));
    disconnect(stranger);
    GuestConnection connection;
    openFrontend(connection);
    // The helper has the frontend: --status finds it busy.
    const std::string status = guestCommand("status");
    EXPECT_TRUE(contains(status, "is busy: another program has it open")) << status;
    EXPECT_TRUE(contains(status, "exit 4")) << status;
    letGo(connection);
}

struct Start {
    const char* name;
    int32_t frequencyMHz;
    int32_t polarization;
    int32_t symbolRate;
    int32_t diseqc;
    std::vector<std::string> sent;  // the log's lines, lock included
};

TEST(GuestFrontend, EveryStartLocksWhereVidtvCarriesATransponder)
{
    const Start starts[] = {
        {"list 11362 H 27500 (low band)",
         11362,
         0,
         27500,
         0,
         {"voltage 18", "tone off", "tune if_khz=1612000 symbol_rate=27500000 system=DVB-S2", "lock"}},
        {"list 3840 V 27500 (C band)",
         3840,
         1,
         27500,
         0,
         {"voltage 13", "tone off", "tune if_khz=1310000 symbol_rate=27500000 system=DVB-S2", "lock"}},
        {"list 11720 H 27500 (250 kHz beside vidtv's)",
         11720,
         0,
         27500,
         0,
         {"voltage 18", "tone on", "tune if_khz=1120000 symbol_rate=27500000 system=DVB-S2", "lock"}},
        {"typed 12245V27500AB (high band)",
         12245,
         1,
         27500,
         5,
         {"voltage 13", "tone off", "diseqc E0 10 38 F9", "diseqc E0 10 38 F9", "tone on",
          "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2", "lock"}},
        {"typed 12515H27500A (tone burst A)",
         12515,
         0,
         27500,
         1,
         {"voltage 18", "tone off", "diseqc E0 10 38 F3", "diseqc E0 10 38 F3", "burst A", "tone on",
          "tune if_khz=1915000 symbol_rate=27500000 system=DVB-S2", "lock"}},
        {"typed 11362V22000B (tone burst B)",
         11362,
         1,
         22000,
         2,
         {"voltage 13", "tone off", "diseqc E0 10 38 F4", "diseqc E0 10 38 F4", "burst B", "tone off",
          "tune if_khz=1612000 symbol_rate=22000000 system=DVB-S2", "lock"}},
    };
    GuestConnection connection;
    openFrontend(connection);
    for (const Start& each : starts) {
        const size_t before = guestLog().size();
        const uint64_t began = nowMs();
        ASSERT_EQ("ok", start(connection, each.frequencyMHz, each.polarization, each.symbolRate, each.diseqc))
            << each.name;
        std::string status;
        while (status != "ok" && nowMs() - began < 10000) status = ask(connection, "QuerySignalStatus");
        const uint64_t lockMs = nowMs() - began;
        ASSERT_EQ("ok", status) << each.name;
        // About a second of readings.
        int lowestQuality = 100, highestQuality = 0;
        double lowestSnr = 1e9, highestSnr = -1e9;
        for (int i = 0; i < 10; ++i) {
            if (ask(connection, "QuerySignalStatus") != "ok") continue;
            // vidtv's C/N is a v5 one in dB, measured at each status read: the reading says so itself.
            EXPECT_EQ("ok unit decibel refresh 100", ask(connection, "RefreshSignalReadings")) << each.name;
            const int quality = std::atoi(ask(connection, "GetSignalQuality").c_str() + 3);
            const double snr = std::atoi(ask(connection, "GetSignalNoiseRatio").c_str() + 3) / 1000.0;
            lowestQuality = std::min(lowestQuality, quality);
            highestQuality = std::max(highestQuality, quality);
            lowestSnr = std::min(lowestSnr, snr);
            highestSnr = std::max(highestSnr, snr);
        }
        std::printf("figure: %s: lock %llu ms after the start, quality %d-%d %%, s/n %.2f-%.2f dB\n", each.name,
                    static_cast<unsigned long long>(lockMs), lowestQuality, highestQuality, lowestSnr, highestSnr);
        // The kernel tunes on its own thread: the first reading may come before it.
        std::vector<std::string> log = logSince(before), sent = each.sent;
        ASSERT_FALSE(log.empty()) << each.name;
        EXPECT_EQ("lock", log.back()) << each.name;
        const auto lockLine = [](const std::string& line) { return line == "lock" || line == "nolock"; };
        log.erase(std::remove_if(log.begin(), log.end(), lockLine), log.end());
        sent.erase(std::remove_if(sent.begin(), sent.end(), lockLine), sent.end());
        EXPECT_EQ(sent, log) << each.name;
        if (each.frequencyMHz == 11720) {
            // vidtv lowers the C/N with the distance from its transponder.
            EXPECT_LT(highestSnr, 12.0);
            EXPECT_GT(lowestSnr, 9.0);
            EXPECT_LT(highestQuality, 70);
        } else {
            EXPECT_GT(lowestSnr, 30.0) << each.name;
            EXPECT_EQ(99, lowestQuality) << each.name;
        }
    }
    letGo(connection);
}

TEST(GuestFrontend, AFrequencyFarFromAnyTransponderDoesNotLockAndTheSystemsTakeTurns)
{
    GuestConnection connection;
    openFrontend(connection);
    const size_t before = guestLog().size();
    ASSERT_EQ("ok", start(connection, 11500, 0, 27500, 0));
    const uint64_t began = nowMs();
    int unlocked = 0;
    while (nowMs() - began < 3000)
        if (ask(connection, "QuerySignalStatus") == "fail no lock") ++unlocked;
    EXPECT_GE(unlocked, 20);
    std::vector<std::string> tunes;
    for (const std::string& line : logSince(before))
        if (line.compare(0, 5, "tune ") == 0 && std::find(tunes.begin(), tunes.end(), line) == tunes.end())
            tunes.push_back(line);
    EXPECT_EQ((std::vector<std::string>{"tune if_khz=1750000 symbol_rate=27500000 system=DVB-S2",
                                        "tune if_khz=1750000 symbol_rate=27500000 system=DVB-S",
                                        "tune if_khz=1750000 symbol_rate=27500000 system=DVB-S2 modulation=QPSK",
                                        "tune if_khz=1750000 symbol_rate=27500000 system=DVB-S2 modulation=8PSK"}),
              tunes);
    std::printf("figure: list 11500 H 27500 (no transponder): no lock in 3 s, %d readings, %zu systems tried\n",
                unlocked, tunes.size());
    letGo(connection);
}

TEST(GuestFrontend, ValuesOutsideTheFrontendsRangesAreRefusedBeforeAnythingReachesIt)
{
    GuestConnection connection;
    openFrontend(connection);
    const size_t before = guestLog().size();
    EXPECT_EQ("fail refused: the frontend tunes 51000 - 2150000 kHz", start(connection, 4201, 1, 27500, 5));
    EXPECT_EQ("fail refused: the frontend takes symbol rates 1000000 - 45000000", start(connection, 12245, 0, 500, 0));
    EXPECT_EQ("fail not tuned", ask(connection, "QuerySignalStatus"));
    EXPECT_EQ(
        (std::vector<std::string>{
            "refused tune if_khz=5549000 symbol_rate=27500000: the frontend tunes 51000 - 2150000 kHz",
            "refused tune if_khz=1645000 symbol_rate=500000: the frontend takes symbol rates 1000000 - 45000000"}),
        logSince(before));
    letGo(connection);
}

TEST(GuestFrontend, TheStreamNamesVidtvsNetworkAndLeavesThePositionUnknown)
{
    GuestConnection connection;
    openFrontend(connection);
    ASSERT_EQ("ok", start(connection, 11362, 0, 27500, 0));
    // Status and network asked in turn: when each first answered, from the start.
    const uint64_t began = nowMs();
    uint64_t lockMs = 0, knownMs = 0;
    std::string network;
    while (knownMs == 0 && nowMs() - began < 17000) {
        if (lockMs == 0 && ask(connection, "QuerySignalStatus") == "ok") lockMs = nowMs() - began;
        network = ask(connection, "QueryNetwork");
        if (network != "ok network reading" && network != "ok network unlocked") knownMs = nowMs() - began;
    }
    if (lockMs == 0) lockMs = knownMs;  // the lock came with the reading that had the network
    // vidtv's NIT has a name and no satellite delivery system descriptor:
    // the network, at a position unknown, never a wrong one.
    EXPECT_EQ("ok network known 0xff44 - unknown LinuxTV.org", network);
    // vidtv has no get_frontend: the kernel gives back what the tune set,
    // which is no word of the tuner's, and the network gives none either.
    const std::string modcod = ask(connection, "QueryModcod");
    EXPECT_EQ(0u, modcod.find("ok modcod decibel echo ")) << modcod;
    EXPECT_NE("ok modcod decibel echo reading", modcod);
    std::printf("figure: list 11362 H 27500: QueryModcod says \"%s\"\n", modcod.c_str());
    std::printf("figure: list 11362 H 27500: lock %llu ms and the network's word %llu ms after the start (%s)\n",
                static_cast<unsigned long long>(lockMs), static_cast<unsigned long long>(knownMs), network.c_str());
    letGo(connection);
}

TEST(GuestFrontend, StatusWithTuneInTheGuestPrintsTheNetworkOrEndsWithNoLock)
{
    const uint64_t began = nowMs();
    const std::string tuned = guestCommand("status --tune 11362H27500");
    const uint64_t tookMs = nowMs() - began;
    EXPECT_TRUE(contains(tuned, "tuned: 11362H27500\nlock: yes\n")) << tuned;
    EXPECT_TRUE(contains(tuned, "quality: 99 %\nnetwork: LinuxTV.org (0xff44)\nposition: unknown\n"
                                "modulation: unknown (the tuner gives back only what it was asked; "))
        << tuned;
    // vidtv gives back the frequency asked: the LNB's error is not known from it.
    EXPECT_TRUE(contains(tuned, "margin: unknown (modulation and code rate unknown)\nlnb error: unknown (the driver "
                                "does not give back the frequency it found)\nexit 0"))
        << tuned;
    // The user's word gives the margin on vidtv's C/N.
    const std::string withModcod = guestCommand("status --tune 11362H27500 --modcod S-QPSK-3/4");
    EXPECT_TRUE(contains(withModcod, "modulation: DVB-S QPSK 3/4 (user)\nmargin: +")) << withModcod;
    EXPECT_TRUE(contains(withModcod, " dB (good)\nlnb error: ")) << withModcod;
    const size_t marginAt = withModcod.find("margin: ");
    std::printf("figure: --status --tune 11362H27500 --modcod S-QPSK-3/4 on vidtv: %s\n",
                withModcod.substr(marginAt, withModcod.find('\n', marginAt) - marginAt).c_str());
    const std::string with8psk = guestCommand("status --tune 11362H27500 --modcod S2-8PSK-3/4");
    const size_t margin8pskAt = with8psk.find("margin: ");
    EXPECT_NE(std::string::npos, margin8pskAt) << with8psk;
    if (margin8pskAt != std::string::npos)
        std::printf("figure: --status --tune 11362H27500 --modcod S2-8PSK-3/4 on vidtv: %s\n",
                    with8psk.substr(margin8pskAt, with8psk.find('\n', margin8pskAt) - margin8pskAt).c_str());
    std::printf("figure: --status --tune 11362H27500 in the guest: lock and network in %llu ms, the command's run\n",
                static_cast<unsigned long long>(tookMs));
    const std::string unlocked = guestCommand("status --tune 11500H27500");
    EXPECT_TRUE(contains(unlocked, "lock: no\n")) << unlocked;
    EXPECT_TRUE(contains(unlocked, "no network information\nposition: unknown\n")) << unlocked;
    EXPECT_TRUE(contains(unlocked, "azimora-dvb: no lock on 11500H27500 within 2.2 s\nexit 9")) << unlocked;
    const std::string malformed = guestCommand("status --tune 11500X27500");
    EXPECT_TRUE(contains(malformed, "exit 2")) << malformed;
}

TEST(GuestEnd, AHangUpEndsTheHelperWithTheLnbOffAndTheFrontendFree)
{
    {
        GuestConnection connection;
        openFrontend(connection);
        ASSERT_EQ("ok", start(connection, 12245, 0, 27500, 0));
        const std::string ended = guestCommand("signal HUP");
        EXPECT_TRUE(contains(ended, "exit 0")) << ended;
    }
    const std::vector<std::string> log = guestLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{"tone off", "voltage off"}),
              std::vector<std::string>(log.end() - 2, log.end()));
    // Set to a satellite system since, the kernel gives the range in kHz: the same range.
    const std::string status = guestCommand("status");
    EXPECT_TRUE(contains(status, "frequency range: 51 - 2150 MHz\n")) << status;
    EXPECT_TRUE(contains(status, "exit 0")) << status;
}

}  // namespace

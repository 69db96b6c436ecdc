// The level before the lock: how it travels (the helper's QueryLevel
// answer, the phone page's JSON) and how a Linux frontend's is judged, by
// the table of known drivers and by watching it across retunes.
#include <gtest/gtest.h>

#include "cardbase/phone/phone_level.h"
#include "dvb/helper/frontend/level_watch.h"
#include "dvb/protocol/level_answer.h"

TEST(LevelAnswer, EveryKindOfLevelTravelsAndComesBackAsItWas)
{
    SignalLevel live;
    live.state = LevelLive;
    live.value = -45.217;
    EXPECT_EQ("level live dbm -45217", levelAnswerText(live));
    SignalLevel refreshed;
    refreshed.state = LevelRefreshed;
    refreshed.unit = LevelPercent;
    refreshed.value = 37.0;
    refreshed.ageMs = 1250;
    refreshed.refreshMs = 2000;
    refreshed.present = 1;
    EXPECT_EQ("level refreshed percent 37000 age 1250 refresh 2000 present yes", levelAnswerText(refreshed));
    SignalLevel none;
    none.state = LevelNoneBeforeLock;
    none.value = -60.0;  // no value goes with it
    EXPECT_EQ("level none-before-lock", levelAnswerText(none));
    SignalLevel frozen;
    frozen.state = LevelFrozen;
    frozen.present = 0;
    EXPECT_EQ("level frozen present no", levelAnswerText(frozen));
    // A stretch the driver reads as one value, a driver's bound, a tuner's gain.
    SignalLevel stretch = live;
    stretch.value = -69.0;
    stretch.ranged = true;
    stretch.rangeTo = -60.0;
    EXPECT_EQ("level live dbm -69000 to -60000", levelAnswerText(stretch));
    SignalLevel bounded = live;
    bounded.value = -30.0;
    bounded.bound = LevelOrMore;
    EXPECT_EQ("level live dbm -30000 or-more", levelAnswerText(bounded));
    SignalLevel gain = refreshed;
    gain.unit = LevelGain;
    gain.value = -45.0;
    gain.bound = LevelOrLess;
    EXPECT_EQ("level refreshed gain -45000 or-less age 1250 refresh 2000 present yes", levelAnswerText(gain));
    for (const SignalLevel& level : {live, refreshed, none, frozen, SignalLevel(), stretch, bounded, gain}) {
        SignalLevel back;
        ASSERT_TRUE(parseLevelAnswer(levelAnswerText(level), &back)) << levelAnswerText(level);
        EXPECT_EQ(levelAnswerText(level), levelAnswerText(back));
        EXPECT_EQ(level.present, back.present);
    }
    SignalLevel back;
    ASSERT_TRUE(parseLevelAnswer("level live dbm 0", &back));
    EXPECT_DOUBLE_EQ(0.0, back.value);
    for (const char* wrong : {"",
                              "level",
                              "level lively",
                              "level live",
                              "level live dbm",
                              "level live watts -45",
                              "level live dbm -0",
                              "level live dbm 045",
                              "level live dbm 4.5",
                              "level live dbm -45 age",
                              "level live dbm -45 age 0",
                              "level live dbm -45 age -3",
                              "level live dbm -45 present maybe",
                              "level live dbm -45 extra",
                              "level  live dbm -45",
                              "level frozen dbm -45",
                              "network live",
                              "level live dbm -45 to",
                              "level live dbm -45 to x",
                              "level live dbm -45 or-most",
                              "level live dbm -45 or-less or-more",
                              "level none-before-lock or-less"})
        EXPECT_FALSE(parseLevelAnswer(wrong, &back)) << wrong;
}

TEST(LevelAnswer, ThePhonePageGetsTheLevelAsJson)
{
    SignalLevel level;
    level.state = LevelRefreshed;
    level.value = -51.234;
    level.ageMs = 800;
    level.refreshMs = 2000;
    EXPECT_EQ("{\"state\":\"refreshed\",\"unit\":\"dBm\",\"value\":-51.23,\"to\":null,\"bound\":null,\"ageMs\":800,"
              "\"refreshMs\":2000,\"present\":null}",
              levelJson(level));
    level.bound = LevelOrLess;
    level.ranged = true;
    level.rangeTo = -40.0;
    EXPECT_NE(std::string::npos, levelJson(level).find("\"value\":-51.23,\"to\":-40.00,\"bound\":\"or less\","));
    level.state = LevelNoneBeforeLock;
    level.present = 0;
    EXPECT_EQ("{\"state\":\"none-before-lock\",\"unit\":null,\"value\":null,\"to\":null,\"bound\":null,\"ageMs\":800,"
              "\"refreshMs\":2000,\"present\":false}",
              levelJson(level));
    level.bound = LevelExact;
    level.ranged = false;
    level.state = LevelLive;
    level.unit = LevelPercent;
    level.value = 12.0;
    level.present = 1;
    EXPECT_NE(std::string::npos, levelJson(level).find("\"unit\":\"%\",\"value\":12.00"));
    EXPECT_NE(std::string::npos, levelJson(level).find("\"present\":true"));
    level.unit = LevelGain;
    EXPECT_NE(std::string::npos, levelJson(level).find("\"unit\":\"dB gain\","));
}

namespace {

RawFigures strength(FigureScale scale, int64_t value, bool locked = false)
{
    RawFigures raw;
    raw.locked = locked;
    raw.strengthScale = scale;
    raw.strength = value;
    return raw;
}

}  // namespace

TEST(LevelWatch, EachKnownDriverGivesItsLevelAsItsSourceSays)
{
    // stv090x reads its AGC whatever the lock: live, in dBm.
    LevelWatch stv090x;
    levelWatchOpened(stv090x, "STV090x Multistandard");
    SignalLevel level = levelOfReading(stv090x, strength(ScaleDecibel, -48250), 1000);
    EXPECT_EQ(LevelLive, level.state);
    EXPECT_EQ(LevelDbm, level.unit);
    EXPECT_DOUBLE_EQ(-48.25, level.value);
    EXPECT_EQ(0u, level.refreshMs);
    EXPECT_EQ(LevelWithoutLock, frontendLevelTraitsFor("MaxLinear MxL5xx DVB-S/S2 tuner-demodulator").source);

    // The ts2020 tuner of DS3000 and M88DS3103 boards measures every 2 s: its age is said.
    LevelWatch ds3000;
    levelWatchOpened(ds3000, "Montage Technology DS3000");
    level = levelOfReading(ds3000, strength(ScaleDecibel, -60000), 1000);
    EXPECT_EQ(LevelRefreshed, level.state);
    EXPECT_EQ(2000u, level.refreshMs);
    EXPECT_EQ(0u, level.ageMs);
    EXPECT_EQ(700u, levelOfReading(ds3000, strength(ScaleDecibel, -60000), 1700).ageMs);
    EXPECT_EQ(2000u, levelOfReading(ds3000, strength(ScaleDecibel, -60000), 9000).ageMs);  // measured again, same
    EXPECT_EQ(0u, levelOfReading(ds3000, strength(ScaleDecibel, -59000), 9100).ageMs);
    EXPECT_EQ(LevelRefreshedEvery, frontendLevelTraitsFor("Montage Technology M88DS3103B").source);

    // stv0910 gives none until its demodulator finds a carrier, whatever the statistics say.
    LevelWatch stv0910;
    levelWatchOpened(stv0910, "STV0910");
    EXPECT_EQ(LevelNoneBeforeLock, levelOfReading(stv0910, strength(ScaleDecibel, -50000), 0).state);
    EXPECT_EQ(LevelLive, levelOfReading(stv0910, strength(ScaleDecibel, -50000, true), 100).state);

    // Any driver without a strength before the lock: none before the lock;
    // a relative strength is a percentage of its scale.
    LevelWatch other;
    levelWatchOpened(other, "Some other demodulator");
    EXPECT_EQ(LevelAsReported, other.traits.source);
    EXPECT_EQ(LevelNoneBeforeLock, levelOfReading(other, strength(ScaleNone, 0), 0).state);
    EXPECT_EQ(LevelUnknown, levelOfReading(other, strength(ScaleNone, 0, true), 0).state);
    level = levelOfReading(other, strength(ScaleRelative, 32768), 0);
    EXPECT_EQ(LevelPercent, level.unit);
    EXPECT_DOUBLE_EQ(50.0, level.value);
}

TEST(LevelWatch, AValueThatStaysExactlyTheSameAcrossARetuneIsNoLevel)
{
    LevelWatch watch;
    levelWatchOpened(watch, "Out-of-tree demodulator");
    EXPECT_EQ(LevelLive, levelOfReading(watch, strength(ScaleDecibel, -52125), 0).state);
    levelWatchRetuned(watch, 1000);
    // Not yet: a tuner takes its time to settle and measure.
    EXPECT_EQ(LevelLive, levelOfReading(watch, strength(ScaleDecibel, -52125), 1000 + frozenLevelAfterMs - 1).state);
    EXPECT_EQ(LevelFrozen, levelOfReading(watch, strength(ScaleDecibel, -52125), 1000 + frozenLevelAfterMs).state);
    EXPECT_EQ(LevelFrozen, levelOfReading(watch, strength(ScaleDecibel, -52125), 9000).state);
    // It moves: a level again.
    EXPECT_EQ(LevelLive, levelOfReading(watch, strength(ScaleDecibel, -52000), 9100).state);
    // A value that moves after the retune is a level all along.
    levelWatchRetuned(watch, 10000);
    levelOfReading(watch, strength(ScaleDecibel, -47000), 10200);
    EXPECT_EQ(LevelLive, levelOfReading(watch, strength(ScaleDecibel, -47000), 20000).state);
    // A tuner refreshing every 2 s is given that much longer.
    LevelWatch slow;
    levelWatchOpened(slow, "DS3000");
    levelOfReading(slow, strength(ScaleDecibel, -60000), 0);
    levelWatchRetuned(slow, 100);
    EXPECT_EQ(LevelRefreshed, levelOfReading(slow, strength(ScaleDecibel, -60000), 100 + frozenLevelAfterMs).state);
    EXPECT_EQ(LevelFrozen, levelOfReading(slow, strength(ScaleDecibel, -60000), 2100 + frozenLevelAfterMs).state);
    // The bottom of a relative scale is a level: nothing there, wherever tuned.
    LevelWatch bottom;
    levelWatchOpened(bottom, "Some other demodulator");
    levelOfReading(bottom, strength(ScaleRelative, 0), 0);
    levelWatchRetuned(bottom, 10);
    EXPECT_EQ(LevelLive, levelOfReading(bottom, strength(ScaleRelative, 0), 5000).state);
    // Opened again, it starts over.
    levelWatchOpened(watch, "Out-of-tree demodulator");
    EXPECT_FALSE(watch.frozen);
}

// Finding the system of a transponder on drivers that lock DVB-S2 only with
// its own modulation, and remembering it per transponder.
#include <gtest/gtest.h>

#include "bda/bda_search.h"

static CardTuning transponder(int32_t frequencyMHz, int32_t diseqcCode = 0)
{
    CardTuning tuning;
    tuning.frequencyMHz = frequencyMHz;
    tuning.polarization = 0;
    tuning.symbolRate = 27500;
    tuning.diseqcCode = diseqcCode;
    return tuning;
}

TEST(BdaSearch, TheWaitForLockFitsTheSymbolRate)
{
    EXPECT_EQ(500u, lockWaitMs(45000));
    EXPECT_EQ(500u, lockWaitMs(27500));
    EXPECT_EQ(500u, lockWaitMs(16000));
    EXPECT_EQ(1000u, lockWaitMs(8000));
    EXPECT_EQ(2000u, lockWaitMs(4000));
    EXPECT_EQ(4000u, lockWaitMs(2000));
    EXPECT_EQ(4000u, lockWaitMs(1000));
    EXPECT_EQ(4000u, lockWaitMs(0));
    EXPECT_EQ(4000u, lockWaitMs(-5));
}

TEST(BdaSearch, EachSystemInTurnUntilOneLocks)
{
    ModulationSearch search = startModulationSearch(defaultModulationOrder(), bdaModulationNotSet, 27500, 1000);
    EXPECT_EQ(bdaModulationQpsk, currentModulation(search));
    EXPECT_FALSE(modulationSearchMovesOn(search, false, 1100));
    EXPECT_FALSE(modulationSearchMovesOn(search, false, 1499));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 1500));
    EXPECT_EQ(bdaModulationNbcQpsk, currentModulation(search));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 2000));
    EXPECT_EQ(bdaModulationNbc8psk, currentModulation(search));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 2500));
    EXPECT_EQ(bdaModulationQpsk, currentModulation(search));  // round again: the dish may not point yet

    // Locked: it stays, and keeps its turn longer once the lock goes.
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 3000));
    EXPECT_FALSE(modulationSearchMovesOn(search, true, 3200));
    EXPECT_FALSE(modulationSearchMovesOn(search, true, 9000));
    EXPECT_FALSE(modulationSearchMovesOn(search, false, 9100));
    EXPECT_FALSE(modulationSearchMovesOn(search, false, 10499));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 10500));
    EXPECT_EQ(bdaModulationNbc8psk, currentModulation(search));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 11000));  // the others their usual turn
}

TEST(BdaSearch, TheClockMayWrap)
{
    ModulationSearch search = startModulationSearch(defaultModulationOrder(), bdaModulationNotSet, 27500, 0xFFFFFF00u);
    EXPECT_FALSE(modulationSearchMovesOn(search, false, 0x00000010u));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 0x00000200u));
}

TEST(BdaSearch, WhatLockedIsRememberedPerTransponderAndTriedFirst)
{
    ModulationMemory memory;
    EXPECT_EQ(bdaModulationNotSet, rememberedModulation(memory, transponder(12245)));
    rememberModulation(memory, transponder(12245), bdaModulationNbc8psk);
    rememberModulation(memory, transponder(11720, 5), bdaModulationNbcQpsk);
    EXPECT_EQ(bdaModulationNbc8psk, rememberedModulation(memory, transponder(12245)));
    EXPECT_EQ(bdaModulationNbcQpsk, rememberedModulation(memory, transponder(11720, 5)));
    EXPECT_EQ(bdaModulationNotSet, rememberedModulation(memory, transponder(11720, 6)));  // another dish
    EXPECT_EQ(bdaModulationNbcQpsk, rememberedModulation(memory, transponder(11720, 5)));
    rememberModulation(memory, transponder(12245), bdaModulationQpsk);
    EXPECT_EQ(bdaModulationQpsk, rememberedModulation(memory, transponder(12245)));
    // "A" and "AA" are the same port.
    rememberModulation(memory, transponder(10714, 1), bdaModulationNbcQpsk);
    EXPECT_EQ(bdaModulationNbcQpsk, rememberedModulation(memory, transponder(10714, 3)));

    // A full memory gives up its oldest transponder first.
    for (int i = 0; i < modulationMemorySize; ++i)
        rememberModulation(memory, transponder(11000 + i), bdaModulationQpsk);
    EXPECT_EQ(bdaModulationNotSet, rememberedModulation(memory, transponder(12245)));
    EXPECT_EQ(bdaModulationQpsk, rememberedModulation(memory, transponder(11000 + modulationMemorySize - 1)));

    ModulationSearch search = startModulationSearch(defaultModulationOrder(), bdaModulationNbc8psk, 27500, 0);
    EXPECT_EQ(bdaModulationNbc8psk, currentModulation(search));
    EXPECT_FALSE(modulationSearchMovesOn(search, false, 1000));  // the longer turn of what locked
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 1500));
    EXPECT_EQ(bdaModulationQpsk, currentModulation(search));
}

TEST(BdaSearch, AFixedModulationIsNeverLeftAndRefusalsAreSkipped)
{
    ModulationOrder fixed{};
    fixed.values[0] = bdaModulationNbcQpsk;
    fixed.count = 1;
    ModulationSearch search = startModulationSearch(fixed, bdaModulationQpsk, 2000, 0);
    EXPECT_EQ(bdaModulationNbcQpsk, currentModulation(search));
    EXPECT_FALSE(modulationSearchMovesOn(search, false, 60000));

    search = startModulationSearch(defaultModulationOrder(), bdaModulationNotSet, 27500, 0);
    EXPECT_TRUE(modulationRefused(search, 10));  // a driver without DVB-S2 ...
    EXPECT_EQ(bdaModulationNbcQpsk, currentModulation(search));
    EXPECT_TRUE(modulationRefused(search, 20));
    EXPECT_EQ(bdaModulationNbc8psk, currentModulation(search));
    EXPECT_FALSE(modulationSearchMovesOn(search, false, 600));  // the one left stays
    EXPECT_EQ(bdaModulationNbc8psk, currentModulation(search));
    EXPECT_TRUE(modulationRefused(search, 700));  // plain 8PSK in its place
    EXPECT_EQ(bdaModulation8psk, currentModulation(search));
    EXPECT_FALSE(modulationRefused(search, 800));  // nothing left

    // An empty order is the default one.
    EXPECT_EQ(bdaModulationQpsk, currentModulation(startModulationSearch(ModulationOrder{}, -1, 27500, 0)));
}

// A driver that knows DVB-S2 8PSK only as BDA_MOD_8PSK refuses NBC 8PSK:
// plain 8PSK takes its turn then, and only then.
TEST(BdaSearch, PlainEightPskStandsInForARefusedNbcEightPsk)
{
    ModulationSearch search = startModulationSearch(defaultModulationOrder(), bdaModulationNotSet, 27500, 0);
    ASSERT_EQ(4, search.order.count);
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 500));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 1000));
    EXPECT_EQ(bdaModulationNbc8psk, currentModulation(search));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 1500));
    EXPECT_EQ(bdaModulationQpsk, currentModulation(search));  // not yet: nothing was refused
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 2000));
    EXPECT_TRUE(modulationRefused(search, 2100));  // NBC QPSK
    EXPECT_EQ(bdaModulationNbc8psk, currentModulation(search));
    EXPECT_TRUE(modulationRefused(search, 2200));
    EXPECT_EQ(bdaModulation8psk, currentModulation(search));
    // From then on the round is QPSK and 8PSK.
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 2700));
    EXPECT_EQ(bdaModulationQpsk, currentModulation(search));
    EXPECT_TRUE(modulationSearchMovesOn(search, false, 3200));
    EXPECT_EQ(bdaModulation8psk, currentModulation(search));

    // What locked with the stand-in is tried first the next time.
    search = startModulationSearch(defaultModulationOrder(), bdaModulation8psk, 27500, 0);
    EXPECT_EQ(bdaModulation8psk, currentModulation(search));

    // The settings' own order gets the stand-in right after NBC 8PSK, unless
    // it names 8PSK itself or has no room left.
    ModulationOrder named{{bdaModulationNbc8psk, bdaModulationQpsk}, 2};
    search = startModulationSearch(named, bdaModulationNotSet, 27500, 0);
    ASSERT_EQ(3, search.order.count);
    EXPECT_EQ(bdaModulation8psk, search.order.values[1]);
    EXPECT_EQ(bdaModulationQpsk, search.order.values[2]);
    ModulationOrder both{{bdaModulationNbc8psk, bdaModulation8psk}, 2};
    EXPECT_EQ(2, startModulationSearch(both, bdaModulationNotSet, 27500, 0).order.count);
    ModulationOrder full{{20, 21, 22, 23, 24, 29, 30, bdaModulationNbc8psk}, maxModulations};
    search = startModulationSearch(full, bdaModulationNotSet, 27500, 0);
    EXPECT_EQ(maxModulations, search.order.count);
    EXPECT_EQ(bdaModulationNbc8psk, search.order.values[maxModulations - 1]);
}

// Pilots and roll-off named by the settings go with DVB-S2 requests only.
TEST(BdaSearch, PilotsAndRollOffGoWithDvbS2Only)
{
    SignalShape named;
    named.pilot = bdaPilotOn;
    named.rollOff = bdaRollOff35;
    for (int32_t dvbs2 :
         {bdaModulationNbcQpsk, bdaModulationNbc8psk, bdaModulation8psk, bdaModulation16apsk, bdaModulation32apsk}) {
        EXPECT_TRUE(isDvbS2Modulation(dvbs2)) << dvbs2;
        EXPECT_EQ(bdaPilotOn, signalShapeFor(dvbs2, named).pilot) << dvbs2;
        EXPECT_EQ(bdaRollOff35, signalShapeFor(dvbs2, named).rollOff) << dvbs2;
    }
    for (int32_t other : {bdaModulationQpsk, bdaModulationNotSet, 21, 23}) {
        EXPECT_FALSE(isDvbS2Modulation(other)) << other;
        EXPECT_EQ(bdaPilotNotSet, signalShapeFor(other, named).pilot) << other;
        EXPECT_EQ(bdaRollOffNotSet, signalShapeFor(other, named).rollOff) << other;
    }
    EXPECT_EQ(bdaPilotNotSet, signalShapeFor(bdaModulationNbc8psk, SignalShape()).pilot);
}

// What a BDA demodulator node says it locked, as the link margin takes it:
// BDA's modulation and code rate numbers, and what a node that only keeps
// what the tune request put gives back.
#include <gtest/gtest.h>

#include "bda/bda_modcod.h"
#include "bda/bda_search.h"

namespace {

// BinaryConvolutionCodeRate's numbers.
constexpr int32_t rate1_2 = 1, rate2_3 = 2, rate3_4 = 3, rate3_5 = 4, rate5_11 = 7, rate7_8 = 8, rate9_10 = 14;

TEST(BdaModcod, ADemodulatorThatReportsWhatItLockedGivesTheTunersWord)
{
    ModcodWord word = bdaModcodWord(bdaModulationNbc8psk, rate3_4, bdaModulationNbc8psk);
    ASSERT_TRUE(word.known);
    EXPECT_EQ("S2-8PSK-3/4", modcodText(word.modcod));
    EXPECT_EQ("S2-QPSK-3/5", modcodText(bdaModcodWord(bdaModulationNbcQpsk, rate3_5, bdaModulationQpsk).modcod));
    EXPECT_EQ("S-QPSK-7/8", modcodText(bdaModcodWord(bdaModulationQpsk, rate7_8, bdaModulationNbcQpsk).modcod));
    EXPECT_EQ("S2-8PSK-9/10", modcodText(bdaModcodWord(27, rate9_10, bdaModulationNbc8psk).modcod));  // BDA_MOD_8PSK
    EXPECT_EQ("S2-32APSK-3/4", modcodText(bdaModcodWord(30, rate3_4, bdaModulationNbc8psk).modcod));
}

TEST(BdaModcod, WhatTheTuneRequestPutIsNoWordNorIsAnUnsetOrForeignValue)
{
    // The request puts the modulation and leaves the code rate unset: a node that keeps it gives that back.
    for (int32_t put : {bdaModulationQpsk, bdaModulationNbcQpsk, bdaModulationNbc8psk})
        EXPECT_EQ(GapEcho, bdaModcodWord(put, bdaCodeRateNotSet, put).gap) << put;
    EXPECT_EQ(GapAutomatic, bdaModcodWord(bdaModulationNbc8psk, bdaCodeRateNotSet, bdaModulationQpsk).gap);
    EXPECT_EQ(GapAutomatic, bdaModcodWord(bdaModulationNotSet, rate3_4, bdaModulationQpsk).gap);
    EXPECT_EQ(GapAutomatic, bdaModcodWord(0, rate3_4, bdaModulationQpsk).gap);  // BDA_MOD_NOT_DEFINED
    EXPECT_EQ(GapTunerOutside, bdaModcodWord(bdaModulationNbc8psk, rate5_11, bdaModulationQpsk).gap);
    EXPECT_EQ(GapTunerOutside, bdaModcodWord(3, rate3_4, bdaModulationQpsk).gap);  // 64QAM
    EXPECT_EQ(GapTunerOutside, bdaModcodWord(bdaModulationNbc8psk, rate1_2, bdaModulationQpsk).gap);
    EXPECT_EQ(GapTunerOutside, bdaModcodWord(bdaModulationQpsk, rate3_5, bdaModulationNbc8psk).gap);  // DVB-S 3/5
    EXPECT_EQ(GapTunerOutside, bdaModcodWord(bdaModulationQpsk, 99, bdaModulationNbc8psk).gap);
    EXPECT_TRUE(bdaModcodWord(bdaModulationQpsk, rate2_3, bdaModulationQpsk).known);  // the code rate was not put
}

}  // namespace

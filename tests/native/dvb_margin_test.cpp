// The link margin through azimora-dvb: the kernel's read-back taken as the
// tuner's word only when definite and not what the tune set, QueryModcod's
// words both ways, and the real helper on simulated frontends with and
// without a read-back, with a relative C/N, with the network's descriptor
// of its own entry or another's, and --status --tune with --modcod.
#include <chrono>
#include <gtest/gtest.h>
#include <linux/dvb/frontend.h>
#include <thread>

#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/locked_modcod.h"
#include "dvb/protocol/modcod_answer.h"
#include "tests/native/dvb_helper_process.h"

namespace {

static bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(DvbLockedModcod, OnlyADefiniteReadBackThatIsNotWhatTheTuneSetIsTheTunersWord)
{
    // What the bridge sets: the attempt's system and modulation, the code rate automatic.
    const KernelModcod automatic{SYS_DVBS2, QAM_AUTO, FEC_AUTO};
    const KernelModcod dvbs{SYS_DVBS, QPSK, FEC_AUTO};
    const KernelModcod psk8{SYS_DVBS2, PSK_8, FEC_AUTO};

    ModcodWord word = lockedModcodWord(KernelModcod{SYS_DVBS2, PSK_8, FEC_3_4}, automatic);
    ASSERT_TRUE(word.known);
    EXPECT_EQ("S2-8PSK-3/4", modcodText(word.modcod));
    EXPECT_EQ("S-QPSK-7/8", modcodText(lockedModcodWord(KernelModcod{SYS_DVBS, QPSK, FEC_7_8}, dvbs).modcod));
    // DVB-S is QPSK whatever the driver leaves in the modulation.
    EXPECT_EQ("S-QPSK-5/6", modcodText(lockedModcodWord(KernelModcod{SYS_DVBS, QAM_AUTO, FEC_5_6}, psk8).modcod));
    EXPECT_EQ("S2-16APSK-8/9",
              modcodText(lockedModcodWord(KernelModcod{SYS_DVBS2, APSK_16, FEC_8_9}, automatic).modcod));

    // A driver without a report of its own (vidtv, ds3000): what was set comes back.
    for (const KernelModcod& asked : {automatic, dvbs, psk8}) EXPECT_EQ(GapEcho, lockedModcodWord(asked, asked).gap);
    // Set exactly (a driver that needs the code rate named): the same values back prove nothing.
    const KernelModcod named{SYS_DVBS2, PSK_8, FEC_3_4};
    EXPECT_EQ(GapEcho, lockedModcodWord(named, named).gap);
    EXPECT_EQ(GapAutomatic, lockedModcodWord(KernelModcod{SYS_DVBS2, PSK_8, FEC_AUTO}, automatic).gap);
    EXPECT_EQ(GapAutomatic, lockedModcodWord(KernelModcod{SYS_DVBS2, QAM_AUTO, FEC_3_4}, psk8).gap);
    EXPECT_EQ(GapTunerOutside, lockedModcodWord(KernelModcod{SYS_DVBS2, PSK_8, FEC_NONE}, automatic).gap);
    EXPECT_EQ(GapTunerOutside, lockedModcodWord(KernelModcod{SYS_DVBS2, QAM_64, FEC_3_4}, automatic).gap);
    EXPECT_EQ(GapTunerOutside, lockedModcodWord(KernelModcod{SYS_DVBT, QPSK, FEC_3_4}, automatic).gap);
    EXPECT_EQ(GapTunerOutside, lockedModcodWord(KernelModcod{SYS_DVBS2, PSK_8, FEC_1_2}, automatic).gap);
}

// stv0910 fills in the modulation and code rate it locked but leaves the
// system as asked: what locked tells the system, never the attempt.
TEST(DvbLockedModcod, ADriverThatLeavesTheSystemAsAskedHasItToldByWhatLocked)
{
    const KernelModcod dvbs{SYS_DVBS, QPSK, FEC_AUTO};
    const KernelModcod automatic{SYS_DVBS2, QAM_AUTO, FEC_AUTO};
    // A DVB-S2 8PSK 3/4 signal relocked under the DVB-S attempt is DVB-S2, 1.3 dB more to need.
    EXPECT_EQ("S2-8PSK-3/4", modcodText(lockedModcodWord(KernelModcod{SYS_DVBS, PSK_8, FEC_3_4}, dvbs, false).modcod));
    EXPECT_EQ("S2-QPSK-8/9", modcodText(lockedModcodWord(KernelModcod{SYS_DVBS, QPSK, FEC_8_9}, dvbs, false).modcod));
    EXPECT_EQ("S2-16APSK-3/4",
              modcodText(lockedModcodWord(KernelModcod{SYS_DVBS, APSK_16, FEC_3_4}, dvbs, false).modcod));
    // 7/8 only DVB-S has; a DVB-S lock leaves the modulation as asked.
    EXPECT_EQ("S-QPSK-7/8",
              modcodText(lockedModcodWord(KernelModcod{SYS_DVBS2, QAM_AUTO, FEC_7_8}, automatic, false).modcod));
    // QPSK 3/4 is either system's: no word, rather than DVB-S's lower threshold for a DVB-S2 signal.
    EXPECT_EQ(GapSystemUntold, lockedModcodWord(KernelModcod{SYS_DVBS, QPSK, FEC_3_4}, dvbs, false).gap);
    EXPECT_EQ(GapSystemUntold, lockedModcodWord(KernelModcod{SYS_DVBS2, QPSK, FEC_3_4}, automatic, false).gap);
    EXPECT_EQ(static_cast<uint32_t>(SYS_UNDEFINED), systemOfLocked(KernelModcod{SYS_DVBS2, QPSK, FEC_1_2}));
    const FrontendTraits stv0910 = frontendTraitsFor("ST STV0910");
    EXPECT_TRUE(hasTrait(stv0910, TraitSystemNotReadBack));
    EXPECT_TRUE(readsBackWorthAsking(stv0910));
}

// The table of known frontends says whose driver reads back what it locked:
// the others give back what was set and are not asked; an unknown one is.
TEST(DvbLockedModcod, TheTableOfKnownFrontendsSaysWhoseDriverIsWorthAsking)
{
    EXPECT_TRUE(readsBackWorthAsking(frontendTraitsFor("Montage Technology M88DS3103")));
    EXPECT_TRUE(readsBackWorthAsking(frontendTraitsFor("Conexant CX24117/CX24132")));
    EXPECT_FALSE(readsBackWorthAsking(frontendTraitsFor("Montage Technology DS3000")));
    EXPECT_FALSE(readsBackWorthAsking(frontendTraitsFor("STV090x Multistandard")));
    EXPECT_FALSE(readsBackWorthAsking(frontendTraitsFor("Dummy demod for DVB-T/T2/C/S/S2")));
    EXPECT_TRUE(readsBackWorthAsking(frontendTraitsFor("Simulated DVB-S/S2 frontend")));
}

TEST(DvbModcodAnswer, EveryWordTravelsAndNothingElseIsTaken)
{
    ModcodAnswer answer;
    EXPECT_EQ("modcod unlocked", modcodAnswerText(answer));
    answer.locked = answer.carrierToNoiseInDecibels = true;
    answer.tuner = knownWord(Modcod{ModDvbS2, Mod8psk, 3, 4});
    answer.network = missingWord(GapNoDescriptor);
    EXPECT_EQ("modcod decibel S2-8PSK-3/4 no-descriptor", modcodAnswerText(answer));
    const ModcodGap tunerGaps[] = {GapNotAsked, GapNotReported, GapAutomatic, GapEcho, GapTunerOutside};
    const ModcodGap networkGaps[] = {GapNetworkReading, GapNoNetworkTable,  GapNoOwnEntry,
                                     GapNoDescriptor,   GapDescriptorVague, GapNetworkOutside};
    for (ModcodGap tunerGap : tunerGaps) {
        for (ModcodGap networkGap : networkGaps) {
            ModcodAnswer sent;
            sent.locked = true;
            sent.tuner = missingWord(tunerGap);
            sent.network = missingWord(networkGap);
            ModcodAnswer back;
            ASSERT_TRUE(parseModcodAnswer(modcodAnswerText(sent), &back)) << modcodAnswerText(sent);
            EXPECT_EQ(tunerGap, back.tuner.gap);
            EXPECT_EQ(networkGap, back.network.gap);
            EXPECT_FALSE(back.carrierToNoiseInDecibels);
        }
    }
    ModcodAnswer back;
    ASSERT_TRUE(parseModcodAnswer("modcod other echo S-QPSK-3/4", &back));
    EXPECT_TRUE(back.locked);
    EXPECT_EQ("S-QPSK-3/4", modcodText(back.network.modcod));
    for (const char* wrong : {"", "modcod", "modcod unlocked ", "modcod decibel echo", "modcod decibel echo none x",
                              "modcod decibel s2-8psk-3/4 none", "modcod decibel none echo", "modcod db echo none",
                              "modcod decibel  echo none", "modcod decibel S2-8PSK-1/2 none", "network unlocked"}) {
        EXPECT_FALSE(parseModcodAnswer(wrong, &back)) << wrong;
    }
}

// QueryModcod's answer once locked and `settled` holds (at most 5 s).
template <typename Settled>
static std::string modcodOf(const std::string& simulation, Settled settled)
{
    return askAfterStart(simulation, "QueryModcod",
                         [&](const std::string& answer) { return answer != "ok modcod unlocked" && settled(answer); });
}

static std::string modcodOf(const std::string& simulation)
{
    return modcodOf(simulation, [](const std::string&) { return true; });
}

static bool networkRead(const std::string& answer) { return !contains(answer, " reading"); }

TEST(DvbMarginHelper, ADriverThatReadsBackGivesTheTunersWordWithItsFirstLock)
{
    // The first locked answer already holds the tuner's word: it is read with the reading that saw the lock.
    EXPECT_EQ("ok modcod decibel S2-8PSK-3/4 reading",
              modcodOf("0 lock 12.4\npersonality reads-back\ntransponder DVB-S2 8PSK 3/4\n"));
    EXPECT_EQ("ok modcod decibel S-QPSK-7/8 reading",
              modcodOf("0 lock 12.4\npersonality reads-back\ntransponder DVB-S 7/8\n"));
    // Without a read-back the kernel gives back what the tune set.
    EXPECT_EQ("ok modcod decibel echo reading", modcodOf("0 lock 12.4\ntransponder DVB-S2 8PSK 3/4\n"));
    // A relative C/N: the word is there, the C/N is no figure in dB.
    EXPECT_EQ("ok modcod other S2-QPSK-2/3 reading",
              modcodOf("0 lock 12.4\npersonality reads-back\ntransponder DVB-S2 QPSK 2/3\nstatistics relative\n"));
    EXPECT_EQ("ok modcod other echo reading", modcodOf("0 lock 12.4\nstatistics legacy-tenths\n"));
    // By name: m88ds3103 is asked and reads back; ds3000, which has no read-back, is not even asked.
    const std::string readsBack = "0 lock 12.4\npersonality reads-back\ntransponder DVB-S2 8PSK 3/4\n";
    EXPECT_EQ("ok modcod decibel S2-8PSK-3/4 reading", modcodOf(readsBack + "name Montage Technology M88DS3103\n"));
    EXPECT_EQ("ok modcod decibel echo reading", modcodOf(readsBack + "name Montage Technology DS3000\n"));
}

TEST(DvbMarginHelper, TheNetworkGivesTheWordOfThisStreamsOwnEntryOnly)
{
    const std::string stream = "0 lock 12.4\nstream 0x0403 1\nnit actual 1 Astra\n";
    EXPECT_EQ("ok modcod decibel echo S2-8PSK-2/3",
              modcodOf(stream + "entry 0x0401 1 19.2E S-QPSK-5/6\nentry 0x0403 1 19.2E S2-8PSK-2/3\n", networkRead));
    // Another stream's descriptor says nothing of this one.
    EXPECT_EQ("ok modcod decibel echo no-descriptor",
              modcodOf(stream + "entry 0x0401 1 19.2E S2-8PSK-2/3\nentry 0x0403 1 none\n", networkRead));
    EXPECT_EQ("ok modcod decibel echo no-entry", modcodOf(stream + "entry 0x0401 1 19.2E S2-8PSK-2/3\n", networkRead));
    // The tuner's word first, the network's beside it.
    EXPECT_EQ("ok modcod decibel S2-8PSK-3/4 S2-8PSK-2/3",
              modcodOf(stream + "personality reads-back\ntransponder DVB-S2 8PSK 3/4\n"
                                "entry 0x0403 1 19.2E S2-8PSK-2/3\n",
                       networkRead));
}

static HelperResult tuned(const std::string& simulation, const std::vector<std::string>& more = {})
{
    const HelperFiles files = helperFiles(simulation);
    std::vector<std::string> arguments = {"--simulate", files.simulation, "--status", "--tune", "11362H27500"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return runHelper(arguments, files);
}

TEST(DvbMarginHelper, StatusWithTunePrintsTheModulationItsSourceAndTheMargin)
{
    // As on vidtv: what was set comes back, and the NIT entry has no descriptor.
    const std::string likeVidtv = "0 lock 34.0\nstream 0x4081 0xff44\nnit actual 0xff44 LinuxTV.org\n"
                                  "entry 0x4081 0xff44 none\n";
    HelperResult result = tuned(likeVidtv);
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output, "position: unknown\nmodulation: unknown (the tuner gives back only what it was "
                                        "asked; this stream's entry has no satellite delivery system descriptor)\n"
                                        "margin: unknown (modulation and code rate unknown)\n"))
        << result.output;
    // The user's word: 34.0 dB against the 6.91 dB DVB-S QPSK 3/4 needs.
    result = tuned(likeVidtv, {"--modcod", "S-QPSK-3/4"});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(contains(result.output, "modulation: DVB-S QPSK 3/4 (user)\nmargin: +27.1 dB (good)\n"))
        << result.output;
    // The tuner's word comes before the user's; 12.4 dB against 8.21 dB.
    result = tuned("0 lock 12.4\npersonality reads-back\ntransponder DVB-S2 8PSK 3/4\n", {"--modcod", "S-QPSK-3/4"});
    EXPECT_TRUE(contains(result.output, "modulation: DVB-S2 8PSK 3/4 (tuner)\nmargin: +4.2 dB (good)\n"))
        << result.output;
    result = tuned("0 lock 8.0\nstream 0x0403 1\nnit actual 1 Astra\nentry 0x0403 1 19.2E S2-8PSK-2/3\n");
    EXPECT_TRUE(contains(result.output, "modulation: DVB-S2 8PSK 2/3 (network)\nmargin: +1.1 dB (marginal)\n"))
        << result.output;
    // A relative C/N gives no margin, whatever is known.
    result = tuned("0 lock 12.4\nstatistics relative\n", {"--modcod", "s2-8psk-3/4"});
    EXPECT_TRUE(contains(result.output, "modulation: DVB-S2 8PSK 3/4 (user)\n"
                                        "margin: unknown (the tuner gives no C/N in dB)\n"))
        << result.output;
    result = tuned("0 nolock\n", {"--modcod", "S-QPSK-3/4"});
    EXPECT_EQ(ExitNoLock, result.exitCode);
    EXPECT_TRUE(contains(result.output, "modulation: unknown (no lock)\nmargin: unknown (no lock)\n")) << result.output;
}

// Known drivers' older figures give a C/N and a margin, said "or more" where
// the driver rounds down or stops at its ceiling, "or less" at its floor;
// cx24116's default scale too is Es/N0 in 0.1 dB.
TEST(DvbMarginHelper, EachKnownDriversOwnScaleGivesItsCarrierToNoiseAndMargin)
{
    // stv0900 at 16 dB: held at its ceiling of 14.1 dB; against DVB-S2 8PSK 3/4's 8.21 dB.
    HelperResult result = tuned("name STV0900 frontend\nstatistics stv0900\n0 lock 16\n", {"--modcod", "S2-8PSK-3/4"});
    EXPECT_TRUE(contains(result.output, "c/n: 14.1 dB or more\n")) << result.output;
    EXPECT_TRUE(contains(result.output, "margin: +5.9 dB or more (good)\n")) << result.output;
    // stv090x at a true 10 dB reads 10 dB, no longer 5.35.
    result = tuned("name STV090x Multistandard\nstatistics stv090x\n0 lock 10\n", {"--modcod", "S2-8PSK-3/4"});
    EXPECT_TRUE(contains(result.output, "c/n: 10.0 dB\n")) << result.output;
    EXPECT_TRUE(contains(result.output, "margin: +1.8 dB (marginal)\n")) << result.output;
    // m88ds3103's 10 log10 of a whole ratio, rounded down: 10 dB for a true 10.3.
    result =
        tuned("name Montage Technology M88DS3103\nstatistics m88ds3103\n0 lock 10.3\n", {"--modcod", "S2-8PSK-3/4"});
    EXPECT_TRUE(contains(result.output, "c/n: 10.0 dB or more\n")) << result.output;
    EXPECT_TRUE(contains(result.output, "margin: +1.8 dB or more (marginal)\n")) << result.output;
    // cx24116 as loaded: Es/N0 through its table, a margin; at its ceiling "or more".
    const std::string cx24116 = "name Conexant CX24116/CX24118\npersonality needs-code-rate\ntransponder DVB-S\n";
    result = tuned(cx24116 + "statistics cx24116\n0 lock 10\n", {"--modcod", "S-QPSK-3/4"});
    EXPECT_TRUE(contains(result.output, "c/n: 10.0 dB\n")) << result.output;
    EXPECT_TRUE(contains(result.output, "margin: +3.1 dB (good)\n")) << result.output;
    // (A network table of its own, so that the network's word comes at once.)
    const std::string network = "stream 1 318\nnit actual 318 Test\nentry 1 318 13.0E\n";
    result = tuned(cx24116 + network + "statistics cx24116\n0 lock 17\n", {"--modcod", "S-QPSK-3/4"});
    EXPECT_TRUE(contains(result.output, "c/n: 16.0 dB or more\n")) << result.output;
    EXPECT_TRUE(contains(result.output, "margin: +9.1 dB or more (good)\n")) << result.output;
    // stb0899's DVB-S table stops at 1.5 dB: a lock below it reads "or less", and so does its margin.
    result =
        tuned(network + "name STB0899 Multistandard\nstatistics stb0899\nsystem strict\ntransponder DVB-S\n0 lock 1\n",
              {"--modcod", "S-QPSK-1/2"});
    EXPECT_TRUE(contains(result.output, "c/n: 1.5 dB or less\n")) << result.output;
    EXPECT_TRUE(contains(result.output, " dB or less (failing)\n")) << result.output;
    result = tuned(cx24116 + "statistics cx24116-esno\n0 lock 10\n", {"--modcod", "S-QPSK-3/4"});
    EXPECT_TRUE(contains(result.output, "c/n: 10.0 dB\n")) << result.output;
    EXPECT_TRUE(contains(result.output, "margin: +3.1 dB (good)\n")) << result.output;
    // stv0910 locked DVB-S2 8PSK 3/4: its read-back says the system too.
    result = tuned("name ST STV0910\npersonality reads-back-modcod\ntransponder DVB-S2 8PSK 3/4\n0 lock 12.4\n");
    EXPECT_TRUE(contains(result.output, "modulation: DVB-S2 8PSK 3/4 (tuner)\nmargin: +4.2 dB (good)\n"))
        << result.output;
}

TEST(DvbMarginHelper, ModcodIsAUsageErrorUnlessItIsARowOfTheTableAndGoesWithTune)
{
    const HelperFiles files = helperFiles("0 lock 10\n");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--status", "--tune", "11362H27500", "--modcod", "S2-8PSK-1/2"},
          std::vector<std::string>{"--status", "--tune", "11362H27500", "--modcod", "8PSK"},
          std::vector<std::string>{"--status", "--modcod", "S2-8PSK-3/4"},
          std::vector<std::string>{"--status", "--tune", "11362H27500", "--modcod"}}) {
        std::vector<std::string> withSimulation = {"--simulate", files.simulation};
        withSimulation.insert(withSimulation.end(), arguments.begin(), arguments.end());
        const HelperResult result = runHelper(withSimulation, files);
        EXPECT_EQ(ExitUsage, result.exitCode) << result.output;
        EXPECT_TRUE(contains(result.output, "--modcod")) << result.output;
    }
    // Plain --status cannot tell a read-back from what another program set.
    const HelperResult status = runHelper({"--simulate", files.simulation, "--status"}, files);
    EXPECT_TRUE(contains(status.output, "modulation: unknown (no lock)\n")) << status.output;
}

}  // namespace

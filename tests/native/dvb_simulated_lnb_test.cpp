// The simulated frontend's installation: an LNB whose tone and supply decide
// which carrier reaches the tuner, each carrier with its own C/N,
// modulation and stream, and the faults an installation has (no tone at the
// LNB, no 18 V, a switch port that leads nowhere) played as they happen, as
// a driver sees them through its ioctl requests; the NIT entries carry the
// transponders' own values.
#include <cstdio>
#include <gtest/gtest.h>
#include <linux/dvb/frontend.h>
#include <linux/ioctl.h>

#include "dvb/simulated/kernel_demux.h"
#include "dvb/simulated/kernel_frontend.h"
#include "tests/native/simulated_tune.h"
#include "tests/native/simulation_text.h"

namespace {

static const char hotBird[] = "lnb 9750 10600\n"
                              "carrier 10719V27500 12 S-QPSK-3/4 stream 1001 318\n"
                              "carrier 11034H27500 9.5 S2-8PSK-2/3 stream 1003 318\n"
                              "carrier 12149V27500 12.5 S2-8PSK-3/4\n"
                              "carrier 12245H29900 3 S2-8PSK-3/4\n";  // too weak for 8PSK 3/4

TEST(DvbSimulatedLnb, TheLinesDescribeTheLnbTheCarriersAndTheFaults)
{
    const Simulation simulation = simulationOf(std::string(hotBird) + "fault no-tone\nfault no-18v\nfault port AB\n"
                                                                      "fault port B\n");
    const SimulatedInstallation& installation = simulation.installation;
    EXPECT_TRUE(installation.present);
    EXPECT_EQ(9750u, installation.lowOscillatorMHz);
    EXPECT_EQ(10600u, installation.highOscillatorMHz);
    ASSERT_EQ(4u, installation.carriers.size());
    const SimulatedCarrier& first = installation.carriers[0];
    EXPECT_EQ(10719u, first.frequencyMHz);
    EXPECT_FALSE(first.horizontal);
    EXPECT_EQ(27500u, first.symbolRate);
    EXPECT_EQ(12000, first.carrierToNoiseMilliDb);
    EXPECT_EQ("S-QPSK-3/4", modcodText(first.modcod));
    EXPECT_TRUE(first.hasStream);
    EXPECT_EQ(1001, first.transportStreamId);
    EXPECT_EQ(318, first.originalNetworkId);
    EXPECT_FALSE(installation.carriers[2].hasStream);
    EXPECT_TRUE(installation.toneLost && installation.eighteenLost);
    EXPECT_EQ(0x06, installation.deadPorts);  // B is port 1, AB port 2
    EXPECT_EQ(5150u, simulationOf("lnb 5150\n").installation.highOscillatorMHz);

    for (const char* wrong : {"lnb\n", "lnb 97500\n", "lnb 9750 10600 11700\n", "carrier 11034H27500\n",
                              "carrier 11034X27500 9\n", "carrier 11034H27500 nine\n", "carrier 11034H27500x 9\n",
                              "carrier 11034H27500 9 S2-8PSK-7/8\n", "carrier 11034H27500 9 stream 1\n", "fault\n",
                              "fault no-22k\n", "fault port C\n", "entry 1 1 13.0E 11034X27500\n"}) {
        Simulation refused;
        std::string error;
        EXPECT_FALSE(parseSimulation(std::string("nit actual 1\n") + wrong, &refused, &error)) << wrong;
        EXPECT_EQ(0u, error.find("line 2: ")) << error;
    }
}

// What the helper's tuning sequence sends: supply, perhaps the switch, tone, tune.
static void tuneThrough(SimulatedFrontend& frontend, const char* entryValues, uint32_t system, uint64_t nowMs)
{
    CardTuning tuning;
    int32_t frequency = 0, symbolRate = 0, polarization = 0, diseqc = 0;
    char letter = 0;
    std::sscanf(entryValues, "%d%c%d/%d", &frequency, &letter, &symbolRate, &diseqc);
    polarization = letter == 'H' ? 0 : 1;
    tuning.frequencyMHz = frequency;
    tuning.symbolRate = symbolRate;
    tuning.polarization = polarization;
    tuning.lnbSelection = frequency > 11699 ? 1 : 0;
    tuning.lnbFrequencyMHz = frequency > 11699 ? 10600 : frequency < 4201 ? 5150 : 9750;
    tuning.diseqcCode = diseqc;
    tuneSimulatedFrontend(frontend, tuning, system, nowMs);
}

static int32_t carrierToNoise(SimulatedFrontend& frontend, uint64_t nowMs)
{
    dtv_property property{};
    property.cmd = DTV_STAT_CNR;
    dtv_properties list{1, &property};
    simulatedFrontendIoctl(frontend, FE_GET_PROPERTY, &list, nowMs);
    return property.u.st.stat[0].scale == FE_SCALE_DECIBEL ? static_cast<int32_t>(property.u.st.stat[0].svalue) : -1;
}

static std::vector<bool> locksOf(const std::string& text, uint32_t system = SYS_DVBS2)
{
    SimulatedFrontend frontend = newSimulatedFrontend(simulationOf(text));
    std::vector<bool> locks;
    for (const char* entry : {"10719V27500/0", "11034H27500/0", "12149V27500/0", "12245H29900/0"}) {
        tuneThrough(frontend, entry, system, 1000);
        locks.push_back(simulatedFrontendLocked(frontend, 1000));
    }
    return locks;
}

TEST(DvbSimulatedLnb, TheToneAndTheSupplyDecideWhichCarrierReachesTheTuner)
{
    SimulatedFrontend frontend = newSimulatedFrontend(simulationOf(hotBird));
    tuneThrough(frontend, "11034H27500/0", SYS_DVBS2, 1000);
    EXPECT_TRUE(simulatedFrontendLocked(frontend, 1000));
    EXPECT_EQ(9500, carrierToNoise(frontend, 1000));  // each carrier its own
    EXPECT_EQ(1, simulatedLockedCarrier(frontend, 1000));
    tuneThrough(frontend, "10719V27500/0", SYS_DVBS2, 2000);
    EXPECT_EQ(12000, carrierToNoise(frontend, 2000));
    // The LNB switched after the tune: another polarization reaches the tuner.
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_VOLTAGE, reinterpret_cast<void*>(SEC_VOLTAGE_18), 2100));
    EXPECT_FALSE(simulatedFrontendLocked(frontend, 2100));
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_VOLTAGE, reinterpret_cast<void*>(SEC_VOLTAGE_OFF), 2200));
    EXPECT_FALSE(simulatedFrontendLocked(frontend, 2200));  // an unpowered LNB gives nothing

    // A carrier below what its modulation needs does not lock; tuned as
    // DVB-S, the DVB-S2 carriers do not either.
    EXPECT_EQ((std::vector<bool>{true, true, true, false}), locksOf(hotBird));
    EXPECT_EQ((std::vector<bool>{true, false, false, false}), locksOf(hotBird, SYS_DVBS));
    // Nothing but the carriers: a frequency with none is no lock.
    SimulatedFrontend empty = newSimulatedFrontend(simulationOf("lnb 9750 10600\n0 lock 12\n"));
    tuneThrough(empty, "11034H27500/0", SYS_DVBS2, 1000);
    EXPECT_FALSE(simulatedFrontendLocked(empty, 1000));
}

TEST(DvbSimulatedLnb, EachFaultPlaysAsItHappens)
{
    const std::string base = hotBird;
    // No tone: the LNB stays on its low band, the high band's carriers are not there.
    EXPECT_EQ((std::vector<bool>{true, true, false, false}), locksOf(base + "fault no-tone\n"));
    // No 18 V: the LNB stays vertical.
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), locksOf(base + "fault no-18v\n"));
    // A dead port: the switch's commands pick it, or a tone burst does.
    SimulatedFrontend frontend = newSimulatedFrontend(simulationOf(base + "fault port B\n"));
    tuneThrough(frontend, "10719V27500/1", SYS_DVBS2, 1000);  // A
    EXPECT_TRUE(simulatedFrontendLocked(frontend, 1000));
    tuneThrough(frontend, "10719V27500/2", SYS_DVBS2, 2000);  // B
    EXPECT_FALSE(simulatedFrontendLocked(frontend, 2000));
    tuneThrough(frontend, "10719V27500/5", SYS_DVBS2, 3000);  // AB
    EXPECT_TRUE(simulatedFrontendLocked(frontend, 3000));
    tuneThrough(frontend, "10719V27500/1", SYS_DVBS2, 4000);
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_DISEQC_SEND_BURST, reinterpret_cast<void*>(SEC_MINI_B), 4100));
    EXPECT_FALSE(simulatedFrontendLocked(frontend, 4100));  // a simple switch's burst B: position B
    // A C band LNB mixes from above: 3740 MHz through 5150 is 1410 MHz.
    SimulatedFrontend cBand = newSimulatedFrontend(simulationOf("lnb 5150\ncarrier 3740V29270 9\n"));
    tuneThrough(cBand, "3740V29270/0", SYS_DVBS, 1000);
    EXPECT_TRUE(simulatedFrontendLocked(cBand, 1000));
}

TEST(DvbSimulatedLnb, TheLockedCarriersOwnStreamGoesToTheDemuxAndTheEntriesCarryTheirTransponders)
{
    const Simulation simulation =
        simulationOf(std::string(hotBird) + "stream 9 9\nnit actual 318 Eutelsat\n"
                                            "entry 1001 318 13.0E S-QPSK-3/4 10719V27500\n"
                                            "entry 1003 318 13.0E 11034H27500 S2-8PSK-2/3\n"
                                            "entry 1009 318 13.0E 12300L27500\nentry 1010 318 13.0E\n");
    const std::vector<NitStreamFacts>& entries = simulation.networkTables[0].facts.streams;
    ASSERT_EQ(4u, entries.size());
    EXPECT_EQ(10719000u, entries[0].frequencyKHz);
    EXPECT_EQ(1, entries[0].polarization);
    EXPECT_EQ(27500000u, entries[0].symbolsPerSecond);
    EXPECT_EQ(1, entries[1].modulationSystem);  // the modulation after the transponder too
    EXPECT_EQ(2, entries[2].polarization);      // circular left
    EXPECT_EQ(0u, entries[3].frequencyKHz);

    uint16_t id = 0;
    std::vector<SimulatedSection> sections = simulatedSections(simulation, 1);
    ASSERT_TRUE(parsePatStreamId(sections[0].bytes.data(), sections[0].bytes.size(), &id));
    EXPECT_EQ(1003, id);
    sections = simulatedSections(simulation, 2);  // a carrier without a stream of its own: the stream line's
    ASSERT_TRUE(parsePatStreamId(sections[0].bytes.data(), sections[0].bytes.size(), &id));
    EXPECT_EQ(9, id);
    SimulatedDemux demux = newSimulatedDemux(simulation);
    followCarrier(demux, simulation, 0);
    ASSERT_TRUE(parsePatStreamId(demux.sections[0].bytes.data(), demux.sections[0].bytes.size(), &id));
    EXPECT_EQ(1001, id);
}

}  // namespace

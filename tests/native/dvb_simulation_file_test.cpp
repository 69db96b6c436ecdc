// The simulated frontend's file: every word read, a wrong line named, and
// the timeline that gives the signal after a tune.
#include <gtest/gtest.h>
#include <string>

#include "dvb/common/simulation.h"
#include "tests/native/simulation_text.h"

namespace {

TEST(DvbSimulation, TheLatestTimedLineWhoseTimeHasPassedApplies)
{
    const Simulation simulation = simulationOf("# dish swings past\n1000 lock 8.5\n\n0 nolock\r\n3000 nolock\n"
                                               "2000 lock 12\n2000 lock 12.25\n");
    EXPECT_FALSE(simulatedSignalAt(simulation, 0).locked);
    EXPECT_FALSE(simulatedSignalAt(simulation, 999).locked);
    EXPECT_TRUE(simulatedSignalAt(simulation, 1000).locked);
    EXPECT_EQ(8500, simulatedSignalAt(simulation, 1999).carrierToNoiseMilliDb);
    EXPECT_EQ(12250, simulatedSignalAt(simulation, 2500).carrierToNoiseMilliDb);  // the later of two at 2000
    EXPECT_FALSE(simulatedSignalAt(simulation, 3000).locked);
    EXPECT_FALSE(simulatedSignalAt(simulationOf("500 lock 9\n"), 499).locked);  // before the first line
}

TEST(DvbSimulation, EveryWordIsReadAndAWrongLineIsNamed)
{
    const Simulation simulation =
        simulationOf("fail open\nfail tune\nfail voltage\nfail tone\nfail diseqc\n"
                     "fail burst\nsystems DVB-S\ntransponder DVB-S2 8PSK\nsystem strict\n"
                     "modulation explicit\nstatistics legacy-negative\nslow 600\nslow all 40\n");
    EXPECT_TRUE(simulation.failOpen && simulation.failTune && simulation.explicitModulation);
    EXPECT_TRUE(simulation.failVoltage && simulation.failTone && simulation.failDiseqc && simulation.failBurst);
    EXPECT_EQ(std::vector<SimulatedSystem>{SimDvbS}, simulation.systems);
    EXPECT_FALSE(simulation.anyTransponder);
    EXPECT_EQ(SimDvbS2, simulation.transponder);
    EXPECT_EQ(ModulationPsk8, simulation.transponderModulation);
    EXPECT_TRUE(simulation.strictSystem);
    EXPECT_EQ(StatisticsLegacyNegative, simulation.statistics);
    EXPECT_EQ(600u, simulation.slowMs);
    EXPECT_EQ(40u, simulation.slowAllMs);

    const Simulation chip = simulationOf("name  Montage Technology   DS3000\npersonality needs-code-rate\n"
                                         "personality ignores-modulation\npersonality finds-either-system\n"
                                         "personality no-burst\npersonality strength-only\nacquisition 480\n"
                                         "transponder DVB-S2 QPSK 9/10\nnit actual 1\nnit odd-descriptor\n");
    EXPECT_EQ("Montage Technology DS3000", chip.frontendName);
    EXPECT_TRUE(chip.needsCodeRate && chip.ignoresModulation && chip.findsEitherSystem && chip.noBurst);
    EXPECT_EQ(StatisticsStrengthOnly, chip.statistics);
    EXPECT_EQ(StatisticsV5StrengthOnly, simulationOf("personality v5-strength-only\n").statistics);
    EXPECT_EQ(480u, chip.acquisitionMs);
    EXPECT_EQ(ModulationQpsk, chip.transponderModulation);
    EXPECT_EQ("9/10", chip.transponderCodeRate);
    ASSERT_EQ(1u, chip.networkTables.size());
    EXPECT_TRUE(chip.networkTables[0].facts.withShortCaDescriptors);

    const std::string wrong[] = {"0 lock",
                                 "0 lock ten",
                                 "0 lock 200",
                                 "-5 nolock",
                                 "0 nolock 3",
                                 "fail",
                                 "fail close",
                                 "systems",
                                 "systems ATSC",
                                 "systems DVB-S DVB-S",
                                 "transponder DVB-T",
                                 "transponder DVB-S QPSK",
                                 "transponder DVB-S 3/5",
                                 "transponder DVB-S2 QPSK 3/4 x",
                                 "personality reads-forward",
                                 "nit actual 1\nentry 1 1 19.2E S2-16APSK-3/4",
                                 "nit actual 1\nentry 1 1 none S-QPSK-3/4",
                                 "nit actual 1\nentry 1 1 19.2E S-QPSK-9/10",
                                 "statistics percent",
                                 "lock 0 10",
                                 "system loose",
                                 "slow 20000",
                                 "slow all",
                                 "slow every 50",
                                 "transponder DVB-S2 3/4",
                                 "transponder DVB-S2 8PSK 7/8",
                                 "transponder DVB-S QPSK 3/4",
                                 "personality",
                                 "personality cx24116",
                                 "personality no-burst extra",
                                 "acquisition 10001",
                                 "name",
                                 "name " + std::string(128, 'x')};
    for (const std::string& line : wrong) {
        Simulation parsed;
        std::string error;
        EXPECT_FALSE(parseSimulation("0 lock 10\n" + line + "\n", &parsed, &error)) << line;
        EXPECT_EQ(0u, error.find(line.find('\n') == std::string::npos ? "line 2: " : "line 3: ")) << error;
    }
}

}  // namespace

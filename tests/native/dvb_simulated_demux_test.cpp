// The simulated demux beside the simulated frontend: the simulation file's
// stream and network lines, and section filters that give one whole
// section a read, only while locked, again every round, with a wrong CRC
// dropped where the kernel is asked to check it.
#include <cerrno>
#include <gtest/gtest.h>
#include <linux/dvb/dmx.h>
#include <linux/ioctl.h>

#include "dvb/simulated/kernel_demux.h"
#include "tests/native/simulation_text.h"

namespace {

static const char streamAndTables[] = "0 lock 10\n"
                                      "stream 0x0403 1\n"
                                      "nit other 2 Neighbour\n"
                                      "entry 7 2 13.0E\n"
                                      "nit actual 0x0001 Astra Nineteen\n"
                                      "nit sections 2\n"
                                      "entry 0x0403 1 19.2E\n"
                                      "entry 0x0404 1 30.0W\n"
                                      "entry 1025 1 none\n"
                                      "nit actual 9 Decoy\n"
                                      "nit bad-crc\n";

TEST(DvbSimulatedDemux, TheFileDescribesTheStreamAndItsTables)
{
    const Simulation simulation = simulationOf(streamAndTables);
    EXPECT_TRUE(simulation.hasStream);
    EXPECT_EQ(0x0403, simulation.transportStreamId);
    EXPECT_EQ(1, simulation.originalNetworkId);
    ASSERT_EQ(3u, simulation.networkTables.size());
    const SimulatedNetworkTable& other = simulation.networkTables[0];
    EXPECT_EQ(nitOtherTable, other.facts.tableId);
    const SimulatedNetworkTable& actual = simulation.networkTables[1];
    EXPECT_EQ(nitActualTable, actual.facts.tableId);
    EXPECT_EQ("Astra Nineteen", actual.facts.networkName);
    EXPECT_EQ(2u, actual.facts.streamsPerSection);
    ASSERT_EQ(3u, actual.facts.streams.size());
    EXPECT_EQ(-300, actual.facts.streams[1].position);
    EXPECT_FALSE(actual.facts.streams[2].withSatelliteDescriptor);
    EXPECT_EQ(1025, actual.facts.streams[2].transportStreamId);
    EXPECT_TRUE(simulation.networkTables[2].badCrc);
    EXPECT_FALSE(simulationOf("nit actual 1\n").networkTables[0].facts.withName);

    // PAT, SDT, NIT other, the actual's two sections, the decoy's one.
    const std::vector<SimulatedSection> sections = simulatedSections(simulation);
    ASSERT_EQ(6u, sections.size());
    EXPECT_EQ(0x00, sections[0].pid);
    EXPECT_EQ(0x11, sections[1].pid);
    EXPECT_EQ(0x10, sections[4].pid);
    EXPECT_NE(0u, psiCrc32(sections[5].bytes.data(), sections[5].bytes.size()));

    const std::string wrong[] = {"stream 1",
                                 "stream 1 65536",
                                 "stream 0x1 -2",
                                 "entry 1 1 19.2E",  // before any table
                                 "nit sections 2",
                                 "nit bad-crc",
                                 "nit actual",
                                 "nit local 1",
                                 "nit actual 0x10000",
                                 "nit actual 1 ",  // (a blank: no name, fine)
                                 "nit actual 1 x\nentry 1 1",
                                 "nit actual 1 x\nentry 1 1 19.2",
                                 "nit actual 1 x\nentry 1 1 180.1E",
                                 "nit actual 1 x\nentry 1 1 19.25E",
                                 "nit actual 1 x\nentry 1 1 E",
                                 "nit actual 1 x\nnit sections 0",
                                 "nit actual 1 x\nnit sections 41",
                                 "nit actual 1 x\nnit crc",
                                 "nit actual 1 " + std::string(65, 'n')};
    for (const std::string& lines : wrong) {
        Simulation parsed;
        std::string error;
        const bool read = parseSimulation(lines + "\n", &parsed, &error);
        EXPECT_EQ(lines == "nit actual 1 ", read) << lines << ": " << error;
    }
    std::string tables;
    for (size_t i = 0; i <= simulatedTablesLimit; ++i) tables += "nit other " + std::to_string(i) + "\n";
    Simulation parsed;
    std::string error;
    EXPECT_FALSE(parseSimulation(tables, &parsed, &error));
}

static void setFilter(SimulatedDemux& demux, uint16_t pid, uint8_t tableId, uint32_t flags, uint64_t nowMs)
{
    dmx_sct_filter_params params{};
    params.pid = pid;
    params.filter.filter[0] = tableId;
    params.filter.mask[0] = 0xFF;
    params.flags = flags;
    ASSERT_EQ(0, simulatedDemuxIoctl(demux, DMX_SET_FILTER, &params, nowMs));
}

// The table ids of every section a filter gives at that moment.
static std::vector<int> drain(SimulatedDemux& demux, bool locked, uint64_t nowMs)
{
    std::vector<int> tables;
    uint8_t buffer[4096];
    uint32_t due = 0;
    for (ssize_t got; (got = simulatedDemuxRead(demux, locked, buffer, sizeof buffer, nowMs, &due)) > 0;)
        tables.push_back(buffer[0]);
    return tables;
}

TEST(DvbSimulatedDemux, AFilterGivesItsTablesSectionsOnlyWhileLockedOnceARound)
{
    SimulatedDemux demux = newSimulatedDemux(simulationOf(streamAndTables));
    uint8_t buffer[4096];
    uint32_t due = 0;
    EXPECT_EQ(-EINVAL, simulatedDemuxRead(demux, true, buffer, sizeof buffer, 0, &due));  // no filter
    setFilter(demux, 0x10, nitActualTable, DMX_CHECK_CRC | DMX_IMMEDIATE_START, 0);
    EXPECT_TRUE(drain(demux, false, 0).empty());
    // The actual's two sections; the other table and the decoy's wrong CRC stay out.
    EXPECT_EQ((std::vector<int>{0x40, 0x40}), drain(demux, true, 0));
    EXPECT_EQ(-EAGAIN, simulatedDemuxRead(demux, true, buffer, sizeof buffer, 10, &due));
    EXPECT_EQ(simulatedSectionRepeatMs - 10, due);
    EXPECT_EQ(2u, drain(demux, true, simulatedSectionRepeatMs).size());
    // Without the kernel's check the damaged one comes too.
    setFilter(demux, 0x10, nitActualTable, DMX_IMMEDIATE_START, 100);
    EXPECT_EQ(3u, drain(demux, true, 100).size());
    // Once only; stopped, nothing; started, again.
    setFilter(demux, 0x00, patTable, DMX_ONESHOT | DMX_IMMEDIATE_START, 200);
    EXPECT_EQ((std::vector<int>{0x00}), drain(demux, true, 200));
    EXPECT_TRUE(drain(demux, true, 300).empty());
    ASSERT_EQ(0, simulatedDemuxIoctl(demux, DMX_START, nullptr, 400));
    EXPECT_EQ(1u, drain(demux, true, 400).size());
    setFilter(demux, 0x11, sdtActualTable, 0, 500);
    EXPECT_TRUE(drain(demux, true, 500).empty());  // not started
    ASSERT_EQ(0, simulatedDemuxIoctl(demux, DMX_START, nullptr, 500));
    EXPECT_EQ((std::vector<int>{0x42}), drain(demux, true, 500));
    ASSERT_EQ(0, simulatedDemuxIoctl(demux, DMX_STOP, nullptr, 600));
    EXPECT_TRUE(drain(demux, true, 1000).empty());

    // A short buffer gets the head of a section.
    setFilter(demux, 0x10, nitOtherTable, DMX_IMMEDIATE_START, 700);
    EXPECT_EQ(8, simulatedDemuxRead(demux, true, buffer, 8, 700, &due));
    EXPECT_EQ(nitOtherTable, buffer[0]);

    EXPECT_EQ(0, simulatedDemuxIoctl(demux, DMX_SET_BUFFER_SIZE, reinterpret_cast<void*>(65536ul), 0));
    EXPECT_EQ(-EINVAL, simulatedDemuxIoctl(demux, DMX_SET_BUFFER_SIZE, nullptr, 0));
    EXPECT_EQ(-EINVAL, simulatedDemuxIoctl(demux, DMX_SET_PES_FILTER, buffer, 0));
    EXPECT_EQ(-ENOTTY, simulatedDemuxIoctl(demux, DMX_GET_STC, buffer, 0));
}

}  // namespace

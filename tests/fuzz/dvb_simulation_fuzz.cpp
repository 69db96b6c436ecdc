// Any bytes as a --simulate file: read whole or refused with the line that
// is wrong, never more delivery systems than the four there are, a
// simulated frontend made from what was read answers its requests, and
// every network table it describes goes out in sound sections (but those
// it is told to damage) that its demux hands over whole; tuned, it answers
// its statistics (a driver's own arithmetic at any C/N of the file's) and
// holds a request no longer than its slowness or its search; through a
// single-cable device, what locks after a command is one of the
// installation's carriers, its PAT its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <linux/dvb/dmx.h>
#include <linux/dvb/frontend.h>
#include <linux/ioctl.h>

#include "dvb/simulated/kernel_demux.h"
#include "dvb/simulated/kernel_frontend.h"

static void check(bool holds)
{
    if (!holds) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Simulation simulation;
    std::string error;
    if (!parseSimulation(text, &simulation, &error)) {
        check(error.compare(0, 5, "line ") == 0);
        return 0;
    }
    check(simulation.systems.size() <= 4);
    check(simulation.slowMs <= 10000);
    check(simulation.acquisitionMs <= 10000);
    check(simulation.frontendName.size() <= 127);
    SimulatedFrontend frontend = newSimulatedFrontend(simulation);
    dtv_property property{};
    property.cmd = DTV_ENUM_DELSYS;
    dtv_properties list{1, &property};
    check(simulatedFrontendIoctl(frontend, FE_GET_PROPERTY, &list, 0) == 0);
    check(property.u.buffer.len == simulation.systems.size());
    for (uint32_t at : {0u, 500u, 100000u}) simulatedSignalAt(simulation, at);
    check(simulation.searchMs <= 10000);
    dtv_property tune[4] = {};
    const uint32_t commands[] = {DTV_DELIVERY_SYSTEM, DTV_FREQUENCY, DTV_SYMBOL_RATE, DTV_TUNE};
    const uint32_t values[] = {SYS_DVBS2, 1645000, 27500000, 0};
    for (int i = 0; i < 4; ++i) {
        tune[i].cmd = commands[i];
        tune[i].u.data = values[i];
    }
    dtv_properties tuneList{4, tune};
    simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &tuneList, 0);
    for (uint64_t at : {0ull, 700ull, 20000ull}) {
        uint16_t figure = 0;
        simulatedFrontendIoctl(frontend, FE_READ_SNR, &figure, at);
        simulatedFrontendIoctl(frontend, FE_READ_SIGNAL_STRENGTH, &figure, at);
        dtv_property stat{};
        stat.cmd = DTV_STAT_CNR;
        dtv_properties statList{1, &stat};
        simulatedFrontendIoctl(frontend, FE_GET_PROPERTY, &statList, at);
        const uint32_t held = simulatedDelayMs(frontend, FE_READ_STATUS, at);
        check(held <= 10000);
    }

    // Each standard's command for 11778 V on user band 1 at 1210 MHz, said at 18 V, and the tune there.
    for (const dvb_diseqc_master_cmd& command : {dvb_diseqc_master_cmd{{0xE0, 0x10, 0x5A, 0x04, 0xF7, 0}, 5},
                                                 dvb_diseqc_master_cmd{{0x70, 0x04, 0x36, 0x01, 0, 0}, 4}}) {
        simulatedFrontendIoctl(frontend, FE_SET_VOLTAGE, reinterpret_cast<void*>(uintptr_t{SEC_VOLTAGE_18}), 30000);
        dvb_diseqc_master_cmd said = command;
        simulatedFrontendIoctl(frontend, FE_DISEQC_SEND_MASTER_CMD, &said, 30015);
        simulatedFrontendIoctl(frontend, FE_SET_VOLTAGE, reinterpret_cast<void*>(uintptr_t{SEC_VOLTAGE_13}), 30065);
        tune[1].u.data = 1210000;
        simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &tuneList, 30070);
        const int carrier = simulatedLockedCarrier(frontend, 40000);
        check(carrier < static_cast<int>(simulation.installation.carriers.size()));
        if (carrier >= 0 && simulation.scr.present) {
            const std::vector<SimulatedSection> sections = simulatedSections(simulation, carrier);
            check(!sections.empty() && sections.front().pid == patPid);
        }
    }

    check(simulation.networkTables.size() <= simulatedTablesLimit);
    size_t damaged = 0;
    for (const SimulatedNetworkTable& table : simulation.networkTables) {
        check(table.facts.streams.size() <= simulatedEntriesLimit);
        for (const SectionBytes& bytes : buildNitSections(table.facts)) {
            NitSection section;
            check(parseNitSection(bytes.data(), bytes.size(), &section));
            damaged += table.badCrc;
        }
    }
    SimulatedDemux demux = newSimulatedDemux(simulation);
    dmx_sct_filter_params filter{};
    filter.pid = nitPid;
    filter.flags = DMX_CHECK_CRC | DMX_IMMEDIATE_START;
    check(simulatedDemuxIoctl(demux, DMX_SET_FILTER, &filter, 0) == 0);
    size_t given = 0;
    uint8_t buffer[4096];
    uint32_t due = 0;
    for (ssize_t got; (got = simulatedDemuxRead(demux, true, buffer, sizeof buffer, 0, &due)) > 0; ++given)
        check(psiCrc32(buffer, static_cast<size_t>(got)) == 0);
    size_t nitSections = 0;
    for (const SimulatedSection& section : demux.sections) nitSections += section.pid == nitPid;
    check(given == nitSections - damaged);
    return 0;
}

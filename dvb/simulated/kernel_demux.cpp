#include "dvb/simulated/kernel_demux.h"

#include <cerrno>
#include <cstring>
#include <linux/dvb/dmx.h>
#include <linux/ioctl.h>

std::vector<SimulatedSection> simulatedSections(const Simulation& simulation, int carrier)
{
    std::vector<SimulatedSection> sections;
    const std::vector<SimulatedCarrier>& carriers = simulation.installation.carriers;
    const SimulatedCarrier* own = carrier >= 0 && static_cast<size_t>(carrier) < carriers.size() &&
                                          carriers[static_cast<size_t>(carrier)].hasStream
                                      ? &carriers[static_cast<size_t>(carrier)]
                                      : nullptr;
    // Through a single-cable device every carrier's stream is its own: its downlink in MHz where no line names it.
    const bool throughDevice = simulation.scr.present && carrier >= 0 && static_cast<size_t>(carrier) < carriers.size();
    if (own || simulation.hasStream || throughDevice) {
        const uint16_t transportStreamId =
            own             ? own->transportStreamId
            : throughDevice ? static_cast<uint16_t>(carriers[static_cast<size_t>(carrier)].frequencyMHz)
                            : simulation.transportStreamId;
        const uint16_t originalNetworkId = own                    ? own->originalNetworkId
                                           : simulation.hasStream ? simulation.originalNetworkId
                                                                  : uint16_t{1};
        sections.push_back(SimulatedSection{patPid, buildPatSection(transportStreamId, 0)});
        sections.push_back(SimulatedSection{sdtPid, buildSdtSection(transportStreamId, originalNetworkId, 0)});
    }
    for (const SimulatedNetworkTable& table : simulation.networkTables) {
        for (SectionBytes& bytes : buildNitSections(table.facts)) {
            if (table.badCrc) bytes.back() ^= 0x5A;
            sections.push_back(SimulatedSection{nitPid, bytes});
        }
    }
    return sections;
}

SimulatedDemux newSimulatedDemux(const Simulation& simulation)
{
    SimulatedDemux demux;
    demux.sections = simulatedSections(simulation);
    return demux;
}

void followCarrier(SimulatedDemux& demux, const Simulation& simulation, int carrier)
{
    if (carrier == demux.carrier) return;
    demux.carrier = carrier;
    demux.sections = simulatedSections(simulation, carrier);
    demux.next = 0;
}

static void start(SimulatedDemux& demux, uint64_t nowMs)
{
    demux.started = true;
    demux.next = 0;
    demux.roundDueMs = nowMs;
}

int simulatedDemuxIoctl(SimulatedDemux& demux, unsigned long request, void* argument, uint64_t nowMs)
{
    switch (request) {
    case DMX_SET_FILTER: {
        const dmx_sct_filter_params* params = static_cast<const dmx_sct_filter_params*>(argument);
        if (!params) return -EFAULT;
        if (params->pid > 0x1FFF) return -EINVAL;
        demux.filtering = true;
        demux.started = false;
        demux.pid = params->pid;
        std::memcpy(demux.filter, params->filter.filter, sizeof demux.filter);
        std::memcpy(demux.mask, params->filter.mask, sizeof demux.mask);
        demux.flags = params->flags;
        if (demux.flags & DMX_IMMEDIATE_START) start(demux, nowMs);
        return 0;
    }
    case DMX_START:
        if (!demux.filtering) return -EINVAL;
        start(demux, nowMs);
        return 0;
    case DMX_STOP: demux.started = false; return 0;
    case DMX_SET_BUFFER_SIZE: {
        const unsigned long bytes = reinterpret_cast<uintptr_t>(argument);
        if (bytes == 0 || bytes > (1ul << 24)) return -EINVAL;
        demux.bufferBytes = bytes;
        return 0;
    }
    case DMX_SET_PES_FILTER: return -EINVAL;  // only section filters are simulated
    }
    return -ENOTTY;
}

// The filter's bytes stand for the section's first byte and, skipping the
// length, its fourth on.
static bool passes(const SimulatedDemux& demux, const SimulatedSection& section)
{
    if (section.pid != demux.pid) return false;
    for (size_t i = 0; i < sizeof demux.filter; ++i) {
        if (demux.mask[i] == 0) continue;
        const size_t at = i == 0 ? 0 : i + 2;
        if (at >= section.bytes.size() || ((section.bytes[at] ^ demux.filter[i]) & demux.mask[i]) != 0) return false;
    }
    return !(demux.flags & DMX_CHECK_CRC) || psiCrc32(section.bytes.data(), section.bytes.size()) == 0;
}

ssize_t simulatedDemuxRead(SimulatedDemux& demux, bool locked, uint8_t* buffer, size_t size, uint64_t nowMs,
                           uint32_t* dueInMs)
{
    *dueInMs = simulatedSectionRepeatMs;
    if (!demux.filtering) return -EINVAL;
    if (!demux.started) return -EAGAIN;
    // Without a lock no packet reaches the demux; with it back, a round begins.
    if (!locked) {
        demux.next = 0;
        demux.roundDueMs = nowMs;
        return -EAGAIN;
    }
    if (nowMs < demux.roundDueMs) {
        *dueInMs = static_cast<uint32_t>(demux.roundDueMs - nowMs);
        return -EAGAIN;
    }
    for (; demux.next < demux.sections.size(); ++demux.next) {
        const SimulatedSection& section = demux.sections[demux.next];
        if (!passes(demux, section)) continue;
        ++demux.next;
        const size_t length = section.bytes.size() < size ? section.bytes.size() : size;
        std::memcpy(buffer, section.bytes.data(), length);
        if (demux.flags & DMX_ONESHOT) demux.started = false;
        return static_cast<ssize_t>(length);
    }
    demux.next = 0;
    demux.roundDueMs = nowMs + simulatedSectionRepeatMs;
    return -EAGAIN;
}

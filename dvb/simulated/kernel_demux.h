// A demux as the kernel's DVB API presents one, beside the simulated
// frontend: section filters (DMX_SET_FILTER with a PID, the table id and
// further header bytes under a mask, DMX_CHECK_CRC, DMX_ONESHOT,
// DMX_IMMEDIATE_START; DMX_START, DMX_STOP, DMX_SET_BUFFER_SIZE) over the
// sections the simulation file describes (simulation.h: stream, nit and
// entry lines), which go round every simulatedSectionRepeatMs while the
// frontend is locked and not at all while it is not. A read gives one whole
// section (a short buffer its head); nothing due is EAGAIN. A section with
// a wrong CRC is dropped where the filter asks the kernel to check, as the
// kernel drops it. Linux headers only; no system calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <sys/types.h>
#include <vector>

#include "dvb/common/simulation.h"

constexpr uint32_t simulatedSectionRepeatMs = 40;

struct SimulatedSection {
    uint16_t pid;
    SectionBytes bytes;
};

// The stream's sections in the order they go out: PAT, SDT, then each NIT.
// `carrier`: the installation's carrier locked, whose own stream ids the
// PAT and SDT give (the simulation's stream line where it has none).
std::vector<SimulatedSection> simulatedSections(const Simulation& simulation, int carrier = -1);

struct SimulatedDemux {
    std::vector<SimulatedSection> sections;
    bool filtering = false;  // a section filter is set
    bool started = false;
    uint16_t pid = 0;
    uint8_t filter[16] = {};
    uint8_t mask[16] = {};
    uint32_t flags = 0;
    unsigned long bufferBytes = 8192;
    size_t next = 0;          // where this round goes on
    uint64_t roundDueMs = 0;  // when the next round comes
    int carrier = -1;         // whose stream the sections are
};

SimulatedDemux newSimulatedDemux(const Simulation& simulation);
// The sections of the carrier now locked (simulatedLockedCarrier), built
// again when it is another one.
void followCarrier(SimulatedDemux& demux, const Simulation& simulation, int carrier);

// 0, or a negative errno. `argument` is the request's third argument.
int simulatedDemuxIoctl(SimulatedDemux& demux, unsigned long request, void* argument, uint64_t nowMs);

// The section's length, or a negative errno: -EAGAIN when none is due, with
// `dueInMs` set to how long until the next may be (for a reader that waits).
ssize_t simulatedDemuxRead(SimulatedDemux& demux, bool locked, uint8_t* buffer, size_t size, uint64_t nowMs,
                           uint32_t* dueInMs);

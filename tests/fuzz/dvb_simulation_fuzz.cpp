// Any bytes as a --simulate file: read whole or refused with the line that
// is wrong, never more delivery systems than the four there are, and a
// simulated frontend made from what was read answers its requests.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <linux/dvb/frontend.h>
#include <linux/ioctl.h>

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
    SimulatedFrontend frontend = newSimulatedFrontend(simulation);
    dtv_property property{};
    property.cmd = DTV_ENUM_DELSYS;
    dtv_properties list{1, &property};
    check(simulatedFrontendIoctl(frontend, FE_GET_PROPERTY, &list, 0) == 0);
    check(property.u.buffer.len == simulation.systems.size());
    for (uint32_t at : {0u, 500u, 100000u}) simulatedSignalAt(simulation, at);
    return 0;
}

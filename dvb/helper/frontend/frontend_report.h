// What azimora-dvb tells the user about a frontend: why it cannot be used
// (message and exit code) and, for --status, what it is and what it
// receives. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dvb/helper/frontend/signal_figures.h"
#include "dvb/helper/helper_options.h"

enum FrontendProblem : uint8_t {
    FrontendUsable,
    ProblemNoFrontend,
    ProblemBusy,
    ProblemNotSatellite,
    ProblemNoDaemon,
    ProblemNoPermission,
    ProblemOther,
};

struct FrontendDescription {
    std::string device;  // "/dev/dvb/adapter0/frontend0", or "dvb0.frontend0 on HOST:PORT"
    std::string name;
    std::vector<std::string> systems;  // "DVB-S", "DVB-S2", ...
    uint32_t lowestKHz = 0;
    uint32_t highestKHz = 0;
    uint32_t lowestSymbolRate = 0;
    uint32_t highestSymbolRate = 0;
};

// FE_GET_INFO gives a frontend's frequency range in Hz until the frontend
// is set to a satellite system, and in kHz after: a frontend that also
// offers terrestrial or cable systems starts in Hz.
uint32_t infoFrequencyKHz(uint32_t value, bool setToSatellite);

// "adapter 0 frontend 0", "adapter 0 frontend 0 on 192.168.1.5:5555"
std::string frontendName(const HelperOptions& options);

// The message for stderr, without the program's name; `detail` adds what
// the system said (the systems offered, the daemon's error).
std::string problemMessage(FrontendProblem problem, const HelperOptions& options, const std::string& detail);
int problemExitCode(FrontendProblem problem);
// The few words a failed Initialize carries back to the program.
std::string problemReason(FrontendProblem problem);

bool offersSatellite(const std::vector<std::string>& systems);

std::string statusReport(const FrontendDescription& description, const FrontendFigures& figures);

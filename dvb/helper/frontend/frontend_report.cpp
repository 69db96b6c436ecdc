#include "dvb/helper/frontend/frontend_report.h"

#include <cstdio>

#include "dvb/helper/exit_codes.h"

std::string frontendName(const HelperOptions& options)
{
    std::string name = "adapter " + std::to_string(options.adapter) + " frontend " + std::to_string(options.frontend);
    if (options.remote) name += " on " + options.serverHost + ":" + std::to_string(options.serverPort);
    return name;
}

std::string problemMessage(FrontendProblem problem, const HelperOptions& options, const std::string& detail)
{
    const std::string name = frontendName(options);
    const std::string more = detail.empty() ? std::string() : " (" + detail + ")";
    switch (problem) {
    case FrontendUsable: return name + " is usable";
    case ProblemNoFrontend:
        return "no such frontend: " + name +
               (options.remote ? std::string(" is not known to the daemon")
                               : std::string(" does not exist (is the card connected and its driver loaded? "
                                             "see ls /dev/dvb)"));
    case ProblemBusy: return name + " is busy: another program has it open" + more;
    case ProblemNotSatellite: return name + " is not a DVB-S/S2 frontend" + more;
    case ProblemNoDaemon:
        return "cannot reach dvbv5-daemon at " + options.serverHost + ":" + std::to_string(options.serverPort) + more;
    case ProblemNoPermission:
        return "no permission to open " + name + more +
               ": add yourself to the group that owns /dev/dvb (usually video) and log in again";
    case ProblemOther: break;
    }
    return "cannot use " + name + more;
}

int problemExitCode(FrontendProblem problem)
{
    switch (problem) {
    case FrontendUsable: return ExitOk;
    case ProblemNoFrontend: return ExitNoFrontend;
    case ProblemBusy: return ExitBusy;
    case ProblemNotSatellite: return ExitNotSatellite;
    case ProblemNoDaemon: return ExitNoDaemon;
    case ProblemNoPermission: return ExitNoPermission;
    case ProblemOther: break;
    }
    return ExitFailure;
}

std::string problemReason(FrontendProblem problem)
{
    switch (problem) {
    case FrontendUsable: return "ok";
    case ProblemNoFrontend: return "no such frontend";
    case ProblemBusy: return "frontend is busy";
    case ProblemNotSatellite: return "not a satellite frontend";
    case ProblemNoDaemon: return "daemon cannot be reached";
    case ProblemNoPermission: return "no permission to open the frontend";
    case ProblemOther: break;
    }
    return "frontend cannot be used";
}

bool offersSatellite(const std::vector<std::string>& systems)
{
    for (const std::string& system : systems)
        if (system == "DVB-S" || system == "DVB-S2") return true;
    return false;
}

uint32_t infoFrequencyKHz(uint32_t value, bool setToSatellite) { return setToSatellite ? value : value / 1000; }

static std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string statusReport(const FrontendDescription& description, const FrontendFigures& figures)
{
    std::string report = "frontend: " + description.device + "\n";
    report += "name: " + description.name + "\n";
    report += "delivery systems:";
    for (const std::string& system : description.systems) report += " " + system;
    report += "\n";
    report += "frequency range: " + format("%.0f", description.lowestKHz / 1000.0) + " - " +
              format("%.0f", description.highestKHz / 1000.0) + " MHz\n";
    report += "symbol rate range: " + format("%.0f", description.lowestSymbolRate / 1000.0) + " - " +
              format("%.0f", description.highestSymbolRate / 1000.0) + " kS/s\n";
    const TunerStatistics& statistics = figures.statistics;
    report += std::string("lock: ") + (statistics.locked ? "yes" : "no") + "\n";
    if (statistics.hasCarrierToNoise) report += "c/n: " + carrierToNoiseText(figures) + "\n";
    else if (statistics.hasQuality) report += "c/n: " + std::to_string(statistics.qualityPercent) + " % (relative)\n";
    else report += "c/n: -\n";
    report += "strength: " + strengthText(figures.strength) + "\n";
    report += "statistics: " + formDescription(figures) + "\n";
    return report;
}

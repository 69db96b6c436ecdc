#include "dvb/helper/motor/simulated_reference.h"

#include "dvb/common/regular_file.h"
#include "dvb/common/simulation.h"

bool simulatedSkyOf(const std::string& simulatePath, SimulatedSky* sky)
{
    std::string text, error;
    Simulation simulation;
    if (simulatePath.empty() || !readRegularFile(simulatePath, simulationFileLimit, &text, &error) ||
        !parseSimulation(text, &simulation, &error) || !simulation.sky.present)
        return false;
    *sky = simulation.sky;
    return true;
}

// Tests of the program measuring through bdacard.dll: each registers its own
// copy of the bridge from the program's folder (with the folder's
// bdacard.ini, if the test writes one) and the simulated BDA stack, whose
// log is the run's card log; afterwards the simulated card is registered
// again.
#pragma once
#include <map>

#include "tests/win/program_test.h"

class BdaProgramTest : public ProgramTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts a copy of the program with its own bridge; `settings` is the
    // text of its bdacard.ini ("" for none).
    AppRun& startWithBridge(const std::string& scenario = "", const std::string& settings = "",
                            bool waitForWindow = true);

    // The simulated tuner's "tune ..." lines, in order.
    static std::vector<std::string> tunes(const AppRun& run);
    // The modulation of each tune ("qpsk", "nbc-8psk", ...), in order.
    static std::vector<std::string> modulationsTuned(const AppRun& run);
    // The DiSEqC commands sent to the tuner's nodes ("diseqc E0 10 38 F9"), in order.
    static std::vector<std::string> diseqcCommands(const AppRun& run);
    // True once the level bar shows the quality (its right edge on screen).
    static bool barShows(const AppRun& run, int32_t quality, int timeoutMs = 5000);
    // The objects of the simulated stack still alive: "create KIND" without its "destroy KIND".
    static std::map<std::string, int> unreleased(const AppRun& run);
};

// The log lines that start so, in order.
std::vector<std::string> linesStarting(const AppRun& run, const std::string& start);
// The card line of the phone page's latest message that carries `part`.
std::string pageCardLine(uint16_t port, const std::string& part);

// Registers or unregisters one DLL of the build (or a path of its own).
bool registerBuildDll(const std::string& path, bool registered);

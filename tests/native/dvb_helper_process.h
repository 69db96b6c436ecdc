// Running the real azimora-dvb from native tests: once to its end (exit
// code and output), or serving on a port of the system's choice, with a
// simulated frontend whose every request reaching the hardware is traced.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

struct HelperFiles {
    std::string folder;
    std::string simulation;
    std::string log;
    std::string trace;  // what reached the simulated hardware
    std::string output;
};

// A fresh folder with the simulation file written.
HelperFiles helperFiles(const std::string& simulation);

struct HelperResult {
    int exitCode;
    std::string output;  // stdout and stderr
};

// More for the helper's environment ("AZIMORA_DVB_SECRET=..."), a file
// size limit in the shell's blocks (-1: none), and what it reads from its
// standard input (never the test's own terminal).
struct HelperSurroundings {
    std::vector<std::string> environment;
    int fileSizeLimit = -1;
    std::string input{};
};

// Runs azimora-dvb with these arguments until it ends (at most 20 s).
HelperResult runHelper(const std::vector<std::string>& arguments, const HelperFiles& files,
                       const HelperSurroundings& surroundings = {});

struct ServingHelper {
    HelperFiles files;
    pid_t pid = -1;
    uint16_t port = 0;
    int socket = -1;
    std::string pending;
};

// Starts it with --simulate, --log and --listen 127.0.0.1:0 (and `more`)
// and waits until it serves.
bool startServing(ServingHelper& helper, const std::string& simulation, const std::vector<std::string>& more = {},
                  const HelperSurroundings& surroundings = {});
// SIGTERM, then waits; the exit code.
int stopServing(ServingHelper& helper);

// From 127.0.0.1, or from another loopback address ("127.0.0.2").
bool connectToHelper(ServingHelper& helper, const char* from = nullptr);
void disconnect(ServingHelper& helper);
// Sends one request line (newline added) and returns the reply line.
std::string ask(ServingHelper& helper, const std::string& line);
// Sends bytes as they are.
bool sendRaw(ServingHelper& helper, const std::string& bytes);
std::string readReply(ServingHelper& helper);

// Serves the simulation, starts 11362 H 27500 as the program would and asks
// `request` every 20 ms (after `before`, where given: QuerySignalStatus for
// a QueryLevel) until `settled` holds for its answer (at most 5 s); the
// last answer.
std::string askAfterStart(const std::string& simulation, const std::string& request,
                          const std::function<bool(const std::string&)>& settled, const char* before = nullptr);

// A non-blocking connection whose reading side takes a few kilobytes at most; -1 when it fails.
int connectSlowReader(uint16_t port);

std::vector<std::string> fileLines(const std::string& path);
// The processor time the process has had so far, in seconds.
double processorSeconds(pid_t pid);

#include "tests/native/dvb_helper_process.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/native/committed_file.h"

extern char** environ;

static int removeEntry(const char* path, const struct stat*, int, FTW*) { return remove(path); }

static std::string testsFolder;

static void removeTestsFolder() { nftw(testsFolder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS); }

// Every run of the helper gets a folder of its own inside one folder that
// this test process owns and removes when it ends.
static std::string newRunFolder()
{
    if (testsFolder.empty()) {
        std::string pattern = "/tmp/azimora-dvb-test-XXXXXX";
        if (!mkdtemp(&pattern[0])) return "/tmp";
        testsFolder = pattern;
        std::atexit(removeTestsFolder);
    }
    std::string pattern = testsFolder + "/run-XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : testsFolder;
}

HelperFiles helperFiles(const std::string& simulation)
{
    HelperFiles files;
    files.folder = newRunFolder();
    files.simulation = files.folder + "/simulation.txt";
    files.log = files.folder + "/frontend.log";
    files.trace = files.folder + "/trace.txt";
    files.output = files.folder + "/output.txt";
    std::ofstream(files.simulation) << simulation;
    return files;
}

// Helpers a failed test left running are ended with the test program.
static std::vector<pid_t> spawned;

// Only children not yet waited for: their ids cannot have gone to another process.
static void endLeftHelpers()
{
    for (pid_t pid : spawned) kill(pid, SIGKILL);
}

static void reaped(pid_t pid) { spawned.erase(std::remove(spawned.begin(), spawned.end(), pid), spawned.end()); }

static pid_t spawnHelper(const std::vector<std::string>& arguments, const HelperFiles& files,
                         const HelperSurroundings& surroundings)
{
    std::vector<std::string> words{AZM_DVB_HELPER};
    if (surroundings.fileSizeLimit >= 0)
        words = {"/bin/sh", "-c", "ulimit -f " + std::to_string(surroundings.fileSizeLimit) + " && exec \"$0\" \"$@\"",
                 AZM_DVB_HELPER};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    // The surroundings first, as the first of a name is the one read; the
    // record of measurements goes to the run's folder, never the user's.
    std::vector<std::string> settings = surroundings.environment;
    settings.push_back("AZIMORA_DVB_SIMULATE_TRACE=" + files.trace);
    settings.push_back("XDG_DATA_HOME=" + files.folder);
    for (char** each = environ; *each; ++each)
        if (std::strncmp(*each, "AZIMORA_DVB", 11) != 0 && std::strncmp(*each, "LD_PRELOAD=", 11) != 0 &&
            std::strncmp(*each, "XDG_DATA_HOME=", 14) != 0)
            settings.push_back(*each);
    std::vector<char*> envp;
    for (std::string& setting : settings) envp.push_back(&setting[0]);
    envp.push_back(nullptr);
    const std::string inputPath = files.folder + "/input.txt";
    std::ofstream(inputPath) << surroundings.input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inputPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, files.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (pid > 0 && spawned.empty()) std::atexit(endLeftHelpers);
    if (pid > 0) spawned.push_back(pid);
    return pid;
}

static int waitForEnd(pid_t pid, int timeoutMs)
{
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            reaped(pid);
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        }
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            reaped(pid);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

HelperResult runHelper(const std::vector<std::string>& arguments, const HelperFiles& files,
                       const HelperSurroundings& surroundings)
{
    const pid_t pid = spawnHelper(arguments, files, surroundings);
    if (pid < 0) return HelperResult{-1, "cannot start " AZM_DVB_HELPER};
    const int code = waitForEnd(pid, 20000);
    return HelperResult{code, fileText(files.output)};
}

bool startServing(ServingHelper& helper, const std::string& simulation, const std::vector<std::string>& more,
                  const HelperSurroundings& surroundings)
{
    helper.files = helperFiles(simulation);
    std::vector<std::string> arguments{"--simulate", helper.files.simulation, "--log", helper.files.log, "--listen",
                                       "127.0.0.1:0"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    helper.pid = spawnHelper(arguments, helper.files, surroundings);
    if (helper.pid < 0) return false;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        const std::string output = fileText(helper.files.output);
        const size_t at = output.find("azimora-dvb: serving ");
        const size_t end = output.find('\n', at);
        if (at != std::string::npos && end != std::string::npos) {
            helper.port = static_cast<uint16_t>(std::atoi(output.c_str() + output.rfind(':', end) + 1));
            return true;
        }
        int status = 0;
        if (waitpid(helper.pid, &status, WNOHANG) == helper.pid) {
            reaped(helper.pid);
            helper.pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

int stopServing(ServingHelper& helper)
{
    disconnect(helper);
    if (helper.pid < 0) return -1;
    kill(helper.pid, SIGTERM);
    const int code = waitForEnd(helper.pid, 10000);
    helper.pid = -1;
    return code;
}

bool connectToHelper(ServingHelper& helper, const char* from)
{
    disconnect(helper);
    helper.socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (from) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from, &local.sin_addr);
        if (bind(helper.socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            disconnect(helper);
            return false;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(helper.port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(helper.socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        disconnect(helper);
        return false;
    }
    const int yes = 1;
    setsockopt(helper.socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return true;
}

void disconnect(ServingHelper& helper)
{
    if (helper.socket >= 0) close(helper.socket);
    helper.socket = -1;
    helper.pending.clear();
}

bool sendRaw(ServingHelper& helper, const std::string& bytes)
{
    return helper.socket >= 0 &&
           send(helper.socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::string readReply(ServingHelper& helper)
{
    for (;;) {
        const size_t newline = helper.pending.find('\n');
        if (newline != std::string::npos) {
            std::string line = helper.pending.substr(0, newline);
            helper.pending.erase(0, newline + 1);
            return line;
        }
        pollfd readable{helper.socket, POLLIN, 0};
        if (helper.socket < 0 || poll(&readable, 1, 5000) <= 0) return "(no reply)";
        char bytes[512];
        const ssize_t got = recv(helper.socket, bytes, sizeof bytes, 0);
        if (got <= 0) return "(closed)";
        helper.pending.append(bytes, static_cast<size_t>(got));
    }
}

std::string ask(ServingHelper& helper, const std::string& line)
{
    if (!sendRaw(helper, line + "\n")) return "(not sent)";
    return readReply(helper);
}

std::vector<std::string> fileLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream text(fileText(path));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

int connectSlowReader(uint16_t port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int small = 2048;
    setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(socket);
        return -1;
    }
    fcntl(socket, F_SETFL, fcntl(socket, F_GETFL) | O_NONBLOCK);
    return socket;
}

double processorSeconds(pid_t pid)
{
    // The fields after the command's name, which ends with the last ")".
    const std::string text = fileText("/proc/" + std::to_string(pid) + "/stat");
    const size_t end = text.rfind(')');
    if (end == std::string::npos) return -1;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) system = std::stoull(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string askAfterStart(const std::string& simulation, const std::string& request,
                          const std::function<bool(const std::string&)>& settled, const char* before)
{
    ServingHelper helper;
    if (!startServing(helper, simulation)) return "(did not serve)";
    std::string answer = "(not asked)";
    if (connectToHelper(helper) && ask(helper, "Initialize") == "ok") {
        for (const char* call : {"SetLnbSelection 0", "SetLnbFrequency 9750", "SetPolarity 0", "SetSymbolRate 27500",
                                 "SetTransponderFrequency 11362", "SetDiseqc 0"})
            ask(helper, call);
        const auto began = std::chrono::steady_clock::now();
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (before) ask(helper, before);
            answer = ask(helper, request);
        } while (!settled(answer) && std::chrono::steady_clock::now() - began < std::chrono::seconds(5));
    }
    stopServing(helper);
    return answer;
}

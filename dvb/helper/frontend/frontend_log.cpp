#include "dvb/helper/frontend/frontend_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "dvb/common/regular_file.h"

std::string voltageLine(LnbVoltage voltage)
{
    switch (voltage) {
    case Voltage13: return "voltage 13";
    case Voltage18: return "voltage 18";
    case VoltageOff: break;
    }
    return "voltage off";
}

std::string toneLine(bool on) { return on ? "tone on" : "tone off"; }

std::string diseqcLine(const uint8_t* bytes, size_t length)
{
    std::string line = "diseqc";
    static const char digits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < length; ++i) {
        line += ' ';
        line += digits[bytes[i] >> 4];
        line += digits[bytes[i] & 15];
    }
    return line;
}

std::string tuneLine(uint32_t intermediateKHz, uint32_t symbolsPerSecond)
{
    return "tune if_khz=" + std::to_string(intermediateKHz) + " symbol_rate=" + std::to_string(symbolsPerSecond);
}

std::string lockLine(bool locked) { return locked ? "lock" : "nolock"; }

bool openFrontendLog(FrontendLog& log, const std::string& path, std::string* error)
{
    closeFrontendLog(log);
    if (path.empty()) return true;
    log.fd = appendToRegularFile(path, error);
    log.path = path;
    log.failing = false;
    // Appended to over many runs, the file counts as a whole.
    struct stat opened {};
    log.written = log.fd >= 0 && fstat(log.fd, &opened) == 0 ? static_cast<uint64_t>(opened.st_size) : 0;
    return log.fd >= 0;
}

void closeFrontendLog(FrontendLog& log)
{
    std::lock_guard<std::mutex> hold(log.turn);
    if (log.fd >= 0) close(log.fd);
    log.fd = -1;
}

static bool writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote == 0) errno = EIO;
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

// The full file becomes FILE.1 and a new one is begun; where it cannot be
// renamed, it is begun again in place. False when no file can be written.
static bool beginAgain(FrontendLog& log)
{
    const std::string earlier = log.path + ".1";
    const bool renamed = rename(log.path.c_str(), earlier.c_str()) == 0;
    if (renamed) {
        std::string error;
        close(log.fd);
        log.fd = appendToRegularFile(log.path, &error);
        if (log.fd < 0) {
            std::fprintf(stderr,
                         "azimora-dvb: cannot begin the log %s again: %s (the rest of this run is not logged)\n",
                         log.path.c_str(), error.c_str());
            return false;
        }
    } else if (ftruncate(log.fd, 0) != 0) {
        return false;
    }
    log.written = 0;
    std::fprintf(stderr, "azimora-dvb: the log %s reached %llu bytes: %s\n", log.path.c_str(),
                 static_cast<unsigned long long>(logByteLimit),
                 renamed ? ("its earlier lines are in " + earlier).c_str() : "begun again in place");
    return true;
}

void writeLogLine(FrontendLog& log, const std::string& line)
{
    std::lock_guard<std::mutex> hold(log.turn);
    if (log.fd < 0) return;
    const std::string text = line + "\n";
    if (log.written + text.size() > logByteLimit && !beginAgain(log)) return;
    if (writeAll(log.fd, text)) {
        log.written += text.size();
        log.failing = false;
        return;
    }
    if (!log.failing)
        std::fprintf(stderr, "azimora-dvb: cannot write the log %s: %s (lines are lost until it can)\n",
                     log.path.c_str(), std::strerror(errno));
    log.failing = true;
}

#include "dvb/helper/frontend_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "dvb/helper/regular_file.h"

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
    log.written = 0;
    log.full = log.failing = false;
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

void writeLogLine(FrontendLog& log, const std::string& line)
{
    std::lock_guard<std::mutex> hold(log.turn);
    if (log.fd < 0 || log.full) return;
    std::string text = line + "\n";
    if (log.written + text.size() > logByteLimit) {
        log.full = true;
        text = "log full: the rest of this run is not logged\n";
        std::fprintf(stderr, "azimora-dvb: the log %s has reached %llu bytes: the rest of this run is not logged\n",
                     log.path.c_str(), static_cast<unsigned long long>(logByteLimit));
    }
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

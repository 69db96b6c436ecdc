#include "dvb/helper/frontend_log.h"

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

bool openFrontendLog(FrontendLog& log, const std::string& path)
{
    closeFrontendLog(log);
    if (path.empty()) return true;
    log.file = std::fopen(path.c_str(), "a");
    return log.file != nullptr;
}

void closeFrontendLog(FrontendLog& log)
{
    if (log.file) std::fclose(log.file);
    log.file = nullptr;
}

void writeLogLine(FrontendLog& log, const std::string& line)
{
    if (!log.file) return;
    std::fputs(line.c_str(), log.file);
    std::fputc('\n', log.file);
    std::fflush(log.file);
}

#include "dvb/protocol/motor_words.h"

#include "app/number_text.h"

static const char commandKey[] = "command=";
static const char travelKey[] = " travel=";

std::string motorRequestWords(const MotorCommand& command, uint32_t travelMs)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string words = commandKey;
    for (uint8_t i = 0; i < command.length; ++i) {
        words += digits[command.bytes[i] >> 4];
        words += digits[command.bytes[i] & 0x0F];
    }
    return words + travelKey + std::to_string(travelMs);
}

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

static bool refuse(std::string* reason, const std::string& why)
{
    if (reason) *reason = why;
    return false;
}

bool parseMotorRequestWords(const std::string& words, MotorCommand* command, uint32_t* travelMs, std::string* reason)
{
    const std::string head = commandKey;
    const size_t travelAt = words.find(travelKey);
    if (words.compare(0, head.size(), head) != 0 || travelAt == std::string::npos)
        return refuse(reason, "expected command=HEX travel=MS");
    const std::string hex = words.substr(head.size(), travelAt - head.size());
    if (hex.size() % 2 != 0 || hex.size() < 6 || hex.size() > 2 * maxSingleCableBytes)
        return refuse(reason, "a positioner's command is 3 to 6 bytes");
    MotorCommand read;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return refuse(reason, "a command's bytes are two capital hexadecimal digits each");
        read.bytes[read.length++] = static_cast<uint8_t>(high * 16 + low);
    }
    uint32_t travel = 0;
    if (!readWholeNumber(words.substr(travelAt + sizeof travelKey - 1), WholeForm{0, longestMotorTravelMs, 6, false},
                         &travel))
        return refuse(reason, "the travel is 0 to 600000 ms");
    *command = read;
    *travelMs = travel;
    return true;
}

Request motorRequest(const MotorCommand& command, uint32_t travelMs)
{
    return Request{RequestMotor, 0, motorRequestWords(command, travelMs)};
}

std::string motorAnswerRefusal(const Reply& reply)
{
    if (reply.ok) return "";
    if (reply.reason == "malformed request") return "this azimora-dvb is too old to turn a motor";
    return reply.reason;
}

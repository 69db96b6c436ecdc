#include "dvb/protocol/line_protocol.h"

#include "app/number_text.h"

static const char* const requestNames[requestKindCount] = {
    "Initialize",
    "SetFec",
    "SetLnbSelection",
    "SetLnbFrequency",
    "SetPolarity",
    "SetSymbolRate",
    "SetTransponderFrequency",
    "SetDiseqc",
    "QuerySignalStatus",
    "RefreshSignalReadings",
    "GetSignalQuality",
    "GetSignalNoiseRatio",
    "QueryNetwork",
    "QueryModcod",
    "QueryLevel",
    "Sweep",
    "QuerySweep",
    "SweepLevels",
    "SweepPeak",
    "SweepPeakName",
    "SingleCable",
    "QueryUserBand",
    "QuerySkew",
    "QueryLnbError",
    "Motor",
};

static const char* requestName(RequestKind kind)
{
    return static_cast<int>(kind) < requestKindCount ? requestNames[kind] : "?";
}

bool requestTakesValue(RequestKind kind)
{
    return (kind >= RequestSetFec && kind <= RequestSetDiseqc) || kind == RequestSweepLevels ||
           kind == RequestSweepPeak || kind == RequestSweepPeakName;
}

bool requestTakesWords(RequestKind kind)
{
    return kind == RequestSweep || kind == RequestSingleCable || kind == RequestMotor;
}

std::string formatRequest(const Request& request)
{
    std::string line = requestName(request.kind);
    if (requestTakesValue(request.kind)) line += " " + std::to_string(request.value);
    if (requestTakesWords(request.kind)) line += " " + request.words;
    return line;
}

// Words as a request carries them: printable ASCII, no blank at either end.
static bool requestWords(const std::string& text)
{
    if (text.empty() || text.front() == ' ' || text.back() == ' ') return false;
    for (char c : text)
        if (c < ' ' || c > '~') return false;
    return true;
}

// A decimal int32 as the lines carry it (formatRequest writes it): an
// optional minus, no leading zeros, no "-0".
static const WholeForm lineNumber{INT32_MIN, INT32_MAX, 10, false};

bool parseRequest(const std::string& line, Request* request)
{
    if (line.size() > maxLineLength) return false;
    const size_t space = line.find(' ');
    const std::string name = line.substr(0, space);
    for (int i = 0; i < requestKindCount; ++i) {
        if (name != requestNames[i]) continue;
        const RequestKind kind = static_cast<RequestKind>(i);
        int32_t value = 0;
        std::string words;
        if (requestTakesValue(kind)) {
            if (space == std::string::npos || !readWholeNumber(line.substr(space + 1), lineNumber, &value))
                return false;
        } else if (requestTakesWords(kind)) {
            if (space == std::string::npos || !requestWords(line.substr(space + 1))) return false;
            words = line.substr(space + 1);
        } else if (space != std::string::npos) {
            return false;
        }
        request->kind = kind;
        request->value = value;
        request->words = words;
        return true;
    }
    return false;
}

Reply okReply()
{
    Reply reply;
    reply.ok = true;
    return reply;
}

Reply valueReply(int32_t value)
{
    Reply reply;
    reply.ok = true;
    reply.hasValue = true;
    reply.value = value;
    return reply;
}

Reply textReply(const std::string& words)
{
    Reply reply;
    reply.ok = true;
    reply.text = words;
    return reply;
}

Reply failReply(const std::string& reason)
{
    Reply reply;
    reply.reason = reason.empty() ? "failed" : reason;
    return reply;
}

static std::string printable(const std::string& text, size_t room)
{
    std::string clean = text.substr(0, room);
    for (char& c : clean)
        if (c < ' ' || c > '~') c = ' ';
    return clean;
}

// Words as a reply carries them: a lower-case letter first, no blank last.
static bool wordsText(const std::string& text)
{
    if (text.empty() || text[0] < 'a' || text[0] > 'z' || text.back() == ' ') return false;
    for (char c : text)
        if (c < ' ' || c > '~') return false;
    return true;
}

std::string formatReply(const Reply& reply)
{
    if (!reply.ok) return "fail " + printable(reply.reason.empty() ? "failed" : reply.reason, maxLineLength - 5);
    if (reply.hasValue) return "ok " + std::to_string(reply.value);
    if (!reply.text.empty()) {
        std::string words = printable(reply.text, maxLineLength - 3);
        while (!words.empty() && words.back() == ' ') words.pop_back();
        if (wordsText(words)) return "ok " + words;
    }
    return "ok";
}

bool parseReply(const std::string& line, Reply* reply)
{
    if (line.size() > maxLineLength) return false;
    Reply parsed;
    if (line == "ok") {
        parsed.ok = true;
    } else if (line.compare(0, 3, "ok ") == 0) {
        parsed.ok = true;
        if (wordsText(line.substr(3))) parsed.text = line.substr(3);
        else if (readWholeNumber(line.substr(3), lineNumber, &parsed.value)) parsed.hasValue = true;
        else return false;
    } else if (line.compare(0, 5, "fail ") == 0 && line.size() > 5) {
        parsed.reason = line.substr(5);
        for (char c : parsed.reason)
            if (c < ' ' || c > '~') return false;
    } else {
        return false;
    }
    *reply = parsed;
    return true;
}

void readLines(LineReader& reader, const char* bytes, size_t size, std::vector<ReadLine>* lines)
{
    for (size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c == '\n') {
            if (!reader.discarding) {
                std::string text;
                text.swap(reader.pending);
                if (!text.empty() && text.back() == '\r') text.pop_back();
                lines->push_back(ReadLine{false, text});
            }
            reader.pending.clear();
            reader.discarding = false;
            continue;
        }
        if (reader.discarding) continue;
        // One byte of room for a carriage return before the newline.
        if (reader.pending.size() >= maxLineLength + 1) {
            reader.pending.clear();
            reader.discarding = true;
            lines->push_back(ReadLine{true, std::string()});
            continue;
        }
        reader.pending += c;
    }
}

bool parseHostPort(const std::string& text, const char* defaultHost, bool allowAnyPort, std::string* host,
                   uint16_t* port)
{
    const size_t colon = text.rfind(':');
    std::string hostPart = colon == std::string::npos ? std::string() : text.substr(0, colon);
    const std::string portPart = colon == std::string::npos ? text : text.substr(colon + 1);
    if (colon == std::string::npos) {
        if (!defaultHost) return false;
        hostPart = defaultHost;
    }
    if (hostPart.empty() || hostPart.size() > 253) return false;
    for (char c : hostPart)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            return false;
    WholeForm form = portForm;
    if (allowAnyPort) form.least = 0;
    if (!readWholeNumber(portPart, form, port)) return false;
    *host = hostPart;
    return true;
}

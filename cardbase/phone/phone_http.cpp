#include "cardbase/phone/phone_http.h"

#include <cstring>

#include "cardbase/phone/phone_motor.h"
#include "cardbase/phone/phone_report.h"
#include "cardbase/settings_line.h"

const char* statusReason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 202: return "Accepted";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 409: return "Conflict";
    case 413: return "Payload Too Large";
    case 421: return "Misdirected Request";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
    }
}

static const char commonHeaders[] = "Cache-Control: no-cache\r\nX-Content-Type-Options: nosniff\r\n"
                                    "Connection: close\r\n";

PhoneAnswer errorAnswer(int status, const char* text, const char* extraHeaders)
{
    PhoneAnswer answer;
    answer.kind = PhoneAnswer::Respond;
    answer.status = status;
    const std::string body = std::to_string(status) + " " + statusReason(status) + ": " + text + "\n";
    answer.bytes = "HTTP/1.1 " + std::to_string(status) + " " + statusReason(status) +
                   "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
                   "\r\n" + commonHeaders + extraHeaders + "\r\n" + body;
    return answer;
}

static PhoneAnswer assetAnswer(const PhoneAsset& asset, bool withBody)
{
    PhoneAnswer answer;
    answer.kind = PhoneAnswer::Respond;
    answer.status = 200;
    answer.bytes = std::string("HTTP/1.1 200 OK\r\nContent-Type: ") + asset.contentType +
                   "\r\nContent-Length: " + std::to_string(asset.size) + "\r\n" + commonHeaders +
                   // Everything the page uses comes from here; nothing it shows may run.
                   "Content-Security-Policy: default-src 'self'; object-src 'none'; base-uri 'none'\r\n\r\n";
    if (withBody) answer.bytes.append(reinterpret_cast<const char*>(asset.bytes), asset.size);
    return answer;
}

static PhoneAnswer jsonAnswer(const std::string& json, bool withBody)
{
    PhoneAnswer answer;
    answer.kind = PhoneAnswer::Respond;
    answer.status = 200;
    answer.bytes = "HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: " +
                   std::to_string(json.size()) + "\r\n" + commonHeaders + "\r\n";
    if (withBody) answer.bytes += json;
    return answer;
}

static PhoneAnswer recordAnswer(const RecordReply& reply, bool withBody)
{
    if (reply.status != 200) return errorAnswer(reply.status, reply.body.c_str(), reply.extraHeaders.c_str());
    PhoneAnswer answer;
    answer.kind = PhoneAnswer::Respond;
    answer.status = 200;
    answer.bytes = "HTTP/1.1 200 OK\r\nContent-Type: " + reply.contentType +
                   "\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\n" + commonHeaders +
                   reply.extraHeaders +
                   // The report shows words a satellite's table chose: none of it may run.
                   "Content-Security-Policy: default-src 'self'; object-src 'none'; base-uri 'none'\r\n\r\n";
    if (withBody) answer.bytes += reply.body;
    return answer;
}

static bool isTokenCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("!#$%&'*+-.^_`|~", c);
}

static bool isVisibleAscii(char c) { return c > 0x20 && c < 0x7F; }

// Where the head ends (past its empty line), or npos. A bare LF ends lines
// as well as CR LF.
static size_t headEnd(const std::string& received)
{
    for (size_t at = received.find('\n'); at != std::string::npos; at = received.find('\n', at + 1)) {
        if (at + 1 < received.size() && received[at + 1] == '\n') return at + 2;
        if (at + 2 < received.size() && received[at + 1] == '\r' && received[at + 2] == '\n') return at + 3;
    }
    return std::string::npos;
}

static std::string withoutCr(const std::string& line)
{
    return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

PhoneAnswer answerRequest(const std::string& received, bool streamRoom, const PhoneServing& serving)
{
    const PhonePlace* place = serving.place;
    const std::string* recordFolder = serving.recordFolder;
    const size_t end = headEnd(received);
    if (end == std::string::npos) {
        if (received.size() >= maxRequestHeadBytes) return errorAnswer(431, "the request is too long");
        return PhoneAnswer();
    }
    if (end > maxRequestHeadBytes) return errorAnswer(431, "the request is too long");

    // The request line: METHOD SP TARGET SP VERSION.
    size_t lineEnd = received.find('\n');
    const std::string requestLine = withoutCr(received.substr(0, lineEnd));
    const size_t firstSpace = requestLine.find(' ');
    const size_t secondSpace = firstSpace == std::string::npos ? firstSpace : requestLine.find(' ', firstSpace + 1);
    if (secondSpace == std::string::npos || requestLine.find(' ', secondSpace + 1) != std::string::npos)
        return errorAnswer(400, "malformed request line");
    const std::string method = requestLine.substr(0, firstSpace);
    const std::string target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    const std::string version = requestLine.substr(secondSpace + 1);
    if (method.empty() || method.size() > 16) return errorAnswer(400, "malformed method");
    for (char c : method)
        if (!isTokenCharacter(c)) return errorAnswer(400, "malformed method");
    if (target.empty() || target[0] != '/') return errorAnswer(400, "malformed target");
    for (char c : target)
        if (!isVisibleAscii(c)) return errorAnswer(400, "malformed target");
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        if (version.compare(0, 5, "HTTP/") == 0) return errorAnswer(505, "HTTP/1.1 or HTTP/1.0 only");
        return errorAnswer(400, "malformed version");
    }

    // The header lines: only a body's announcement matters, and none is
    // taken; and the page's own mark on what it asks of the card.
    size_t lines = 0, hostLines = 0;
    bool hostAnswerable = true;
    std::string pageMark;
    for (size_t start = lineEnd + 1; start < end; start = lineEnd + 1) {
        lineEnd = received.find('\n', start);
        const std::string line = withoutCr(received.substr(start, lineEnd - start));
        if (line.empty()) break;
        if (++lines > maxRequestHeaderLines) return errorAnswer(431, "too many header lines");
        const size_t colon = line.find(':');
        if (colon == 0 || colon == std::string::npos) return errorAnswer(400, "malformed header line");
        for (size_t i = 0; i < colon; ++i)
            if (!isTokenCharacter(line[i])) return errorAnswer(400, "malformed header line");
        const std::string name = line.substr(0, colon);
        const std::string value = withoutOuterBlanks(line.substr(colon + 1));
        if (sameIgnoringAsciiCase(name, "transfer-encoding") ||
            (sameIgnoringAsciiCase(name, "content-length") && value != "0"))
            return errorAnswer(413, "this server takes no request body");
        if (sameIgnoringAsciiCase(name, "x-azimora")) pageMark = value;
        if (sameIgnoringAsciiCase(name, "host")) {
            ++hostLines;
            hostAnswerable = !serving.hosts || hostAnswered(value, *serving.hosts);
        }
    }
    if (hostLines > 1) return errorAnswer(400, "more than one Host");
    if (!hostAnswerable) return errorAnswer(421, "this page answers only by this computer's address or name (Host)");

    const bool get = method == "GET", head = method == "HEAD";
    std::string path = target.substr(0, target.find('?'));
    if (method == "POST" && path == phonePeakPath) {
        if (pageMark != "peak") return errorAnswer(403, "the guide is asked by the page's own buttons");
        const size_t question = target.find('?');
        PhoneAnswer answer;
        std::string problem;
        if (!parsePeakRequest(question == std::string::npos ? "" : target.substr(question + 1), &answer.peak, &problem))
            return errorAnswer(400, problem.c_str());
        answer.kind = PhoneAnswer::AskPeak;
        return answer;
    }
    if (method == "POST" && path == phoneSweepPath) {
        if (pageMark != "sweep") return errorAnswer(403, "a sweep is asked for by the page's own button");
        const size_t question = target.find('?');
        PhoneAnswer answer;
        std::string problem;
        if (!parseSweepRequestWords(question == std::string::npos ? "" : target.substr(question + 1), '&',
                                    &answer.sweep, &problem))
            return errorAnswer(400, problem.c_str());
        answer.kind = PhoneAnswer::AskSweep;
        return answer;
    }
    if (method == "POST" && path == phoneMotorPath) {
        if (pageMark != "motor") return errorAnswer(403, "the motor is turned by the page's own buttons");
        const size_t question = target.find('?');
        PhoneAnswer answer;
        std::string problem;
        if (!parseMotorRequestWords(question == std::string::npos ? "" : target.substr(question + 1), &answer.motor,
                                    &problem))
            return errorAnswer(400, problem.c_str());
        answer.kind = PhoneAnswer::AskMotor;
        return answer;
    }
    if (!get && !head)
        return errorAnswer(405, "this server is read-only but for asking a sweep or the guide", "Allow: GET, HEAD\r\n");
    if (path == "/") path = "/index.html";
    if (path == phoneStreamPath) {
        if (!streamRoom)
            return errorAnswer(503, "too many phones are connected; close the page on another one",
                               "Retry-After: 5\r\n");
        PhoneAnswer answer;
        answer.kind = get ? PhoneAnswer::StartStream : PhoneAnswer::Respond;
        answer.status = 200;
        answer.bytes = std::string("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\n") +
                       commonHeaders + "\r\n";
        return answer;
    }
    if (place && (path == phonePointPath || path == phoneSatellitesPath)) {
        const size_t question = target.find('?');
        std::string json, problem;
        if (!pointingReply(path, question == std::string::npos ? "" : target.substr(question + 1), *place, &json,
                           &problem))
            return errorAnswer(400, problem.c_str());
        return jsonAnswer(json, get);
    }
    if (place && recordFolder && (path == phoneRecordPath || path == phoneReportPath)) {
        const size_t question = target.find('?');
        return recordAnswer(recordReply(path, question == std::string::npos ? "" : target.substr(question + 1),
                                        *recordFolder, *place, serving.answerRoomBytes),
                            get);
    }
    for (size_t i = 0; i < phoneAssetCount; ++i)
        if (path == phoneAssets[i].path) return assetAnswer(phoneAssets[i], get);
    return errorAnswer(404, "no such page");
}

PhoneAnswer sweepAnswer(const std::string& refusal) { return acceptedAnswer(refusal, "sweeping"); }

PhoneAnswer motorAnswer(const std::string& refusal) { return acceptedAnswer(refusal, "asked"); }

PhoneAnswer acceptedAnswer(const std::string& refusal, const char* done)
{
    if (!refusal.empty()) return errorAnswer(409, refusal.c_str());
    PhoneAnswer answer;
    answer.kind = PhoneAnswer::Respond;
    answer.status = 202;
    const std::string body = std::string(done) + "\n";
    answer.bytes = "HTTP/1.1 202 Accepted\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                   std::to_string(body.size()) + "\r\n" + commonHeaders + "\r\n" + body;
    return answer;
}

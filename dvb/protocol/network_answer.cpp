#include "dvb/protocol/network_answer.h"

#include <cstdio>

#include "app/number_text.h"
#include "cardbase/settings_line.h"
#include "dvb/protocol/line_protocol.h"

static const char* const stateWords[] = {"unlocked", "reading", "known", "none"};
static const char* const certaintyWords[] = {"unknown", "own", "uncertain"};

std::string networkAnswerText(const NetworkReport& report)
{
    if (report.state != NetworkKnown) return std::string("network ") + stateWords[report.state];
    const NetworkIdentity& identity = report.identity;
    char id[8];
    std::snprintf(id, sizeof id, "0x%04x", static_cast<unsigned>(identity.networkId));
    const bool placed = identity.certainty != PositionUnknown && identity.position != 0 && identity.position >= -1800 &&
                        identity.position <= 1800;
    std::string text = std::string("network known ") + id + " " + (placed ? positionText(identity.position) : "-") +
                       " " + certaintyWords[placed ? identity.certainty : PositionUnknown];
    std::string name = identity.networkName;
    for (char& c : name)
        if (c < ' ' || c > '~') c = '?';
    // "ok " and the blank before the name go on the line too.
    const size_t room = maxLineLength - 3 - text.size() - 1;
    name = withoutOuterBlanks(withoutOuterBlanks(name).substr(0, room));
    return name.empty() ? text : text + " " + name;
}

// "19.2E": 0.1 to 180.0 degrees, no leading zero, east or west.
static bool parsePosition(const std::string& word, PositionTenths* position)
{
    if (word.size() < 4 || word.size() > 6) return false;
    const char side = word.back();
    const size_t dot = word.size() - 3;
    if ((side != 'E' && side != 'W') || word[dot] != '.' || (word[0] == '0' && dot > 1)) return false;
    int32_t tenths = 0;
    if (!readWholeNumber(word.substr(0, dot) + word[dot + 1], WholeForm{1, 1800, 4, true}, &tenths)) return false;
    *position = side == 'E' ? tenths : -tenths;
    return true;
}

static bool parseId(const std::string& word, uint16_t* id)
{
    if (word.size() != 6 || word.compare(0, 2, "0x") != 0) return false;
    uint32_t value = 0;
    for (size_t i = 2; i < 6; ++i) {
        const char c = word[i];
        const bool digit = c >= '0' && c <= '9', letter = c >= 'a' && c <= 'f';
        if (!digit && !letter) return false;
        value = value * 16 + static_cast<uint32_t>(digit ? c - '0' : c - 'a' + 10);
    }
    *id = static_cast<uint16_t>(value);
    return true;
}

// The next word up to a single blank (or the end); false when none is there.
static bool nextWord(const std::string& text, size_t* at, std::string* word)
{
    if (*at >= text.size()) return false;
    const size_t blank = text.find(' ', *at);
    *word = text.substr(*at, blank == std::string::npos ? std::string::npos : blank - *at);
    *at = blank == std::string::npos ? text.size() : blank + 1;
    return !word->empty() && !(blank != std::string::npos && *at == text.size());
}

bool parseNetworkAnswer(const std::string& text, NetworkReport* report)
{
    NetworkReport parsed;
    size_t at = 0;
    std::string word;
    // Only what fits a reply line after "ok ".
    if (text.size() > maxLineLength - 3) return false;
    if (!nextWord(text, &at, &word) || word != "network" || !nextWord(text, &at, &word)) return false;
    if (word != "known") {
        for (int state : {NetworkNotLocked, NetworkReading, NetworkNoInformation}) {
            if (word == stateWords[state] && at == text.size()) {
                report->state = static_cast<NetworkState>(state);
                report->identity = NetworkIdentity();
                return true;
            }
        }
        return false;
    }
    NetworkIdentity& identity = parsed.identity;
    std::string position, certainty;
    if (!nextWord(text, &at, &word) || !parseId(word, &identity.networkId) || !nextWord(text, &at, &position) ||
        !nextWord(text, &at, &certainty))
        return false;
    if (certainty == certaintyWords[PositionUnknown]) {
        if (position != "-") return false;
    } else if (certainty == certaintyWords[PositionOfStream] || certainty == certaintyWords[PositionMostCommon]) {
        if (!parsePosition(position, &identity.position)) return false;
        identity.certainty = certainty == certaintyWords[PositionOfStream] ? PositionOfStream : PositionMostCommon;
    } else {
        return false;
    }
    identity.networkName = text.substr(at);
    for (char c : identity.networkName)
        if (c < ' ' || c > '~') return false;
    if (identity.networkName != withoutOuterBlanks(identity.networkName)) return false;
    identity.known = true;
    parsed.state = NetworkKnown;
    *report = parsed;
    return true;
}

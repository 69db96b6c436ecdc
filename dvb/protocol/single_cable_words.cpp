#include "dvb/protocol/single_cable_words.h"

#include "cardbase/settings_line.h"

static const char noneWords[] = "user band none";
static const char bandWord[] = "user band ";

std::string userBandAnswerText(const UserBandAnswer& answer)
{
    if (!answer.singleCable) return noneWords;
    return bandWord + std::to_string(answer.userBand) + (answer.shared ? " shared" : " own");
}

bool parseUserBandAnswer(const std::string& text, UserBandAnswer* answer)
{
    if (text == noneWords) {
        *answer = UserBandAnswer();
        return true;
    }
    const std::string head = bandWord;
    if (text.compare(0, head.size(), head) != 0) return false;
    const size_t blank = text.find(' ', head.size());
    if (blank == std::string::npos) return false;
    const std::string number = text.substr(head.size(), blank - head.size());
    const std::string state = text.substr(blank + 1);
    // 1 to 32, as a user band is numbered: no leading zero.
    if (number.empty() || number.size() > 2 || number[0] < '1' || number[0] > '9' ||
        (number.size() == 2 && (number[1] < '0' || number[1] > '9')))
        return false;
    const int band = std::stoi(number);
    if (band > 32 || (state != "own" && state != "shared")) return false;
    answer->singleCable = true;
    answer->userBand = band;
    answer->shared = state == "shared";
    return true;
}

bool singleCableFromSettings(const std::string& fileBytes, SingleCableSetting* setting, std::string* refusal)
{
    bool inCodePage = false;
    std::string value;
    refusal->clear();
    if (!findSettingLine(settingsFileText(fileBytes, &inCodePage), "scr", &value)) return false;
    std::string reason;
    if (!parseSingleCable(value, setting, &reason)) *refusal = "scr= in dvbcard.ini: " + reason;
    return true;
}

Request singleCableRequest(const SingleCableSetting& setting)
{
    return Request{RequestSingleCable, 0, singleCableSettingText(setting, true)};
}

std::string singleCableAnswerRefusal(const Reply& reply)
{
    if (reply.ok) return "";
    if (reply.reason == "malformed request") return "azimora-dvb is too old for single cable";
    return reply.reason;
}

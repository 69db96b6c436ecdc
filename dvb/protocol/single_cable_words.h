// The line protocol's words for a single-cable device:
//   request  SingleCable SETTING   "SingleCable en50494,1,1210" or, with the
//            device's PIN, "SingleCable en50494,1,1210,77" (the setting's
//            one form, cardbase/single_cable.h): this connection's tunes go
//            through the device; "fail REASON" for a setting that does not
//            read or a helper that cannot carry the device's steps. An older
//            helper answers "fail malformed request".
//   request  QueryUserBand         whether another receiver took the user
//            band since the latest tune:
//            ok user band none     the connection's tunes go through no device
//            ok user band N own    no other receiver seen on user band N
//            ok user band N shared the stream changed under a steady tune
// Strict both ways. Platform-neutral: both sides build it.
#pragma once
#include <string>

#include "cardbase/single_cable.h"
#include "dvb/protocol/line_protocol.h"

struct UserBandAnswer {
    bool singleCable = false;
    int userBand = 0;
    bool shared = false;
};

std::string userBandAnswerText(const UserBandAnswer& answer);
bool parseUserBandAnswer(const std::string& text, UserBandAnswer* answer);

// dvbcard.ini's "scr=" line, read as every settings file beside a card is
// (settings_line.h): false without one; with one that does not read,
// `refusal` says why ("scr= in dvbcard.ini: user band 9 is not 1-8 for
// EN 50494") and nothing is to be sent.
bool singleCableFromSettings(const std::string& fileBytes, SingleCableSetting* setting, std::string* refusal);
// The request that hands the setting to the helper, with its PIN.
Request singleCableRequest(const SingleCableSetting& setting);
// Why no tune may go out after the helper's answer to it: "" for "ok"; an
// older helper, which knows no such request, "azimora-dvb is too old for
// single cable"; else the helper's own reason.
std::string singleCableAnswerRefusal(const Reply& reply);

#include "dvb/card/helper_words.h"

#include "dvb/protocol/level_answer.h"
#include "dvb/protocol/lnb_answer.h"
#include "dvb/protocol/modcod_answer.h"
#include "dvb/protocol/network_answer.h"
#include "dvb/protocol/skew_answer.h"

void helperWordsNewLink(HelperWords& words)
{
    words.tellsLevel = words.tellsModcod = words.tellsLnbError = words.tellsNetwork = words.tellsSkew = true;
}

bool helperWordsDue(const HelperWords& words) { return words.lockedReadings % networkQueryEvery == 0; }

static bool unknownRequest(const Reply& reply) { return !reply.ok && reply.reason == "malformed request"; }

SignalLevel askHelperLevel(HelperWords& words, const HelperCall& call)
{
    SignalLevel level;
    Reply reply;
    if (!words.tellsLevel || !call(RequestQueryLevel, &reply)) return level;
    if (unknownRequest(reply)) words.tellsLevel = false;
    else if (reply.ok) parseLevelAnswer(reply.text, &level);
    return level;
}

void askHelperMargin(HelperWords& words, const HelperCall& call, ReadingFeed& feed)
{
    if (!helperWordsDue(words)) return;
    Reply reply, lnb;
    if (words.tellsModcod && call(RequestQueryModcod, &reply)) {
        ModcodAnswer answer;
        if (!reply.ok) words.tellsModcod = false;
        else if (parseModcodAnswer(reply.text, &answer) && answer.locked)
            noteMarginWords(feed, answer.tuner, answer.network);
    }
    if (words.tellsLnbError && call(RequestQueryLnbError, &lnb)) {
        LnbError error;
        if (!lnb.ok) words.tellsLnbError = false;
        else if (parseLnbAnswer(lnb.text, &error)) noteLnbError(feed, error);
    }
}

// With the network: the helper reads its list of transponders, the card
// does not; without the answer the page says the skew cannot be judged.
static void askSkew(HelperWords& words, const HelperCall& call, ReadingFeed& feed)
{
    Reply reply;
    if (!words.tellsSkew || !call(RequestQuerySkew, &reply)) return;
    SkewChance chance;
    if (unknownRequest(reply)) words.tellsSkew = false;
    else if (reply.ok && parseSkewAnswer(reply.text, &chance)) noteSkewChance(feed, chance);
}

void askHelperNetwork(HelperWords& words, bool locked, const HelperCall& call, ReadingFeed& feed)
{
    if (!locked) {
        words.lockedReadings = 0;
        return;
    }
    if (!words.tellsNetwork || words.lockedReadings++ % networkQueryEvery != 0) return;
    Reply reply;
    if (!call(RequestQueryNetwork, &reply)) return;
    if (!reply.ok) {
        words.tellsNetwork = false;
        return;
    }
    NetworkReport report;
    if (!parseNetworkAnswer(reply.text, &report) || report.state != NetworkKnown) return;
    noteNetwork(feed, report.identity);
    askSkew(words, call, feed);
}

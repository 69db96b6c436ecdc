#include "cardbase/phone/phone_margin.h"

#include <cstdio>

#include "cardbase/phone/phone_feed.h"

static std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value + 0.0);
    return text;
}

std::string marginJson(const LinkMargin& margin)
{
    static const char* const statuses[] = {"known", "nolock", "nodb", "nomodcod"};
    const bool chosen = margin.choice.source != SourceUnknown;
    const bool known = margin.state == MarginKnown;
    const std::string missing = margin.state == MarginNoLock || chosen ? std::string() : modcodGapsText(margin);
    return std::string("{\"status\":\"") + statuses[margin.state] +
           "\",\"modcod\":" + (chosen ? jsonString(modcodText(margin.choice.modcod)) : "null") +
           ",\"name\":" + (chosen ? jsonString(modcodName(margin.choice.modcod)) : "null") + ",\"source\":\"" +
           sourceWord(margin.choice.source) + "\",\"thresholdDb\":" + (chosen ? fixed(margin.thresholdDb, 2) : "null") +
           ",\"marginDb\":" + (known ? fixed(margin.marginDb, 1) : "null") +
           ",\"verdict\":" + (known ? jsonString(verdictWord(margin.verdict)) : "null") +
           ",\"why\":" + (known ? "null" : jsonString(marginUnknownText(margin))) +
           ",\"missing\":" + (missing.empty() ? "null" : jsonString(missing)) +
           ",\"orMore\":" + (known && margin.atLeast ? "true" : "false") +
           ",\"orLess\":" + (known && margin.atMost ? "true" : "false") + "}";
}

std::string thresholdsJson()
{
    std::string rows;
    for (size_t i = 0; i < modcodThresholdCount; ++i) {
        const Modcod& modcod = modcodThresholds[i].modcod;
        double needed = 0.0;
        requiredCarrierToNoiseDb(modcod, &needed);
        rows += std::string(rows.empty() ? "" : ",") + "[" + jsonString(modcodText(modcod)) + "," +
                jsonString(modcodName(modcod)) + "," + fixed(needed, 2) + "]";
    }
    return "{\"allowanceDb\":" + fixed(dvbs2ImplementationAllowanceDb, 1) + ",\"goodDb\":" + fixed(goodMarginDb, 1) +
           ",\"rows\":[" + rows + "]}";
}

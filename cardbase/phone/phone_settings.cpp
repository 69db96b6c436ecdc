#include "cardbase/phone/phone_settings.h"

#include "app/number_text.h"
#include "cardbase/settings_line.h"

// A host name or a dotted IPv4 address: letters, digits, dots and hyphens.
static bool plausibleHost(const std::string& host)
{
    if (host.empty() || host.size() > 253) return false;
    for (char c : host)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            return false;
    return true;
}

PhoneSetting phoneSettingOf(const std::string& value)
{
    PhoneSetting setting;
    const std::string text = withoutOuterBlanks(value);
    if (text.empty() || text == "0" || sameIgnoringAsciiCase(text, "off")) return setting;
    setting.wanted = true;
    const size_t colon = text.rfind(':');
    const std::string host = colon == std::string::npos ? std::string() : text.substr(0, colon);
    const std::string port = colon == std::string::npos ? text : text.substr(colon + 1);
    if (colon != std::string::npos && !plausibleHost(host)) {
        setting.problem = "\"" + text + "\" names no host: give PORT or HOST:PORT";
    } else if (!readWholeNumber(port, portForm, &setting.port)) {
        setting.problem = "\"" + text + "\" is no port: give a number from 1 to 65535";
    } else {
        setting.host = host;
    }
    return setting;
}

PhoneSetting phoneSettingFrom(const std::string& settingsFileBytes, const std::string& environmentValue)
{
    if (!environmentValue.empty()) return phoneSettingOf(environmentValue);
    return phoneSettingOf(settingFromFile(settingsFileBytes, "phone"));
}

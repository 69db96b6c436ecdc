#include "sim/card/sim_settings.h"

#include "app/host_text.h"
#include "cardbase/reading_feed.h"
#include "cardbase/settings_line.h"

void appendLogLine(HANDLE log, const std::string& line)
{
    if (log == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

static HANDLE openLog(const std::string& path)
{
    if (path.empty()) return INVALID_HANDLE_VALUE;
    return CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

SimSettings readSettings()
{
    SimSettings settings;
    const std::string scenarioPath = environmentText("SIMCARD_SCENARIO");
    const std::string logPath = environmentText("SIMCARD_LOG");
    settings.log = openLog(logPath);
    if (!scenarioPath.empty()) {
        std::string errors;
        settings.scenario = parseScenario(wholeFileText(scenarioPath, FILE_SHARE_READ | FILE_SHARE_WRITE), &errors);
        if (!errors.empty()) appendLogLine(settings.log, "# " + errors.substr(0, errors.size() - 1));
    }
    settings.dish = settings.scenario.dish;
    bool inCodePage = false;
    const std::string settingsText =
        settingsFileText(wholeFileText(cardSettingsPath(), FILE_SHARE_READ | FILE_SHARE_WRITE), &inCodePage);
    settings.cable = simCableFrom(settingsText);
    settings.motor = motorSettingsFrom(settingsText);
    // With nothing set, someone is practising without a card.
    if (scenarioPath.empty() && logPath.empty()) settings.dish.enabled = settings.dish.window = true;
    return settings;
}

#include "cardbase/reading_feed.h"

#include "app/host_text.h"
#include "cardbase/com_server.h"
#include "cardbase/phone_service.h"
#include "cardbase/phone_settings.h"

std::string cardSettingsPath()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(cardModule, path, sizeof path);
    if (length == 0 || length >= sizeof path) return std::string();
    std::string settings(path, length);
    const size_t dot = settings.find_last_of(".\\");
    if (dot != std::string::npos && settings[dot] == '.') settings.erase(dot);
    return settings + ".ini";
}

void openReadingFeed(ReadingFeed& feed, const std::string& cardName)
{
    const std::string path = cardSettingsPath();
    const PhoneSetting setting =
        phoneSettingFrom(wholeFileText(path, FILE_SHARE_READ | FILE_SHARE_WRITE), environmentText("AZIMORA_PHONE"));
    if (setting.wanted) feed.phone = startPhoneService(setting, cardName, path);
}

void closeReadingFeed(ReadingFeed& feed)
{
    stopPhoneService(feed.phone);
    feed.phone = nullptr;
}

void noteSetCall(ReadingFeed& feed, CardSetCall call, LONG value)
{
    if (feed.phone) phoneSetCall(feed.phone, call, static_cast<int32_t>(value));
}

// Milliseconds from the performance counter: the tick count can lag behind
// and catch up in a jump on a busy machine, which would let two readings
// follow each other at once.
static uint32_t readingClockMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const uint64_t ticks = static_cast<uint64_t>(counter.QuadPart),
                   perSecond = static_cast<uint64_t>(frequency.QuadPart);
    return static_cast<uint32_t>(ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond);
}

void waitForReadingTime(ReadingFeed& feed)
{
    const uint32_t wait = nextReadingWaitMs(feed.pace, readingClockMs());
    if (wait > 0) Sleep(wait);
}

void publishReading(ReadingFeed& feed, const SignalReading& reading)
{
    if (feed.phone) phoneReading(feed.phone, reading);
}

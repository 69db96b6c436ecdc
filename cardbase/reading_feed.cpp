#include "cardbase/reading_feed.h"

#include "app/host_text.h"
#include "cardbase/card_clock.h"
#include "cardbase/com_server.h"
#include "cardbase/phone/phone_feed.h"
#include "cardbase/phone/phone_service.h"
#include "cardbase/phone/phone_settings.h"
#include "cardbase/record/card_record.h"

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

// The catalogue as the program reads it: satellite.ini in the current folder.
static std::string catalogueText() { return wholeFileText("satellite.ini", FILE_SHARE_READ | FILE_SHARE_WRITE); }

std::vector<CatalogueLine> programCatalogueLines() { return catalogueLines(catalogueText()); }

void openReadingFeed(ReadingFeed& feed, const std::string& cardName, const DishSite* cardSite)
{
    InitializeCriticalSection(&feed.lock);
    const std::string path = cardSettingsPath();
    const std::string settings = wholeFileText(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    const PhonePlace place = phonePlaceFrom(settings, path, cardSite, catalogueText());
    feed.record = startCardRecord(cardName, RecordSite{place.hasSite, place.site});
    const PhoneSetting setting = phoneSettingFrom(settings, environmentText("AZIMORA_PHONE"));
    if (setting.wanted) feed.phone = startPhoneService(setting, cardName, path);
    if (feed.phone) {
        phoneSetPlace(feed.phone, place);
        if (recordShownOnPhone(settings)) phoneSetRecord(feed.phone, cardRecordFolder(feed.record));
    }
}

void setCardSweeper(ReadingFeed& feed, const CardSweeper& sweeper)
{
    if (feed.phone) phoneSetSweeper(feed.phone, sweeper);
}

void setCardMotor(ReadingFeed& feed, const CardMotorDriver& driver)
{
    if (feed.phone) phoneSetMotor(feed.phone, driver);
}

bool closeReadingFeed(ReadingFeed& feed)
{
    stopCardRecord(feed.record);
    feed.record = nullptr;
    const bool ended = stopPhoneService(feed.phone);
    feed.phone = nullptr;
    DeleteCriticalSection(&feed.lock);
    return ended;
}

static std::vector<PositionTenths> cataloguePositionsFor(const CardTuning& tuning)
{
    return expectedPositions(catalogueLines(catalogueText()), tuning.frequencyMHz, tuning.polarization,
                             tuning.symbolRate);
}

void noteSetCall(ReadingFeed& feed, CardSetCall call, LONG value)
{
    EnterCriticalSection(&feed.lock);
    const bool tuned = recordSetCall(feed.tuning, call, static_cast<int32_t>(value));
    if (tuned) {
        networkRetuned(feed.network);
        feed.userBandNote.clear();
        feed.cardSkew = SkewChance();
        marginRetuned(feed.margin);
        feed.expected = cataloguePositionsFor(feed.tuning);
    }
    const CardTuning tuning = feed.tuning;
    LeaveCriticalSection(&feed.lock);
    if (tuned) recordTuned(feed.record, tuning);
    if (feed.phone) phoneSetCall(feed.phone, call, static_cast<int32_t>(value));
}

void noteCardLine(ReadingFeed& feed, const std::string& line)
{
    if (feed.phone) phoneSetCard(feed.phone, line);
}

void noteSingleCable(ReadingFeed& feed, const SingleCableSetting* setting)
{
    EnterCriticalSection(&feed.lock);
    feed.singleCable = setting != nullptr;
    feed.singleCableSetting = setting ? *setting : SingleCableSetting();
    LeaveCriticalSection(&feed.lock);
    if (feed.phone) phoneSetSingleCable(feed.phone, setting ? singleCableWords(*setting) : std::string());
}

void noteUserBandShared(ReadingFeed& feed, const std::string& text)
{
    EnterCriticalSection(&feed.lock);
    feed.userBandNote = text;
    LeaveCriticalSection(&feed.lock);
    if (feed.phone) phoneSetUserBandNote(feed.phone, text);
}

void noteNetwork(ReadingFeed& feed, const NetworkIdentity& identity)
{
    EnterCriticalSection(&feed.lock);
    networkFound(feed.network, identity);
    LeaveCriticalSection(&feed.lock);
}

void noteSkewChance(ReadingFeed& feed, const SkewChance& chance)
{
    EnterCriticalSection(&feed.lock);
    feed.skewFromCard = true;
    feed.cardSkew = chance;
    LeaveCriticalSection(&feed.lock);
}

void noteTunerModcod(ReadingFeed& feed, const ModcodWord& word)
{
    EnterCriticalSection(&feed.lock);
    marginTunerWord(feed.margin, word);
    LeaveCriticalSection(&feed.lock);
}

void noteMarginWords(ReadingFeed& feed, const ModcodWord& tuner, const ModcodWord& network)
{
    EnterCriticalSection(&feed.lock);
    marginTunerWord(feed.margin, tuner);
    feed.margin.networkApart = true;
    feed.margin.network = network;
    LeaveCriticalSection(&feed.lock);
}

LinkMargin feedLatestMargin(ReadingFeed& feed)
{
    EnterCriticalSection(&feed.lock);
    const LinkMargin margin = feed.latestMargin;
    LeaveCriticalSection(&feed.lock);
    return margin;
}

std::string feedPeakLine(ReadingFeed& feed) { return feed.phone ? phonePeakLine(feed.phone) : std::string(); }

NetworkReport feedNetworkReport(ReadingFeed& feed, std::vector<PositionTenths>* expected)
{
    EnterCriticalSection(&feed.lock);
    const NetworkReport report = networkReport(feed.network, cardClockMs());
    if (expected) *expected = feed.expected;
    LeaveCriticalSection(&feed.lock);
    return report;
}

void waitForReadingTime(ReadingFeed& feed)
{
    const uint32_t wait = nextReadingWaitMs(feed.pace, cardClockMs());
    if (wait > 0) Sleep(wait);
}

void publishReading(ReadingFeed& feed, const SignalReading& reading)
{
    MeasurementContext context;
    PeakReading peak;
    EnterCriticalSection(&feed.lock);
    const uint32_t nowMs = cardClockMs();
    networkLock(feed.network, reading.locked, nowMs);
    marginLock(feed.margin, reading.locked);
    context.network = networkReport(feed.network, nowMs);
    context.margin = watchedMargin(feed.margin, context.network, reading);
    context.carrierToNoiseInDecibels = feed.margin.carrierToNoiseInDecibels;
    context.expected = feed.expected;
    context.singleCable = feed.singleCable ? singleCableSettingText(feed.singleCableSetting, false) : std::string();
    context.userBandNote = feed.userBandNote;
    feed.latestMargin = context.margin;
    if (feed.phone) {
        peak = peakReadingOf(reading, feed.margin.carrierToNoiseInDecibels, feed.figuresRefreshMs);
        peak.atMs = nowMs;
        peak.skew = feed.skewFromCard && context.network.state == NetworkKnown
                        ? feed.cardSkew
                        : judgeSkewChance(context.network, feed.tuning.frequencyMHz, feed.tuning.polarization);
    }
    LeaveCriticalSection(&feed.lock);
    recordReading(feed.record, reading, context);
    if (feed.phone)
        phoneReading(feed.phone, reading, networkJson(context.network, context.expected), context.margin, peak);
}

// The one path by which every card substitute reads its card: each status
// query waits until the previous reading is old enough (reading_pace.h), so
// that the program's unpaced monitor loop never spins, and every reading
// taken goes both to the program and to the phone page, which is served
// when the card's settings file (NAME.ini beside NAME.dll) has a line
// "phone=PORT" or AZIMORA_PHONE asks for it. The feed also keeps what the
// card knows of the network it is locked to, and what the catalogue beside
// the program (satellite.ini, as the program finds it) expected for the
// tuned transponder. Every measurement goes into the record of
// measurements as well (record/card_record.h).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/catalogue_lines.h"
#include "cardbase/margin/margin_watch.h"
#include "cardbase/network/network_watch.h"
#include "cardbase/peak/peak_guide.h"
#include "cardbase/peak/skew_chance.h"
#include "cardbase/phone/phone_service.h"
#include "cardbase/pointing/look_angles.h"
#include "cardbase/reading_pace.h"
#include "cardbase/signal_scale.h"
#include "cardbase/single_cable.h"

struct PhoneService;
struct CardRecord;

struct ReadingFeed {
    ReadingPace pace;
    PhoneService* phone = nullptr;  // null while the phone page is not asked for
    CardRecord* record = nullptr;   // null when the record cannot be kept
    CRITICAL_SECTION lock;          // guards what follows: set calls and readings come on different threads
    CardTuning tuning;
    NetworkWatch network;
    std::vector<PositionTenths> expected;
    // The card sets margin.carrierToNoiseInDecibels before its first reading;
    // a reading that says its own unit counts by that.
    MarginWatch margin;
    LinkMargin latestMargin;  // of the latest reading
    // How often the card measures its figures (the bracketing guide counts
    // a reading only after it): set by the card before its first reading,
    // where it knows; a reading that says its own counts by that.
    uint32_t figuresRefreshMs = unknownFiguresRefreshMs;
    bool singleCable = false;  // the card measures through a single-cable device
    SingleCableSetting singleCableSetting;
    std::string userBandNote;  // "another receiver uses user band 1" since the latest start, else ""
    // A card that reads no network list of its own may be told whether
    // the skew can be judged (the Linux bridge, by azimora-dvb).
    bool skewFromCard = false;
    SkewChance cardSkew;  // for the latest start
};

// Starts the record and the phone page if asked for; `cardName` (UTF-8)
// says on the page and in the record which card is measuring, and
// `cardSite` (the practice dish's) is the site where the settings file has
// no site= line. Each open has its close, which is false when a thread of
// the phone page (a sweep under way) did not end in time: what the card
// lent it must then stay.
void openReadingFeed(ReadingFeed& feed, const std::string& cardName, const DishSite* cardSite = nullptr);
bool closeReadingFeed(ReadingFeed& feed);

// One of the program's set calls, accepted by the card: the page shows the
// transponder once all six of a start have come, and the network of the
// transponder before is forgotten.
void noteSetCall(ReadingFeed& feed, CardSetCall call, LONG value);

// What the card says of itself where the phone page and its window show it,
// once it knows more than at the open (UTF-8).
void noteCardLine(ReadingFeed& feed, const std::string& line);

// A card that measures through a single-cable device says so after the
// open (null: none); the page shows it and the record keeps it with each
// measurement.
void noteSingleCable(ReadingFeed& feed, const SingleCableSetting* setting);
// Another receiver took the user band under a steady tune (the stream's id
// changed): said on the page, in the record; a new start forgets it.
void noteUserBandShared(ReadingFeed& feed, const std::string& text);

// A whole network table read while locked (a card that can read one).
void noteNetwork(ReadingFeed& feed, const NetworkIdentity& identity);
// Whether the skew can be judged on the transponder tuned, where another
// reads the network's list for the card; it holds while the network does.
void noteSkewChance(ReadingFeed& feed, const SkewChance& chance);
// What is known of the network now, and what the catalogue expected.
NetworkReport feedNetworkReport(ReadingFeed& feed, std::vector<PositionTenths>* expected);

// The tuner's own word on the modulation and code rate it is locked to,
// read while locked; it holds until the lock goes.
void noteTunerModcod(ReadingFeed& feed, const ModcodWord& word);
// What a card that learns them from elsewhere (the Linux bridge, from
// azimora-dvb) reports at once: the tuner's word and the network's, read
// while locked (whether its C/N is measured in dB travels with each reading).
void noteMarginWords(ReadingFeed& feed, const ModcodWord& tuner, const ModcodWord& network);
// The link margin of the latest reading.
LinkMargin feedLatestMargin(ReadingFeed& feed);
// What the phone page's bracketing guide says now, in a line ("" while it
// is idle or there is no page).
std::string feedPeakLine(ReadingFeed& feed);

// Waits until the next reading is due. Never call it holding a lock that
// another thread needs meanwhile.
void waitForReadingTime(ReadingFeed& feed);
void publishReading(ReadingFeed& feed, const SignalReading& reading);

// The status query's reading: waits for its time, reads, publishes.
template <typename Read>
SignalReading takeReading(ReadingFeed& feed, Read read)
{
    waitForReadingTime(feed);
    const SignalReading reading = read();
    publishReading(feed, reading);
    return reading;
}

// A card that can sweep the band (phone_service.h) says how, after
// openReadingFeed and before its first reading; the phone page then offers
// it while the program is not measuring.
void setCardSweeper(ReadingFeed& feed, const CardSweeper& sweeper);
// A card with a motorised dish says how it turns it when a phone asks
// (phone_service.h), after openReadingFeed and before its first reading.
void setCardMotor(ReadingFeed& feed, const CardMotorDriver& driver);

// The settings file of the card DLL: its own path with ".ini" for ".dll".
std::string cardSettingsPath();

// The catalogue as the program reads it (satellite.ini in its folder): what
// tells a card which satellite a tuned transponder is on.
std::vector<CatalogueLine> programCatalogueLines();

// The one path by which every card substitute reads its card: each status
// query waits until the previous reading is old enough (reading_pace.h), so
// that the program's unpaced monitor loop never spins, and every reading
// taken goes both to the program and to the phone page, which is served
// when the card's settings file (NAME.ini beside NAME.dll) has a line
// "phone=PORT" or AZIMORA_PHONE asks for it.
#pragma once
#include <windows.h>

#include <string>

#include "cardbase/card_tuning.h"
#include "cardbase/reading_pace.h"
#include "cardbase/signal_scale.h"

struct PhoneService;

struct ReadingFeed {
    ReadingPace pace;
    PhoneService* phone = nullptr;  // null while the phone page is not asked for
};

// Starts the phone page if asked for; `cardName` (UTF-8) says on the page
// which card is measuring. Each open has its close.
void openReadingFeed(ReadingFeed& feed, const std::string& cardName);
void closeReadingFeed(ReadingFeed& feed);

// One of the program's set calls, accepted by the card: the page shows the
// transponder once all six of a start have come.
void noteSetCall(ReadingFeed& feed, CardSetCall call, LONG value);

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

// The settings file of the card DLL: its own path with ".ini" for ".dll".
std::string cardSettingsPath();

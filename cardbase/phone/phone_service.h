// The phone page of a card substitute: a small read-only web server and the
// "Phone" window that shows its address as a QR code and as text (or why
// there is none), both on one thread of their own, which owns every socket
// and the window. The card only hands it what it tells the program; a
// phone, however slow, never holds up the card, and a server that cannot
// start leaves the measurement as it was.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "cardbase/card_tuning.h"
#include "cardbase/lnb_error.h"
#include "cardbase/margin/link_margin.h"
#include "cardbase/motor/card_motor.h"
#include "cardbase/peak/peak_guide.h"
#include "cardbase/phone/phone_point.h"
#include "cardbase/phone/phone_settings.h"
#include "cardbase/signal_scale.h"
#include "cardbase/sweep/sweep_result.h"

struct PhoneService;

// What the tests and tools find the window and the thread by.
constexpr char phoneWindowClass[] = "AzimoraPhone";
constexpr char phoneThreadName[] = "phone server";

// Starts serving as `setting` asks (it has been asked for); `settingsPath`
// is named in the window when the port cannot be had. Null only when not
// even the thread could start.
PhoneService* startPhoneService(const PhoneSetting& setting, const std::string& cardName,
                                const std::string& settingsPath);
// Ends the thread, its sockets and its window, and a sweep under way. Null
// does nothing. Must not be called while the loader lock is held. False
// when a thread did not end in time: it still runs, and what it uses
// (the service, and the card its sweep drives) must stay.
bool stopPhoneService(PhoneService* service);

// The site and catalogue the page's "Where to point" starts from.
void phoneSetPlace(PhoneService* service, const PhonePlace& place);

// The folder the page reads the record from; "" (the default) keeps the
// record from the page.
void phoneSetRecord(PhoneService* service, const std::string& folder);

void phoneSetCall(PhoneService* service, CardSetCall call, int32_t value);
// Through a single-cable device: its words ("EN 50494, user band 1 at 1210
// MHz"; "" for none), and the card's word that another receiver uses the
// user band ("" for none; a new start forgets it), both on the page.
void phoneSetSingleCable(PhoneService* service, const std::string& words);
void phoneSetUserBandNote(PhoneService* service, const std::string& note);
// The LNB's own error as the card knows it now (cardbase/lnb_error.h), on the page.
void phoneSetLnbError(PhoneService* service, const LnbError& error);
// What the page and the window say of the card from now on.
void phoneSetCard(PhoneService* service, const std::string& card);
// How a card sweeps the band when a phone asks (phone_sweep.h): it carries
// the plan out, reporting the status as it goes; `report` says false when
// the sweep is to stop (the card is going), and the card then stops soon.
typedef std::function<bool(const SweepStatus&)> SweepReport;
typedef std::function<void(const SweepPlan&, const SweepReport&)> CardSweeper;
// Set once, before the first reading: the page then offers the sweep. The
// sweep runs on a thread of its own, one at a time, only while the program
// is not measuring.
void phoneSetSweeper(PhoneService* service, const CardSweeper& sweeper);
// How a card turns its motorised dish when a phone asks (phone_motor.h):
// it sends the move, or refuses it, and says so in words. Set once, before
// the first reading: the page then offers "Go to" and the steps. Each move
// is handed over on a thread of its own, one at a time, only while the
// program is not measuring.
typedef std::function<std::string(const MotorRequest&)> CardMotorDriver;
void phoneSetMotor(PhoneService* service, const CardMotorDriver& driver);

// A reading handed to the program, with what the card knows of the network
// then (networkJson), the link margin and what the bracketing guide takes of
// it (its time the card's clock).
void phoneReading(PhoneService* service, const SignalReading& reading, const std::string& network,
                  const LinkMargin& margin, const PeakReading& peak);
// What the bracketing guide says now, in a line ("" while it is idle).
std::string phonePeakLine(PhoneService* service);

#include "cardbase/phone/phone_service.h"

#include <new>

#include "app/wall_clock.h"
#include "cardbase/module_thread.h"
#include "cardbase/peak/peak_words.h"
#include "cardbase/phone/phone_parts.h"
#include "cardbase/sent_messages.h"
#include "cardbase/thread_name.h"

struct PhoneService {
    PhoneSetting setting;
    std::string settingsPath;
    CRITICAL_SECTION lock;  // guards the feed, which the card's thread writes
    PhoneFeed feed;
    HANDLE wake;   // a new reading, or the end
    HANDLE ready;  // the thread has its window and sockets
    HANDLE thread;
    volatile LONG ending;
    CardSweeper sweeper;  // set once before serving
    HANDLE sweepThread;   // the latest sweep's, owned by the phone thread until the end
    SweepPlan sweepPlan;
    CardMotorDriver motor;  // set once before serving
    HANDLE motorThread;     // the latest move's, owned by the phone thread until the end
    MotorRequest motorRequest;
};

// How often the thread looks at its connections' deadlines when nothing happens.
static const DWORD housekeepingMs = 250;
// How long the end of the thread is waited for: it never blocks, so this is
// only a bound.
static const DWORD endingMs = 10000;

static int followingPhones(const PhoneSockets& sockets) { return phoneStreams(sockets.core); }

// The sweep's thread: the card carries the plan out; each status it
// reports goes to the phones.
static DWORD WINAPI sweepThread(void* parameter)
{
    PhoneService* service = static_cast<PhoneService*>(parameter);
    nameThisThread("band sweep");
    const auto report = [service](const SweepStatus& status) {
        EnterCriticalSection(&service->lock);
        service->feed.sweep = status;
        ++service->feed.sweepVersion;
        LeaveCriticalSection(&service->lock);
        SetEvent(service->wake);
        return !service->ending;
    };
    service->sweeper(service->sweepPlan, report);
    EnterCriticalSection(&service->lock);
    if (service->feed.sweep.state == SweepRunning) {
        service->feed.sweep.state = SweepFailed;
        service->feed.sweep.problem = "the sweep was cut short";
        ++service->feed.sweepVersion;
    }
    LeaveCriticalSection(&service->lock);
    SetEvent(service->wake);
    return 0;
}

// A sweep a phone was allowed: started on its own thread, the one before it long done.
static void startAskedSweep(PhoneService* service, PhoneServerCore& core)
{
    EnterCriticalSection(&service->lock);
    const bool asked = core.sweepAsked;
    core.sweepAsked = false;
    const bool earlierEnded = !service->sweepThread || WaitForSingleObject(service->sweepThread, 0) == WAIT_OBJECT_0;
    if (asked && earlierEnded && service->sweeper) {
        if (service->sweepThread) CloseHandle(service->sweepThread);
        service->sweepPlan = planSweep(core.sweepRequest);
        SweepStatus& status = service->feed.sweep;
        status = sweepBegun(service->sweepPlan);
        ++service->feed.sweepVersion;
        service->sweepThread = CreateThread(nullptr, 0, sweepThread, service, 0, nullptr);
        if (!service->sweepThread) {
            status.state = SweepFailed;
            status.problem = "no thread for the sweep";
        }
    }
    LeaveCriticalSection(&service->lock);
}

// What phones asked of the bracketing guide, in order.
static void carryOutPeakRequests(PhoneService* service, PhoneServerCore& core)
{
    if (core.peakAsked.empty()) return;
    EnterCriticalSection(&service->lock);
    for (const PeakRequest& request : core.peakAsked) feedPeakRequest(service->feed, request);
    LeaveCriticalSection(&service->lock);
    core.peakAsked.clear();
    SetEvent(service->wake);
}

// The move's thread: the card sends it, and its words go to the phones.
static DWORD WINAPI motorThread(void* parameter)
{
    PhoneService* service = static_cast<PhoneService*>(parameter);
    nameThisThread("motor");
    const std::string words = service->motor(service->motorRequest);
    EnterCriticalSection(&service->lock);
    service->feed.motorWords = words;
    ++service->feed.motorVersion;
    LeaveCriticalSection(&service->lock);
    SetEvent(service->wake);
    return 0;
}

// A move a phone was allowed: handed to the card on its own thread, the one before it done.
static void startAskedMove(PhoneService* service, PhoneServerCore& core)
{
    EnterCriticalSection(&service->lock);
    const bool earlierEnded = !service->motorThread || WaitForSingleObject(service->motorThread, 0) == WAIT_OBJECT_0;
    if (core.motorAsked && earlierEnded && service->motor) {
        core.motorAsked = false;
        if (service->motorThread) CloseHandle(service->motorThread);
        service->motorRequest = core.motorRequest;
        service->motorThread = CreateThread(nullptr, 0, motorThread, service, 0, nullptr);
        if (!service->motorThread) {
            service->feed.motorWords = "no thread for the motor";
            ++service->feed.motorVersion;
        }
    }
    LeaveCriticalSection(&service->lock);
}

static DWORD WINAPI phoneThread(void* parameter)
{
    PhoneService* service = static_cast<PhoneService*>(parameter);
    nameThisThread(phoneThreadName);
    // A report being built for a phone yields to the card's readings.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    PhoneSockets sockets;
    PhoneView view;
    EnterCriticalSection(&service->lock);
    view.card = service->feed.card;
    LeaveCriticalSection(&service->lock);
    if (!service->setting.problem.empty()) {
        view.problem = "AZIMORA_PHONE or phone= in " + service->settingsPath + ": " + service->setting.problem;
    } else if (openPhoneSockets(sockets, service->setting, service->settingsPath, &view.problem)) {
        view.address = phonePageAddress(service->setting);
        view.code = qrModulesFor(view.address);
    }
    // Without its window the page is served all the same.
    const HWND window = createPhoneWindow(&view);
    SetEvent(service->ready);

    while (!service->ending) {
        HANDLE handles[2] = {service->wake, sockets.network};
        const DWORD count = sockets.network != WSA_INVALID_EVENT ? 2 : 1;
        MsgWaitForMultipleObjects(count, handles, FALSE, housekeepingMs, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (service->ending) break;
        servePhoneSockets(sockets, &service->lock, service->feed);
        startAskedSweep(service, sockets.core);
        carryOutPeakRequests(service, sockets.core);
        startAskedMove(service, sockets.core);
        EnterCriticalSection(&service->lock);
        const bool newCard = service->feed.card != view.card;
        if (newCard) view.card = service->feed.card;
        LeaveCriticalSection(&service->lock);
        if (newCard || followingPhones(sockets) != view.phones) {
            view.phones = followingPhones(sockets);
            showPhoneView(window);
        }
    }
    closePhoneSockets(sockets);
    destroyPhoneWindow(window, &view);
    return 0;
}

static void freeService(PhoneService* service)
{
    if (service->sweepThread) CloseHandle(service->sweepThread);
    if (service->motorThread) CloseHandle(service->motorThread);
    if (service->thread) CloseHandle(service->thread);
    if (service->ready) CloseHandle(service->ready);
    if (service->wake) CloseHandle(service->wake);
    DeleteCriticalSection(&service->lock);
    delete service;
}

PhoneService* startPhoneService(const PhoneSetting& setting, const std::string& cardName,
                                const std::string& settingsPath)
{
    PhoneService* service = new (std::nothrow) PhoneService();
    if (!service) return nullptr;
    InitializeCriticalSection(&service->lock);
    service->setting = setting;
    service->settingsPath = settingsPath;
    service->feed.run = std::to_string(wallClockMs()) + "-" + std::to_string(GetCurrentProcessId());
    service->feed.card = cardName;
    service->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    service->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (service->wake && service->ready) service->thread = CreateThread(nullptr, 0, phoneThread, service, 0, nullptr);
    if (!service->thread) {
        freeService(service);
        return nullptr;
    }
    // The card answers the program only once the window is up, so that it
    // comes before the program's first reading.
    waitHandlingSentMessages(service->ready, endingMs);
    return service;
}

bool stopPhoneService(PhoneService* service)
{
    if (!service) return true;
    // A thread that did not end in time still uses the service and runs
    // this DLL's code: both are left to it for good rather than freed under it.
    if (!endModuleThread(service->thread, &service->ending, service->wake, endingMs, ThreadWait::HandlingSentMessages))
        return false;
    // The sweep stops at its next report, now that the service is ending.
    if (service->sweepThread && !endModuleThread(service->sweepThread, &service->ending, service->wake, endingMs,
                                                 ThreadWait::HandlingSentMessages))
        return false;
    // A move's card call is bounded by the card's own waits.
    if (service->motorThread && !endModuleThread(service->motorThread, &service->ending, service->wake, endingMs,
                                                 ThreadWait::HandlingSentMessages))
        return false;
    freeService(service);
    return true;
}

void phoneSetMotor(PhoneService* service, const CardMotorDriver& driver)
{
    EnterCriticalSection(&service->lock);
    service->motor = driver;
    service->feed.canMotor = static_cast<bool>(driver);
    LeaveCriticalSection(&service->lock);
}

void phoneSetSweeper(PhoneService* service, const CardSweeper& sweeper)
{
    EnterCriticalSection(&service->lock);
    service->sweeper = sweeper;
    service->feed.canSweep = static_cast<bool>(sweeper);
    LeaveCriticalSection(&service->lock);
}

void phoneSetPlace(PhoneService* service, const PhonePlace& place)
{
    EnterCriticalSection(&service->lock);
    service->feed.place = place;
    ++service->feed.servingVersion;
    LeaveCriticalSection(&service->lock);
}

void phoneSetRecord(PhoneService* service, const std::string& folder)
{
    EnterCriticalSection(&service->lock);
    service->feed.recordFolder = folder;
    ++service->feed.servingVersion;
    LeaveCriticalSection(&service->lock);
}

void phoneSetSingleCable(PhoneService* service, const std::string& words)
{
    EnterCriticalSection(&service->lock);
    service->feed.singleCable = words;
    LeaveCriticalSection(&service->lock);
    SetEvent(service->wake);
}

void phoneSetUserBandNote(PhoneService* service, const std::string& note)
{
    EnterCriticalSection(&service->lock);
    service->feed.userBandNote = note;
    LeaveCriticalSection(&service->lock);
    SetEvent(service->wake);
}

void phoneSetLnbError(PhoneService* service, const LnbError& error)
{
    EnterCriticalSection(&service->lock);
    service->feed.lnbError = error;
    LeaveCriticalSection(&service->lock);
}

void phoneSetCall(PhoneService* service, CardSetCall call, int32_t value)
{
    const int64_t now = wallClockMs();
    EnterCriticalSection(&service->lock);
    feedSetCall(service->feed, call, value, now);
    LeaveCriticalSection(&service->lock);
    SetEvent(service->wake);
}

void phoneReading(PhoneService* service, const SignalReading& reading, const std::string& network,
                  const LinkMargin& margin, const PeakReading& peak)
{
    const int64_t now = wallClockMs();
    EnterCriticalSection(&service->lock);
    feedReading(service->feed, reading, network, margin, now, peak);
    LeaveCriticalSection(&service->lock);
    SetEvent(service->wake);
}

std::string phonePeakLine(PhoneService* service)
{
    EnterCriticalSection(&service->lock);
    const std::string line = peakLine(service->feed.peak);
    LeaveCriticalSection(&service->lock);
    return line;
}

void phoneSetCard(PhoneService* service, const std::string& card)
{
    EnterCriticalSection(&service->lock);
    service->feed.card = card;
    LeaveCriticalSection(&service->lock);
    SetEvent(service->wake);
}

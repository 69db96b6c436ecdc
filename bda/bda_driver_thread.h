// The one thread that calls the tuner's driver once the graph runs: tunes,
// DiSEqC commands and readings. A driver may take its time or never return
// (a USB tuner pulled, a driver searching in software), so the caller hands
// over one piece of work at a time and waits for it with a bound; work that
// overruns finishes on its own, and the next call waits for it first. The
// work's data must outlive the thread (see stopDriverThread).
#pragma once
#include <windows.h>

#include <cstdint>

#include "cardbase/module_thread.h"

struct DriverThread {
    HANDLE thread = nullptr;
    HANDLE wake = nullptr;  // auto-reset: work has been handed over
    HANDLE idle = nullptr;  // manual-reset: no work is running
    void (*work)(void*) = nullptr;
    void* context = nullptr;
    volatile LONG stopping = 0;
};

bool startDriverThread(DriverThread& driver);

enum DriverCall : unsigned char {
    DriverCallDone,      // the work has finished
    DriverCallTimedOut,  // it still runs; its outcome is to be ignored
    DriverCallBusy,      // earlier work still ran; this one was not started
};

// Runs work(context) on the thread and waits up to timeoutMs for it, after
// waiting up to as long for earlier work to end.
DriverCall callOnDriverThread(DriverThread& driver, void (*work)(void*), void* context, DWORD timeoutMs);

// Waits up to timeoutMs until no work runs.
bool driverThreadIdle(DriverThread& driver, DWORD timeoutMs);

// Ends the thread and closes its handles. False when work still ran after
// timeoutMs: the thread and whatever its work uses are then left to it for
// good (never freed), and so is this module.
bool stopDriverThread(DriverThread& driver, DWORD timeoutMs);

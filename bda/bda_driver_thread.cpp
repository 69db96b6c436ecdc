#include "bda/bda_driver_thread.h"

#include <initializer_list>

static DWORD WINAPI driverThreadMain(void* parameter)
{
    DriverThread& driver = *static_cast<DriverThread*>(parameter);
    while (!driver.stopping) {
        // Bounded, so that a stop is seen even if its wake-up were lost.
        if (WaitForSingleObject(driver.wake, 1000) != WAIT_OBJECT_0 || driver.stopping) continue;
        driver.work(driver.context);
        SetEvent(driver.idle);
    }
    return 0;
}

static void closeHandles(DriverThread& driver)
{
    for (HANDLE* handle : {&driver.thread, &driver.wake, &driver.idle}) {
        if (*handle) CloseHandle(*handle);
        *handle = nullptr;
    }
}

bool startDriverThread(DriverThread& driver)
{
    driver.stopping = 0;
    driver.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    driver.idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (driver.wake && driver.idle) driver.thread = CreateThread(nullptr, 0, driverThreadMain, &driver, 0, nullptr);
    if (driver.thread) return true;
    closeHandles(driver);
    return false;
}

bool driverThreadIdle(DriverThread& driver, DWORD timeoutMs)
{
    return driver.idle && WaitForSingleObject(driver.idle, timeoutMs) == WAIT_OBJECT_0;
}

DriverCall callOnDriverThread(DriverThread& driver, void (*work)(void*), void* context, DWORD timeoutMs)
{
    if (!driverThreadIdle(driver, timeoutMs)) return DriverCallBusy;
    driver.work = work;
    driver.context = context;
    ResetEvent(driver.idle);
    SetEvent(driver.wake);
    return WaitForSingleObject(driver.idle, timeoutMs) == WAIT_OBJECT_0 ? DriverCallDone : DriverCallTimedOut;
}

bool stopDriverThread(DriverThread& driver, DWORD timeoutMs)
{
    if (!driver.thread) return true;
    if (!endModuleThread(driver.thread, &driver.stopping, driver.wake, timeoutMs)) return false;
    closeHandles(driver);
    return true;
}

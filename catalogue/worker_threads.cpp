#include "catalogue/worker_threads.h"

#include "app/app_state.h"
#include "audio/audio_thread.h"
#include "catalogue/measurement_start.h"
#include "tuner/monitor_thread.h"

#ifdef AZM_TEST_HOOKS
#include <cstring>

// The test build can be told to fail the start of one worker thread, so that
// tests see what the program does when the system refuses a thread.
static bool refusedByTest(LPTHREAD_START_ROUTINE procedure)
{
    char which[16];
    const DWORD length = GetEnvironmentVariableA("AZIMORA_TEST_REFUSE_THREAD", which, sizeof which);
    if (length == 0 || length >= sizeof which) return false;
    return (std::strcmp(which, "monitor") == 0 && procedure == signalMonitorThread) ||
           (std::strcmp(which, "audio") == 0 && procedure == audioFeedbackThread);
}
#else
static bool refusedByTest(LPTHREAD_START_ROUTINE) { return false; }
#endif

// Runs the procedure on a new thread that nobody waits on (the running
// flags in the state record serve for that). False when no thread could be
// made: then nothing runs and no flag may be set for it.
static bool startWorkerThread(LPTHREAD_START_ROUTINE procedure)
{
    if (refusedByTest(procedure)) return false;
    HANDLE thread = CreateThread(nullptr, 0, procedure, nullptr, 0, nullptr);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

void startMeasurementThreads()
{
    // The flags are set after the start: only this thread ends a measurement,
    // so a worker cannot have finished before its flag is set.
    if (!startWorkerThread(signalMonitorThread)) {
        returnToSetup();
        return;
    }
    app.monitorRunning.store(1, std::memory_order_release);
    if (startWorkerThread(audioFeedbackThread)) app.audioRunning.store(1, std::memory_order_release);
}

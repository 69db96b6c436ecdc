// Starting the two worker threads of a measurement.
#pragma once
#include <windows.h>

// Runs the procedure on a new thread that nobody waits on (the running
// flags in the state record serve for that). False when no thread could be
// made: then nothing runs and no flag may be set for it.
bool startWorkerThread(LPTHREAD_START_ROUTINE procedure);

// Starts the signal monitor, then the audio feedback, each flag set once its
// thread runs. Without a monitor there is no measurement: the program goes
// back to Setup. Without the audio thread the readouts still go on, silent.
void startMeasurementThreads();

// Starting the two worker threads of a measurement.
#pragma once

// Starts the signal monitor, then the audio feedback, each flag set once its
// thread runs. Without a monitor there is no measurement: the program goes
// back to Setup. Without the audio thread the readouts still go on, silent.
void startMeasurementThreads();

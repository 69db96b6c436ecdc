// The simulated BDA tuners (bdasim_tuner.dll), as a BDA driver's filter
// looks to DirectShow through Windows' kernel-streaming proxy: an antenna
// input pin, a transport stream output pin, IBDA_Topology with two control
// nodes (the RF tuner: IBDA_FrequencyFilter, IBDA_LNBInfo,
// IBDA_DiseqCommand, IBDA_SignalStatistics; the demodulator:
// IBDA_DigitalDemodulator, IBDA_SignalStatistics) and IBDA_DeviceControl,
// whose CommitChanges tunes. What reached the tuner is logged as
//   tune NAME frequency=KHZ symbolRate=KSPS polarisation=H|V|- low=KHZ
//        high=KHZ switch=KHZ source=A..D|none band=low|high if=KHZ
// and it locks, as the scenario says, only while it runs and is tuned to
// an intermediate frequency of 950 to 2150 MHz at 1000 to 45000 kS/s.
#pragma once
#include <windows.h>

// The devices the DLL registers, in the order the system lists them.
struct SimDeviceModel {
    const CLSID* clsid;
    const char* name;
    const GUID* demodulator;  // the node type that says which network the tuner receives
    bool needsCapture;        // a tuner of two filters that does not run without its capture filter
};

extern const SimDeviceModel simDevices[];
extern const int simDeviceCount;
extern const CLSID classSimCapture;  // the capture filter of the tuner that needs one

HRESULT createSimTuner(const SimDeviceModel& model, REFIID iid, void** object);
HRESULT createSimCapture(REFIID iid, void** object);

// What the helper's tuning sequence sends the simulated frontend for one
// transponder: the supply, the switch's command where there is one, the
// tone, and the tune (DVB-S2 with everything automatic, DVB-S as it is).
#pragma once
#include <cstdint>
#include <gtest/gtest.h>
#include <linux/dvb/frontend.h>

#include "cardbase/card_tuning.h"
#include "cardbase/frontend_plan.h"
#include "dvb/simulated/kernel_frontend.h"

// The intermediate frequency the frontend was given, in kHz.
inline uint32_t tuneSimulatedFrontend(SimulatedFrontend& frontend, const CardTuning& tuning, uint32_t system,
                                      uint64_t nowMs)
{
    const FrontendPlan plan = frontendPlanFor(tuning);
    const uintptr_t voltage = plan.voltage == Voltage18 ? SEC_VOLTAGE_18 : SEC_VOLTAGE_13;
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_VOLTAGE, reinterpret_cast<void*>(voltage), nowMs));
    if (plan.switchPort != noSwitchPort) {
        dvb_diseqc_master_cmd command{{plan.diseqc[0], plan.diseqc[1], plan.diseqc[2], plan.diseqc[3]}, 4};
        EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_DISEQC_SEND_MASTER_CMD, &command, nowMs));
    }
    const uintptr_t tone = plan.toneOn ? SEC_TONE_ON : SEC_TONE_OFF;
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_TONE, reinterpret_cast<void*>(tone), nowMs));
    const bool dvbs2 = system == SYS_DVBS2;
    const uint32_t values[][2] = {{DTV_DELIVERY_SYSTEM, system},
                                  {DTV_FREQUENCY, plan.intermediateKHz},
                                  {DTV_SYMBOL_RATE, plan.symbolsPerSecond},
                                  {DTV_MODULATION, dvbs2 ? static_cast<uint32_t>(QAM_AUTO) : QPSK},
                                  {DTV_ROLLOFF, dvbs2 ? static_cast<uint32_t>(ROLLOFF_AUTO) : ROLLOFF_35},
                                  {DTV_INNER_FEC, FEC_AUTO},
                                  {DTV_TUNE, 0}};
    dtv_property properties[7] = {};
    for (size_t i = 0; i < 7; ++i) {
        properties[i].cmd = values[i][0];
        properties[i].u.data = values[i][1];
    }
    dtv_properties list{7, properties};
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &list, nowMs));
    return plan.intermediateKHz;
}

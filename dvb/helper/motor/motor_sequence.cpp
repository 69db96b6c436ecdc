#include "dvb/helper/motor/motor_sequence.h"

#include <cstring>

const char remoteMotorRefusal[] = "dvbv5-daemon cannot carry a positioner's command: its libdvbv5 drives the LNB "
                                  "its own way";

std::vector<SequenceStep> motorSequenceSteps(const std::vector<MotorStep>& steps, const MotorCommand& command)
{
    std::vector<SequenceStep> sequence;
    for (const MotorStep& step : steps) {
        SequenceStep each{};
        switch (step.kind) {
        case MotorToneOff: each.kind = StepTone; break;
        case MotorSupply18:
            each.kind = StepSupply;
            each.voltage = Voltage18;
            break;
        case MotorPause:
            each.kind = StepPause;
            each.pauseMs = step.ms;
            break;
        case MotorSend:
            each.kind = StepSwitchCommand;
            std::memcpy(each.command, command.bytes, command.length);
            each.commandLength = command.length;
            break;
        case MotorHoldUntilThere:
        case MotorTune: continue;
        }
        sequence.push_back(each);
    }
    return sequence;
}

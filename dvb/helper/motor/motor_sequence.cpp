#include "dvb/helper/motor/motor_sequence.h"

const char remoteMotorRefusal[] = "dvbv5-daemon cannot carry a positioner's command: its libdvbv5 drives the LNB "
                                  "its own way";

std::vector<SequenceStep> motorSequenceSteps(const std::vector<MotorStep>& steps, const MotorCommand& command)
{
    std::vector<SequenceStep> sequence;
    for (const MotorStep& step : steps) {
        switch (step.kind) {
        case MotorToneOff: sequence.push_back(toneStep(false)); break;
        case MotorSupply18: sequence.push_back(supplyStep(Voltage18)); break;
        case MotorPause: sequence.push_back(pauseStep(step.ms)); break;
        case MotorSend: sequence.push_back(switchCommandStep(command.bytes, command.length)); break;
        case MotorHoldUntilThere:
        case MotorTune: break;
        }
    }
    return sequence;
}

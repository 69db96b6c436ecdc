// The committed-switch command, sent through the DiSEqC interface of the
// tuner's own node: unlike the LNB source, which a driver may take and then
// ignore, the command fails where the driver cannot send it.
#include "bda/bda_graph.h"
#include "cardbase/card_clock.h"

// An LNB needs a moment after its supply comes on before it hears DiSEqC,
// and a switch needs a pause between two commands.
static constexpr DWORD supplySettleMs = 100;
static constexpr DWORD commandGapMs = 20;

static bool sendOnce(BdaGraph& graph, const uint8_t command[4])
{
    BYTE bytes[4] = {command[0], command[1], command[2], command[3]};
    return SUCCEEDED(graph.diseqc->put_DiseqSendCommand(++graph.commandsSent, sizeof bytes, bytes));
}

bool sendSwitchCommand(BdaGraph& graph, const uint8_t command[4])
{
    if (!graph.diseqc) return false;
    const uint32_t running = cardClockMs() - graph.runningSince;
    if (running < supplySettleMs) Sleep(supplySettleMs - running);
    graph.diseqc->put_EnableDiseqCommands(TRUE);
    if (!sendOnce(graph, command)) return false;
    // The repeat is for a switch that missed the first one while it woke up;
    // the first having gone out, its own result does not matter.
    Sleep(commandGapMs);
    sendOnce(graph, command);
    return true;
}

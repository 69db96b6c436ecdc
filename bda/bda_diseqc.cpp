// The switch's calls on the tuner's own nodes. Unlike the LNB source, which
// a driver may take and then ignore, a command, once enabled, fails where
// the driver cannot send it; the order and the waits between the calls are
// the start's steps (bda_start_steps.h).
#include "bda/bda_graph.h"

bool enableSwitchCommands(BdaGraph& graph)
{
    return graph.diseqc && SUCCEEDED(graph.diseqc->put_EnableDiseqCommands(TRUE));
}

bool sendSwitchCommand(BdaGraph& graph, const uint8_t command[4])
{
    if (!graph.diseqc) return false;
    BYTE bytes[4] = {command[0], command[1], command[2], command[3]};
    return SUCCEEDED(graph.diseqc->put_DiseqSendCommand(++graph.commandsSent, sizeof bytes, bytes));
}

// Windows documents the burst as a mode of the LNB source: with tone
// bursts on, the driver selects source A or B (the node counts them from 0)
// with a burst. The mode goes off again, so that no later LNB source
// sends one.
bool sendToneBurst(BdaGraph& graph, bool burstB)
{
    if (!graph.diseqc || FAILED(graph.diseqc->put_DiseqUseToneBurst(TRUE))) return false;
    const bool sent = SUCCEEDED(graph.diseqc->put_DiseqLNBSource(burstB ? 1 : 0));
    graph.diseqc->put_DiseqUseToneBurst(FALSE);
    return sent;
}

// A driver takes its nodes' values at the end of a change (as the network
// provider makes one for every tune); a value put outside one would be
// overwritten by the provider's next change.
bool putInputRange(BdaGraph& graph, int32_t range)
{
    if (!graph.rfTuner || !graph.deviceControl || FAILED(graph.deviceControl->StartChanges())) return false;
    HRESULT result = graph.rfTuner->put_Range(static_cast<ULONG>(range));
    if (SUCCEEDED(result)) result = graph.deviceControl->CheckChanges();
    if (SUCCEEDED(result)) result = graph.deviceControl->CommitChanges();
    return SUCCEEDED(result);
}

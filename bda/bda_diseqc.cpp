// The switch's calls on the tuner's own nodes. Unlike the LNB source, which
// a driver may take and then ignore, a command, once enabled, fails where
// the driver cannot send it; the order and the waits between the calls are
// the start's steps (bda_start_steps.h).
#include "bda/bda_graph.h"

// A driver takes its nodes' values at the end of a change (as the network
// provider makes one for every tune); a value put outside one may never
// reach the device, or be overwritten by the provider's next change.
template <typename Put>
static bool inChangeOfItsOwn(BdaGraph& graph, Put put)
{
    if (!graph.deviceControl || FAILED(graph.deviceControl->StartChanges())) return false;
    HRESULT result = put();
    if (SUCCEEDED(result)) result = graph.deviceControl->CheckChanges();
    if (SUCCEEDED(result)) result = graph.deviceControl->CommitChanges();
    return SUCCEEDED(result);
}

bool enableSwitchCommands(BdaGraph& graph)
{
    return graph.diseqc && SUCCEEDED(graph.diseqc->put_EnableDiseqCommands(TRUE));
}

bool sendSwitchCommand(BdaGraph& graph, const uint8_t* command, size_t length)
{
    if (!graph.diseqc || length == 0 || length > maxBdaCommandBytes) return false;
    BYTE bytes[maxBdaCommandBytes];
    for (size_t i = 0; i < length; ++i) bytes[i] = command[i];
    const ULONG id = ++graph.commandsSent;
    return inChangeOfItsOwn(graph,
                            [&] { return graph.diseqc->put_DiseqSendCommand(id, static_cast<ULONG>(length), bytes); });
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

bool putRangeProperty(BdaGraph& graph, int32_t range)
{
    if (!graph.rfTuner) return false;
    return inChangeOfItsOwn(graph, [&] { return graph.rfTuner->put_Range(static_cast<ULONG>(range)); });
}

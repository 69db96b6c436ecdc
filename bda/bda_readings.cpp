// The control nodes of the tuner's topology: those that give its signal
// statistics, the first that takes DiSEqC commands, the RF tuner's
// frequency filter and the demodulator's word on what it locked.
#include "bda/bda_graph.h"
#include "bda/bda_ids.h"
#include "bda/bda_modcod.h"

static BdaNodeRole roleOf(const GUID& function)
{
    if (IsEqualGUID(function, nodeBdaRfTuner)) return RfTunerNode;
    if (IsEqualGUID(function, nodeBdaQpskDemodulator) || IsEqualGUID(function, nodeBdaEightPskDemodulator) ||
        IsEqualGUID(function, nodeBdaCofdmDemodulator))
        return DemodulatorNode;
    return OtherNode;
}

static BdaNodeRole roleOfType(const BDANODE_DESCRIPTOR* descriptors, ULONG count, ULONG type)
{
    for (ULONG i = 0; i < count; ++i)
        if (descriptors[i].ulBdaNodeType == type) return roleOf(descriptors[i].guidFunction);
    return OtherNode;
}

// The demodulator node's settings interface, or else the first node's that offers one.
static void takeDemodulator(BdaGraph& graph, IUnknown* node, bool demodulatorNode)
{
    if (graph.demodulator && !demodulatorNode) return;
    IBDA_DigitalDemodulator* demodulator = nullptr;
    if (FAILED(node->QueryInterface(IID_IBDA_DigitalDemodulator, reinterpret_cast<void**>(&demodulator))) ||
        !demodulator)
        return;
    releaseOnce(graph.demodulator);
    graph.demodulator = demodulator;
}

void addControlNodes(BdaGraph& graph, IBaseFilter* filter)
{
    IBDA_Topology* topology = nullptr;
    if (FAILED(filter->QueryInterface(IID_IBDA_Topology, reinterpret_cast<void**>(&topology)))) return;
    ULONG types[maxBdaNodes];
    ULONG typeCount = 0;
    BDANODE_DESCRIPTOR descriptors[maxBdaNodes];
    ULONG descriptorCount = 0;
    if (FAILED(topology->GetNodeDescriptors(&descriptorCount, maxBdaNodes, descriptors))) descriptorCount = 0;
    if (SUCCEEDED(topology->GetNodeTypes(&typeCount, maxBdaNodes, types))) {
        for (ULONG i = 0; i < typeCount && i < maxBdaNodes; ++i) {
            IUnknown* node = nullptr;
            // Control nodes lie between the input pin (0) and the output pin (1).
            if (FAILED(topology->GetControlNode(0, 1, types[i], &node)) || !node) continue;
            IBDA_SignalStatistics* statistics = nullptr;
            if (graph.nodeCount < maxBdaNodes &&
                SUCCEEDED(node->QueryInterface(IID_IBDA_SignalStatistics, reinterpret_cast<void**>(&statistics)))) {
                graph.nodes[graph.nodeCount] = statistics;
                graph.roles[graph.nodeCount] = roleOfType(descriptors, descriptorCount, types[i]);
                ++graph.nodeCount;
            }
            if (!graph.diseqc &&
                FAILED(node->QueryInterface(__uuidof(IBDA_DiseqCommand), reinterpret_cast<void**>(&graph.diseqc))))
                graph.diseqc = nullptr;
            if (!graph.rfTuner && roleOfType(descriptors, descriptorCount, types[i]) == RfTunerNode &&
                FAILED(node->QueryInterface(IID_IBDA_FrequencyFilter, reinterpret_cast<void**>(&graph.rfTuner))))
                graph.rfTuner = nullptr;
            takeDemodulator(graph, node, roleOfType(descriptors, descriptorCount, types[i]) == DemodulatorNode);
            node->Release();
        }
    }
    topology->Release();
}

TunerStatistics readBdaStatistics(const BdaGraph& graph, BdaReadingHistory& history, SignalLevel* level)
{
    if (level) *level = SignalLevel();
    if (graph.nodeCount == 0) {
        long strength = -1;
        if (!graph.tuner || FAILED(graph.tuner->get_SignalStrength(&strength))) strength = -1;
        return statisticsFromProviderStrength(static_cast<int32_t>(strength));
    }
    BdaNodeStatistics nodes[maxBdaNodes];
    for (int i = 0; i < graph.nodeCount; ++i) {
        IBDA_SignalStatistics* source = graph.nodes[i];
        BdaNodeStatistics& node = nodes[i];
        node.role = graph.roles[i];
        BOOLEAN locked = FALSE;
        node.hasLocked = SUCCEEDED(source->get_SignalLocked(&locked));
        node.locked = locked != FALSE;
        LONG value = 0;
        node.hasQuality = SUCCEEDED(source->get_SignalQuality(&value));
        node.quality = static_cast<int32_t>(value);
        value = 0;
        node.hasStrength = SUCCEEDED(source->get_SignalStrength(&value));
        node.strength = static_cast<int32_t>(value);
        BOOLEAN present = FALSE;
        node.hasPresent = SUCCEEDED(source->get_SignalPresent(&present));
        node.present = present != FALSE;
    }
    const TunerStatistics statistics = statisticsFromNodes(nodes, graph.nodeCount, history);
    if (level) *level = levelFromNodes(nodes, graph.nodeCount, history);
    return statistics;
}

ModcodWord readLockedModcod(const BdaGraph& graph, int32_t askedModulation)
{
    ModulationType modulation = BDA_MOD_NOT_SET;
    BinaryConvolutionCodeRate rate = BDA_BCC_RATE_NOT_SET;
    if (!graph.demodulator || FAILED(graph.demodulator->get_ModulationType(&modulation)) ||
        FAILED(graph.demodulator->get_InnerFECRate(&rate)))
        return missingWord(GapNotReported);
    return bdaModcodWord(static_cast<int32_t>(modulation), static_cast<int32_t>(rate), askedModulation);
}

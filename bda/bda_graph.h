// The DirectShow graph that reaches one BDA DVB-S tuner, as Windows' BDA
// prescribes it: a filter graph with the network provider, the tuner (and
// its capture filter where it has one), a DVB-S tuning space; tune requests
// go to the provider, and the readings come from the tuner's own signal
// statistics. The graph owns each pointer below once; releaseBdaGraph
// releases each.
#pragma once
#include <windows.h>

#include <bdaiface.h>
#include <dshow.h>
#include <string>
#include <tuner.h>

#include "bda/bda_statistics.h"
#include "bda/bda_tuning.h"

constexpr int maxStatisticsNodes = 8;

struct BdaGraph {
    IGraphBuilder* graph = nullptr;
    IMediaControl* control = nullptr;
    IBaseFilter* provider = nullptr;
    ITuner* tuner = nullptr;         // the provider's
    IBaseFilter* device = nullptr;   // the tuner's filter
    IBaseFilter* capture = nullptr;  // its capture filter, where it has one
    IDVBSTuningSpace* space = nullptr;
    IBDA_SignalStatistics* nodes[maxStatisticsNodes] = {};
    BdaNodeRole roles[maxStatisticsNodes] = {};
    int nodeCount = 0;
    LnbOscillators lnb{};  // what the provider has been given in the tuning space
    bool running = false;
};

// Builds the graph around the tuner called `wantedName` (UTF-8), or the
// first tuner that takes a DVB-S network provider when it is empty, and
// starts it. A failure leaves the graph partly built for releaseBdaGraph.
HRESULT buildBdaGraph(BdaGraph& graph, const std::string& wantedName);

// Sends one tune request (bda_tune.cpp). The tuning space and the default
// LNB it starts with.
HRESULT createTuningSpace(BdaGraph& graph);
HRESULT tuneBdaGraph(BdaGraph& graph, const BdaTuneValues& values);

// The tuner's statistics now (bda_readings.cpp), and finding the nodes that
// give them in a filter's topology.
void addStatisticsNodes(BdaGraph& graph, IBaseFilter* filter);
TunerStatistics readBdaStatistics(const BdaGraph& graph);

// Stops the graph and releases everything in it.
void releaseBdaGraph(BdaGraph& graph);

template <typename T>
void releaseOnce(T*& pointer)
{
    if (pointer) pointer->Release();
    pointer = nullptr;
}

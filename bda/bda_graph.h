// The DirectShow graph that reaches one BDA DVB-S tuner, as Windows' BDA
// prescribes it: a filter graph with the network provider, the tuner (and
// its capture filter where it has one), a DVB-S tuning space; tune requests
// go to the provider, DiSEqC commands to the tuner's own nodes or its
// maker's property set, the input range to the tuning space or the tuner's
// RF node, and the readings come from the tuner's own signal statistics.
// Where it can, the graph also delivers the stream's sections
// (bda_section_route.cpp). The graph owns each pointer below once; releaseBdaGraph releases each. It is built
// and released on the thread that creates the card; in between, only the
// driver thread (bda_driver_thread.h) calls into it, and tune requests are
// made for it on the creating thread.
#pragma once
#include <windows.h>

#include <bdaiface.h>
#include <dshow.h>
#include <string>
#include <tuner.h>

#include "bda/bda_ids.h"
#include "bda/bda_makers.h"
#include "bda/bda_modcod.h"
#include "bda/bda_search.h"
#include "bda/bda_section_sink.h"
#include "bda/bda_settings.h"
#include "bda/bda_statistics.h"
#include "bda/bda_tuning.h"

// How the graph delivers the tuned stream's sections, if at all.
enum SectionRoute : unsigned char {
    NoSections,
    SectionsFromDemultiplexer,  // pushed into the section sink behind an MPEG-2 demultiplexer
    SectionsFromTables,         // asked for through a filter's IMpeg2Data
};

struct BdaGraph {
    IGraphBuilder* graph = nullptr;
    IMediaControl* control = nullptr;
    IBaseFilter* provider = nullptr;
    ITuner* tuner = nullptr;         // the provider's
    IBaseFilter* device = nullptr;   // the tuner's filter
    std::string deviceName;          // as the system lists it, UTF-8
    std::string devicePath;          // "\\?\pci#ven_...", UTF-8; "" where the system gives none
    IBaseFilter* capture = nullptr;  // its capture filter, where it has one
    IDVBSTuningSpace* space = nullptr;
    IBDA_SignalStatistics* nodes[maxBdaNodes] = {};
    BdaNodeRole roles[maxBdaNodes] = {};
    int nodeCount = 0;
    IBDA_DiseqCommand* diseqc = nullptr;          // the first node offering it, if any
    IBDA_FrequencyFilter* rfTuner = nullptr;      // the RF tuner node's, for its input range
    bool rangeAnswered = false;                   // ... whose driver answers for the range
    IBDA_DeviceControl* deviceControl = nullptr;  // the tuner filter's, for changes of its own
    // The demodulator's settings, where it offers them (the demodulator node's before any other's).
    IBDA_DigitalDemodulator* demodulator = nullptr;
    // The tuner maker's property set, where its filter (or a pin of it) answers for it.
    BdaMaker maker = NoMaker;
    IKsPropertySet* makerSet = nullptr;
    MakerPropertySet makerProperty{};
    bool locatorHasLnbSource = false;  // Windows' locator carries an LNB source (Windows 7 on)
    LnbOscillators lnb{};              // what the provider has been given in the tuning space
    std::wstring spaceRange;           // the tuning space's input range as created
    std::wstring rangeGiven;           // ... as the provider has been given it
    SectionRoute sectionRoute = NoSections;
    IBaseFilter* demultiplexer = nullptr;  // behind the capture filter, or the tuner without one
    IBaseFilter* sectionSink = nullptr;
    IMpeg2Data* tables = nullptr;
    ULONG commandsSent = 0;
};

// Builds the graph around the tuner called `wantedName` (UTF-8), or the
// first tuner that takes a DVB-S network provider when it is empty, with
// the section route it allows (sections pushed go to `deliver`), and starts
// it; the maker's set is looked for as the switch setting allows. A failure
// leaves the graph partly built for releaseBdaGraph.
HRESULT buildBdaGraph(BdaGraph& graph, const std::string& wantedName, const SwitchSetting& switchSetting,
                      SectionDelivery deliver, void* context);

// The maker's property set (bda_maker_set.cpp): looked for on the tuner's
// filter, then on each of its pins, in the order of the maker's sets; a
// DiSEqC message, a tone burst alone, and the 22 kHz tone on or off (true
// without sending anything where the set has no tone of its own).
void findMakerSet(BdaGraph& graph, BdaMaker maker);
bool sendMakerCommand(BdaGraph& graph, const uint8_t* command, size_t length);
bool sendMakerBurst(BdaGraph& graph, bool burstB);
bool sendMakerTone(BdaGraph& graph, bool toneOn);

// The section route (bda_section_route.cpp): a demultiplexer after the
// capture stage with the PSI PIDs mapped to a pin that the section sink
// takes, else a filter of the graph that offers IMpeg2Data, else none.
// Joined before the graph first runs; nothing of it fails the graph.
void joinSectionRoute(BdaGraph& graph, SectionDelivery deliver, void* context);
// Takes the demultiplexer and the sink out of the graph again.
void leaveSectionRoute(BdaGraph& graph);

// The tuning space and the LNB it starts with, the tune requests for one
// transponder with the modulation, LNB source and DVB-S2 pilots and
// roll-off given (made on the creating thread), a new LNB for the provider, and sending a request
// (bda_tune.cpp).
HRESULT createTuningSpace(BdaGraph& graph);
HRESULT createTuneRequest(BdaGraph& graph, const BdaTuneValues& values, int32_t modulation, int32_t lnbSource,
                          const SignalShape& shape, ITuneRequest** request);
HRESULT putLnbOscillators(BdaGraph& graph, const LnbOscillators& lnb);
// The tuning space's input range (UTF-8; "" for the space's own), handed to
// the provider with the space when it changes.
HRESULT putSpaceInputRange(BdaGraph& graph, const std::string& range);
HRESULT putTuneRequest(BdaGraph& graph, ITuneRequest* request);

// Finding the nodes of a filter's topology that give statistics and take
// DiSEqC commands, and the tuner's statistics now (bda_readings.cpp).
void addControlNodes(BdaGraph& graph, IBaseFilter* filter);
// What the demodulator says it locked, against the modulation the tune
// request put (bda_readings.cpp).
ModcodWord readLockedModcod(const BdaGraph& graph, int32_t askedModulation);
// `level`, where given, gets the level before and after the lock (levelFromNodes).
TunerStatistics readBdaStatistics(const BdaGraph& graph, BdaReadingHistory& history, SignalLevel* level = nullptr);

// The switch's calls (bda_diseqc.cpp), each false when the tuner has no
// such interface or refuses: enabling DiSEqC commands on the tuner's own
// node, one DiSEqC command (a committed switch's or a single-cable
// device's), a tone burst (B, else A), and the RF tuner's range; the
// command and the range each in a change of its own.
bool enableSwitchCommands(BdaGraph& graph);
bool sendSwitchCommand(BdaGraph& graph, const uint8_t* command, size_t length);
bool sendToneBurst(BdaGraph& graph, bool burstB);
bool putRangeProperty(BdaGraph& graph, int32_t range);

// The filter's first pin in that direction, with a reference, or null; and
// the first output pin of one filter connected directly to the first input
// pin of the next (bda_graph.cpp).
IPin* firstPin(IBaseFilter* filter, PIN_DIRECTION wanted);
HRESULT connectFilters(IGraphBuilder* graph, IBaseFilter* from, IBaseFilter* to);
// Takes the filter out of the graph and releases it.
void leaveGraph(IGraphBuilder* graph, IBaseFilter*& filter);

// Stops the graph, and each filter it left running or paused.
void stopBdaGraph(BdaGraph& graph);

// Stops the graph and releases everything in it (the section sink
// delivers nothing more).
void releaseBdaGraph(BdaGraph& graph);

template <typename T>
void releaseOnce(T*& pointer)
{
    if (pointer) pointer->Release();
    pointer = nullptr;
}

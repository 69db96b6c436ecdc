// How the tuner's graph delivers the stream's sections. Windows documents
// two ways: the MPEG-2 Demultiplexer (every Windows since XP), whose output
// pin of the sections type passes whole sections of the PIDs mapped to it,
// one a media sample; and IMpeg2Data, offered by the MPEG-2 Sections and
// Tables filter until Vista, whose GetTable returns a table's sections. The
// demultiplexer is preferred: it goes after the capture stage and hands its
// sections to the bridge's own sink. IMpeg2Data serves where a filter of the
// graph already offers it. Both are set up once, before the graph first
// runs (pins connect only while it is stopped), so no start or tune ever
// stops the graph for them; whatever fails leaves the graph as it was.
#include "bda/bda_graph.h"
#include "bda/bda_sections.h"

static const wchar_t demultiplexerName[] = L"MPEG-2 Demultiplexer";
static const wchar_t sinkName[] = L"Network Information";

// A new output pin of the demultiplexer for whole sections of the PAT,
// NIT and SDT, with a reference; null when it will not make one.
static IPin* createSectionPin(IBaseFilter* demultiplexer)
{
    IMpeg2Demultiplexer* control = nullptr;
    if (FAILED(demultiplexer->QueryInterface(IID_IMpeg2Demultiplexer, reinterpret_cast<void**>(&control))))
        return nullptr;
    AM_MEDIA_TYPE type = sectionsType();
    wchar_t name[] = L"Sections";
    IPin* pin = nullptr;
    if (FAILED(control->CreateOutputPin(&type, name, &pin))) pin = nullptr;
    control->Release();
    if (!pin) return nullptr;
    IMPEG2PIDMap* map = nullptr;
    ULONG pids[] = {patPid, nitPid, sdtPid};
    HRESULT result = pin->QueryInterface(IID_IMPEG2PIDMap, reinterpret_cast<void**>(&map));
    if (SUCCEEDED(result)) result = map->MapPID(sizeof pids / sizeof pids[0], pids, MEDIA_MPEG2_PSI);
    releaseOnce(map);
    if (FAILED(result)) releaseOnce(pin);
    return pin;
}

static bool addFilter(IGraphBuilder* graph, IBaseFilter*& filter, const wchar_t* name)
{
    if (filter && SUCCEEDED(graph->AddFilter(filter, name))) return true;
    releaseOnce(filter);
    return false;
}

static bool joinDemultiplexer(BdaGraph& graph, SectionDelivery deliver, void* context)
{
    IBaseFilter* upstream = graph.capture ? graph.capture : graph.device;
    if (FAILED(CoCreateInstance(CLSID_MPEG2Demultiplexer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                reinterpret_cast<void**>(&graph.demultiplexer))))
        graph.demultiplexer = nullptr;
    if (!addFilter(graph.graph, graph.demultiplexer, demultiplexerName)) return false;
    if (FAILED(connectFilters(graph.graph, upstream, graph.demultiplexer))) return false;
    IPin* out = createSectionPin(graph.demultiplexer);
    if (!out) return false;
    graph.sectionSink = createSectionSink(deliver, context);
    HRESULT result = E_OUTOFMEMORY;
    if (addFilter(graph.graph, graph.sectionSink, sinkName)) {
        IPin* in = sectionSinkPin(graph.sectionSink);
        AM_MEDIA_TYPE type = sectionsType();
        result = graph.graph->ConnectDirect(out, in, &type);
        in->Release();
    }
    out->Release();
    return SUCCEEDED(result);
}

static bool offersTables(BdaGraph& graph, IBaseFilter* filter)
{
    return filter && SUCCEEDED(filter->QueryInterface(__uuidof(IMpeg2Data), reinterpret_cast<void**>(&graph.tables)));
}

void joinSectionRoute(BdaGraph& graph, SectionDelivery deliver, void* context)
{
    if (joinDemultiplexer(graph, deliver, context)) {
        graph.sectionRoute = SectionsFromDemultiplexer;
        return;
    }
    leaveSectionRoute(graph);
    if (offersTables(graph, graph.capture) || offersTables(graph, graph.device))
        graph.sectionRoute = SectionsFromTables;
}

void leaveSectionRoute(BdaGraph& graph)
{
    if (graph.sectionSink) detachSectionSink(graph.sectionSink);
    leaveGraph(graph.graph, graph.sectionSink);
    leaveGraph(graph.graph, graph.demultiplexer);
    releaseOnce(graph.tables);
    graph.sectionRoute = NoSections;
}

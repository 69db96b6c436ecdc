#include "bda/bda_graph.h"

#include <vector>

#include "bda/bda_ids.h"
#include "bda/bda_settings.h"

struct Device {
    IMoniker* moniker;
    std::wstring name;
    std::wstring path;
};

static std::string utf8Of(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], length, nullptr, nullptr);
    return out;
}

// A text of the device's property bag ("FriendlyName", "DevicePath"), "" without one.
static std::wstring deviceText(IMoniker* moniker, const wchar_t* property)
{
    std::wstring text;
    IPropertyBag* bag = nullptr;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) return text;
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(bag->Read(property, &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal) text = value.bstrVal;
    VariantClear(&value);
    bag->Release();
    return text;
}

// The devices of a category in the system's order; the caller releases their monikers.
static std::vector<Device> devicesOf(REFGUID category)
{
    std::vector<Device> devices;
    ICreateDevEnum* enumerator = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                reinterpret_cast<void**>(&enumerator))))
        return devices;
    IEnumMoniker* monikers = nullptr;
    // S_FALSE: the category has no devices (and no enumerator).
    if (enumerator->CreateClassEnumerator(category, &monikers, 0) == S_OK && monikers) {
        IMoniker* moniker = nullptr;
        while (monikers->Next(1, &moniker, nullptr) == S_OK)
            devices.push_back(
                Device{moniker, deviceText(moniker, L"FriendlyName"), deviceText(moniker, L"DevicePath")});
        monikers->Release();
    }
    enumerator->Release();
    return devices;
}

static void releaseDevices(std::vector<Device>& devices)
{
    for (Device& device : devices) releaseOnce(device.moniker);
    devices.clear();
}

IPin* firstPin(IBaseFilter* filter, PIN_DIRECTION wanted)
{
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) return nullptr;
    IPin* found = nullptr;
    IPin* pin = nullptr;
    while (!found && pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) found = pin;
        else pin->Release();
    }
    pins->Release();
    return found;
}

HRESULT connectFilters(IGraphBuilder* graph, IBaseFilter* from, IBaseFilter* to)
{
    IPin* out = firstPin(from, PINDIR_OUTPUT);
    IPin* in = firstPin(to, PINDIR_INPUT);
    // Directly: the graph must not try to put filters of its own in between.
    const HRESULT result = out && in ? graph->ConnectDirect(out, in, nullptr) : VFW_E_NO_ACCEPTABLE_TYPES;
    releaseOnce(out);
    releaseOnce(in);
    return result;
}

// Adds the device and connects `upstream` to it; on failure it leaves the graph again.
static IBaseFilter* joinDevice(IGraphBuilder* graph, IBaseFilter* upstream, const Device& device)
{
    IBaseFilter* filter = nullptr;
    if (FAILED(device.moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter))))
        return nullptr;
    if (FAILED(graph->AddFilter(filter, device.name.c_str()))) {
        filter->Release();
        return nullptr;
    }
    if (FAILED(connectFilters(graph, upstream, filter))) {
        graph->RemoveFilter(filter);
        filter->Release();
        return nullptr;
    }
    return filter;
}

// The tuner to use: the one named, or the first that takes the network
// provider (a DVB-S provider connects to DVB-S tuners only).
static HRESULT joinTuner(BdaGraph& graph, const std::string& wantedName)
{
    std::vector<Device> tuners = devicesOf(categoryBdaNetworkTuner);
    std::vector<std::string> names;
    for (const Device& tuner : tuners) names.push_back(utf8Of(tuner.name));
    for (int index : tunerCandidates(names, wantedName)) {
        const Device& tuner = tuners[static_cast<size_t>(index)];
        graph.device = joinDevice(graph.graph, graph.provider, tuner);
        if (!graph.device) continue;
        graph.deviceName = names[static_cast<size_t>(index)];
        graph.devicePath = utf8Of(tuner.path);
        break;
    }
    releaseDevices(tuners);
    return graph.device ? S_OK : HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

// Tuners made of two filters deliver their stream through a capture
// filter of their own, and some do not run without it: the first receiver
// component that connects to the tuner is it. Tuners of one filter have none.
static void joinCapture(BdaGraph& graph)
{
    std::vector<Device> captures = devicesOf(categoryBdaReceiverComponent);
    for (const Device& capture : captures) {
        graph.capture = joinDevice(graph.graph, graph.device, capture);
        if (graph.capture) break;
    }
    releaseDevices(captures);
}

static HRESULT createProvider(BdaGraph& graph)
{
    HRESULT result = E_FAIL;
    for (const CLSID* provider : {&classNetworkProvider, &CLSID_DVBSNetworkProvider}) {
        result = CoCreateInstance(*provider, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(&graph.provider));
        if (SUCCEEDED(result)) break;
    }
    if (FAILED(result)) return result;
    result = graph.graph->AddFilter(graph.provider, L"Network Provider");
    if (FAILED(result)) return result;
    return graph.provider->QueryInterface(IID_ITuner, reinterpret_cast<void**>(&graph.tuner));
}

// A graph whose Run failed stays stopped itself, with some filters started.
void stopBdaGraph(BdaGraph& graph)
{
    if (graph.control) graph.control->Stop();
    IEnumFilters* filters = nullptr;
    if (!graph.graph || FAILED(graph.graph->EnumFilters(&filters))) return;
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        FILTER_STATE state = State_Stopped;
        if (SUCCEEDED(filter->GetState(0, &state)) && state != State_Stopped) filter->Stop();
        filter->Release();
    }
    filters->Release();
}

static HRESULT startGraph(BdaGraph& graph)
{
    HRESULT result = graph.control->Run();
    if (FAILED(result)) return result;
    // Run may return before every filter runs: a tuner that cannot start
    // (its device busy or gone) says so in its own state.
    FILTER_STATE state = State_Stopped;
    result = graph.device->GetState(2000, &state);
    if (FAILED(result)) return result;
    return state == State_Running ? S_OK : VFW_E_WRONG_STATE;
}

// The maker whose set is looked for: the one the settings name, else the tuner's own unless they name another way.
static BdaMaker makerToAsk(const BdaGraph& graph, const SwitchSetting& setting)
{
    if (setting.choice == SwitchOnlyMaker) return setting.maker;
    if (setting.choice != SwitchAuto) return NoMaker;
    return makerOfTuner(graph.deviceName, graph.devicePath);
}

HRESULT buildBdaGraph(BdaGraph& graph, const std::string& wantedName, const SwitchSetting& switchSetting,
                      SectionDelivery deliver, void* context)
{
    HRESULT result = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                      reinterpret_cast<void**>(&graph.graph));
    if (FAILED(result)) return result;
    result = graph.graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&graph.control));
    if (FAILED(result)) return result;
    result = createProvider(graph);
    if (FAILED(result)) return result;
    // The provider learns the network type from the tuning space before it meets a tuner.
    result = createTuningSpace(graph);
    if (FAILED(result)) return result;
    result = joinTuner(graph, wantedName);
    if (FAILED(result)) return result;
    joinCapture(graph);
    if (FAILED(graph.device->QueryInterface(IID_IBDA_DeviceControl, reinterpret_cast<void**>(&graph.deviceControl))))
        graph.deviceControl = nullptr;
    addControlNodes(graph, graph.device);
    if (graph.capture) addControlNodes(graph, graph.capture);
    findMakerSet(graph, makerToAsk(graph, switchSetting));
    // A driver without the range property refuses to tell it, as Windows' proxy then does.
    ULONG range = 0;
    graph.rangeAnswered = graph.rfTuner && SUCCEEDED(graph.rfTuner->get_Range(&range));
    joinSectionRoute(graph, deliver, context);
    result = startGraph(graph);
    if (FAILED(result) && graph.sectionRoute == SectionsFromDemultiplexer) {
        // A tuner whose graph will not run with the demultiplexer still measures without it.
        stopBdaGraph(graph);
        leaveSectionRoute(graph);
        result = startGraph(graph);
    }
    return result;
}

void leaveGraph(IGraphBuilder* graph, IBaseFilter*& filter)
{
    if (filter && graph) graph->RemoveFilter(filter);
    releaseOnce(filter);
}

void releaseBdaGraph(BdaGraph& graph)
{
    stopBdaGraph(graph);
    leaveSectionRoute(graph);
    for (int i = 0; i < graph.nodeCount; ++i) releaseOnce(graph.nodes[i]);
    graph.nodeCount = 0;
    releaseOnce(graph.diseqc);
    releaseOnce(graph.makerSet);
    releaseOnce(graph.rfTuner);
    releaseOnce(graph.deviceControl);
    releaseOnce(graph.demodulator);
    releaseOnce(graph.tuner);
    leaveGraph(graph.graph, graph.capture);
    leaveGraph(graph.graph, graph.device);
    leaveGraph(graph.graph, graph.provider);
    releaseOnce(graph.space);
    releaseOnce(graph.control);
    releaseOnce(graph.graph);
}

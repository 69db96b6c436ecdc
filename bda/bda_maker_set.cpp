// The tuner maker's own property set: kernel-streaming properties reached
// through IKsPropertySet, which Windows' proxy offers on the tuner's filter
// and on each of its pins. What the payloads hold is bda_makers.h's.
#include "bda/bda_graph.h"

static GUID guidOf(const PropertySetId& id)
{
    GUID guid;
    guid.Data1 = id.data1;
    guid.Data2 = id.data2;
    guid.Data3 = id.data3;
    for (int i = 0; i < 8; ++i) guid.Data4[i] = id.data4[i];
    return guid;
}

// The object's property sets, with a reference, when it can set `wanted`.
static IKsPropertySet* answeringFor(IUnknown* object, const MakerPropertySet& wanted)
{
    IKsPropertySet* sets = nullptr;
    if (FAILED(object->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&sets)))) return nullptr;
    DWORD support = 0;
    if (SUCCEEDED(sets->QuerySupported(guidOf(wanted.id), wanted.property, &support)) &&
        (support & KSPROPERTY_SUPPORT_SET))
        return sets;
    sets->Release();
    return nullptr;
}

// The filter's, else the first of its pins' that answers.
static IKsPropertySet* findSet(IBaseFilter* filter, const MakerPropertySet& wanted)
{
    IKsPropertySet* found = answeringFor(filter, wanted);
    IEnumPins* pins = nullptr;
    if (found || FAILED(filter->EnumPins(&pins))) return found;
    IPin* pin = nullptr;
    while (!found && pins->Next(1, &pin, nullptr) == S_OK) {
        found = answeringFor(pin, wanted);
        pin->Release();
    }
    pins->Release();
    return found;
}

void findMakerSet(BdaGraph& graph, BdaMaker maker)
{
    const MakerSets sets = makerPropertySets(maker);
    for (int i = 0; i < sets.count && !graph.makerSet; ++i) {
        graph.makerSet = findSet(graph.device, sets.sets[i]);
        if (!graph.makerSet) continue;
        graph.maker = maker;
        graph.makerProperty = sets.sets[i];
    }
}

// TurboSight's drivers read the property's instance as well as its data:
// the instance is the same structure (bda_makers.h).
static bool setMakerProperty(BdaGraph& graph, std::vector<uint8_t> payload)
{
    if (!graph.makerSet) return false;
    std::vector<uint8_t> instance = makerInstance(graph.makerProperty.payload, payload);
    return SUCCEEDED(graph.makerSet->Set(
        guidOf(graph.makerProperty.id), graph.makerProperty.property, instance.empty() ? nullptr : instance.data(),
        static_cast<DWORD>(instance.size()), payload.data(), static_cast<DWORD>(payload.size())));
}

bool sendMakerCommand(BdaGraph& graph, const uint8_t* command, size_t length)
{
    return setMakerProperty(graph, makerMessagePayload(graph.makerProperty.payload, command, length));
}

bool sendMakerBurst(BdaGraph& graph, bool burstB)
{
    return setMakerProperty(graph, makerBurstPayload(graph.makerProperty.payload, burstB));
}

// A set without a tone of its own leaves the tone to the tune.
bool sendMakerTone(BdaGraph& graph, bool toneOn)
{
    const std::vector<uint8_t> payload = makerTonePayload(graph.makerProperty.payload, toneOn);
    return payload.empty() || setMakerProperty(graph, payload);
}

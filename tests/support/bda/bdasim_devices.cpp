// bdasim_tuner.dll: the simulated tuners and a capture filter, registered
// in the test prefix as a driver's devices are listed on Windows: in the
// BDA network tuner and receiver component categories of the system
// device enumerator; and the MPEG-2 demultiplexer that takes their stream.
#include <windows.h>

#include <dshow.h>
#include <string>

#include "bda/bda_ids.h"
#include "tests/support/bda/bdasim_demux.h"
#include "tests/support/bda/bdasim_support.h"
#include "tests/support/bda/bdasim_tuner.h"

// {5A1B0D01-7C3E-4F2A-9B6D-3E8A1C5F7D01} and on: the system lists them in this order.
static constexpr CLSID deviceClass(unsigned char last)
{
    return {0x5A1B0D00u + last, 0x7C3E, 0x4F2A, {0x9B, 0x6D, 0x3E, 0x8A, 0x1C, 0x5F, 0x7D, last}};
}
static const CLSID terrestrialTuner = deviceClass(0x01);
static const CLSID satelliteTuner = deviceClass(0x02);
static const CLSID twoFilterTuner = deviceClass(0x03);
const CLSID classSimCapture = deviceClass(0x04);
static const CLSID nbcTuner = deviceClass(0x05);
static const CLSID commandTuner = deviceClass(0x06);
static const CLSID plainTuner = deviceClass(0x07);
static const CLSID lowOscillatorTuner = deviceClass(0x08);
static const CLSID millidBTuner = deviceClass(0x09);
static const CLSID sectionsTuner = deviceClass(0x0A);
static const CLSID tunePoweredTuner = deviceClass(0x0B);
static const CLSID eightPskTuner = deviceClass(0x0C);
static const CLSID pilotTuner = deviceClass(0x0D);
static const CLSID rangeTuner = deviceClass(0x0E);
static const CLSID blockingTablesTuner = deviceClass(0x0F);
static const CLSID turboSightTuner = deviceClass(0x10);
static const CLSID conexantTuner = deviceClass(0x11);
static const CLSID ignoringSetTuner = deviceClass(0x12);
static const CLSID foreignSetTuner = deviceClass(0x13);

static SimDriverTraits makersDriver(SimMakerKind set, bool noDiseqc, bool commandsGoNowhere = true)
{
    SimDriverTraits traits;
    traits.makerSet = set;
    traits.noDiseqc = noDiseqc;
    traits.commandsGoNowhere = !noDiseqc && commandsGoNowhere;
    traits.ignoresLnbSource = true;
    return traits;
}

static const char conexantPciPath[] = "\\\\?\\pci#ven_14f1&dev_8852&subsys_00000000&rev_04#4&2a6e5d1b&0&00e4#"
                                      "{71985f48-1ca1-11d3-9cc8-00c04f7971e0}\\{2fbb0e1c-3b4e-4a55-9f1e-5a6d01a5b7c1}";

static SimDriverTraits driverWith(bool SimDriverTraits::*trait, bool SimDriverTraits::*also = nullptr)
{
    SimDriverTraits traits;
    traits.*trait = true;
    if (also) traits.*also = true;
    return traits;
}

// The first satellite tuner does everything well; each further one behaves
// as some real drivers were found to.
const SimDeviceModel simDevices[] = {
    {&terrestrialTuner, "Simulated DVB-T Tuner", &nodeBdaCofdmDemodulator, false, {}},
    {&satelliteTuner, "Simulated DVB-S2 Tuner", &nodeBdaEightPskDemodulator, false, {}},
    // Takes the switch port as the LNB source only.
    {&twoFilterTuner, "Simulated DVB-S Tuner 2", &nodeBdaQpskDemodulator, true,
     driverWith(&SimDriverTraits::cannotSendDiseqc)},
    {&nbcTuner, "Simulated NBC Tuner", &nodeBdaEightPskDemodulator, false, driverWith(&SimDriverTraits::nbcOnly)},
    {&commandTuner, "Simulated Command Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::ignoresLnbSource)},
    {&plainTuner, "Simulated Plain Tuner", &nodeBdaQpskDemodulator, false, driverWith(&SimDriverTraits::noDiseqc)},
    {&lowOscillatorTuner, "Simulated One Oscillator Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::lowOscillatorOnly)},
    {&millidBTuner, "Simulated mdB Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::strengthInMillidB)},
    {&sectionsTuner, "Simulated Sections Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::offersTables)},
    {&tunePoweredTuner, "Simulated Tune-Powered Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::suppliesLnbWithTune)},
    {&eightPskTuner, "Simulated Plain 8PSK Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::plainEightPsk)},
    {&pilotTuner, "Simulated Pilot Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::needsPilotRollOff)},
    {&rangeTuner, "Simulated Range Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::switchesByRange, &SimDriverTraits::noDiseqc)},
    {&blockingTablesTuner, "Simulated Blocking Tables Tuner", &nodeBdaEightPskDemodulator, false,
     driverWith(&SimDriverTraits::offersTables, &SimDriverTraits::blocksTables)},
    // Switch only through their maker's set: one known by its name, without
    // IBDA_DiseqCommand; one known by its device path's vendor (Conexant's
    // PCI id), whose IBDA_DiseqCommand takes commands and drops them.
    {&turboSightTuner, "TBS Simulated DVB-S2 Tuner", &nodeBdaEightPskDemodulator, false,
     makersDriver(TurboSightOnFilter, true)},
    {&conexantTuner, "Simulated Reference Tuner", &nodeBdaEightPskDemodulator, false,
     makersDriver(ConexantOnPin, false), conexantPciPath},
    // A TurboSight tuner whose set takes every call and does nothing; its
    // IBDA_DiseqCommand serves.
    {&ignoringSetTuner, "TBS Simulated Ignoring Tuner", &nodeBdaEightPskDemodulator, false,
     makersDriver(TurboSightIgnoredOnFilter, false, false)},
    // Another maker's board on Conexant's bridge chip: it answers for a set
    // of its own under the reference set's identifier, laid out otherwise;
    // its IBDA_DiseqCommand serves.
    {&foreignSetTuner, "TeVii Simulated S470 Tuner", &nodeBdaEightPskDemodulator, false,
     makersDriver(ForeignSetOnPin, false, false), conexantPciPath},
};
const int simDeviceCount = sizeof simDevices / sizeof simDevices[0];

template <int index>
static HRESULT createDevice(REFIID iid, void** object)
{
    return createSimTuner(simDevices[index], iid, object);
}

static const SimClass deviceClasses[] = {
    {&terrestrialTuner, simDevices[0].name, createDevice<0>},
    {&satelliteTuner, simDevices[1].name, createDevice<1>},
    {&twoFilterTuner, simDevices[2].name, createDevice<2>},
    {&classSimCapture, "Simulated DVB-S Capture 2", createSimCapture},
    {&nbcTuner, simDevices[3].name, createDevice<3>},
    {&commandTuner, simDevices[4].name, createDevice<4>},
    {&plainTuner, simDevices[5].name, createDevice<5>},
    {&lowOscillatorTuner, simDevices[6].name, createDevice<6>},
    {&millidBTuner, simDevices[7].name, createDevice<7>},
    {&sectionsTuner, simDevices[8].name, createDevice<8>},
    {&tunePoweredTuner, simDevices[9].name, createDevice<9>},
    {&eightPskTuner, simDevices[10].name, createDevice<10>},
    {&pilotTuner, simDevices[11].name, createDevice<11>},
    {&rangeTuner, simDevices[12].name, createDevice<12>},
    {&blockingTablesTuner, simDevices[13].name, createDevice<13>},
    {&turboSightTuner, simDevices[14].name, createDevice<14>},
    {&conexantTuner, simDevices[15].name, createDevice<15>},
    {&ignoringSetTuner, simDevices[16].name, createDevice<16>},
    {&foreignSetTuner, simDevices[17].name, createDevice<17>},
    // Not a device: Windows' own filter, which Wine lacks.
    {&CLSID_MPEG2Demultiplexer, "Simulated MPEG-2 Demultiplexer", createSimDemultiplexer},
};
static const int deviceClassCount = sizeof deviceClasses / sizeof deviceClasses[0];

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    return simGetClassObject(deviceClasses, deviceClassCount, clsid, iid, object);
}

// The device category a class is listed in; null for one that is no device.
static const GUID* categoryOf(const SimClass& device)
{
    if (IsEqualCLSID(*device.clsid, CLSID_MPEG2Demultiplexer)) return nullptr;
    return IsEqualCLSID(*device.clsid, classSimCapture) ? &categoryBdaReceiverComponent : &categoryBdaNetworkTuner;
}

// The filter mapper writes a device's entry in its category, as a filter
// registers itself; COM is up during regsvr32 but not in every caller.
template <typename Work>
static HRESULT withMapper(Work work)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IFilterMapper2* mapper = nullptr;
    HRESULT result = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                      reinterpret_cast<void**>(&mapper));
    if (SUCCEEDED(result)) {
        result = work(mapper);
        mapper->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

// The device path a driver's device is listed with, in the entry the filter mapper wrote.
static HRESULT registerDevicePath(const SimDeviceModel& device)
{
    wchar_t category[40], instance[40];
    StringFromGUID2(categoryBdaNetworkTuner, category, 40);
    StringFromGUID2(*device.clsid, instance, 40);
    const std::wstring key = std::wstring(L"CLSID\\") + category + L"\\Instance\\" + instance;
    HKEY entry = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &entry) != ERROR_SUCCESS) return E_FAIL;
    const std::string path = device.devicePath;
    const LONG written = RegSetValueExA(entry, "DevicePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                        static_cast<DWORD>(path.size() + 1));
    RegCloseKey(entry);
    return written == ERROR_SUCCESS ? S_OK : E_FAIL;
}

STDAPI DllRegisterServer()
{
    HRESULT result = simRegisterClasses(deviceClasses, deviceClassCount);
    if (FAILED(result)) return result;
    result = withMapper([](IFilterMapper2* mapper) {
        for (const SimClass& device : deviceClasses) {
            if (!categoryOf(device)) continue;
            REGFILTER2 filter = {};
            filter.dwVersion = 1;
            filter.dwMerit = MERIT_DO_NOT_USE;
            wchar_t name[64];
            MultiByteToWideChar(CP_ACP, 0, device.description, -1, name, 64);
            const HRESULT each =
                mapper->RegisterFilter(*device.clsid, name, nullptr, categoryOf(device), nullptr, &filter);
            if (FAILED(each)) return each;
        }
        return S_OK;
    });
    for (int i = 0; i < simDeviceCount && SUCCEEDED(result); ++i)
        if (simDevices[i].devicePath) result = registerDevicePath(simDevices[i]);
    return result;
}

STDAPI DllUnregisterServer()
{
    withMapper([](IFilterMapper2* mapper) {
        for (const SimClass& device : deviceClasses)
            if (categoryOf(device)) mapper->UnregisterFilter(categoryOf(device), nullptr, *device.clsid);
        return S_OK;
    });
    simUnregisterClasses(deviceClasses, deviceClassCount);
    return S_OK;
}

// bdasim_system.dll: the parts of Windows' BDA support that Wine lacks,
// registered under Windows' own class identifiers in the test prefix only.
#include "tests/support/bda/bdasim_system.h"

#include <tuner.h>
#include <uuids.h>

#include "bda/bda_ids.h"
#include "tests/support/bda/bdasim_support.h"
#include "tests/support/bda/bdasim_tuning_model.h"

static const SimClass systemClasses[] = {
    {&classNetworkProvider, "Simulated Microsoft Network Provider", createGenericProvider},
    {&CLSID_DVBSNetworkProvider, "Simulated Microsoft DVB-S Network Provider", createSatelliteProvider},
    {&CLSID_DVBSTuningSpace, "Simulated DVB-S tuning space", createTuningSpace},
    {&CLSID_DVBSLocator, "Simulated DVB-S locator", createLocator},
};
static const int systemClassCount = sizeof systemClasses / sizeof systemClasses[0];

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    return simGetClassObject(systemClasses, systemClassCount, clsid, iid, object);
}

STDAPI DllRegisterServer() { return simRegisterClasses(systemClasses, systemClassCount); }

STDAPI DllUnregisterServer()
{
    simUnregisterClasses(systemClasses, systemClassCount);
    return S_OK;
}

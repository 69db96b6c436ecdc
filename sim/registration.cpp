// Self-registration and the class factory of the simulated card.
#include <windows.h>

#include <olectl.h>

#include "sim/simcard_module.h"
#include "tuner/tuner_control.h"

HINSTANCE simModule = nullptr;
LONG simLiveObjects = 0;
LONG simServerLocks = 0;

static const char classKey[] = "CLSID\\{E82536A0-94DA-11D2-A463-00A0C95D308D}";
static const char serverKey[] = "CLSID\\{E82536A0-94DA-11D2-A463-00A0C95D308D}\\InprocServer32";

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        simModule = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

static bool setStringValue(HKEY key, const char* name, const char* value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(lstrlenA(value) + 1)) == ERROR_SUCCESS;
}

STDAPI DllRegisterServer()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(simModule, path, sizeof path);
    if (length == 0 || length >= sizeof path) return SELFREG_E_CLASS;

    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, classKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    bool ok = setStringValue(key, nullptr, "Simulated DVB-S receiver card");
    RegCloseKey(key);
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, serverKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    ok = setStringValue(key, nullptr, path) && ok;
    ok = setStringValue(key, "ThreadingModel", "Both") && ok;
    RegCloseKey(key);
    return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer()
{
    RegDeleteKeyA(HKEY_CLASSES_ROOT, serverKey);
    LONG result = RegDeleteKeyA(HKEY_CLASSES_ROOT, classKey);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllCanUnloadNow() { return simLiveObjects == 0 && simServerLocks == 0 ? S_OK : S_FALSE; }

// The one class factory, a static object that never goes away.
struct SimClassFactory : public IClassFactory {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return createSimulatedCard(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock) InterlockedIncrement(&simServerLocks);
        else InterlockedDecrement(&simServerLocks);
        return S_OK;
    }
};

static SimClassFactory classFactory;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_ReceiverCard)) return CLASS_E_CLASSNOTAVAILABLE;
    return classFactory.QueryInterface(iid, object);
}

#include "cardbase/com_server.h"

#include <olectl.h>

#include "tuner/tuner_control.h"

HINSTANCE cardModule = nullptr;
static LONG liveObjects = 0;
static LONG serverLocks = 0;

static const char classKey[] = "CLSID\\{E82536A0-94DA-11D2-A463-00A0C95D308D}";
static const char serverKey[] = "CLSID\\{E82536A0-94DA-11D2-A463-00A0C95D308D}\\InprocServer32";

void cardObjectCreated() { InterlockedIncrement(&liveObjects); }
void cardObjectDestroyed() { InterlockedDecrement(&liveObjects); }

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        cardModule = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

static bool setStringValue(HKEY key, const char* name, const char* value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(lstrlenA(value) + 1)) == ERROR_SUCCESS;
}

static bool writeKey(const char* path, const char* name, const char* value, const char* secondName = nullptr,
                     const char* secondValue = nullptr)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = setStringValue(key, name, value);
    if (secondName) ok = setStringValue(key, secondName, secondValue) && ok;
    RegCloseKey(key);
    return ok;
}

STDAPI DllRegisterServer()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(cardModule, path, sizeof path);
    if (length == 0 || length >= sizeof path) return SELFREG_E_CLASS;
    const bool described = writeKey(classKey, nullptr, cardDescription);
    const bool served = writeKey(serverKey, nullptr, path, "ThreadingModel", "Both");
    return described && served ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer()
{
    RegDeleteKeyA(HKEY_CLASSES_ROOT, serverKey);
    const LONG result = RegDeleteKeyA(HKEY_CLASSES_ROOT, classKey);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllCanUnloadNow() { return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE; }

// The one class factory, a static object that never goes away.
struct CardClassFactory : public IClassFactory {
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
        return createCard(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock) InterlockedIncrement(&serverLocks);
        else InterlockedDecrement(&serverLocks);
        return S_OK;
    }
};

static CardClassFactory classFactory;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_ReceiverCard)) return CLASS_E_CLASSNOTAVAILABLE;
    return classFactory.QueryInterface(iid, object);
}

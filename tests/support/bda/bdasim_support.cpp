#include "tests/support/bda/bdasim_support.h"

#include <cstdio>

#include "app/host_text.h"
#include "cardbase/reading_pace.h"

HINSTANCE simModule = nullptr;
static LONG liveObjects = 0;
static LONG serverLocks = 0;

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        simModule = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

void simLog(const std::string& line)
{
    static const std::string path = environmentText("SIMCARD_LOG");
    if (path.empty()) return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string hresultText(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

const BdaSimScenario& simScenario()
{
    static const BdaSimScenario scenario = [] {
        std::string errors;
        BdaSimScenario parsed = parseBdaSimScenario(
            wholeFileText(environmentText("SIMCARD_SCENARIO"), FILE_SHARE_READ | FILE_SHARE_WRITE), &errors);
        if (!errors.empty()) simLog("# " + errors.substr(0, errors.size() - 1));
        return parsed;
    }();
    return scenario;
}

SimObject::SimObject(const std::string& kind) : kind_(kind)
{
    InterlockedIncrement(&liveObjects);
    simLog("create " + kind_);
}

SimObject::~SimObject()
{
    simLog("destroy " + kind_);
    InterlockedDecrement(&liveObjects);
}

LONG simLiveObjects() { return liveObjects; }

HRESULT copyString(const std::wstring& value, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = SysAllocString(value.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

// One factory object per class, static; it never goes away.
struct SimFactory : public IClassFactory {
    const SimClass* simClass = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return simClass->create(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock) InterlockedIncrement(&serverLocks);
        else InterlockedDecrement(&serverLocks);
        return S_OK;
    }
};

// More than either DLL has.
static constexpr int maxSimClasses = 32;

HRESULT simGetClassObject(const SimClass* classes, int count, REFCLSID clsid, REFIID iid, void** object)
{
    static SimFactory factories[maxSimClasses];
    if (!object) return E_POINTER;
    *object = nullptr;
    for (int i = 0; i < count && i < maxSimClasses; ++i) {
        if (!IsEqualCLSID(clsid, *classes[i].clsid)) continue;
        factories[i].simClass = &classes[i];
        return factories[i].QueryInterface(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE; }

static std::string classKey(const CLSID& clsid)
{
    wchar_t wide[40];
    StringFromGUID2(clsid, wide, 40);
    char text[40];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return std::string("CLSID\\") + text;
}

static bool writeValue(const std::string& path, const char* name, const char* value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                   static_cast<DWORD>(lstrlenA(value) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

HRESULT simRegisterClasses(const SimClass* classes, int count)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(simModule, path, sizeof path);
    if (length == 0 || length >= sizeof path || count > maxSimClasses) return E_FAIL;
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        const std::string key = classKey(*classes[i].clsid);
        ok = writeValue(key, nullptr, classes[i].description) && ok;
        ok = writeValue(key + "\\InprocServer32", nullptr, path) && ok;
        ok = writeValue(key + "\\InprocServer32", "ThreadingModel", "Both") && ok;
    }
    return ok ? S_OK : E_FAIL;
}

void simUnregisterClasses(const SimClass* classes, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::string key = classKey(*classes[i].clsid);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    }
}

uint32_t simCounterNowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counterMilliseconds(static_cast<uint64_t>(counter.QuadPart), static_cast<uint64_t>(frequency.QuadPart));
}

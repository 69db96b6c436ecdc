// What every object of the simulated BDA stack shares: reference counting
// that keeps its DLL loaded, the call log (the file SIMCARD_LOG names), the
// scenario, the clock, and the stub of IDispatch that the tuning model's
// interfaces derive from.
#pragma once
#include <windows.h>

#include <oaidl.h>
#include <string>

#include "tests/support/bda/bdasim_scenario.h"

// Appends one line to the log at once, so that a test sees it while the program runs.
void simLog(const std::string& line);
std::string hresultText(HRESULT result);  // "0x80004005"
const BdaSimScenario& simScenario();      // read once per process
// The performance counter's milliseconds, which never lag as the tick count can.
uint32_t simCounterNowMs();

// The reference count of one object of the stack, which keeps its DLL
// loaded while it lives and logs "create KIND" and "destroy KIND".
class SimObject {
public:
    LONG addReference() { return InterlockedIncrement(&references_); }
    LONG dropReference()
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

protected:
    explicit SimObject(const std::string& kind);
    virtual ~SimObject();

private:
    LONG references_ = 1;
    std::string kind_;
};

LONG simLiveObjects();

template <typename Interface>
class DispatchStub : public Interface {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

// Hands out `iid` of a new object and drops the creator's reference.
template <typename Object>
HRESULT handOut(Object* object, REFIID iid, void** out)
{
    if (!object) return E_OUTOFMEMORY;
    const HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

template <typename T>
void simRelease(T*& pointer)
{
    if (pointer) pointer->Release();
    pointer = nullptr;
}

// A BSTR copy for a getter, or E_POINTER.
HRESULT copyString(const std::wstring& value, BSTR* out);

// The in-process server of one of the simulated DLLs: its classes, and
// writing or removing their registration under HKCR\CLSID.
struct SimClass {
    const CLSID* clsid;
    const char* description;
    HRESULT (*create)(REFIID iid, void** object);
};
extern HINSTANCE simModule;
HRESULT simGetClassObject(const SimClass* classes, int count, REFCLSID clsid, REFIID iid, void** object);
HRESULT simRegisterClasses(const SimClass* classes, int count);
void simUnregisterClasses(const SimClass* classes, int count);

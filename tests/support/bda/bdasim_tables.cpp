#include "tests/support/bda/bdasim_tables.h"

#include <cstdio>
#include <vector>

#include "tests/support/bda/bdasim_stream.h"
#include "tests/support/bda/bdasim_support.h"
#include "tests/support/bda/bdasim_tuner.h"

class SimSectionList final : public SimObject, public ISectionList {
public:
    explicit SimSectionList(const std::vector<SectionBytes>& sections) : SimObject("section list"), sections_(sections)
    {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(ISectionList))) return E_NOINTERFACE;
        *object = static_cast<ISectionList*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(addReference()); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(dropReference()); }

    HRESULT STDMETHODCALLTYPE Initialize(MPEG_REQUEST_TYPE, IMpeg2Data*, MPEG_CONTEXT*, PID, TID, MPEG2_FILTER*, DWORD,
                                         HANDLE) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InitializeWithRawSections(MPEG_PACKET_LIST*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CancelPendingRequest() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetNumberOfSections(WORD* count) override
    {
        if (!count) return E_POINTER;
        *count = static_cast<WORD>(sections_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSectionData(WORD number, DWORD* length, BYTE** section) override
    {
        if (!length || !section) return E_POINTER;
        if (number >= sections_.size()) return E_INVALIDARG;
        *length = static_cast<DWORD>(sections_[number].size());
        *section = sections_[number].data();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProgramIdentifier(PID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTableIdentifier(TID*) override { return E_NOTIMPL; }

private:
    std::vector<SectionBytes> sections_;
};

// The sound sections of the table in one repetition of the stream.
static std::vector<SectionBytes> tableSections(PID pid, TID tid)
{
    std::vector<SectionBytes> found;
    for (const SimSection& section : bdaSimSections(simScenario().stream))
        if (section.pid == pid && section.bytes[0] == tid && psiCrc32(section.bytes.data(), section.bytes.size()) == 0)
            found.push_back(section.bytes);
    return found;
}

static void logTable(PID pid, TID tid, const std::string& result)
{
    char line[48];
    std::snprintf(line, sizeof line, "table 0x%04X 0x%02X -> ", pid, tid);
    simLog(line + result);
}

HRESULT SimTables::GetTable(PID pid, TID tid, MPEG2_FILTER*, DWORD timeoutMs, ISectionList** sections)
{
    if (!sections) return E_POINTER;
    *sections = nullptr;
    const std::vector<SectionBytes> table = tableSections(pid, tid);
    if (blocks_) {
        Sleep(blockingTableMs);
        logTable(pid, tid, "none");
        return mpeg2SectionNotFound;
    }
    const DWORD start = GetTickCount();
    while (source_->filterRuns()) {
        ULONG carrierKHz = 0;
        if (!table.empty() && source_->streamFlows(&carrierKHz) &&
            bdaSimCarriesSections(simScenario().stream, carrierKHz)) {
            Sleep(simSectionRepeatMs);  // until the table has gone by
            logTable(pid, tid, std::to_string(table.size()));
            return handOut(new SimSectionList(table), __uuidof(ISectionList), reinterpret_cast<void**>(sections));
        }
        const DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) break;
        Sleep(timeoutMs - waited < simSectionRepeatMs ? timeoutMs - waited : simSectionRepeatMs);
    }
    logTable(pid, tid, "none");
    return mpeg2SectionNotFound;
}

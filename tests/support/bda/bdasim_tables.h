// IMpeg2Data as the MPEG-2 Sections and Tables filter offers it (Windows
// until Vista), here on a simulated tuner's own filter: GetTable blocks until
// the table's sections have gone by in the simulated stream
// (bdasim_stream.h), sound ones only, or until its time is out, or until the
// filter stops; each answer a section list of its own. A filter that
// blocks (SimDriverTraits::blocksTables) gives nothing and returns only
// after blockingTableMs, whatever it was asked and whatever the graph does.
// A part of its tuner, whose references are its. Logged:
//   table PID TID -> COUNT      a table of COUNT sections was given
//   table PID TID -> none       none came in time
#pragma once
#include <windows.h>

#include "bda/bda_ids.h"

struct SimTransportSource;

constexpr DWORD blockingTableMs = 30000;

class SimTables final : public IMpeg2Data {
public:
    SimTables(IUnknown* owner, SimTransportSource* source, bool blocks)
        : owner_(owner), source_(source), blocks_(blocks)
    {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return owner_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }

    HRESULT STDMETHODCALLTYPE GetSection(PID, TID, MPEG2_FILTER*, DWORD, ISectionList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTable(PID pid, TID tid, MPEG2_FILTER* filter, DWORD timeoutMs,
                                       ISectionList** sections) override;
    HRESULT STDMETHODCALLTYPE GetStreamOfSections(PID, TID, MPEG2_FILTER*, HANDLE, IUnknown**) override
    {
        return E_NOTIMPL;
    }

private:
    IUnknown* owner_;
    SimTransportSource* source_;
    bool blocks_;
};

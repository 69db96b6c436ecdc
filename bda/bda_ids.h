// Identifiers of Windows' BDA that MinGW-w64's headers lack (Windows
// declares them in bdamedia.h and uuids.h); the simulated tuner of the
// tests uses the same ones.
#pragma once
#include <windows.h>

#include <unknwn.h>

// The device categories: tuners, and the capture (receiver) filters some
// tuners need behind them.
const GUID categoryBdaNetworkTuner = {0x71985F48, 0x1CA1, 0x11D3, {0x9C, 0xC8, 0x00, 0xC0, 0x4F, 0x79, 0x71, 0xE0}};
const GUID categoryBdaReceiverComponent = {
    0xFD0A5AF4, 0xB41D, 0x11D2, {0x9C, 0x95, 0x00, 0xC0, 0x4F, 0x79, 0x71, 0xE0}};

// Control node types of a tuner's topology.
const GUID nodeBdaRfTuner = {0x71985F4C, 0x1CA1, 0x11D3, {0x9C, 0xC8, 0x00, 0xC0, 0x4F, 0x79, 0x71, 0xE0}};
const GUID nodeBdaQpskDemodulator = {0x6390C905, 0x27C1, 0x4D67, {0xBD, 0xB7, 0x77, 0xC5, 0x0D, 0x07, 0x93, 0x00}};
const GUID nodeBdaEightPskDemodulator = {0xE957A0E7, 0xDD98, 0x4A3C, {0x81, 0x0B, 0x35, 0x25, 0x15, 0x7A, 0xB6, 0x2E}};
const GUID nodeBdaCofdmDemodulator = {0x2DAC6E05, 0xEDBE, 0x4B9C, {0xB3, 0x87, 0x1B, 0x6F, 0xAD, 0x7D, 0x64, 0x95}};

// The network provider of every network type (Windows 7 on); earlier
// Windows has the DVB-S one only (CLSID_DVBSNetworkProvider, whose
// identifier is also the DVB-S network type).
const CLSID classNetworkProvider = {0xB2F3A67C, 0x29DA, 0x4C78, {0x88, 0x31, 0x09, 0x1E, 0xD5, 0x09, 0xA4, 0x75}};

// The media type of the demultiplexer's output pin for whole PSI sections
// (KSDATAFORMAT_TYPE_MPEG2_SECTIONS, bdamedia.h).
const GUID mediaMpeg2Sections = {0x455F176C, 0x4B06, 0x47CE, {0x9A, 0xEF, 0x8C, 0xAE, 0xF7, 0x3D, 0xF7, 0xB5}};

// What the MPEG-2 Sections and Tables filter offers (mpeg2data.h, until
// Windows Vista). MinGW-w64's mpeg2data.h lists the methods in the wrong
// order and has no identifiers: here they are as Windows defines them.
#ifdef __INC_MPEG2DATA__
#error "mpeg2data.h declares these interfaces with another layout"
#endif
typedef WORD PID;
typedef BYTE TID;
struct MPEG2_FILTER;
struct MPEG_CONTEXT;
struct MPEG_PACKET_LIST;
struct IMpeg2Data;

// The request types of ISectionList::Initialize, which a client never calls.
typedef int MPEG_REQUEST_TYPE;

struct ISectionList : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(MPEG_REQUEST_TYPE requestType, IMpeg2Data* data, MPEG_CONTEXT* context,
                                                 PID pid, TID tid, MPEG2_FILTER* filter, DWORD timeoutMs,
                                                 HANDLE done) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitializeWithRawSections(MPEG_PACKET_LIST* sections) = 0;
    virtual HRESULT STDMETHODCALLTYPE CancelPendingRequest() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumberOfSections(WORD* count) = 0;
    // The section's bytes from its table id on, and their number.
    virtual HRESULT STDMETHODCALLTYPE GetSectionData(WORD number, DWORD* length, BYTE** section) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProgramIdentifier(PID* pid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTableIdentifier(TID* tid) = 0;
};

struct IMpeg2Data : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSection(PID pid, TID tid, MPEG2_FILTER* filter, DWORD timeoutMs,
                                                 ISectionList** sections) = 0;
    // Blocks until every section of the table has come, or the time is out.
    virtual HRESULT STDMETHODCALLTYPE GetTable(PID pid, TID tid, MPEG2_FILTER* filter, DWORD timeoutMs,
                                               ISectionList** sections) = 0;
    // The stream is an IMpeg2Stream, which the bridge never asks for.
    virtual HRESULT STDMETHODCALLTYPE GetStreamOfSections(PID pid, TID tid, MPEG2_FILTER* filter, HANDLE ready,
                                                          IUnknown** stream) = 0;
};
__CRT_UUID_DECL(ISectionList, 0xAFEC1EB5, 0x2A64, 0x46C6, 0xBF, 0x4B, 0xAE, 0x3C, 0xCB, 0x6A, 0xFD, 0xB0)
__CRT_UUID_DECL(IMpeg2Data, 0x9B396D40, 0xF380, 0x4E3C, 0xA5, 0x14, 0x1A, 0x82, 0xBF, 0x6E, 0xBF, 0xE6)

// The filter received no section of the table in time (mpeg2error.h).
const HRESULT mpeg2SectionNotFound = static_cast<HRESULT>(0x80040206);

#include "tests/win/import_patch.h"

#include <cstring>

static void setSlot(void** slot, void* value)
{
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// The program's import address table entry of the function, or null.
static void** importSlot(const char* dll, const char* function)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const IMAGE_NT_HEADERS* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (const IMAGE_IMPORT_DESCRIPTOR* each =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         each->Name != 0; ++each) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + each->Name), dll) != 0) continue;
        const DWORD names = each->OriginalFirstThunk != 0 ? each->OriginalFirstThunk : each->FirstThunk;
        const IMAGE_THUNK_DATA* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + names);
        IMAGE_THUNK_DATA* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + each->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME* named =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) == 0)
                return reinterpret_cast<void**>(&slot->u1.Function);
        }
    }
    return nullptr;
}

ImportReplaced::ImportReplaced(const char* dll, const char* function, void* replacement)
    : slot_(importSlot(dll, function))
{
    if (!slot_) return;
    original_ = *slot_;
    setSlot(slot_, replacement);
}

ImportReplaced::~ImportReplaced()
{
    if (slot_) setSlot(slot_, original_);
}

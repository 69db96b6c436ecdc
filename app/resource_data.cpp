#include "app/resource_data.h"

const uint8_t* resourceBytes(HMODULE module, const char* name, size_t* size)
{
    if (size) *size = 0;
    HRSRC resource = FindResourceA(module, name, RT_RCDATA);
    if (!resource) return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (bytes && size) *size = SizeofResource(module, resource);
    return bytes;
}

#include "app/resource_data.h"

#include <windows.h>

const uint8_t* loadResourceData(const char* name)
{
    HRSRC resource = FindResourceA(nullptr, name, RT_RCDATA);
    if (!resource) return nullptr;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    if (!loaded) return nullptr;
    return static_cast<const uint8_t*>(LockResource(loaded));
}

size_t resourceDataSize(const char* name)
{
    HRSRC resource = FindResourceA(nullptr, name, RT_RCDATA);
    return resource ? SizeofResource(nullptr, resource) : 0;
}

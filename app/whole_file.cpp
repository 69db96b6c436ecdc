#include "app/whole_file.h"

#include <cstdlib>

bool readWholeFile(const char* path, DWORD shareMode, FileBytes* file)
{
    file->bytes = nullptr;
    file->size = 0;
    HANDLE handle = CreateFileA(path, GENERIC_READ, shareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    // Nothing beyond the size the file gives is read: a device that reports
    // none (a link to /dev/zero under Wine) must not be read until memory
    // runs out.
    const LONG size = static_cast<LONG>(GetFileSize(handle, nullptr));
    if (size > 0) {
        file->bytes = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
        DWORD read = 0;
        if (file->bytes && ReadFile(handle, file->bytes, static_cast<DWORD>(size), &read, nullptr)) file->size = read;
    }
    CloseHandle(handle);
    return true;
}

#include "app/whole_file.h"

#include <cstdlib>
#include <cstring>

// Files that give no size (the host's /proc files seen through Wine, say)
// are read piece by piece until they end.
static void readUntilEnd(HANDLE handle, FileBytes* file)
{
    char piece[4096];
    DWORD read = 0;
    while (ReadFile(handle, piece, sizeof piece, &read, nullptr) && read > 0) {
        char* grown = static_cast<char*>(std::realloc(file->bytes, file->size + read));
        if (!grown) return;
        std::memcpy(grown + file->size, piece, read);
        file->bytes = grown;
        file->size += read;
    }
}

bool readWholeFile(const char* path, DWORD shareMode, FileBytes* file)
{
    file->bytes = nullptr;
    file->size = 0;
    HANDLE handle = CreateFileA(path, GENERIC_READ, shareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const LONG size = static_cast<LONG>(GetFileSize(handle, nullptr));
    if (size > 0) {
        file->bytes = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
        DWORD read = 0;
        if (file->bytes && ReadFile(handle, file->bytes, static_cast<DWORD>(size), &read, nullptr)) file->size = read;
    } else if (size == 0) {
        readUntilEnd(handle, file);
    }
    CloseHandle(handle);
    return true;
}

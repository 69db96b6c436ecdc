#include "app/module_directory.h"

size_t moduleDirectoryLength(const char* path, size_t length)
{
    if (length == 0) return 0;
    for (size_t i = length - 1; i >= 1; --i) {
        if (path[i] == '\\') return i;
    }
    return length - 1;
}

#include "ui/default_entry.h"

int defaultEntryLength(const char* resource, size_t size)
{
    const size_t examined = size < 13 ? size : 13;
    int last = -1;
    for (size_t i = 0; i < examined; ++i)
        if (resource[i] == ';') last = static_cast<int>(i);
    return last;
}

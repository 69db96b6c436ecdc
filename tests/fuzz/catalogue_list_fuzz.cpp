// Any file content must give one line per "]", each 64 to 256 characters long.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "catalogue/catalogue_list.h"

static void checkLine(void* context, const char* text, size_t length)
{
    if (length < catalogueLineWidth || length > catalogueLineCapacity || text[length] != '\0') {
        std::abort();
    }
    ++*static_cast<size_t*>(context);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t lines = 0;
    fillCatalogueList(reinterpret_cast<const char*>(data), size, checkLine, &lines);
    size_t closing = 0;
    for (size_t i = 0; i < size; ++i) {
        closing += data[i] == ']';
    }
    if (lines != closing) {
        std::abort();
    }
    return 0;
}

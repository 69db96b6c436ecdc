#include "catalogue/catalogue_list.h"

#include <cstring>

void fillCatalogueList(const char* bytes, size_t size, CatalogueLineSink addLine, void* context)
{
    // One spare byte for the terminating zero handed to the sink.
    char line[catalogueLineCapacity + 1];
    bool collecting = true;  // text before the first "[" counts as a name too
    size_t pos = 0;
    for (size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c == ']') {
            if (pos < catalogueLineWidth) {
                std::memset(line + pos, ' ', catalogueLineWidth - pos);
            }
            const size_t length = pos < catalogueLineWidth ? catalogueLineWidth : pos;
            line[length] = '\0';
            addLine(context, line, length);
            collecting = false;
        } else if (collecting) {
            // A name of more than 256 characters keeps its first 256: the rest
            // is dropped rather than wrapped over the start of the line, so the
            // list shows how the name begins, which is what the user recognises.
            if (pos < catalogueLineCapacity) {
                line[pos] = c;
                ++pos;
            }
        }
        if (c == '[') {
            collecting = true;
            pos = 0;
        }
    }
}

// Making a system call of this test program fail or watching what it is
// given: the program's own import of the function is pointed elsewhere for
// as long as the object lives. Only calls made from the program's own code
// (the parts of the card substitutes linked into it) are affected.
#pragma once
#include <windows.h>

class ImportReplaced {
public:
    // `dll` as the program imports it ("ws2_32.dll"), in any case.
    ImportReplaced(const char* dll, const char* function, void* replacement);
    ~ImportReplaced();
    ImportReplaced(const ImportReplaced&) = delete;
    ImportReplaced& operator=(const ImportReplaced&) = delete;
    // Null when the program imports no such function.
    void* original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

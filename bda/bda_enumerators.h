// The enumerators the bridge's own filter hands out: of its one pin, and of
// a pin's preferred media types, of which it has none. Each is made with one
// reference for the caller; null without memory.
#pragma once
#include <windows.h>

#include <dshow.h>

// Holds a reference to the pin (and so to its filter) while it lives.
IEnumPins* enumerateOnePin(IPin* pin);
IEnumMediaTypes* enumerateNoMediaTypes();

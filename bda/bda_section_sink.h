// The end of the graph's section branch: a filter of the bridge's own with
// one input pin that takes the MPEG-2 demultiplexer's PSI output (whole
// sections, one a media sample) and hands each sample's bytes to the
// function it was made with, on the demultiplexer's own thread. MinGW has
// no DirectShow base classes, so the filter, its pin and their enumerators
// are written out here; they do no more than a sink needs.
#pragma once
#include <windows.h>

#include <dshow.h>

typedef void (*SectionDelivery)(void* context, const BYTE* bytes, size_t size);

// Whole MPEG-2 sections, the media type of the sink's connection.
AM_MEDIA_TYPE sectionsType();

// The filter, with one reference for the caller; null without memory.
IBaseFilter* createSectionSink(SectionDelivery deliver, void* context);
// Its input pin, with a reference.
IPin* sectionSinkPin(IBaseFilter* sink);
// No delivery runs or begins once this returns.
void detachSectionSink(IBaseFilter* sink);

// A stand-in for Windows' MPEG-2 Demultiplexer (CLSID_MPEG2Demultiplexer),
// which Wine lacks, as Windows documents it for PSI: an input pin for the
// transport stream; output pins made with
// IMpeg2Demultiplexer::CreateOutputPin (while the graph is stopped); on a
// pin of the sections type, the PIDs mapped with IMPEG2PIDMap::MapPID(...,
// MEDIA_MPEG2_PSI) come out as whole sections, one a media sample, from the
// downstream pin's allocator or else Windows' memory allocator. The stream
// is the simulated one (bdasim_stream.h) of the tuner before it: while the
// graph runs and the tuner is locked, one repetition every 40 ms. Logged:
//   map PIN 0x0000 0x0010 0x0011   the PIDs mapped to an output pin
// With the scenario line "no demultiplexer" the class is not there.
#pragma once
#include <windows.h>

HRESULT createSimDemultiplexer(REFIID iid, void** object);

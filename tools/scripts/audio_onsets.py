#!/usr/bin/env python3
"""Finds the sounds in a recording of the program: prints each sound's start
and length in milliseconds and the gaps between starts.
    audio_onsets.py REC.wav"""
import struct
import sys
import wave


def sounds(path, window_ms=10, threshold=0.02, min_gap_ms=120):
    with wave.open(path) as w:
        rate, width, channels = w.getframerate(), w.getsampwidth(), w.getnchannels()
        data = w.readframes(w.getnframes())
    assert width == 2
    samples = struct.unpack('<%dh' % (len(data) // 2), data)[::channels]
    step = rate * window_ms // 1000
    active = []
    for i in range(0, len(samples) - step, step):
        chunk = samples[i:i + step]
        rms = (sum(s * s for s in chunk) / step) ** 0.5 / 32768
        active.append(rms > threshold)
    found, start, last_on = [], None, None
    for k, on in enumerate(active):
        t = k * window_ms
        if on:
            if start is None:
                start = t
            last_on = t
        elif start is not None and t - last_on > min_gap_ms:
            found.append((start, last_on + window_ms - start))
            start = None
    if start is not None:
        found.append((start, last_on + window_ms - start))
    return found


if __name__ == '__main__':
    found = sounds(sys.argv[1])
    starts = [s for s, _ in found]
    gaps = [b - a for a, b in zip(starts, starts[1:])]
    print('sounds (start ms, length ms):', found)
    print('gaps between starts (ms):', gaps)

// The PCM formats winshim's wave output plays, in every build without
// Windows: 8 or 16 bits, mono or stereo, a consistent block size and byte
// rate, and a sample rate that fits an int.
#pragma once

#include <windows.h>

#include <cstdint>

inline bool WaveFormatSupported(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec > 0 &&
           f.nSamplesPerSec <= INT32_MAX && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 &&
           f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

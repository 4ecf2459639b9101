// What winshim's wave outputs (SDL2's and the web page's) share: the PCM
// formats they play -- 8 or 16 bits, mono or stereo, a consistent block size
// and byte rate, a sample rate that fits an int -- and waveOutOpen's checks
// of its arguments.
#pragma once

#include <windows.h>

#include <cstdint>

inline bool WaveFormatSupported(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec > 0 &&
           f.nSamplesPerSec <= INT32_MAX && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 &&
           f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

// Null pointers, flags other than CALLBACK_NULL, a device other than the
// default and an unplayable format are refused, in Windows' order; *device
// is null from the first check on. MMSYSERR_NOERROR when all pass.
inline MMRESULT WaveCheckOpen(LPHWAVEOUT device, UINT deviceId, const WAVEFORMATEX* format,
                              DWORD flags) {
    if (!device || !format) return MMSYSERR_INVALPARAM;
    *device = nullptr;
    if (flags != CALLBACK_NULL) return MMSYSERR_INVALFLAG;
    if (deviceId != WAVE_MAPPER && deviceId != 0) return MMSYSERR_BADDEVICEID;
    if (!WaveFormatSupported(*format)) return WAVERR_BADFORMAT;
    return MMSYSERR_NOERROR;
}

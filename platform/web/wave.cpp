// Wave output for winshim in a web page: the samples go to the page's Web
// Audio through the host script's Module.z80homeWave object, which has
// play(samples, rate, bits, channels, loops) and stop().
//
// waveOutOpen opens the one device (8 or 16-bit PCM, mono or stereo) and
// always succeeds: a page whose audio is not allowed to start yet (browsers
// wait for a click or a key) stays silent without an error. A written header
// is copied out to the page and sounds dwLoops times when flagged
// WHDR_BEGINLOOP | WHDR_ENDLOOP (0xFFFFFFFF is for ever), once otherwise.
// The page sounds one header at a time: a write while another is queued
// replaces it, and that one is handed back done. waveOutReset stops the
// sound and hands the queued header back. Only CALLBACK_NULL is supported.
#include <windows.h>

#include <emscripten.h>

#include "../wave_format.h"

namespace {

struct WaveDevice {
    WAVEFORMATEX format;
    WAVEHDR* queued = nullptr;
};

WaveDevice waveDevice;
bool waveOpen = false;

// clang-format off
EM_JS(void, WavePagePlay, (const void* data, unsigned length, unsigned rate, unsigned bits,
                           unsigned channels, unsigned loops), {
    if (Module.z80homeWave)
        Module.z80homeWave.play(HEAPU8.slice(data, data + length), rate, bits, channels, loops);
});
EM_JS(void, WavePageStop, (void), {
    if (Module.z80homeWave) Module.z80homeWave.stop();
});
// clang-format on

void WaveHandBack(WAVEHDR* header) {
    header->dwFlags = (header->dwFlags & ~DWORD{WHDR_INQUEUE}) | WHDR_DONE;
}

WaveDevice* WaveFind(HWAVEOUT device) {
    return waveOpen && reinterpret_cast<WaveDevice*>(device) == &waveDevice ? &waveDevice : nullptr;
}

} // namespace

extern "C" {

MMRESULT waveOutOpen(LPHWAVEOUT device, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR,
                     DWORD_PTR, DWORD flags) {
    MMRESULT refused = WaveCheckOpen(device, deviceId, format, flags);
    if (refused != MMSYSERR_NOERROR) return refused;
    if (waveOpen) return MMSYSERR_BADDEVICEID;
    waveDevice.format = *format;
    waveOpen = true;
    *device = reinterpret_cast<HWAVEOUT>(&waveDevice);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    if (!WaveFind(device)) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    WaveDevice* d = WaveFind(device);
    if (!d) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    if (d->queued) WaveHandBack(d->queued);
    header->dwFlags = (header->dwFlags & ~DWORD{WHDR_DONE}) | WHDR_INQUEUE;
    d->queued = header;
    DWORD loop = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    DWORD loops = (header->dwFlags & loop) == loop && header->dwLoops ? header->dwLoops : 1;
    DWORD length = header->dwBufferLength - header->dwBufferLength % d->format.nBlockAlign;
    WavePagePlay(header->lpData, length, d->format.nSamplesPerSec, d->format.wBitsPerSample,
                 d->format.nChannels, loops);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT device) {
    WaveDevice* d = WaveFind(device);
    if (!d) return MMSYSERR_INVALHANDLE;
    WavePageStop();
    if (d->queued) WaveHandBack(d->queued);
    d->queued = nullptr;
    return MMSYSERR_NOERROR;
}

} // extern "C"

// Wave output for winshim over SDL2 audio.
//
// waveOutOpen opens SDL's default output device with the given PCM format
// (8 or 16 bits, mono or stereo); SDL's audio thread then pulls the queued
// headers' bytes, in order, and silence when nothing is queued. A header
// flagged WHDR_BEGINLOOP | WHDR_ENDLOOP plays dwLoops times (at least once;
// 0xFFFFFFFF is as good as for ever); loops that span several headers are not
// supported, each such header plays once. A header that has played out, or
// that waveOutReset takes back, gets WHDR_DONE and loses WHDR_INQUEUE, as on
// Windows; the flag word is written atomically because the audio thread does
// it. Only CALLBACK_NULL is supported, and handles are never closed.
//
// A device that has played only silence for a second or two is closed under
// its handle, so that a silent program costs the host no audio thread (SDL's
// wakes about 90 times a second to be handed silence) and no stream in the
// sound server; the next waveOutWrite opens it again, the silence before it
// a little longer for that. One thread, asleep while no device is open, looks
// at the open ones once a kWaveIdle.
//
// SDL's audio subsystem starts with the first waveOutOpen that opens a device,
// and stops again whenever no device is open; it obeys SDL_AUDIODRIVER. With
// no driver or no device waveOutOpen fails with
// MMSYSERR_NODRIVER or MMSYSERR_BADDEVICEID and stores a null handle, which
// every later call answers with MMSYSERR_INVALHANDLE. That must be quiet:
// the ALSA library, which SDL loads, would print its failed search for a
// sound card on stderr, so its error reports are switched off first.
#include <windows.h>

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <mutex>
#include <thread>
#include <vector>

#include "wave_format.h"

namespace {

// About 12 ms at 44,100 Hz: how late a waveOutReset can still be heard.
constexpr Uint16 kWaveDeviceSamples = 512;

// How long a device must have played nothing but silence, at least, before
// it is closed.
constexpr std::chrono::milliseconds kWaveIdle{1000};

// id is written under both waveLock and lock, so either suffices to read it.
struct WaveDevice {
    std::mutex lock;
    SDL_AudioDeviceID id = 0;  // 0 while closed
    SDL_AudioSpec want = {};   // what it is opened with, again after a close
    unsigned changes = 0;      // of its queue: writes, resets and headers played out
    unsigned quietSince = ~0u; // changes when the closer last found the queue empty
    DWORD blockAlign = 1;
    Uint8 silence = 0;
    std::deque<WAVEHDR*> queue;
    DWORD position = 0;  // next byte of the front header
    DWORD playsLeft = 0; // plays of the front header still due, the current one included
};

// Never destroyed, like GDI's table: the beeper thread may still write while
// the process exits. waveLock comes before a device's lock.
std::mutex& waveLock = *new std::mutex; // the device list, opens, closes, SDL's start-up
std::vector<WaveDevice*>& waveDevices = *new std::vector<WaveDevice*>;
std::condition_variable& waveOpened = *new std::condition_variable;
bool waveSdlStarted = false;
bool waveCloserStarted = false;

std::atomic_ref<DWORD> WaveFlags(WAVEHDR* header) {
    return std::atomic_ref<DWORD>(header->dwFlags);
}

DWORD WavePlays(WAVEHDR* header) {
    DWORD loop = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    if ((WaveFlags(header).load(std::memory_order_relaxed) & loop) != loop) return 1;
    return std::max<DWORD>(header->dwLoops, 1);
}

void WaveHandBack(WAVEHDR* header) {
    WaveFlags(header).fetch_and(~DWORD{WHDR_INQUEUE}, std::memory_order_release);
    WaveFlags(header).fetch_or(WHDR_DONE, std::memory_order_release);
}

// Drops the front header and starts the next one from its first byte.
void WaveNext(WaveDevice* d) {
    d->changes++;
    WaveHandBack(d->queue.front());
    d->queue.pop_front();
    d->position = 0;
    d->playsLeft = d->queue.empty() ? 0 : WavePlays(d->queue.front());
}

void SDLCALL WaveFill(void* userdata, Uint8* stream, int length) {
    auto* d = static_cast<WaveDevice*>(userdata);
    std::lock_guard<std::mutex> hold(d->lock);
    DWORD done = 0;
    DWORD wanted = static_cast<DWORD>(length);
    while (done < wanted && !d->queue.empty()) {
        WAVEHDR* h = d->queue.front();
        DWORD size = h->dwBufferLength - h->dwBufferLength % d->blockAlign;
        if (size == 0) {
            WaveNext(d);
            continue;
        }
        DWORD count = std::min(size - d->position, wanted - done);
        std::memcpy(stream + done, h->lpData + d->position, count);
        done += count;
        d->position += count;
        if (d->position < size) continue;
        d->position = 0;
        if (--d->playsLeft == 0) WaveNext(d);
    }
    std::memset(stream + done, d->silence, wanted - done);
}

WaveDevice* WaveFind(HWAVEOUT device) {
    std::lock_guard<std::mutex> hold(waveLock);
    auto* d = reinterpret_cast<WaveDevice*>(device);
    return std::find(waveDevices.begin(), waveDevices.end(), d) != waveDevices.end() ? d : nullptr;
}

void WaveAlsaSilent(const char*, int, const char*, int, const char*, ...) {}

// Loads the ALSA library SDL will use (the same instance) and gives it an
// error handler that says nothing; without the library there is nothing to do.
void WaveQuietAlsa() {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;
    auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(WaveAlsaSilent);
}

// With waveLock held.
bool WaveAnyOpen() {
    return std::any_of(waveDevices.begin(), waveDevices.end(),
                       [](WaveDevice* d) { return d->id != 0; });
}

// With waveLock held: starts SDL's audio if need be and opens d's device.
// MMSYSERR_NODRIVER or MMSYSERR_BADDEVICEID when there is no driver or no
// device; SDL's audio is then down again unless another device is open.
MMRESULT WaveOpenDevice(WaveDevice* d) {
    if (!waveSdlStarted) {
        WaveQuietAlsa();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return MMSYSERR_NODRIVER;
        waveSdlStarted = true;
    }
    SDL_AudioSpec have;
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &d->want, &have, 0);
    if (!id) {
        // Nothing to play on: SDL's audio goes down again, and with it the
        // thread some drivers keep looking for devices that come and go.
        if (!WaveAnyOpen()) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            waveSdlStarted = false;
        }
        return MMSYSERR_BADDEVICEID;
    }
    {
        std::lock_guard<std::mutex> hold(d->lock);
        d->id = id;
        d->silence = have.silence;
    }
    SDL_PauseAudioDevice(id, 0);
    waveOpened.notify_all();
    return MMSYSERR_NOERROR;
}

// Opens again the device closed under d for a write. When it cannot be
// (the sound card went away), what is queued plays to nothing: every header
// is handed back done, so that no program waits for it for ever.
void WaveReopen(WaveDevice* d) {
    std::lock_guard<std::mutex> hold(waveLock);
    if (d->id || WaveOpenDevice(d) == MMSYSERR_NOERROR) return;
    std::lock_guard<std::mutex> device(d->lock);
    while (!d->queue.empty())
        WaveNext(d);
}

// Closes, once a kWaveIdle, the devices whose queue was empty the last time
// and has not changed since; sleeps while none is open.
void WaveCloser() {
    std::unique_lock<std::mutex> hold(waveLock);
    for (;;) {
        waveOpened.wait(hold, WaveAnyOpen);
        for (WaveDevice* d : waveDevices) {
            std::unique_lock<std::mutex> device(d->lock);
            if (!d->id) continue;
            bool quiet = d->queue.empty() && d->quietSince == d->changes;
            d->quietSince = d->queue.empty() ? d->changes : ~0u;
            if (!quiet) continue;
            // Closing waits for the audio thread, which may be waiting for
            // the device's lock.
            SDL_AudioDeviceID id = d->id;
            d->id = 0;
            device.unlock();
            SDL_CloseAudioDevice(id);
        }
        if (!WaveAnyOpen()) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            waveSdlStarted = false;
            continue;
        }
        auto due = std::chrono::steady_clock::now() + kWaveIdle;
        waveOpened.wait_until(hold, due, [&] { return std::chrono::steady_clock::now() >= due; });
    }
}

} // namespace

extern "C" {

MMRESULT waveOutOpen(LPHWAVEOUT device, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR,
                     DWORD_PTR, DWORD flags) {
    MMRESULT refused = WaveCheckOpen(device, deviceId, format, flags);
    if (refused != MMSYSERR_NOERROR) return refused;

    std::lock_guard<std::mutex> hold(waveLock);
    auto* d = new WaveDevice;
    d->want.freq = static_cast<int>(format->nSamplesPerSec);
    d->want.format = format->wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    d->want.channels = static_cast<Uint8>(format->nChannels);
    d->want.samples = kWaveDeviceSamples;
    d->want.callback = WaveFill;
    d->want.userdata = d;
    d->blockAlign = format->nBlockAlign;
    MMRESULT opened = WaveOpenDevice(d);
    if (opened != MMSYSERR_NOERROR) {
        delete d;
        return opened;
    }
    waveDevices.push_back(d);
    if (!waveCloserStarted) {
        std::thread(WaveCloser).detach();
        waveCloserStarted = true;
    }
    *device = reinterpret_cast<HWAVEOUT>(d);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    WaveDevice* d = WaveFind(device);
    if (!d) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    std::lock_guard<std::mutex> hold(d->lock);
    if (WaveFlags(header).load(std::memory_order_relaxed) & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    WaveFlags(header).fetch_or(WHDR_PREPARED, std::memory_order_relaxed);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    WaveDevice* d = WaveFind(device);
    if (!d) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    std::unique_lock<std::mutex> hold(d->lock);
    DWORD flags = WaveFlags(header).load(std::memory_order_relaxed);
    if (!(flags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (flags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    WaveFlags(header).store((flags & ~DWORD{WHDR_DONE}) | WHDR_INQUEUE, std::memory_order_relaxed);
    d->queue.push_back(header);
    d->changes++;
    if (d->queue.size() == 1) {
        d->position = 0;
        d->playsLeft = WavePlays(header);
    }
    if (d->id) return MMSYSERR_NOERROR;
    hold.unlock();
    WaveReopen(d);
    return MMSYSERR_NOERROR;
}

// Stops at once: every queued header is handed back done, and the next write
// starts from its first byte. The device plays silence until it is closed.
MMRESULT waveOutReset(HWAVEOUT device) {
    WaveDevice* d = WaveFind(device);
    if (!d) return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> hold(d->lock);
    d->changes++;
    while (!d->queue.empty())
        WaveNext(d);
    return MMSYSERR_NOERROR;
}

} // extern "C"

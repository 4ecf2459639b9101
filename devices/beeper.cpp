// Beeper: port 0x40 bit 5 (beepOn) switches a fixed 2,450 Hz square wave.
//
// The tone is one two-second buffer, 4,900 whole periods of nine samples at
// 192 and nine at 64 (8-bit unsigned, 44,100 Hz mono), that the wave device
// repeats without end. BeepThread queues it when beepOn becomes set and
// resets the device when it clears, so every tone starts at the first sample.
// A paused machine is silent (beepHeld), though beepOn stays as the program
// left it. A driver that mixes its own sound takes the same starts and stops
// through beepOutput instead of the device.
//
// Not emulated: the beeper's real waveform and any volume; a change of beepOn
// that is undone within one look of BeepThread is not heard.
#include "devices/beeper.h"

#include <cstdlib>

#include "state/machine_state.h"

constexpr DWORD kBeepBufferBytes = 2 * kBeepRate;
constexpr int kBeepHalfPeriod = 9;
constexpr uint8_t kBeepHigh = 0xC0;
constexpr uint8_t kBeepLow = 0x40;
constexpr DWORD kBeepLoopForever = 0xFFFFFFFF;

void (*beepOutput)(uint8_t playing) = nullptr;

void BeepSetUp(void) {
    // A start that failed after this ran may be tried again: the device and
    // the buffer of the first time serve it.
    if (machine.beepDevice || machine.beepBuffer) return;
    WAVEFORMATEX& format = machine.beepFormat;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = kBeepRate;
    format.nAvgBytesPerSec = kBeepRate;
    format.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    format.cbSize = 0;
    if (!beepOutput) waveOutOpen(&machine.beepDevice, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);

    machine.beepBuffer = static_cast<uint8_t*>(calloc(kBeepBufferBytes, 1));
    if (!machine.beepBuffer) return; // no tone buffer: the machine runs silently
    for (DWORD i = 0; i < kBeepBufferBytes; i++)
        machine.beepBuffer[i] =
            (i % (2 * kBeepHalfPeriod)) < kBeepHalfPeriod ? kBeepHigh : kBeepLow;

    WAVEHDR& header = machine.beepHeader;
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(machine.beepBuffer);
    header.dwBufferLength = kBeepBufferBytes;
    header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    header.dwLoops = kBeepLoopForever;
    if (!beepOutput) waveOutPrepareHeader(machine.beepDevice, &header, sizeof(WAVEHDR));
}

static void BeepChanged(void) {
    machine.beepChanges.fetch_add(1, std::memory_order_relaxed);
    machine.beepChanges.notify_all();
}

void BeepSet(uint8_t on) {
    if (Get(machine.beepOn) == on) return;
    Put(machine.beepOn, on);
    BeepChanged();
}

void BeepSetHeld(uint8_t held) {
    if (Get(machine.beepHeld) == held) return;
    Put(machine.beepHeld, held);
    BeepChanged();
}

void BeepFollow(void) {
    bool on = Get(machine.beepOn) && !Get(machine.beepHeld);
    if (on && !machine.beepPlaying && machine.beepBuffer) {
        if (beepOutput)
            beepOutput(1);
        else
            waveOutWrite(machine.beepDevice, &machine.beepHeader, sizeof(WAVEHDR));
        machine.beepPlaying = 1;
    } else if (!on && machine.beepPlaying) {
        if (beepOutput)
            beepOutput(0);
        else
            waveOutReset(machine.beepDevice);
        machine.beepPlaying = 0;
    }
}

BeepMix beepMix;

void BeepMixOutput(uint8_t playing) {
    beepMix.playing = playing;
    beepMix.position = 0;
}

void BeepMixReset(void) {
    beepMix = BeepMix{};
    machine.beepPlaying = 0;
    beepMix.changes = Get(machine.beepChanges);
}

void BeepMixFollow(void) {
    uint8_t was = beepMix.playing;
    BeepFollow();
    uint32_t changes = Get(machine.beepChanges);
    beepMix.blip = !was && !beepMix.playing && changes != beepMix.changes;
    beepMix.changes = changes;
}

void BeepMixSamples(int16_t* out, uint32_t count) {
    constexpr int kSampleScale = 0x100; // 8-bit unsigned to 16-bit signed
    uint32_t length = machine.beepHeader.dwBufferLength;
    uint32_t blipPosition = 0;
    uint32_t* position = beepMix.blip      ? &blipPosition
                         : beepMix.playing ? &beepMix.position
                                           : nullptr;
    for (uint32_t i = 0; i < count; i++) {
        out[i] = 0;
        if (!position || !length) continue;
        out[i] = static_cast<int16_t>((machine.beepBuffer[*position] - 0x80) * kSampleScale);
        *position = (*position + 1) % length;
    }
}

// Sleeps until beepOn or beepHeld changes rather than polling them, so a
// silent or a steadily sounding machine costs this thread nothing. A change
// between the count's read and the look is seen by the look, or wakes the
// wait at once.
DWORD WINAPI BeepThread(LPVOID) {
    for (;;) {
        uint32_t seen = Get(machine.beepChanges);
        BeepFollow();
        machine.beepChanges.wait(seen, std::memory_order_relaxed);
    }
}

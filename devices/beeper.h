// Beeper: a looping 2,450 Hz tone on the default wave output device while
// beepOn is set.
#pragma once

#include <cstdint>
#include <windows.h>

// The tone's samples a second.
constexpr DWORD kBeepRate = 44100;

// Where the tone goes. Null (the default): the wave device BeepSetUp opens.
// A driver that mixes the sound itself (the libretro core, the Python
// module) sets it, to BeepMixOutput, before MachineStart: then no device is
// opened, and BeepFollow calls it with 1 when the tone starts (from the first
// sample of beepBuffer, at beepFormat's rate, looping) and with 0 when it
// stops.
extern void (*beepOutput)(uint8_t playing);

// Such a driver's mix: what it keeps between calls (a driver's saved state
// carries playing and position).
struct BeepMix {
    uint8_t playing = 0;   // the tone sounds, as BeepFollow last said
    uint32_t position = 0; // the tone's next sample in beepBuffer
    uint32_t changes = 0;  // beepChanges at the last BeepMixFollow
    bool blip = false;     // a beep started and stopped in between, unheard
};
extern BeepMix beepMix;

// The beepOutput of a driver that mixes: the tone starts from its first
// sample, or stops.
void BeepMixOutput(uint8_t playing);
// The mix starts silent, in the beeper's record of it too (power-on).
void BeepMixReset(void);
// BeepFollow for the time run since the last call; a beep that started and
// stopped within it, which no sample would carry, is heard in the samples
// taken next (a blip) rather than lost.
void BeepMixFollow(void);
// The next count samples, 16-bit: the tone from where it stands, a blip
// from the tone's first sample, or silence.
void BeepMixSamples(int16_t* out, uint32_t count);

// Opens the device and prepares the looping tone buffer (RunEmu, once).
void BeepSetUp(void);
// Sets beepOn (0 or 1) and wakes BeepThread when it changes.
void BeepSet(uint8_t on);
// Silences the tone while the machine is paused (held 1), whatever beepOn
// says; on release a tone still asked for starts again from its first sample.
void BeepSetHeld(uint8_t held);
// One look of BeepThread: queues the tone when beepOn is set, the machine is
// not held and the tone is not playing; resets the device when the tone plays
// and should not.
void BeepFollow(void);
DWORD WINAPI BeepThread(LPVOID);

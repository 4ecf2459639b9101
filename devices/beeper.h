// Beeper: a looping 2,450 Hz tone on the default wave output device while
// beepOn is set.
#pragma once

#include <cstdint>
#include <windows.h>

// The tone's samples a second.
constexpr DWORD kBeepRate = 44100;

// Where the tone goes. Null (the default): the wave device BeepSetUp opens.
// A driver that mixes the sound itself (the libretro core) sets it before
// MachineStart: then no device is opened, and BeepFollow calls it with 1 when
// the tone starts (from the first sample of beepBuffer, at beepFormat's
// rate, looping) and with 0 when it stops.
extern void (*beepOutput)(uint8_t playing);

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

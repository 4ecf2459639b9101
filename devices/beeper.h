// Beeper: a looping 2,450 Hz tone on the default wave output device while
// beepOn is set.
#pragma once

#include <cstdint>
#include <windows.h>

// Opens the device and prepares the looping tone buffer (RunEmu, once).
void BeepSetUp(void);
// Sets beepOn (0 or 1) and wakes BeepThread when it changes.
void BeepSet(uint8_t on);
// One look of BeepThread: queues the tone when beepOn is set and it is not
// playing, resets the device when beepOn is clear and it is; returns the
// beepOn it followed.
uint8_t BeepFollow(void);
DWORD WINAPI BeepThread(LPVOID);

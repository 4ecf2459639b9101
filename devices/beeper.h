// Beeper: a looping 2,450 Hz tone on the default wave output device while
// beepOn is set.
#pragma once

#include <windows.h>

// Opens the device and prepares the looping tone buffer (RunEmu, once).
void BeepSetUp(void);
DWORD WINAPI BeepThread(LPVOID);

// The frontend's key codes (RETROK_*, the keys' unshifted US legends) as the
// virtual-key codes CtlEmulator takes, by key position as the desktop host
// maps its keyboard.
#pragma once

#include <cstdint>

// The virtual-key code of the host key, or 0 for a key the machine has no
// place for.
uint8_t RetroVirtualKey(unsigned keycode);

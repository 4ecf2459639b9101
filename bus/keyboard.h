// Keyboard matrix: ten rows of eight keys on ports 0x00 to 0x0F, fed by the
// host's key messages through keyMap.
#pragma once

struct StateIo;

#include <array>
#include <cstdint>

// Virtual-key code to matrix code (row << 4 | bit), 0xFF for no machine key.
extern const std::array<uint8_t, 256> keyMap;

// Port read of row port & 0x0F: the complement of the row, widened to int.
int KeyboardReadRow(int port);
// WM_KEYDOWN / WM_KEYUP with a virtual-key code.
void KeyboardKeyEvent(uint32_t message, uint32_t virtualKey);
// Power-on: every key released. A reset keeps held keys held.
void KeyboardPowerOn(void);
// Saves, checks or loads the matrix (state/state_io.h).
void KeyboardState(StateIo& io);

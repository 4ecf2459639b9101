// Keyboard matrix: ten rows of eight keys on ports 0x00 to 0x0F, fed by the
// host's key messages through keyMap.
#pragma once

struct StateIo;

#include <array>
#include <cstdint>

// Virtual-key code to matrix code (row << 4 | bit), 0xFF for no machine key.
extern const std::array<uint8_t, 256> keyMap;

// Reads of its row a change of the matrix stays for before the next change
// of that row, or any later one, goes in.
constexpr uint8_t kKeyScansHeld = 2;

// Port read of row port & 0x0F: the complement of the row, widened to int.
// It counts as a scan of the row, which may let waiting changes in.
int KeyboardReadRow(int port);
// WM_KEYDOWN / WM_KEYUP with a virtual-key code: the host's key, pressed or
// released, in the order of the messages and each seen by the program.
void KeyboardKeyEvent(uint32_t message, uint32_t virtualKey);
// One stroke of a key, with SHIFT and CTRL around it if asked: pressed and
// released, each held for the program's scans (a paste types through this).
void KeyboardType(uint8_t virtualKey, bool shift, bool control);
// True when every change has reached the matrix.
bool KeyboardSettled(void);
// True while the host's messages hold some machine key down.
bool KeyboardHostHolds(void);
// Reset: the keys the host holds stay held, and changes still waiting for
// the old program's scans are dropped: the matrix is at once what the host's
// messages have made it.
void KeyboardReset(void);
// Power-on: every key released.
void KeyboardPowerOn(void);
// Saves, checks or loads the matrix (state/state_io.h).
void KeyboardState(StateIo& io);

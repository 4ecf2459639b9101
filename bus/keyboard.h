// Keyboard matrix: ten rows of eight keys on ports 0x00 to 0x0F, fed by the
// host's key messages through keyMap.
#pragma once

struct StateIo;

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// Virtual-key code to matrix code (row << 4 | bit), 0xFF for no machine key.
extern const std::array<uint8_t, 256> keyMap;

// Reads of its row a change of the matrix stays for before the next change
// goes in.
constexpr uint8_t kKeyScansHeld = 2;

// Port read of row port & 0x0F: the complement of the row, widened to int.
// It counts as a scan of the row.
int KeyboardReadRow(int port);
// The host's key with a virtual-key code, pressed or released, in the order
// of the calls and each seen by the program. A press whose modifiers carry
// kInputModifiersGiven sets the machine's SHIFT and CTRL as given
// (kInputShift, kInputControl) in the same change (state/input_event.h).
void KeyboardKey(uint32_t virtualKey, bool down, uint8_t modifiers);
// One stroke of a key, with SHIFT and CTRL as asked: pressed and released,
// each held for the program's scans, and SHIFT and CTRL then back to what
// the host holds (a paste types through this).
void KeyboardType(uint8_t virtualKey, bool shift, bool control);
// The tick: the next waiting change goes into the matrix if the program has
// read the row of the last one kKeyScansHeld times, and STOP's next change
// likewise in its lane.
void KeyboardTick(void);
// True when every change is in the matrix, the last has been read for its
// scans, and the program has since read a row other than STOP's: it is
// scanning the whole keyboard, so a new key will be taken, not passed over
// by a program that reads STOP's row alone while its queue is full.
bool KeyboardReady(void);
// The events that make the keys the host holds those of held (rows as in
// MachineState::keyHostDown): a release for each key held in the record but
// not in held, a press for each the other way, by virtual-key code. A state
// brought back from another time (a rewind) is followed by them, so a key
// down then and up now does not stay down.
std::vector<std::pair<uint32_t, bool>> KeyboardHostChanges(const uint8_t (&held)[16]);
// True while the host's keys hold some machine key down.
bool KeyboardHostHolds(void);
// Reset: the keys the host holds stay held, and changes still waiting for
// the old program's scans are dropped: the matrix is at once what the host's
// messages have made it.
void KeyboardReset(void);
// Power-on: every key released.
void KeyboardPowerOn(void);
// Saves, checks or loads the matrix (state/state_io.h).
void KeyboardState(StateIo& io);
// Saves, checks or loads everything the keyboard holds, the keys on their
// way into the matrix included (input/input.h's InputState).
void KeyboardInputState(StateIo& io);

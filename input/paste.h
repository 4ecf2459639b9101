// Pasted text typed on the machine's keyboard in its own time: the keys a
// paste event carries (two bytes each, little-endian: a virtual-key code,
// kPasteShift and kPasteControl) are handed to the keyboard one stroke at a
// time, each once the last has gone in and out of the matrix and the
// program is scanning the whole keyboard, so none is lost or merged however
// busy the program is. All on the processor thread.
#pragma once

#include <cstdint>
#include <vector>

struct StateIo;

constexpr uint16_t kPasteShift = 0x100;
constexpr uint16_t kPasteControl = 0x200;

// Queues a paste event's keys after those still to type.
void PasteAppend(const std::vector<uint8_t>& keys);
// Drops the keys not yet typed; a stroke under way finishes.
void PasteCancel(void);
// The tick's step: the next stroke, when the keyboard is ready for it.
void PasteAdvance(void);
void PastePowerOn(void);
// The keys still to type (input/input.h's InputState).
void PasteState(StateIo& io);

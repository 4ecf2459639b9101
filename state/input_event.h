// One input from a host, stamped with the machine cycle at which it takes
// effect (input/input.h applies it).
#pragma once

#include <cstdint>
#include <vector>

// The cycle of an event the host wants applied as soon as the machine takes
// it: the processor thread stamps it then.
constexpr uint64_t kInputNow = 0;
// No stop asked for.
constexpr uint64_t kNoStopCycle = UINT64_MAX;

// Modifiers that go with a key's press, as one change: the machine's SHIFT
// and CTRL are set as given before the key goes down.
constexpr uint8_t kInputShift = 0x01;
constexpr uint8_t kInputControl = 0x02;
constexpr uint8_t kInputModifiersGiven = 0x80;

enum class InputKind : uint8_t {
    kKey = 1,     // code: virtual-key code; down; modifiers
    kPen = 2,     // message: a mouse message; x, y within width by height
    kPaste = 3,   // data: the keys to type, two bytes each (input/paste.h)
    kCancel = 4,  // the paste's keys not yet typed are dropped
    kReset = 5,   // the machine's reset
    kOptions = 6, // the host changed the picture's options (nothing to apply)
    kState = 7,   // data: a whole state file loaded (applied through a hook)
};
constexpr uint8_t kInputKindLast = 7;

struct InputEvent {
    uint64_t cycle = kInputNow;
    InputKind kind = InputKind::kKey;
    uint8_t down = 0;
    uint8_t modifiers = 0;
    uint32_t code = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
    std::vector<uint8_t> data;
};

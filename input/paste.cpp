// Typing a paste's keys (input/paste.h).
#include "input/paste.h"

#include "bus/keyboard.h"
#include "state/machine_state.h"
#include "state/state_io.h"

// The most keys a paste may hold (the plus library's kPasteMostKeys, with
// room for a second paste posted meanwhile).
constexpr uint32_t kPasteMostStateKeys = 1u << 22;

void PasteAppend(const std::vector<uint8_t>& keys) {
    for (size_t at = 0; at + 1 < keys.size(); at += 2)
        machine.pasteKeys.push_back(static_cast<uint16_t>(keys[at] | keys[at + 1] << 8));
    if (machine.pasteNext < machine.pasteKeys.size()) Put(machine.pasteActive, 1);
}

void PasteCancel(void) {
    size_t left = machine.pasteKeys.size() - machine.pasteNext;
    machine.pasteKeys.clear();
    machine.pasteNext = 0;
    Put(machine.pasteActive, 0);
    machine.pasteLeft.fetch_sub(static_cast<uint32_t>(left), std::memory_order_relaxed);
}

void PasteAdvance(void) {
    if (!Get(machine.pasteActive) || !KeyboardReady()) return;
    if (machine.pasteNext >= machine.pasteKeys.size()) {
        machine.pasteKeys.clear();
        machine.pasteNext = 0;
        Put(machine.pasteActive, 0);
        return;
    }
    uint16_t key = machine.pasteKeys[machine.pasteNext++];
    machine.pasteLeft.fetch_sub(1, std::memory_order_relaxed);
    KeyboardType(static_cast<uint8_t>(key & 0xFF), key & kPasteShift, key & kPasteControl);
}

void PastePowerOn(void) {
    std::vector<uint16_t>().swap(machine.pasteKeys);
    machine.pasteNext = 0;
    Put(machine.pasteActive, 0);
    Put(machine.pasteLeft, 0);
}

void PasteState(StateIo& io) {
    const std::vector<uint16_t>& keys = machine.pasteKeys;
    uint32_t count = static_cast<uint32_t>(keys.size() - machine.pasteNext);
    io.Value(count, kPasteMostStateKeys);
    count = static_cast<uint32_t>(io.Last());
    std::vector<uint16_t> loaded;
    for (uint32_t i = 0; i < count && io.ok; i++) {
        uint16_t key = io.mode == StateMode::kSave ? keys[machine.pasteNext + i] : 0;
        io.Value(key, 0x3FF);
        if (io.mode == StateMode::kLoad) loaded.push_back(key);
    }
    if (io.mode != StateMode::kLoad || !io.ok) return;
    Put(machine.pasteLeft, loaded.size());
    Put(machine.pasteActive, loaded.empty() ? 0 : 1);
    machine.pasteKeys = std::move(loaded);
    machine.pasteNext = 0;
}

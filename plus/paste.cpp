// Pasting: the host's UTF-8 text becomes a queue of keys (a virtual-key code,
// with SHIFT or not, from bus/key_chars), which the processor thread presses
// and releases through the keyboard device at tick-period boundaries, so the
// keys keep the machine's time at any speed. The host appends and cancels
// under pasteLock; the processor thread takes it once a tick period while a
// paste is under way.
#include "plus/paste.h"

#include "bus/key_chars.h"
#include "bus/keyboard.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"

constexpr uint16_t kPasteShift = 0x100;

enum PastePhase : uint8_t { kPasteNextKey, kPastePress, kPasteRelease };

// The next code point of UTF-8 text at *at, moving *at past it; a byte that
// starts no well-formed sequence is returned as an invalid code point.
constexpr char32_t kPasteInvalid = 0xFFFFFFFF;
static char32_t PasteDecode(const unsigned char* text, size_t* at) {
    unsigned char lead = text[(*at)++];
    if (lead < 0x80) return lead;
    int more = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (more < 0 || lead >= 0xF5) return kPasteInvalid;
    char32_t c = lead & (0x3F >> more);
    for (int i = 0; i < more; i++) {
        if ((text[*at] & 0xC0) != 0x80) return kPasteInvalid;
        c = c << 6 | (text[(*at)++] & 0x3F);
    }
    return c;
}

int PasteText(const char* text) {
    if (!text) return 0;
    std::vector<uint16_t> keys;
    int skipped = 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t at = 0; bytes[at];) {
        char32_t c = PasteDecode(bytes, &at);
        // CR LF and a lone CR are line breaks, as LF is.
        if (c == '\r') {
            if (bytes[at] == '\n') at++;
            c = '\n';
        }
        uint8_t virtualKey;
        bool shift;
        if (c == kPasteInvalid || !KeyCharKey(c, &virtualKey, &shift)) {
            skipped++;
            continue;
        }
        keys.push_back(static_cast<uint16_t>(virtualKey | (shift ? kPasteShift : 0)));
    }
    std::lock_guard<std::mutex> lock(machine.pasteLock);
    size_t waiting = machine.pasteKeys.size() - machine.pasteNext;
    size_t room = kPasteMostKeys > waiting ? kPasteMostKeys - waiting : 0;
    if (keys.size() > room) {
        skipped += static_cast<int>(keys.size() - room);
        keys.resize(room);
    }
    machine.pasteKeys.insert(machine.pasteKeys.end(), keys.begin(), keys.end());
    Put(machine.pasteLeft, machine.pasteKeys.size() - machine.pasteNext);
    if (!keys.empty()) Put(machine.pasteActive, 1);
    return skipped;
}

uint32_t GetPasteLeft(void) {
    return Get(machine.pasteLeft);
}

void CancelPaste(void) {
    std::lock_guard<std::mutex> lock(machine.pasteLock);
    // A key already down stays in the queue to be released; a SHIFT pressed
    // ahead of its key is released here.
    if (machine.pastePhase == kPastePress) {
        KeyboardKeyEvent(WM_KEYUP, VK_SHIFT);
        machine.pastePhase = kPasteNextKey;
    }
    size_t keep = machine.pastePhase == kPasteRelease ? machine.pasteNext + 1 : machine.pasteNext;
    if (keep < machine.pasteKeys.size()) machine.pasteKeys.resize(keep);
    Put(machine.pasteLeft, machine.pasteKeys.size() - machine.pasteNext);
}

void PasteAdvance(void) {
    std::lock_guard<std::mutex> lock(machine.pasteLock);
    if (machine.pasteWait > 0) {
        machine.pasteWait--;
        return;
    }
    if (machine.pasteNext >= machine.pasteKeys.size()) {
        machine.pasteKeys.clear();
        machine.pasteNext = 0;
        Put(machine.pasteActive, 0);
        return;
    }
    uint16_t key = machine.pasteKeys[machine.pasteNext];
    uint32_t virtualKey = key & 0xFF;
    bool shift = key & kPasteShift;
    switch (machine.pastePhase) {
    case kPasteNextKey:
        machine.pastePhase = kPastePress;
        if (shift) {
            KeyboardKeyEvent(WM_KEYDOWN, VK_SHIFT);
            machine.pasteWait = kPasteShiftLeadPeriods - 1;
            break;
        }
        [[fallthrough]];
    case kPastePress:
        KeyboardKeyEvent(WM_KEYDOWN, virtualKey);
        machine.pastePhase = kPasteRelease;
        machine.pasteWait = kPasteHoldPeriods - 1;
        break;
    case kPasteRelease:
        KeyboardKeyEvent(WM_KEYUP, virtualKey);
        if (shift) KeyboardKeyEvent(WM_KEYUP, VK_SHIFT);
        machine.pastePhase = kPasteNextKey;
        machine.pasteNext++;
        Put(machine.pasteLeft, machine.pasteKeys.size() - machine.pasteNext);
        machine.pasteWait = (virtualKey == VK_RETURN ? kPasteLineGapPeriods : kPasteGapPeriods) - 1;
        break;
    }
}

// Pasting: the host's UTF-8 text becomes a queue of keys (a virtual-key code,
// with SHIFT, CTRL or neither, from bus/key_chars), which the processor thread hands
// to the keyboard one stroke at a time. The keyboard holds each key down, and
// then up, until the program has read its row, so the text goes in at the
// pace the program reads it, at any speed, and none is lost while the
// program is busy. The host appends and cancels under pasteLock; the
// processor thread takes it once a tick period while a paste is under way.
#include "plus/paste.h"

#include "bus/key_chars.h"
#include "bus/keyboard.h"
#include "core/machine.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"

constexpr uint16_t kPasteShift = 0x100;
constexpr uint16_t kPasteControl = 0x200;

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

// The keys that may still join the queue. Only the host's thread adds keys,
// so the room can only grow between this and the append.
static size_t PasteRoom(void) {
    std::lock_guard<std::mutex> lock(machine.pasteLock);
    size_t waiting = machine.pasteKeys.size() - machine.pasteNext;
    return kPasteMostKeys > waiting ? kPasteMostKeys - waiting : 0;
}

int PasteText(const char* text) {
    if (!text) return 0;
    // Keys are made only while there is room for them, so a huge text costs
    // no more memory than the queue holds; the rest are counted.
    size_t room = PasteRoom();
    std::vector<uint16_t> keys;
    int skipped = 0;
    uint32_t beyond = 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t at = 0; bytes[at];) {
        char32_t c = PasteDecode(bytes, &at);
        // CR LF and a lone CR are line breaks, as LF is.
        if (c == '\r') {
            if (bytes[at] == '\n') at++;
            c = '\n';
        }
        // The key a tab would press is the machine's F1, which types a
        // text in BASIC: a tab in text to paste is a space.
        if (c == '\t') c = ' ';
        uint8_t virtualKey;
        bool shift = false, control = false;
        // kPasteInvalid has no key; a control code with no key of its own
        // (the bell, 07H) is typed as CTRL with its letter, as a user types it.
        bool typed = KeyCharKey(c, &virtualKey, &shift);
        if (!typed) typed = control = KeyCharControlKey(c, &virtualKey);
        if (!typed) {
            skipped++;
        } else if (keys.size() == room) {
            beyond++;
        } else {
            keys.push_back(static_cast<uint16_t>(virtualKey | (shift ? kPasteShift : 0) |
                                                 (control ? kPasteControl : 0)));
        }
    }
    Put(machine.pasteOverflow, Get(machine.pasteOverflow) + beyond);
    std::lock_guard<std::mutex> lock(machine.pasteLock);
    machine.pasteKeys.insert(machine.pasteKeys.end(), keys.begin(), keys.end());
    Put(machine.pasteLeft, machine.pasteKeys.size() - machine.pasteNext);
    if (!keys.empty()) {
        Put(machine.pasteActive, 1);
        Put(machineTickHook, PasteAdvance);
    }
    return skipped + static_cast<int>(beyond);
}

uint32_t GetPasteLeft(void) {
    return Get(machine.pasteLeft);
}

uint32_t GetPasteOverflow(void) {
    return Get(machine.pasteOverflow);
}

void CancelPaste(void) {
    std::lock_guard<std::mutex> lock(machine.pasteLock);
    // A stroke already handed to the keyboard is finished there: its key and
    // SHIFT are released in their turn.
    machine.pasteKeys.resize(machine.pasteNext);
    Put(machine.pasteLeft, 0);
}

void PasteAdvance(void) {
    if (!KeyboardSettled()) return;
    std::lock_guard<std::mutex> lock(machine.pasteLock);
    if (machine.pasteNext >= machine.pasteKeys.size()) {
        machine.pasteKeys.clear();
        machine.pasteNext = 0;
        Put(machine.pasteActive, 0);
        Put(machineTickHook, nullptr);
        return;
    }
    uint16_t key = machine.pasteKeys[machine.pasteNext++];
    Put(machine.pasteLeft, machine.pasteKeys.size() - machine.pasteNext);
    KeyboardType(static_cast<uint8_t>(key & 0xFF), key & kPasteShift, key & kPasteControl);
}

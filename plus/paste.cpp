// Pasting: the host's UTF-8 text becomes the keys that type it (a
// virtual-key code, with SHIFT, CTRL or neither, from bus/key_chars), posted
// as one input event; the processor thread types them (input/paste.h).
#include "bus/key_chars.h"
#include "input/input.h"
#include "input/paste.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"

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
// so the room can only grow between this and the post.
static size_t PasteRoom(void) {
    uint32_t waiting = Get(machine.pasteLeft);
    return kPasteMostKeys > waiting ? kPasteMostKeys - waiting : 0;
}

int PasteText(const char* text) {
    if (!text) return 0;
    // Keys are made only while there is room for them, so a huge text costs
    // no more memory than the queue holds; the rest are counted.
    size_t room = PasteRoom();
    InputEvent paste;
    paste.kind = InputKind::kPaste;
    std::vector<uint8_t>& keys = paste.data;
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
        } else if (keys.size() / 2 == room) {
            beyond++;
        } else {
            uint16_t key = static_cast<uint16_t>(virtualKey | (shift ? kPasteShift : 0) |
                                                 (control ? kPasteControl : 0));
            keys.push_back(static_cast<uint8_t>(key));
            keys.push_back(static_cast<uint8_t>(key >> 8));
        }
    }
    Put(machine.pasteOverflow, Get(machine.pasteOverflow) + beyond);
    if (!keys.empty()) {
        machine.pasteLeft.fetch_add(static_cast<uint32_t>(keys.size() / 2),
                                    std::memory_order_relaxed);
        InputPost(std::move(paste));
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
    InputEvent cancel;
    cancel.kind = InputKind::kCancel;
    InputPost(std::move(cancel));
}

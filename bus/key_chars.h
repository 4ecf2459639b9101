// Which key types which character: the legends of the machine's keyboard.
// Pure table lookups, shared by the library's typing and the hosts' scripts.
#pragma once

#include <cstdint>

// The virtual-key code, and whether SHIFT goes with it, that types the
// character (a Unicode code point; '\n' is RETURN) on the machine's
// keyboard; false for a character it has no key for.
bool KeyCharKey(uint32_t character, uint8_t* virtualKey, bool* shift);
// The letter key that types control code 01H-1AH with CTRL held (CTRL+G is
// the bell); false for any other character.
bool KeyCharControlKey(uint32_t character, uint8_t* virtualKey);

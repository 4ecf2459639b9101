// The machine's keyboard has the legends of a US keyboard, at the positions
// the host keys in brackets reach; SHIFT gives the second legend:
//
//   `~ 1! 2@ 3# 4$ 5% 6^ 7& 8* 9( 0) -_ [{ ]} \|   OEM_3, digits, OEM_MINUS,
//                                                  OEM_4, OEM_6, OEM_5
//   ;: '" ,< .> /? =+                              OEM_1, OEM_7, OEM_COMMA,
//                                                  OEM_PERIOD, OEM_2, OEM_PLUS
//
// Letters type in upper case alone and in lower case with SHIFT.
#include "bus/key_chars.h"

#include <windows.h>

struct KeyCharEntry {
    char character;
    uint8_t virtualKey;
    bool shift;
};

static constexpr KeyCharEntry kKeySymbols[] = {
    {' ', VK_SPACE, false},     {'\n', VK_RETURN, false},  {'\t', VK_TAB, false},
    {')', '0', true},           {'!', '1', true},          {'@', '2', true},
    {'#', '3', true},           {'$', '4', true},          {'%', '5', true},
    {'^', '6', true},           {'&', '7', true},          {'*', '8', true},
    {'(', '9', true},           {'`', VK_OEM_3, false},    {'~', VK_OEM_3, true},
    {'-', VK_OEM_MINUS, false}, {'_', VK_OEM_MINUS, true}, {'[', VK_OEM_4, false},
    {'{', VK_OEM_4, true},      {']', VK_OEM_6, false},    {'}', VK_OEM_6, true},
    {'\\', VK_OEM_5, false},    {'|', VK_OEM_5, true},     {';', VK_OEM_1, false},
    {':', VK_OEM_1, true},      {'\'', VK_OEM_7, false},   {'"', VK_OEM_7, true},
    {',', VK_OEM_COMMA, false}, {'<', VK_OEM_COMMA, true}, {'.', VK_OEM_PERIOD, false},
    {'>', VK_OEM_PERIOD, true}, {'/', VK_OEM_2, false},    {'?', VK_OEM_2, true},
    {'=', VK_OEM_PLUS, false},  {'+', VK_OEM_PLUS, true},
};

bool KeyCharKey(uint32_t character, uint8_t* virtualKey, bool* shift) {
    if (character >= 'a' && character <= 'z') {
        *virtualKey = static_cast<uint8_t>(character - 'a' + 'A');
        *shift = true;
        return true;
    }
    if ((character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9')) {
        *virtualKey = static_cast<uint8_t>(character);
        *shift = false;
        return true;
    }
    for (const KeyCharEntry& entry : kKeySymbols) {
        if (static_cast<uint32_t>(entry.character) == character) {
            *virtualKey = entry.virtualKey;
            *shift = entry.shift;
            return true;
        }
    }
    return false;
}

bool KeyCharControlKey(uint32_t character, uint8_t* virtualKey) {
    constexpr uint32_t kControlLetterOffset = 'A' - 1;
    if (character < 0x01 || character > 0x1A) return false;
    *virtualKey = static_cast<uint8_t>(character + kControlLetterOffset);
    return true;
}

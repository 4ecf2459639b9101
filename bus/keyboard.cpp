#include "bus/keyboard.h"

const uint8_t keyMap[256] = {};
int KeyboardReadRow(int) {
    return ~0;
}
void KeyboardKeyEvent(uint32_t, uint32_t) {}

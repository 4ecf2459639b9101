// Keyboard matrix.
//
//   ports 0x00-0x0F read   7 6 5 4 3 2 1 0
//                          one bit per key of row (port & 0x0F); 0 = held
//
//   keyMap entry           7 6 5 4 3 2 1 0
//                          +-row-+ +-bit-+   0xFF = no machine key
//
// The host's virtual-key code picks a matrix position through keyMap. The
// host's left and down arrows arrive as SHIFT (row 8 bit 6) plus the right
// and up arrows, which share their positions.
//
// Not emulated: rows 10 to 15 carry no keys and always read as released;
// two host keys on one position are not counted, so releasing either one
// releases it.
#include "bus/keyboard.h"

#include <array>

#include "state/machine_state.h"
#include "state/state_io.h"

constexpr uint8_t kKeyUnmapped = 0xFF;
constexpr int kKeyRows = 16;
constexpr int kKeyRowShift = 4;
constexpr uint8_t kKeyBitMask = 0x0F;
constexpr int kShiftRow = 8;
constexpr uint8_t kShiftBit = 0x40;

static constexpr uint8_t KeyCode(int row, int bit) {
    return static_cast<uint8_t>(row << kKeyRowShift | bit);
}

// The matrix, row by row: every position lists the host keys that reach it.
struct KeyPosition {
    uint8_t code;
    uint8_t virtualKey;
};
static constexpr KeyPosition kKeyPositions[] = {
    {KeyCode(0, 0), VK_NUMPAD0},    {KeyCode(0, 1), VK_NUMPAD1},   {KeyCode(0, 2), VK_NUMPAD2},
    {KeyCode(0, 3), VK_NUMPAD3},    {KeyCode(0, 4), VK_NUMPAD4},   {KeyCode(0, 5), VK_NUMPAD5},
    {KeyCode(0, 6), VK_NUMPAD6},    {KeyCode(0, 7), VK_NUMPAD7},

    {KeyCode(1, 0), VK_NUMPAD8},    {KeyCode(1, 1), VK_NUMPAD9},   {KeyCode(1, 2), VK_MULTIPLY},
    {KeyCode(1, 3), VK_ADD},        {KeyCode(1, 4), VK_SEPARATOR}, {KeyCode(1, 4), VK_DIVIDE},
    {KeyCode(1, 5), VK_SUBTRACT},   {KeyCode(1, 6), VK_DELETE},    {KeyCode(1, 6), VK_DECIMAL},
    {KeyCode(1, 7), VK_RETURN},

    {KeyCode(2, 0), VK_OEM_3},      {KeyCode(2, 1), 'A'},          {KeyCode(2, 2), 'B'},
    {KeyCode(2, 3), 'C'},           {KeyCode(2, 4), 'D'},          {KeyCode(2, 5), 'E'},
    {KeyCode(2, 6), 'F'},           {KeyCode(2, 7), 'G'},

    {KeyCode(3, 0), 'H'},           {KeyCode(3, 1), 'I'},          {KeyCode(3, 2), 'J'},
    {KeyCode(3, 3), 'K'},           {KeyCode(3, 4), 'L'},          {KeyCode(3, 5), 'M'},
    {KeyCode(3, 6), 'N'},           {KeyCode(3, 7), 'O'},

    {KeyCode(4, 0), 'P'},           {KeyCode(4, 1), 'Q'},          {KeyCode(4, 2), 'R'},
    {KeyCode(4, 3), 'S'},           {KeyCode(4, 4), 'T'},          {KeyCode(4, 5), 'U'},
    {KeyCode(4, 6), 'V'},           {KeyCode(4, 7), 'W'},

    {KeyCode(5, 0), 'X'},           {KeyCode(5, 1), 'Y'},          {KeyCode(5, 2), 'Z'},
    {KeyCode(5, 3), VK_OEM_4},      {KeyCode(5, 4), VK_OEM_5},     {KeyCode(5, 5), VK_OEM_6},
    {KeyCode(5, 6), VK_OEM_7},      {KeyCode(5, 7), VK_OEM_MINUS},

    {KeyCode(6, 0), '0'},           {KeyCode(6, 1), '1'},          {KeyCode(6, 2), '2'},
    {KeyCode(6, 3), '3'},           {KeyCode(6, 4), '4'},          {KeyCode(6, 5), '5'},
    {KeyCode(6, 6), '6'},           {KeyCode(6, 7), '7'},

    {KeyCode(7, 0), '8'},           {KeyCode(7, 1), '9'},          {KeyCode(7, 2), VK_OEM_1},
    {KeyCode(7, 3), VK_OEM_PLUS},   {KeyCode(7, 4), VK_OEM_COMMA}, {KeyCode(7, 5), VK_OEM_PERIOD},
    {KeyCode(7, 6), VK_OEM_2},      {KeyCode(7, 7), VK_OEM_102},

    {KeyCode(8, 0), VK_HOME},       {KeyCode(8, 1), VK_UP},        {KeyCode(8, 1), VK_DOWN},
    {KeyCode(8, 2), VK_RIGHT},      {KeyCode(8, 2), VK_LEFT},      {KeyCode(8, 3), VK_BACK},
    {KeyCode(8, 4), VK_MENU},       {KeyCode(8, 4), VK_APPS},      {KeyCode(8, 5), VK_NONCONVERT},
    {KeyCode(8, 5), VK_PROCESSKEY}, {KeyCode(8, 6), VK_SHIFT},     {KeyCode(8, 7), VK_CONTROL},

    {KeyCode(9, 0), VK_END},        {KeyCode(9, 1), VK_TAB},       {KeyCode(9, 1), VK_F1},
    {KeyCode(9, 2), VK_F2},         {KeyCode(9, 3), VK_F3},        {KeyCode(9, 4), VK_F4},
    {KeyCode(9, 5), VK_F5},         {KeyCode(9, 6), VK_SPACE},     {KeyCode(9, 7), VK_ESCAPE},
};

static constexpr std::array<uint8_t, 256> KeyBuildMap() {
    std::array<uint8_t, 256> map{};
    for (uint8_t& entry : map)
        entry = kKeyUnmapped;
    for (const KeyPosition& position : kKeyPositions)
        map[position.virtualKey] = position.code;
    return map;
}

constexpr std::array<uint8_t, 256> keyMap = KeyBuildMap();

int KeyboardReadRow(int port) {
    return ~static_cast<int>(Get(machine.keyMatrix[port & (kKeyRows - 1)]));
}

void KeyboardKeyEvent(uint32_t message, uint32_t virtualKey) {
    // Codes past the table come from no real keyboard; they must not index it.
    if (virtualKey >= keyMap.size()) return;
    bool down = message == WM_KEYDOWN;
    if (!down && message != WM_KEYUP) return;
    std::atomic<uint8_t>& shiftRow = machine.keyMatrix[kShiftRow];
    if (virtualKey == VK_LEFT || virtualKey == VK_DOWN) {
        if (down)
            shiftRow.fetch_or(kShiftBit, std::memory_order_relaxed);
        else
            shiftRow.fetch_and(static_cast<uint8_t>(~kShiftBit), std::memory_order_relaxed);
    }
    uint8_t code = keyMap[virtualKey];
    if (code == kKeyUnmapped) return;
    std::atomic<uint8_t>& row = machine.keyMatrix[code >> kKeyRowShift];
    uint8_t bit = static_cast<uint8_t>(1u << (code & kKeyBitMask));
    if (down)
        row.fetch_or(bit, std::memory_order_relaxed);
    else
        row.fetch_and(static_cast<uint8_t>(~bit), std::memory_order_relaxed);
}

void KeyboardPowerOn(void) {
    for (std::atomic<uint8_t>& row : machine.keyMatrix)
        Put(row, 0);
}

void KeyboardState(StateIo& io) {
    io.Values(machine.keyMatrix);
}

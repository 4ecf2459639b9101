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
// Every change goes into the matrix at a tick, between two instructions, and
// only once the program has read the row of the change before it
// kKeyScansHeld times: a key pressed and released between two scans is
// still seen held, and then released, in the order the host sent them, and
// a pasted key goes no faster than the program reads. A key's press carries
// the SHIFT and CTRL it was typed with, set in the same change, so no
// interleaving of host messages can split a key from its SHIFT. The changes
// wait in keyQueue meanwhile, in order, but STOP's go past them in a lane of
// their own; a press that would change nothing (a repeat, a key already
// released) is not queued, and presses beyond kKeyQueuePressesMost waiting
// are refused, with their releases. Everything here runs on the processor
// thread (or with no machine thread running).
//
// Not emulated: rows 10 to 15 carry no keys and always read as released;
// two host keys on one position are not counted, so releasing either one
// releases it; key bounce and ghosting.
#include "bus/keyboard.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "state/machine_state.h"
#include "state/state_io.h"

constexpr uint8_t kKeyUnmapped = 0xFF;
constexpr int kKeyRows = 16;
constexpr int kKeyRowShift = 4;
constexpr uint8_t kKeyBitMask = 0x0F;
constexpr int kShiftRow = 8;
constexpr uint8_t kShiftBit = 0x40;
constexpr uint8_t kControlBit = 0x80;
constexpr uint8_t kModifierBits = kShiftBit | kControlBit;
constexpr int kKeyRowsWired = 10;
// Presses waiting at most; the releases that may follow them (one per
// position held) still fit in the queue.
constexpr uint32_t kKeyQueuePressesMost = kKeyQueueSize - 96;

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

// A queued change: the keys of one row, pressed or released together, and
// with a press, where given, the SHIFT and CTRL it goes down with.
//
//   31      24 23      16 15 14 13 12 11  8 7        0
//   - - - - -   modifier   - -  |  |  row    key bits
//               bits of row 8   |  +-- press
//                               +----- modifiers given
constexpr uint32_t kKeyPress = 0x1000;
constexpr uint32_t kKeyModifiersGiven = 0x2000;
constexpr int kKeyChangeRowShift = 8;
constexpr int kKeyChangeModifierShift = 16;

// STOP's own lane: its presses and releases, which alternate, are counted.
constexpr int kStopRow = 9;
constexpr uint8_t kStopBit = 0x01;
constexpr uint8_t kStopTogglesMost = 16;

static uint8_t KeyboardModifierBits(uint8_t modifiers) {
    return static_cast<uint8_t>((modifiers & kInputShift ? kShiftBit : 0) |
                                (modifiers & kInputControl ? kControlBit : 0));
}

static void KeyboardHold(int row) {
    machine.keyScansOwed[row] = kKeyScansHeld;
}

void KeyboardTick(void) {
    if (machine.keyStopToggles && !machine.keyScansOwed[kStopRow]) {
        std::atomic<uint8_t>& keys = machine.keyMatrix[kStopRow];
        Put(keys, Get(keys) ^ kStopBit);
        KeyboardHold(kStopRow);
        machine.keyStopToggles--;
    }
    if (!machine.keyQueueCount || machine.keyScansOwed[machine.keyLastRow]) return;
    uint32_t change = machine.keyQueue[machine.keyQueueHead];
    int row = (change >> kKeyChangeRowShift) & (kKeyRows - 1);
    if (change & kKeyModifiersGiven) {
        std::atomic<uint8_t>& modifiers = machine.keyMatrix[kShiftRow];
        Put(modifiers, (Get(modifiers) & ~kModifierBits) |
                           ((change >> kKeyChangeModifierShift) & kModifierBits));
        KeyboardHold(kShiftRow);
    }
    std::atomic<uint8_t>& keys = machine.keyMatrix[row];
    uint8_t bits = static_cast<uint8_t>(change);
    Put(keys, change & kKeyPress ? Get(keys) | bits : Get(keys) & ~bits);
    KeyboardHold(row);
    machine.keyLastRow = static_cast<uint8_t>(row);
    machine.keyStopRowOnly = 1;
    machine.keyQueueHead = (machine.keyQueueHead + 1) % kKeyQueueSize;
    machine.keyQueueCount--;
}

// Queues the press or release of the keys of one row that the matrix will
// not already show so; a press may set SHIFT and CTRL with it.
static void KeyboardQueue(int row, uint8_t keys, bool press, uint8_t modifiers = 0) {
    uint8_t& wanted = machine.keyWanted[row];
    if (row == kStopRow && keys == kStopBit) {
        if (press == ((wanted & kStopBit) != 0)) return;
        if (press && machine.keyStopToggles >= kStopTogglesMost) return;
        wanted = static_cast<uint8_t>(wanted ^ kStopBit);
        machine.keyStopToggles++;
        return;
    }
    if (press && machine.keyQueueCount >= kKeyQueuePressesMost) return;
    uint32_t change = (press ? kKeyPress : 0) | row << kKeyChangeRowShift;
    uint8_t& modifiersWanted = machine.keyWanted[kShiftRow];
    uint8_t modifiersBefore = modifiersWanted;
    if (press && (modifiers & kInputModifiersGiven)) {
        uint8_t given = KeyboardModifierBits(modifiers);
        modifiersWanted = static_cast<uint8_t>((modifiersWanted & ~kModifierBits) | given);
        change |= kKeyModifiersGiven | uint32_t{given} << kKeyChangeModifierShift;
    }
    uint8_t bits = static_cast<uint8_t>(press ? keys & ~wanted : keys & wanted);
    if (!bits && modifiersWanted == modifiersBefore) return;
    wanted = static_cast<uint8_t>(wanted ^ bits);
    uint32_t tail = (machine.keyQueueHead + machine.keyQueueCount) % kKeyQueueSize;
    machine.keyQueue[tail] = change | bits;
    machine.keyQueueCount++;
}

int KeyboardReadRow(int port) {
    int row = port & (kKeyRows - 1);
    uint8_t& owed = machine.keyScansOwed[row];
    if (owed) owed--;
    if (row != kStopRow) machine.keyStopRowOnly = 0;
    return ~static_cast<int>(Get(machine.keyMatrix[row]));
}

// The change a key makes: the host's left and down arrows take the
// machine's SHIFT along, in the same change of row 8.
static void KeyboardMessage(uint32_t virtualKey, bool down, uint8_t modifiers) {
    uint8_t code = keyMap[virtualKey];
    if (code == kKeyUnmapped) return;
    uint8_t keys = static_cast<uint8_t>(1u << (code & kKeyBitMask));
    if (virtualKey == VK_LEFT || virtualKey == VK_DOWN) keys |= kShiftBit;
    KeyboardQueue(code >> kKeyRowShift, keys, down, modifiers);
}

void KeyboardKey(uint32_t virtualKey, bool down, uint8_t modifiers) {
    // Codes past the table come from no real keyboard; they must not index it.
    if (virtualKey >= keyMap.size()) return;
    KeyboardMessage(virtualKey, down, modifiers);
    uint8_t code = keyMap[virtualKey];
    if (code == kKeyUnmapped) return;
    uint8_t& held = machine.keyHostDown[code >> kKeyRowShift];
    uint8_t bit = static_cast<uint8_t>(1u << (code & kKeyBitMask));
    held = static_cast<uint8_t>(down ? held | bit : held & ~bit);
    uint8_t any = 0;
    for (uint8_t row : machine.keyHostDown)
        any |= row;
    Put(machine.keyHostHolds, any != 0);
}

void KeyboardType(uint8_t virtualKey, bool shift, bool control) {
    uint8_t modifiers = static_cast<uint8_t>(kInputModifiersGiven | (shift ? kInputShift : 0) |
                                             (control ? kInputControl : 0));
    KeyboardMessage(virtualKey, true, modifiers);
    KeyboardMessage(virtualKey, false, 0);
    // SHIFT and CTRL go back to what the host holds.
    uint8_t pasted = KeyboardModifierBits(modifiers);
    uint8_t host = machine.keyHostDown[kShiftRow] & kModifierBits;
    KeyboardQueue(kShiftRow, pasted & ~host, false);
}

bool KeyboardReady(void) {
    return machine.keyQueueCount == 0 && machine.keyStopToggles == 0 &&
           !machine.keyScansOwed[machine.keyLastRow] && !machine.keyStopRowOnly;
}

std::vector<std::pair<uint32_t, bool>> KeyboardHostChanges(const uint8_t (&held)[16]) {
    std::vector<std::pair<uint32_t, bool>> changes;
    for (int row = 0; row < kKeyRowsWired; row++) {
        uint8_t differ = machine.keyHostDown[row] ^ held[row];
        for (int bit = 0; bit < 8; bit++) {
            if (!(differ >> bit & 1)) continue;
            uint8_t code = KeyCode(row, bit);
            auto position = std::find_if(std::begin(kKeyPositions), std::end(kKeyPositions),
                                         [code](const KeyPosition& p) { return p.code == code; });
            if (position != std::end(kKeyPositions))
                changes.emplace_back(position->virtualKey, (held[row] >> bit & 1) != 0);
        }
    }
    return changes;
}

bool KeyboardHostHolds(void) {
    return Get(machine.keyHostHolds) != 0;
}

void KeyboardReset(void) {
    for (int row = 0; row < kKeyRows; row++) {
        Put(machine.keyMatrix[row], machine.keyWanted[row]);
        machine.keyScansOwed[row] = 0;
    }
    machine.keyQueueHead = machine.keyQueueCount = 0;
    machine.keyStopToggles = 0;
    machine.keyStopRowOnly = 0;
}

void KeyboardPowerOn(void) {
    for (int row = 0; row < kKeyRows; row++) {
        Put(machine.keyMatrix[row], 0);
        machine.keyScansOwed[row] = 0;
        machine.keyWanted[row] = 0;
        machine.keyHostDown[row] = 0;
    }
    std::fill(std::begin(machine.keyQueue), std::end(machine.keyQueue), 0u);
    machine.keyQueueHead = machine.keyQueueCount = 0;
    machine.keyStopToggles = 0;
    machine.keyLastRow = 0;
    machine.keyStopRowOnly = 0;
    Put(machine.keyHostHolds, 0);
}

void KeyboardState(StateIo& io) {
    // The keys are the host's, not the machine's: a state holds none, and
    // loading one leaves the keys the host holds now as they are. The rows
    // stay in the file, all released, so files keep one layout.
    uint8_t rows[kKeyRows] = {};
    io.LocalValues(rows);
    for (int row = kKeyRowsWired; row < kKeyRows; row++)
        io.Require(rows[row] == 0);
}

void KeyboardInputState(StateIo& io) {
    uint8_t rows[kKeyRows], wanted[kKeyRows], hostDown[kKeyRows], owed[kKeyRows];
    for (int row = 0; row < kKeyRows; row++) {
        rows[row] = Get(machine.keyMatrix[row]);
        wanted[row] = machine.keyWanted[row];
        hostDown[row] = machine.keyHostDown[row];
        owed[row] = machine.keyScansOwed[row];
    }
    io.LocalValues(rows);
    io.LocalValues(wanted);
    io.LocalValues(hostDown);
    io.LocalValues(owed);
    // Rows 10 to 15 carry no keys, and a row owes at most kKeyScansHeld reads.
    for (int row = 0; row < kKeyRows; row++) {
        io.Require(owed[row] <= kKeyScansHeld);
        if (row >= kKeyRowsWired) io.Require(!rows[row] && !wanted[row] && !hostDown[row]);
    }
    io.Value(machine.keyLastRow, kKeyRowsWired - 1);
    io.Value(machine.keyStopRowOnly, 1);
    io.Value(machine.keyStopToggles, kStopTogglesMost);
    uint32_t count = machine.keyQueueCount;
    io.Value(count, kKeyQueueSize);
    count = static_cast<uint32_t>(io.Last());
    uint32_t changes[kKeyQueueSize] = {};
    for (uint32_t i = 0; i < count && io.ok; i++) {
        uint32_t& change = changes[i];
        if (io.mode == StateMode::kSave)
            change = machine.keyQueue[(machine.keyQueueHead + i) % kKeyQueueSize];
        io.Value(change);
        change = static_cast<uint32_t>(io.Last());
        io.Require(((change >> kKeyChangeRowShift) & (kKeyRows - 1)) < kKeyRowsWired);
    }
    if (io.mode != StateMode::kLoad || !io.ok) return;
    for (int row = 0; row < kKeyRows; row++) {
        Put(machine.keyMatrix[row], rows[row]);
        machine.keyWanted[row] = wanted[row];
        machine.keyHostDown[row] = hostDown[row];
        machine.keyScansOwed[row] = owed[row];
    }
    std::copy(changes, changes + count, machine.keyQueue);
    machine.keyQueueHead = 0;
    machine.keyQueueCount = count;
    uint8_t any = 0;
    for (uint8_t row : machine.keyHostDown)
        any |= row;
    Put(machine.keyHostHolds, any != 0);
}

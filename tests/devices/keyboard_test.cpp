// The keyboard matrix as the program scans it, fed by the host's key messages.
#include <gtest/gtest.h>

#include <vector>

#include "bus/bus.h"
#include "bus/keyboard.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "ports.h"
#include "state/machine_state.h"

namespace {

// A key message, and the tick that may let it into the matrix.
void KeyDown(uint32_t key) {
    EXPECT_EQ(CtlEmulator(WM_KEYDOWN, key, 0), 0);
    KeyboardTick();
}
void KeyUp(uint32_t key) {
    EXPECT_EQ(CtlEmulator(WM_KEYUP, key, 0), 0);
    KeyboardTick();
}

// The ten rows as the program sees them: held keys read as 0 bits.
std::vector<int> Rows() {
    std::vector<int> rows;
    for (int port = 0; port < 10; ++port)
        rows.push_back(In(port));
    return rows;
}

// Ticks and scans every row until what the host sent has all reached the
// matrix and been seen, so that the next change goes in at once.
void Settle() {
    for (int scan = 0; scan < 100 && !KeyboardReady(); ++scan) {
        KeyboardTick();
        Rows();
    }
    EXPECT_TRUE(KeyboardReady());
}

// The machine's keyboard as printed on it: the host key of each position,
// row by row, and the second host keys of the seven shared positions.
// clang-format off
const uint32_t kLayout[10][8] = {
    {VK_NUMPAD0, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD6, VK_NUMPAD7},
    {VK_NUMPAD8, VK_NUMPAD9, VK_MULTIPLY, VK_ADD, VK_SEPARATOR, VK_SUBTRACT, VK_DELETE, VK_RETURN},
    {VK_OEM_3, 'A', 'B', 'C', 'D', 'E', 'F', 'G'},
    {'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O'},
    {'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W'},
    {'X', 'Y', 'Z', VK_OEM_4, VK_OEM_5, VK_OEM_6, VK_OEM_7, VK_OEM_MINUS},
    {'0', '1', '2', '3', '4', '5', '6', '7'},
    {'8', '9', VK_OEM_1, VK_OEM_PLUS, VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2, VK_OEM_102},
    {VK_HOME, VK_UP, VK_RIGHT, VK_BACK, VK_MENU, VK_NONCONVERT, VK_SHIFT, VK_CONTROL},
    {VK_END, VK_TAB, VK_F2, VK_F3, VK_F4, VK_F5, VK_SPACE, VK_ESCAPE},
};
// clang-format on
struct SecondKey {
    int row, bit;
    uint32_t key;
};
const SecondKey kSecondKeys[] = {{1, 4, VK_DIVIDE}, {1, 6, VK_DECIMAL}, {8, 1, VK_DOWN},
                                 {8, 2, VK_LEFT},   {8, 4, VK_APPS},    {8, 5, VK_PROCESSKEY},
                                 {9, 1, VK_F1}};

constexpr int kShiftPort = 8;
constexpr int kShiftBit = 0x40;

class Keyboard : public ::testing::Test {
  protected:
    void SetUp() override { MachinePowerOn(); }
};

// Presses and releases key, which must hold exactly the position row, bit.
void ExpectKeyAt(uint32_t key, int row, int bit) {
    EXPECT_EQ(keyMap[key], row << 4 | bit) << "key " << key;
    Settle();
    KeyDown(key);
    std::vector<int> expected(10, 0xFF);
    expected[row] &= ~(1 << bit);
    // The host's left and down arrows bring the machine's SHIFT along.
    if (key == VK_LEFT || key == VK_DOWN) expected[kShiftPort] &= ~kShiftBit;
    EXPECT_EQ(Rows(), expected) << "key " << key;
    // Released at once, the key stays for its second scan, then goes at
    // the next tick.
    KeyUp(key);
    EXPECT_EQ(Rows(), expected) << "key " << key;
    KeyboardTick();
    EXPECT_EQ(Rows(), std::vector<int>(10, 0xFF)) << "key " << key;
}

TEST_F(Keyboard, EveryHostKeyReachesExactlyItsPosition) {
    std::vector<bool> mapped(256, false);
    for (int row = 0; row < 10; ++row)
        for (int bit = 0; bit < 8; ++bit) {
            mapped[kLayout[row][bit]] = true;
            ExpectKeyAt(kLayout[row][bit], row, bit);
        }
    for (const SecondKey& second : kSecondKeys) {
        mapped[second.key] = true;
        ExpectKeyAt(second.key, second.row, second.bit);
    }
    int unmapped = 0;
    for (uint32_t key = 0; key < 256; ++key) {
        if (mapped[key]) continue;
        ++unmapped;
        EXPECT_EQ(keyMap[key], 0xFF) << "key " << key;
        KeyDown(key);
        EXPECT_EQ(Rows(), std::vector<int>(10, 0xFF)) << "key " << key;
    }
    EXPECT_EQ(unmapped, 256 - 87);
}

TEST_F(Keyboard, RowsAreReadAsTheComplementOfTheWholeRow) {
    KeyDown('A');
    EXPECT_EQ(BusAccess(0x02, 0, PortRead), ~0x02);
    // Rows 10 to 15 carry no keys, whatever is held.
    KeyDown(VK_SPACE);
    KeyDown(VK_ESCAPE);
    for (int port = 0x0A; port <= 0x0F; ++port)
        EXPECT_EQ(BusAccess(port, 0, PortRead), ~0) << port;
    // The high bits of the port address do not reach the row selection.
    EXPECT_EQ(BusAccess(0x1202, 0, PortRead), ~0x02);
    EXPECT_EQ(In(0x12), 0xFF); // port 0x12 is the calendar's: no keyboard mirror
}

TEST_F(Keyboard, ArrowsThatNeedShiftTakeItAndGiveItBack) {
    KeyDown(VK_LEFT);
    EXPECT_EQ(In(kShiftPort), 0xBB);
    KeyUp(VK_LEFT);
    Settle();
    EXPECT_EQ(In(kShiftPort), 0xFF);

    KeyDown(VK_DOWN);
    EXPECT_EQ(In(kShiftPort), 0xBD);
    KeyUp(VK_DOWN);
    Settle();
    EXPECT_EQ(In(kShiftPort), 0xFF);

    // Up and right are the plain positions, without SHIFT.
    KeyDown(VK_UP);
    KeyDown(VK_RIGHT);
    Settle();
    EXPECT_EQ(In(kShiftPort), 0xF9);
    KeyUp(VK_UP);
    KeyUp(VK_RIGHT);

    // Releasing the down arrow releases the machine's SHIFT even while the
    // host's is still held; the next SHIFT key-down (a repeat) sets it again.
    KeyDown(VK_SHIFT);
    KeyDown(VK_DOWN);
    KeyUp(VK_DOWN);
    Settle();
    EXPECT_EQ(In(kShiftPort), 0xFF);
    KeyDown(VK_SHIFT);
    Settle();
    EXPECT_EQ(In(kShiftPort), 0xBF);
}

TEST_F(Keyboard, SharedPositionsAreNotCounted) {
    KeyDown(VK_TAB);
    KeyDown(VK_F1);
    EXPECT_EQ(In(0x09), 0xFD);
    KeyUp(VK_F1);
    Settle();
    EXPECT_EQ(In(0x09), 0xFF);
    // A repeated key-down changes nothing; one key-up releases it.
    KeyDown('Z');
    KeyDown('Z');
    KeyUp('Z');
    Settle();
    EXPECT_EQ(In(0x05), 0xFF);
}

TEST_F(Keyboard, MessagesThatAreNotKeysOfTheTableChangeNothing) {
    // Codes past the table must not wrap onto a real key (0x141 would be 'A').
    for (uint32_t key : {0x100u, 0x141u, 0x1025u, 0xFFFFFFFFu}) {
        KeyDown(key);
        EXPECT_EQ(Rows(), std::vector<int>(10, 0xFF)) << key;
    }
    KeyDown('A');
    // Other messages (a character message, a system key-up) leave the matrix alone.
    EXPECT_EQ(CtlEmulator(0x0102, 'B', 0), 0);
    EXPECT_EQ(CtlEmulator(0x0105, 'A', 0), 0);
    EXPECT_EQ(In(0x02), 0xFD);
    KeyUp(0x141);
    EXPECT_EQ(In(0x02), 0xFD);
}

TEST_F(Keyboard, KeysStayHeldAcrossAMachineReset) {
    KeyDown(VK_RETURN);
    KeyDown(VK_LEFT);
    ResetEmu();
    EXPECT_EQ(In(0x01), 0x7F);
    EXPECT_EQ(In(kShiftPort), 0xBB);
    KeyUp(VK_RETURN);
    Settle();
    EXPECT_EQ(In(0x01), 0xFF);
}

} // namespace

// The keyboard matrix as the program scans it, fed by the host's key messages.
#include <gtest/gtest.h>

#include <vector>

#include "bus/bus.h"
#include "bus/keyboard.h"
#include "core/z80home.h"
#include "ports.h"
#include "state/machine_state.h"

namespace {

void KeyDown(uint32_t key) {
    EXPECT_EQ(CtlEmulator(WM_KEYDOWN, key, 0), 0);
}
void KeyUp(uint32_t key) {
    EXPECT_EQ(CtlEmulator(WM_KEYUP, key, 0), 0);
}

// The ten rows as the program sees them: held keys read as 0 bits.
std::vector<int> Rows() {
    std::vector<int> rows;
    for (int port = 0; port < 10; ++port)
        rows.push_back(In(port));
    return rows;
}

// The machine's keyboard, position by position, with the host keys on it.
struct Position {
    int row, bit;
    std::vector<uint32_t> keys;
};
const std::vector<Position> kLayout = {
    {0, 0, {VK_NUMPAD0}},
    {0, 1, {VK_NUMPAD1}},
    {0, 2, {VK_NUMPAD2}},
    {0, 3, {VK_NUMPAD3}},
    {0, 4, {VK_NUMPAD4}},
    {0, 5, {VK_NUMPAD5}},
    {0, 6, {VK_NUMPAD6}},
    {0, 7, {VK_NUMPAD7}},
    {1, 0, {VK_NUMPAD8}},
    {1, 1, {VK_NUMPAD9}},
    {1, 2, {VK_MULTIPLY}},
    {1, 3, {VK_ADD}},
    {1, 4, {VK_SEPARATOR, VK_DIVIDE}},
    {1, 5, {VK_SUBTRACT}},
    {1, 6, {VK_DELETE, VK_DECIMAL}},
    {1, 7, {VK_RETURN}},
    {2, 0, {VK_OEM_3}},
    {2, 1, {'A'}},
    {2, 2, {'B'}},
    {2, 3, {'C'}},
    {2, 4, {'D'}},
    {2, 5, {'E'}},
    {2, 6, {'F'}},
    {2, 7, {'G'}},
    {3, 0, {'H'}},
    {3, 1, {'I'}},
    {3, 2, {'J'}},
    {3, 3, {'K'}},
    {3, 4, {'L'}},
    {3, 5, {'M'}},
    {3, 6, {'N'}},
    {3, 7, {'O'}},
    {4, 0, {'P'}},
    {4, 1, {'Q'}},
    {4, 2, {'R'}},
    {4, 3, {'S'}},
    {4, 4, {'T'}},
    {4, 5, {'U'}},
    {4, 6, {'V'}},
    {4, 7, {'W'}},
    {5, 0, {'X'}},
    {5, 1, {'Y'}},
    {5, 2, {'Z'}},
    {5, 3, {VK_OEM_4}},
    {5, 4, {VK_OEM_5}},
    {5, 5, {VK_OEM_6}},
    {5, 6, {VK_OEM_7}},
    {5, 7, {VK_OEM_MINUS}},
    {6, 0, {'0'}},
    {6, 1, {'1'}},
    {6, 2, {'2'}},
    {6, 3, {'3'}},
    {6, 4, {'4'}},
    {6, 5, {'5'}},
    {6, 6, {'6'}},
    {6, 7, {'7'}},
    {7, 0, {'8'}},
    {7, 1, {'9'}},
    {7, 2, {VK_OEM_1}},
    {7, 3, {VK_OEM_PLUS}},
    {7, 4, {VK_OEM_COMMA}},
    {7, 5, {VK_OEM_PERIOD}},
    {7, 6, {VK_OEM_2}},
    {7, 7, {VK_OEM_102}},
    {8, 0, {VK_HOME}},
    {8, 1, {VK_UP, VK_DOWN}},
    {8, 2, {VK_RIGHT, VK_LEFT}},
    {8, 3, {VK_BACK}},
    {8, 4, {VK_MENU, VK_APPS}},
    {8, 5, {VK_NONCONVERT, VK_PROCESSKEY}},
    {8, 6, {VK_SHIFT}},
    {8, 7, {VK_CONTROL}},
    {9, 0, {VK_END}},
    {9, 1, {VK_TAB, VK_F1}},
    {9, 2, {VK_F2}},
    {9, 3, {VK_F3}},
    {9, 4, {VK_F4}},
    {9, 5, {VK_F5}},
    {9, 6, {VK_SPACE}},
    {9, 7, {VK_ESCAPE}},
};

constexpr int kShiftPort = 8;
constexpr int kShiftBit = 0x40;

class Keyboard : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEmu();
        // The matrix outlives a machine reset: release every key by hand.
        for (auto& row : machine.keyMatrix)
            Put(row, 0);
    }
};

TEST_F(Keyboard, EveryHostKeyReachesExactlyItsPosition) {
    std::vector<bool> mapped(256, false);
    int sharedPositions = 0;
    for (const Position& position : kLayout) {
        sharedPositions += position.keys.size() == 2;
        for (uint32_t key : position.keys) {
            mapped[key] = true;
            EXPECT_EQ(keyMap[key], position.row << 4 | position.bit) << "key " << key;
            KeyDown(key);
            std::vector<int> expected(10, 0xFF);
            expected[position.row] &= ~(1 << position.bit);
            // The host's left and down arrows bring the machine's SHIFT along.
            if (key == VK_LEFT || key == VK_DOWN) expected[kShiftPort] &= ~kShiftBit;
            EXPECT_EQ(Rows(), expected) << "key " << key;
            KeyUp(key);
            EXPECT_EQ(Rows(), std::vector<int>(10, 0xFF)) << "key " << key;
        }
    }
    EXPECT_EQ(kLayout.size(), 80u);
    EXPECT_EQ(sharedPositions, 7);

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
    EXPECT_EQ(In(kShiftPort), 0xFF);

    KeyDown(VK_DOWN);
    EXPECT_EQ(In(kShiftPort), 0xBD);
    KeyUp(VK_DOWN);
    EXPECT_EQ(In(kShiftPort), 0xFF);

    // Up and right are the plain positions, without SHIFT.
    KeyDown(VK_UP);
    KeyDown(VK_RIGHT);
    EXPECT_EQ(In(kShiftPort), 0xF9);
    KeyUp(VK_UP);
    KeyUp(VK_RIGHT);

    // Releasing the down arrow releases the machine's SHIFT even while the
    // host's is still held; the next SHIFT key-down (a repeat) sets it again.
    KeyDown(VK_SHIFT);
    KeyDown(VK_DOWN);
    KeyUp(VK_DOWN);
    EXPECT_EQ(In(kShiftPort), 0xFF);
    KeyDown(VK_SHIFT);
    EXPECT_EQ(In(kShiftPort), 0xBF);
}

TEST_F(Keyboard, SharedPositionsAreNotCounted) {
    KeyDown(VK_TAB);
    KeyDown(VK_F1);
    EXPECT_EQ(In(0x09), 0xFD);
    KeyUp(VK_F1);
    EXPECT_EQ(In(0x09), 0xFF);
    // A repeated key-down changes nothing; one key-up releases it.
    KeyDown('Z');
    KeyDown('Z');
    KeyUp('Z');
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
    EXPECT_EQ(In(0x01), 0xFF);
}

} // namespace

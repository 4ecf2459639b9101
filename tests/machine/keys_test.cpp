// The keyboard as a program on the machine meets it: keys pressed while the
// program is busy, STOP with the type-ahead queue full, and the reset.
#include <gtest/gtest.h>

#include <string>

#include "core/machine.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

// Runs slices until text shows on some row, at most the number given.
bool RunUntilRow(const std::string& text, int slices) {
    for (int i = 0; i < slices && FindRow(text) < 0; i++)
        RunSlices(1);
    return FindRow(text) >= 0;
}

// A press and a release that both come before the program scans again, then
// about one tick of the machine's time.
void ShortPress(int virtualKey) {
    CtlEmulator(WM_KEYDOWN, virtualKey, 0);
    CtlEmulator(WM_KEYUP, virtualKey, 0);
    CpuRunSliceUpTo(kSliceBudgetDisplayOn / 8);
}

TEST(Keys, ShortPressesWhileAProgramIsBusyAreAllTypedInOrder) {
    BasicBoot();
    Enter({"10 FOR I=1 TO 2000:NEXT"});
    TypeLine("RUN");
    std::string typed;
    for (int i = 0; i < 60; i++) {
        char letter = static_cast<char>('A' + (i * 7) % 26);
        typed += letter;
        ShortPress(letter);
    }
    EXPECT_LT(FindRow("Ok"), CursorRow()) << "the program ended before the keys were typed";
    ASSERT_TRUE(RunUntilRow(typed, 2000)) << "typed " << typed;
}

TEST(Keys, KeysOfStopsRowTypedAheadOfAFullQueueAreKept) {
    // STOP's row is still read while the queue is full; SPACE, which shares
    // it, must not pass by unseen.
    BasicBoot();
    Enter({"10 FOR I=1 TO 3000:NEXT"});
    TypeLine("RUN");
    std::string typed;
    for (int i = 0; i < 20; i++) {
        char letter = static_cast<char>('A' + i);
        typed += std::string(i ? " " : "") + letter;
        if (i) ShortPress(VK_SPACE);
        ShortPress(letter);
    }
    EXPECT_LT(FindRow("Ok"), CursorRow()) << "the program ended before the keys were typed";
    ASSERT_TRUE(RunUntilRow(typed, 3000)) << "typed " << typed;
}

TEST(Keys, StopBreaksAProgramWhoseTypeAheadIsFull) {
    BasicBoot();
    Enter({"10 GOTO 10"});
    TypeLine("RUN");
    for (int i = 0; i < 30; i++)
        PressKey('A' + i % 26);
    PressKey(VK_END);
    EXPECT_TRUE(RunUntilRow("Break in 10", 100));
}

TEST(Keys, AResetKeepsAnIntactProgramAndClearsABrokenOne) {
    BasicBoot();
    Enter({"10 PRINT \"KE\";\"PT\"", "20 A=5"});
    Basic("RUN");
    ResetEmu();
    ASSERT_TRUE(RunUntilBasicPrompt(200));
    Basic("PRINT A");
    EXPECT_GE(FindRow(" 0 "), 0) << "the variables are not cleared by a reset";
    Basic("RUN");
    EXPECT_GE(FindRow("KEPT"), 0) << "the program is gone after a reset";

    // A link that leads backwards: not a program to keep.
    Basic("POKE 24577,0");
    ResetEmu();
    ASSERT_TRUE(RunUntilBasicPrompt(200));
    int row = Basic("LIST");
    EXPECT_EQ(CursorRow(), row + 2)
        << "LIST shows a program after the reset: " << ScreenRow(row + 1);
}

} // namespace

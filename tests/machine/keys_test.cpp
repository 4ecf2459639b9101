// The keyboard as a program on the machine meets it: keys pressed while the
// program is busy, STOP with the type-ahead queue full, and the reset.
#include <gtest/gtest.h>

#include <algorithm>
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

// One tick of the machine's time.
void RunTick(void) {
    CpuRunSliceUpTo(kSliceBudgetDisplayOn / 8);
}

TEST(Keys, StopAnswersABusyProgramWithin50Milliseconds) {
    // With nobody typing the tick scans the keyboard only now and then;
    // STOP, pressed at any point of that, still breaks the program within
    // 25 ticks (50 ms) of the machine's time.
    BasicBoot();
    Enter({"10 A=A+1:GOTO 10"});
    for (int phase = 0; phase < 16; phase++) {
        TypeLine("RUN");
        RunSlices(10); // the keys let go of long ago
        CpuRunSliceUpTo(kSliceBudgetDisplayOn / 8 * phase / 16);
        CtlEmulator(WM_KEYDOWN, VK_END, 0);
        CtlEmulator(WM_KEYUP, VK_END, 0);
        int ticks = 0;
        while (ticks < 25 && FindRow("Break in 10") < 0) {
            RunTick();
            ticks++;
        }
        ASSERT_GE(FindRow("Break in 10"), 0) << "phase " << phase;
        Basic("CLS");
    }
}

TEST(Keys, KeysTypedAtThePromptAreReadAtTheNextTick) {
    // While BASIC waits for a key the tick scans the keyboard every time,
    // so each key, however long after the last, shows at once: within four
    // ticks of the machine's time.
    BasicBoot();
    const std::string text = "PRINT 12345+67890";
    int slowest = 0;
    for (char c : text) {
        for (int i = 0; i < 40; i++) // longer than a key keeps the scans quick
            RunTick();
        int key = c == ' ' ? VK_SPACE : c == '+' ? VK_ADD : c;
        CtlEmulator(WM_KEYDOWN, key, 0);
        CtlEmulator(WM_KEYUP, key, 0);
        int column = Get(machine.cursorX), ticks = 0;
        while (ticks < 100 && Get(machine.cursorX) == column) {
            RunTick();
            ticks++;
        }
        slowest = std::max(slowest, ticks);
    }
    EXPECT_EQ(TrimmedRow(CursorRow()), text);
    EXPECT_LE(slowest, 4);
}

TEST(Keys, KeysTypedAheadOfABusyProgramAreReadAtEveryTickOnceTheyCome) {
    // A program runs with nobody typing, so the keyboard is scanned only
    // now and then; once keys come it is scanned at every tick again, and
    // ten keys pressed at once reach the queue at the pace of four ticks
    // each (a press and a release, each read twice).
    BasicBoot();
    Enter({"10 GOTO 10"});
    TypeLine("RUN");
    RunSlices(10);
    const std::string text = "ABCDEFGHIJ";
    for (char c : text) {
        CtlEmulator(WM_KEYDOWN, c, 0);
        CtlEmulator(WM_KEYUP, c, 0);
    }
    const int head = RomSymbol("KHEAD"), tail = RomSymbol("KTAIL");
    int ticks = 0;
    while (ticks < 500 && ((Peek(head) - Peek(tail)) & 15) < static_cast<int>(text.size())) {
        RunTick();
        ticks++;
    }
    EXPECT_LE(ticks, 4 * static_cast<int>(text.size()) + 8);
    PressKey(VK_END);
    EXPECT_TRUE(RunUntilRow("Break in 10", 100));
}

// STOP breaks a busy program at every fill of the type-ahead queue, full
// included: letters fill it to one short of the places kept for the keys of
// STOP's row, SPACE (one of them) the rest. A letter that took the first
// kept place would stay held, as a nearly full queue leaves its row unread,
// and every key typed after it would wait behind its release. CTRL, which
// gives no key, waits so from the first kept place on: STOP goes past it.
TEST(Keys, StopBreaksABusyProgramAtEveryFillOfTheTypeAhead) {
    BasicBoot();
    Enter({"10 GOTO 10"});
    const int head = RomSymbol("KHEAD"), tail = RomSymbol("KTAIL");
    const int most = 15; // of 16 places, one stays free
    const int letters = most - RomSymbol("KEYSPARE") - 1;
    for (int fill = 0; fill <= most; fill++) {
        TypeLine("RUN");
        for (int i = 0; i < fill; i++)
            PressKey(i < letters ? 'A' + i : VK_SPACE);
        PressKey(VK_CONTROL);
        ASSERT_EQ((Peek(head) - Peek(tail)) & 15, fill) << "keys in the queue";
        PressKey(VK_END);
        ASSERT_TRUE(RunUntilRow("Break in 10", 100)) << fill << " keys typed ahead";
        Basic("CLS");
    }
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

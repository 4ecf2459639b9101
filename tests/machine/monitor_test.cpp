// The monitor as a user types at it: echo, the line editor, the memory
// commands, errors, scrolling and the screen modes.
#include <gtest/gtest.h>

#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST(Monitor, EchoesTypingAndRunsHelp) {
    MachineBoot();
    TypeText("HeLP");
    EXPECT_TRUE(StartsWith(ScreenRow(4), "> HeLP "));
    EXPECT_EQ(Get(machine.cursorX), 6);
    PressKey(VK_RETURN);
    ASSERT_TRUE(RunUntilPrompt(300));
    for (const char* name :
         {"DUMP",    "SET",  "FILL", "RUN",  "IN p", "CLS",  "WIDTH", "ROWS",  "COLOR", "MONO",
          "DISPLAY", "ATTR", "TIME", "BEEP", "SAVE", "LOAD", "PCG",   "CHARS", "PEN",   "DMA"})
        EXPECT_GE(FindRow(name), 0) << name;
}

TEST(Monitor, ExaminesChangesAndFillsMemory) {
    MachineBoot();
    Command("FILL 6000 60FF 5A");
    Command("SET 6010 1 2 ff");
    EXPECT_EQ(Peek(0x6000), 0x5A);
    EXPECT_EQ(Peek(0x60FF), 0x5A);
    EXPECT_EQ(Peek(0x6100), 0);
    EXPECT_EQ(Peek(0x6012), 0xFF);
    int row = Command("DUMP 6010 601F");
    EXPECT_EQ(ScreenRow(row + 1).substr(0, 70),
              "6010: 01 02 FF 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A ...ZZZZZZZZZZZZZ");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 2), "> ")); // one line for 16 bytes
    row = Command("DUMP 60FA");                        // eight lines by default
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "60FA: 5A 5A 5A 5A 5A 5A 00"));
    EXPECT_TRUE(StartsWith(ScreenRow(row + 8), "616A: "));
}

TEST(Monitor, RunsCodeThatReturnsToThePrompt) {
    MachineBoot();
    // LD A,'Q'; CALL 0046 (print A); RET
    Command("SET 7000 3E 51 CD 46 00 C9");
    int row = Command("RUN 7000");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "Q"));
    EXPECT_TRUE(AtPrompt());
}

TEST(Monitor, ReadsAndWritesPorts) {
    MachineBoot();
    int row = Command("IN 31");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "18")); // display on, bit 4 from the CRT setup
    Command("OUT 31 28");
    EXPECT_EQ(Get(machine.bgColor), 1);
}

TEST(Monitor, ReportsMistakes) {
    MachineBoot();
    int row = Command("FROB");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?Unknown command"));
    row = Command("DUMP 6010 6000");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?Bad value"));
    row = Command("FILL 6000");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?Syntax error"));
    row = Command("SET 6000 123");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?Bad value"));
    EXPECT_EQ(Peek(0x6000), 0);
    row = Command("WIDTH 60");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?Bad value"));
}

TEST(Monitor, HexNumbersTakeHexDigitsOnlyAndAtMostFour) {
    MachineBoot();
    // The characters on either side of 0-9, A-F and a-f are no digits.
    const std::pair<const char*, const char*> cases[] = {
        {"DUMP 0 0", "0000: "},         {"DUMP 9AfF 9AfF", "9AFF: "},
        {"DUMP 6/00", "?Syntax error"}, {"DUMP 6:00", "?Syntax error"},
        {"DUMP 6@00", "?Syntax error"}, {"DUMP 6G00", "?Syntax error"},
        {"DUMP 6`00", "?Syntax error"}, {"DUMP 6g00", "?Syntax error"},
        {"DUMP 12345", "?Bad value"},
    };
    for (const auto& [command, shown] : cases) {
        int row = Command(command);
        EXPECT_TRUE(StartsWith(ScreenRow(row + 1), shown)) << command << ": " << ScreenRow(row + 1);
    }
}

TEST(Monitor, EditsTheLineWithTheCursorKeys) {
    MachineBoot();
    Command("FILL 6000 603F 11");
    int row = CursorRow();
    TypeText("XDUMP 6010");
    PressKey(VK_HOME);
    PressKey(VK_DELETE); // the X
    for (int i = 0; i < 8; i++)
        PressKey(VK_RIGHT);
    PressKey(VK_LEFT); // arrives as SHIFT and the right-arrow key
    PressKey(VK_BACK); // the 0 of 6010
    TypeText("2");
    EXPECT_TRUE(StartsWith(ScreenRow(row), "> DUMP 6210 ")) << ScreenRow(row);
    EXPECT_EQ(Get(machine.cursorX), 2 + 7);
    PressKey(VK_RETURN);
    ASSERT_TRUE(RunUntilPrompt(300));
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "6210: 00"));

    // UP brings the last line back; DOWN (SHIFT and the up-arrow key) clears.
    row = CursorRow();
    PressKey(VK_UP);
    EXPECT_TRUE(StartsWith(ScreenRow(row), "> DUMP 6210 "));
    PressKey(VK_DOWN);
    EXPECT_EQ(ScreenRow(row).find_first_not_of(' ', 1), std::string::npos);
    EXPECT_EQ(Get(machine.cursorX), 2);
}

TEST(Monitor, ScrollsAtTheBottom) {
    MachineBoot();
    for (int i = 0; i < 3; i++)
        Command("HELP");
    EXPECT_EQ(CursorRow(), 24);
    EXPECT_LT(FindRow("Z80HOME"), 0);
    EXPECT_TRUE(StartsWith(ScreenRow(23), "TIME in decimal."));
    // Rows keep their attribute pairs when they move: the last row is blank
    // text in the standard colours.
    EXPECT_EQ(Peek(0xE000 + 24 * 120 + 80), 0);
    EXPECT_EQ(Peek(0xE000 + 24 * 120 + 81), 0xE8);
}

TEST(Monitor, FortyColumnsAndTwentyRowsFillTheFrame) {
    MachineBoot();
    Command("WIDTH 40");
    Command("ROWS 20");
    EXPECT_EQ(Get(machine.columns80), 0);
    EXPECT_EQ(Get(machine.rows25), 0);
    EXPECT_EQ(Get(machine.dmaCount[2]) & 0x3FFF, 20 * 120 - 1);
    // A character stored into the last cell, row 19 column 39 (byte 78 of
    // the row in 40-column mode), lands in the frame's bottom-right corner.
    Command("SET E936 23"); // 0xE000 + 19 * 120 + 78: '#'
    EXPECT_TRUE(CellHasInk(19, 39));
    // '#' has ink in dot column 2 of its bottom row (6): frame pixels
    // 39 * 16 + 4 and 19 * 24 + 18.
    CellPixel(19, 39, 0, 0);
    EXPECT_EQ(GetPixel(machine.frameDc, 39 * 16 + 4, 19 * 24 + 18), 0xFFFFFFu);
    for (int r = 0; r < 20; r++)
        EXPECT_EQ(ScreenRow(r).size(), 40u);
    Command("HELP");
    EXPECT_EQ(CursorRow(), 19);
    EXPECT_TRUE(StartsWith(ScreenRow(18), "TIME in decimal."));
    EXPECT_EQ(Get(machine.cursorX), 4); // column 2 in 80-column units
}

TEST(Monitor, ColourAndBackground) {
    MachineBoot();
    Command("COLOR 6 1");
    EXPECT_EQ(Get(machine.bgColor), 1);
    // "F" of row 1: yellow ink on the blue background (0x00BBGGRR).
    EXPECT_EQ(CellPixel(1, 0, 1, 0), 0x00FFFFu);
    EXPECT_EQ(CellPixel(1, 0, 0, 0), 0xFE0101u);
    Command("MONO ON");
    EXPECT_EQ(Get(machine.monoMode), 1);
    EXPECT_EQ(CellPixel(1, 0, 1, 0), 0xFFFFFFu);
}

TEST(Monitor, DisplayOffBlanksThePictureUntilAKey) {
    MachineBoot();
    TypeLine("DISPLAY OFF");
    RunSlices(5);
    EXPECT_EQ(Get(machine.displayOn), 0);
    EXPECT_FALSE(CellHasInk(0, 1));
    EXPECT_EQ(CellPixel(0, 1, 0, 0), 0u);
    PressKey('A');
    ASSERT_TRUE(RunUntilPrompt(50));
    EXPECT_EQ(Get(machine.displayOn), 1);
    EXPECT_TRUE(CellHasInk(0, 1));
}

TEST(Monitor, AttributeDemonstration) {
    MachineBoot();
    int row = Command("ATTR") + 1;
    EXPECT_TRUE(StartsWith(ScreenRow(row), "BLUE RED MAGENTA GREEN"));
    EXPECT_EQ(CellPixel(row, 0, 1, 0), 0xFF0000u); // B in blue
    EXPECT_EQ(CellPixel(row, 5, 1, 0), 0x0000FFu); // R in red
    // Third line: REVERSE from column 7, SECRET hides columns 29-34.
    EXPECT_EQ(CellPixel(row + 2, 7, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(CellPixel(row + 2, 6, 0, 0), 0x010101u);
    EXPECT_TRUE(CellHasInk(row + 2, 28));
    EXPECT_FALSE(CellHasInk(row + 2, 29));
    EXPECT_TRUE(CellHasInk(row + 2, 35));
    // Fourth line: overline on "OVERLINE", underline (dot row 6) on
    // "UNDERLINE", a vertical line (dot column 3) on "VERTICAL".
    EXPECT_EQ(CellPixel(row + 3, 0, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(CellPixel(row + 3, 9, 0, 6), 0xFFFFFFu);
    EXPECT_EQ(CellPixel(row + 3, 8, 0, 6), 0x010101u);
    EXPECT_EQ(CellPixel(row + 3, 19, 3, 1), 0xFFFFFFu);
    // Fifth line: code 0x33 at column 13 drawn as blocks in red: bits 0, 1
    // (left, top two bands) and 4, 5 (right, top two bands).
    EXPECT_EQ(CellPixel(row + 4, 13, 0, 0), 0x0000FFu);
    EXPECT_EQ(CellPixel(row + 4, 13, 7, 3), 0x0000FFu);
    EXPECT_EQ(CellPixel(row + 4, 13, 0, 4), 0x010101u);
}

TEST(Monitor, RefusesALineLongerThanTheRowAndKeepsKeysTypedAhead) {
    MachineBoot();
    Command("FILL 6000 600F 0");
    Command("WIDTH 40");
    // 41 characters do not fit a 40-column row after the prompt: nothing
    // of the line is stored.
    int row = Command("SET 6000 3E 41 CD 46 00 3C FE 5B 20 F8 C9");
    EXPECT_TRUE(StartsWith(ScreenRow(row + 1), "?Line too long for the row"));
    EXPECT_EQ(Peek(0x6000), 0);
    EXPECT_EQ(Peek(0x600A), 0);
    Command("WIDTH 80");
    // A command typed while a long DUMP prints runs after it.
    TypeLine("DUMP 6000 6FFF");
    TypeLine("SET 7000 AB");
    EXPECT_TRUE(RunUntilPrompt(2000));
    EXPECT_TRUE(RunUntilPrompt(200) && Peek(0x7000) == 0xAB);
}

} // namespace

// Pasting into the booted machine, read back from memory and the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "bus/bus.h"
#include "bus/key_chars.h"
#include "bus/keyboard.h"
#include "core/machine.h"
#include "input/input.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

// Runs slices until the paste is typed out and the monitor is back.
void RunOutPaste(void) {
    for (int i = 0; i < 200000 && Get(machine.pasteActive); i++)
        RunSlices(1);
    ASSERT_EQ(Get(machine.pasteActive), 0) << GetPasteLeft() << " keys left";
    ASSERT_TRUE(RunUntilPrompt(200));
}

std::string ScreenText(void) {
    std::string text(static_cast<size_t>(GetScreenText(nullptr, 0)), '\0');
    GetScreenText(text.data(), static_cast<int>(text.size()) + 1);
    return text;
}

TEST(Paste, AListingOfTwoHundredLinesArrivesIntact) {
    MachineBoot();
    std::string listing;
    for (int line = 0; line < 200; line++) {
        char text[40];
        snprintf(text, sizeof text, "SET %04X %02X %02X %02X %02X\r\n", 0x7000 + line * 4,
                 line & 0xFF, (line * 7) & 0xFF, (line * 13) & 0xFF, 0xFF - line);
        listing += text;
    }
    EXPECT_EQ(PasteText(listing.c_str()), 0);
    EXPECT_EQ(GetPasteLeft(), 200u * 21u); // CR LF is one RETURN
    RunOutPaste();
    for (int line = 0; line < 200; line++) {
        int at = 0x7000 + line * 4;
        ASSERT_EQ(Peek(at), line & 0xFF) << "line " << line;
        ASSERT_EQ(Peek(at + 1), (line * 7) & 0xFF) << "line " << line;
        ASSERT_EQ(Peek(at + 2), (line * 13) & 0xFF) << "line " << line;
        ASSERT_EQ(Peek(at + 3), 0xFF - line) << "line " << line;
    }
}

TEST(Paste, ABasicProgramOfTwoHundredLinesArrivesIntact) {
    BasicBoot();
    // Each line adds its own number: a line lost, doubled or garbled changes
    // the sum or stops the run.
    std::string program = "NEW\n";
    for (int line = 1; line <= 200; line++)
        program += std::to_string(line) + " S=S+" + std::to_string(line) + "\n";
    program += "RUN\nPRINT S\n";
    EXPECT_EQ(PasteText(program.c_str()), 0);
    for (int i = 0; i < 200000 && Get(machine.pasteActive); i++)
        RunSlices(1);
    ASSERT_TRUE(RunUntilBasicPrompt(600));
    // The program may end, and its "Ok" show, before the line typed after
    // RUN has been read from the queue.
    const std::string printed = "\nPRINT S\n 20100\nOk\n";
    for (int i = 0; i < 600 && ScreenText().find(printed) == std::string::npos; i++)
        RunSlices(1);
    EXPECT_NE(ScreenText().find(printed), std::string::npos) << ScreenText();
}

TEST(Paste, ATabTypesASpaceNotTheF1KeysText) {
    BasicBoot();
    EXPECT_EQ(PasteText("10\tPRINT\t\"A\tB\"\nLIST\n"), 0);
    for (int i = 0; i < 20000 && Get(machine.pasteActive); i++)
        RunSlices(1);
    ASSERT_TRUE(RunUntilBasicPrompt(600));
    EXPECT_NE(ScreenText().find("\nLIST\n10 PRINT \"A B\"\nOk\n"), std::string::npos)
        << ScreenText();
}

TEST(Paste, KeepsCaseAndSymbolsAndSkipsWhatHasNoKey) {
    MachineBoot();
    // The monitor echoes the line and then rejects it.
    const std::string line = "Ab z!@#$%^&*()_+-=[]{};':\",./<>?\\|`~";
    EXPECT_EQ(PasteText((line + "\xC3\xA9\xE2\x82\xAC\xFF\n").c_str()), 3);
    RunOutPaste();
    EXPECT_NE(ScreenText().find("\n> " + line + "\n"), std::string::npos) << ScreenText();
    for (int row = 0; row < 16; row++)
        EXPECT_EQ(Get(machine.keyMatrix[row]), 0) << "row " << row << " left held";
}

TEST(Paste, CancelStopsTypingAndReleasesTheKeys) {
    MachineBoot();
    PasteText("aaaaaaaaaaaaaaaaaaaa");
    for (int step = 0; step < 1000 && !Get(machine.keyMatrix[8]); step++)
        CpuRunSliceUpTo(1000); // until mid-key: SHIFT down
    uint32_t left = GetPasteLeft();
    EXPECT_GT(left, 10u);
    CancelPaste();
    EXPECT_EQ(GetPasteLeft(), 0u);
    RunSlices(10);
    EXPECT_EQ(Get(machine.pasteActive), 0);
    EXPECT_EQ(GetPasteLeft(), 0u);
    for (int row = 0; row < 16; row++)
        EXPECT_EQ(Get(machine.keyMatrix[row]), 0) << "row " << row << " left held";
}

// The manual's example: a program that runs six seconds, then a line typed
// after it. The keys beyond what the ROM's queue holds wait in the matrix
// until the program is done, so the last RETURN is not lost.
TEST(Paste, KeysTypedAheadOfABusyProgramWaitForIt) {
    BasicBoot();
    PasteText("NEW\n10 FOR I=1 TO 9000:NEXT\nRUN\nPRINT \"DO\";\"NE\"\n");
    uint64_t start = Get(machine.cyclesRun);
    int slices = 0;
    while (slices < 3000 && FindRow("DONE") < 0) {
        RunSlices(1);
        slices++;
    }
    ASSERT_GE(FindRow("DONE"), 0) << ScreenText();
    double seconds = double(Get(machine.cyclesRun) - start) / (kSliceBudgetDisplayOn * 62.5);
    EXPECT_GT(seconds, 6) << "the program ran too short a time to test anything";
}

// A program's view of the keyboard: scans the ten rows as often as it is
// called and turns each key newly held into the character it types; CTRL
// with a letter types its control code.
class Reader {
  public:
    Reader() {
        for (uint32_t c = 0x20; c < 0x7F; c++) {
            uint8_t key;
            bool shift;
            if (KeyCharKey(c, &key, &shift)) chars_[{keyMap[key], shift}] = static_cast<char>(c);
        }
        chars_[{keyMap[VK_RETURN], false}] = '\n';
        chars_[{keyMap[VK_TAB], false}] = '\t';
    }
    void Scan(std::string& out) {
        uint8_t rows[10];
        for (int row = 0; row < 10; row++)
            rows[row] = static_cast<uint8_t>(~BusAccess(row, 0, PortRead));
        bool shift = rows[8] & 0x40;
        bool control = rows[8] & 0x80;
        for (int row = 0; row < 10; row++) {
            uint8_t fresh = rows[row] & ~last_[row] & (row == 8 ? 0x3F : 0xFF);
            for (int bit = 0; bit < 8; bit++)
                if (fresh >> bit & 1) {
                    auto found = chars_.find({static_cast<uint8_t>(row << 4 | bit), shift});
                    char c = found == chars_.end() ? '?' : found->second;
                    out += control && c >= 'A' && c <= 'Z' ? static_cast<char>(c & 0x1F) : c;
                }
            last_[row] = rows[row];
        }
    }

  private:
    std::map<std::pair<uint8_t, bool>, char> chars_;
    uint8_t last_[10] = {};
};

// Texts of random lines with every form of line break -- LF, CR, CR LF, a
// lone CR before more text, empty lines, mixed -- type every character once,
// in order, each break as one RETURN.
TEST(Paste, EveryLineBreakFormTypesOneReturnAndSwallowsNothing) {
    std::mt19937 random(24);
    const char* const breaks[] = {"\n", "\r", "\r\n"};
    for (int round = 0; round < 40; round++) {
        MachinePowerOn();
        std::string text, expected;
        int lines = 1 + static_cast<int>(random() % 6);
        for (int line = 0; line < lines; line++) {
            int length = static_cast<int>(random() % 8);
            for (int i = 0; i < length; i++) {
                char c = static_cast<char>(0x20 + random() % 0x5F);
                text += c;
                expected += c;
            }
            if (line + 1 < lines || random() % 2) {
                // A CR then an empty line's LF would read as one CR LF.
                std::string lineBreak = breaks[random() % 3];
                if (!text.empty() && text.back() == '\r' && lineBreak == "\n") lineBreak = "\r";
                text += lineBreak;
                expected += '\n';
            }
        }
        ASSERT_EQ(PasteText(text.c_str()), 0);
        Reader reader;
        std::string typed;
        for (int scan = 0; scan < 100000 && (Get(machine.pasteActive) || !KeyboardReady());
             scan++) {
            InputTick();
            reader.Scan(typed);
        }
        EXPECT_EQ(typed, expected) << "pasted: " << ::testing::PrintToString(text);
    }
}

// Random texts holding every control code 01H-1AH among printable
// characters type each code once, in order: TAB, LF and CR with their keys,
// every other one as CTRL with its letter; CTRL and SHIFT end released.
TEST(Paste, EveryControlCodeTypesAsCtrlWithItsLetter) {
    std::mt19937 random(22);
    for (int round = 0; round < 20; round++) {
        MachinePowerOn();
        std::string codes;
        for (char c = 0x01; c <= 0x1A; c++)
            codes += c;
        std::shuffle(codes.begin(), codes.end(), random);
        std::string text, expected;
        for (char code : codes) {
            for (int i = static_cast<int>(random() % 3); i > 0; i--) {
                char c = static_cast<char>(0x20 + random() % 0x5F);
                text += c;
                expected += c;
            }
            // CR then LF would be one line break.
            if (code == '\n' && !text.empty() && text.back() == '\r') {
                text += 'x';
                expected += 'x';
            }
            text += code;
            // A tab is typed as a space: its key is F1.
            expected += code == '\r' ? '\n' : code == '\t' ? ' ' : code;
        }
        ASSERT_EQ(PasteText(text.c_str()), 0);
        Reader reader;
        std::string typed;
        for (int scan = 0; scan < 100000 && (Get(machine.pasteActive) || !KeyboardReady());
             scan++) {
            InputTick();
            reader.Scan(typed);
        }
        EXPECT_EQ(typed, expected) << "pasted: " << ::testing::PrintToString(text);
        for (int row = 0; row < 16; row++)
            EXPECT_EQ(Get(machine.keyMatrix[row]), 0) << "row " << row << " left held";
    }
}

// A pasted control code between quotes is stored in the string, as one typed
// with CTRL is: every code but LF (a line break) and those that edit the
// line (STOP, BS, HOME, CLR, RETURN); a tab is stored as a space.
TEST(Paste, ControlCodesBetweenQuotesReachTheString) {
    BasicBoot();
    std::string codes, expected = "NEXT\n";
    for (int c = 0x01; c <= 0x1A; c++) {
        if (c == 0x03 || c == 0x08 || c == 0x0A || c == 0x0B || c == 0x0C || c == 0x0D) continue;
        codes += static_cast<char>(c);
        expected += " " + std::to_string(c == '\t' ? ' ' : c) + "\n";
    }
    expected += "Ok\n";
    std::string text = "A$=\"" + codes + "\"\nFOR I=1 TO LEN(A$):PRINT ASC(MID$(A$,I,1)):NEXT\n";
    EXPECT_EQ(PasteText(text.c_str()), 0);
    for (int i = 0; i < 200000 && Get(machine.pasteActive); i++)
        RunSlices(1);
    ASSERT_TRUE(RunUntilBasicPrompt(600));
    EXPECT_NE(ScreenText().find(expected), std::string::npos) << ScreenText();
}

// The queue holds kPasteMostKeys keys: a text that overflows it has exactly
// its surplus skipped and counted as overflow, apart from the characters
// with no key, wherever those fall in it.
TEST(Paste, TextBeyondTheQueueIsCountedApartFromCharactersWithNoKey) {
    MachineBoot();
    struct Case {
        uint32_t waiting, keys, noKeys;
    };
    const Case cases[] = {{0, kPasteMostKeys, 3},
                          {0, kPasteMostKeys + 1, 3},
                          {kPasteMostKeys - 10, 25, 40},
                          {kPasteMostKeys, 5, 2},
                          {7, 100, 0}};
    std::mt19937 random(23);
    for (const Case& c : cases) {
        CancelPaste();
        ASSERT_EQ(GetPasteLeft(), 0u);
        std::string waiting(c.waiting, 'a');
        ASSERT_EQ(PasteText(waiting.c_str()), 0);
        std::string text(c.keys, 'b');
        for (uint32_t i = 0; i < c.noKeys; i++)
            text.insert(text.begin() + static_cast<long>(random() % (text.size() + 1)), '\xFF');
        uint32_t room = kPasteMostKeys - c.waiting;
        uint32_t beyond = c.keys > room ? c.keys - room : 0;
        uint32_t overflowBefore = GetPasteOverflow();
        EXPECT_EQ(PasteText(text.c_str()), static_cast<int>(c.noKeys + beyond)) << c.keys;
        EXPECT_EQ(GetPasteOverflow() - overflowBefore, beyond) << c.keys;
        EXPECT_EQ(GetPasteLeft(), std::min(kPasteMostKeys, c.waiting + c.keys)) << c.keys;
    }
    CancelPaste();
}

} // namespace

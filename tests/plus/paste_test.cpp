// Pasting into the booted machine, read back from memory and the screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "bus/bus.h"
#include "core/machine.h"
#include "plus/paste.h"
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
    EXPECT_NE(ScreenText().find("\nPRINT S\n 20100\nOk\n"), std::string::npos) << ScreenText();
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

} // namespace

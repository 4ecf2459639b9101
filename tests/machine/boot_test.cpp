// Power on: the banner, the prompt, the devices the ROM sets up on the way,
// and what the picture shows of them.
#include <gtest/gtest.h>

#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

constexpr COLORREF kBackground = 0x010101; // colour mode background, bgColor 0
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kCyan = 0xFFFF00; // 0x00BBGGRR
constexpr COLORREF kYellow = 0x00FFFF;

TEST(Boot, ShowsTheBannerAndWaitsAtThePrompt) {
    MachineBoot();
    EXPECT_EQ(ScreenRow(0).substr(0, 29), " Z80HOME  System Monitor 1.0 ");
    EXPECT_EQ(ScreenRow(1).substr(0, 35), "Free memory 6000-DFFF (32768 bytes)");
    EXPECT_EQ(ScreenRow(2).substr(0, 35), "Type HELP for the list of commands.");
    EXPECT_EQ(CursorRow(), 4);
    EXPECT_EQ(Get(machine.cursorX), 2);
    EXPECT_TRUE(AtPrompt());
}

TEST(Boot, SetsUpTheDevices) {
    MachineBoot();
    EXPECT_EQ(Get(machine.beepOn), 0); // silenced
    EXPECT_EQ(Get(machine.interruptMask) & 1, 1);
    EXPECT_EQ(Get(machine.dmaAddress[2]), 0xE000);
    EXPECT_EQ(Get(machine.dmaCount[2]) & 0x3FFF, 2999); // one page of 25 rows
    EXPECT_EQ(Get(machine.rows25), 1);
    EXPECT_EQ(Get(machine.columns80), 1);
    EXPECT_NE(Get(machine.blinkRate), 0); // the controller blinks the cursor
    EXPECT_EQ(Get(machine.displayOn), 1);
    EXPECT_EQ(Get(machine.ramSelect), 0);
}

TEST(Boot, BannerCellsShowTheirColours) {
    MachineBoot();
    // "Z" at (0, 1): reverse cyan, so its dark dots are cyan and its lit
    // dots the background. Its top row is .#####..
    EXPECT_EQ(CellPixel(0, 1, 0, 0), kCyan);
    EXPECT_EQ(CellPixel(0, 1, 1, 0), kBackground);
    // "S" of "System" at (0, 10): yellow on the background; top row .####...
    EXPECT_EQ(CellPixel(0, 10, 0, 0), kBackground);
    EXPECT_EQ(CellPixel(0, 10, 2, 0), kYellow);
    // "F" at (1, 0): plain white text; top row .#####..
    EXPECT_EQ(CellPixel(1, 0, 1, 0), kWhite);
    // A blank cell has no ink.
    EXPECT_FALSE(CellHasInk(3, 40));
    EXPECT_TRUE(CellHasInk(1, 0));
}

TEST(Boot, CursorBlinksAtThePrompt) {
    MachineBoot();
    int lit = 0;
    for (int frame = 0; frame < 24; frame++)
        if (CellPixel(4, 2, 0, 0) == kWhite) lit++;
    EXPECT_GT(lit, 0);
    EXPECT_LT(lit, 24);
    EXPECT_FALSE(CellHasInk(4, 3)); // only the cursor's cell blinks
}

} // namespace

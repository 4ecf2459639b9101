#include "state/machine_state.h"
#include "video/palette.h"

#include <gtest/gtest.h>

TEST(Palette, EntriesTheRendererSelects) {
    struct Entry {
        int index;
        COLORREF color;
    };
    const Entry entries[] = {
        {0, RGB(0, 0, 0)},     {1, RGB(0, 0, 255)},     {2, RGB(255, 0, 0)},
        {4, RGB(0, 255, 0)},   {6, RGB(255, 255, 0)},   {7, RGB(255, 255, 255)},
        {8, RGB(0, 0, 0)},     {9, RGB(255, 255, 255)}, {32, RGB(1, 1, 1)},
        {33, RGB(1, 1, 254)},  {38, RGB(254, 254, 1)},  {39, RGB(254, 254, 254)},
        {40, RGB(0, 0, 0)},    {128, RGB(0, 31, 0)},    {131, RGB(0, 115, 0)},
        {135, RGB(0, 227, 0)}, {136, RGB(0, 31, 0)},    {137, RGB(0, 255, 0)},
        {160, RGB(1, 29, 1)},  {167, RGB(1, 225, 1)},   {168, RGB(0, 33, 0)},
    };
    for (const Entry& e : entries)
        EXPECT_EQ(PaletteColor(e.index), e.color) << "index " << e.index;
}

TEST(Palette, EntriesBuiltButNeverSelected) {
    EXPECT_EQ(PaletteColor(17), RGB(0, 0, 230));
    EXPECT_EQ(PaletteColor(23), RGB(230, 230, 230));
    EXPECT_EQ(PaletteColor(24), RGB(0, 0, 0));
    EXPECT_EQ(PaletteColor(25), RGB(230, 230, 230));
    EXPECT_EQ(PaletteColor(41), RGB(1, 1, 1));
    EXPECT_EQ(PaletteColor(42), RGB(253, 253, 253));
    EXPECT_EQ(PaletteColor(144), RGB(0, 30, 0));
    EXPECT_EQ(PaletteColor(151), RGB(0, 205, 0));
    EXPECT_EQ(PaletteColor(152), RGB(0, 30, 0));
    EXPECT_EQ(PaletteColor(153), RGB(0, 230, 0));
    EXPECT_EQ(PaletteColor(169), RGB(1, 29, 1));
    EXPECT_EQ(PaletteColor(170), RGB(0, 253, 0));
    for (int i : {10, 15, 26, 31, 43, 100, 127})
        EXPECT_EQ(PaletteColor(i), RGB(0, 0, 0)) << "index " << i;
    for (int i : {138, 143, 154, 159, 171, 200, 255})
        EXPECT_EQ(PaletteColor(i), RGB(0, 33, 0)) << "index " << i;
}

// The page blending tells background from foreground by colour alone.
TEST(Palette, NoForegroundEqualsAnyBackground) {
    for (int fg = 0; fg < 8; ++fg) {
        for (int bg = 0; bg < 8; ++bg) {
            EXPECT_NE(PaletteColor(fg), PaletteColor(32 + bg)) << fg << " " << bg;
            EXPECT_NE(PaletteColor(128 + fg), PaletteColor(160 + bg)) << fg << " " << bg;
            EXPECT_NE(PaletteColor(128 + fg), PaletteColor(32 + bg)) << fg << " " << bg;
            EXPECT_NE(PaletteColor(160 + fg), PaletteColor(32 + bg)) << fg << " " << bg;
        }
    }
}

TEST(Palette, BuildPaletteMakesSolidBrushesOfTheTableColours) {
    BuildPalette();
    for (int i = 0; i < kPaletteSize; ++i) {
        LOGBRUSH brush = {};
        ASSERT_EQ(GetObjectW(machine.brushes[i], sizeof brush, &brush), (int)sizeof brush) << i;
        EXPECT_EQ(brush.lbStyle, (UINT)BS_SOLID);
        EXPECT_EQ(brush.lbColor, PaletteColor(i)) << "index " << i;
        EXPECT_EQ(machine.brushColors[i], PaletteColor(i)) << "index " << i;
    }
}

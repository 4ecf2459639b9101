// The screen as text, on the booted machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bus/bus.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"

namespace {

std::string ScreenText(void) {
    std::vector<char> buffer(static_cast<size_t>(GetScreenText(nullptr, 0)) + 1);
    GetScreenText(buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

std::string Line(const std::string& text, int row) {
    size_t start = 0;
    for (int i = 0; i < row; i++)
        start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

void Poke(int row, int column, uint8_t code) {
    int step = Get(machine.columns80) ? 1 : 2;
    BusAccess(Get(machine.dmaAddress[2]) + row * 120 + column * step, code, MemWrite);
}

TEST(ScreenText, ReadsRowsAsSetWithTheCharacterSetInUnicode) {
    MachineBoot();
    std::string text = ScreenText();
    EXPECT_EQ(Line(text, 0), " Z80HOME  System Monitor 1.0 ███████");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), ScreenRows());
    // A short buffer ends on a whole character.
    int whole = GetScreenText(nullptr, 0);
    char buffer[40];
    int needed = GetScreenText(buffer, 38); // the banner's blocks take 3 bytes each
    EXPECT_EQ(needed, whole);
    EXPECT_EQ(std::string(buffer), Line(ScreenText(), 0).substr(0, 35));

    // Codes of each kind on an empty row; the row's trailing blanks go.
    const uint8_t codes[] = {'a', 0x00, 0x8F, 0x86, 0x9C, 0xAF, 0xB8, 0xD9, 0xE3, 0x01, 0xCF, ' '};
    for (int i = 0; i < static_cast<int>(sizeof codes); i++)
        Poke(10, i, codes[i]);
    EXPECT_EQ(Line(ScreenText(), 10), "a █▞─╋▁♥π\uFFFD\uFFFD");

    // The character generator's codes are the program's glyphs.
    SetPCG(1);
    EXPECT_EQ(Line(ScreenText(), 10), "a \uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    SetPCG(0);

    // 80 columns: the odd bytes join in.
    Command("WIDTH 80");
    for (int column = 0; column < 79; column++)
        Poke(15, column, 'x');
    Poke(15, 79, 0xB3);
    EXPECT_EQ(Line(ScreenText(), 15), std::string(79, 'x') + "█");
}

} // namespace

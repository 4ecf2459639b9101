// The screen as text, on the booted machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
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

// The character set's source: each glyph's name and its 8 by 8 dots.
struct Glyph {
    std::string name;
    uint64_t dots = 0; // bit 63 - (8 * row + column)
};

std::vector<Glyph> FontGlyphs() {
    std::vector<Glyph> glyphs(256);
    std::ifstream source(Z80HOME_FONT_SOURCE);
    std::string line;
    int code = -1, row = 0;
    while (std::getline(source, line)) {
        if (line.rfind("0x", 0) == 0) {
            code = std::stoi(line.substr(2, 2), nullptr, 16);
            glyphs[code].name = line.substr(5);
            // The backslash's name is written escaped.
            if (glyphs[code].name == "\\\\") glyphs[code].name = "\\";
            row = 0;
        } else if (code >= 0 && row < 8 && line.size() == 8 &&
                   line.find_first_not_of("#.") == std::string::npos) {
            for (int column = 0; column < 8; column++)
                if (line[column] == '#') glyphs[code].dots |= 1ull << (63 - (8 * row + column));
            row++;
        }
    }
    return glyphs;
}

bool Lit(uint64_t dots, int row, int column) {
    return dots >> (63 - (8 * row + column)) & 1;
}

template <typename Inside> uint64_t Mask(Inside inside) {
    uint64_t dots = 0;
    for (int row = 0; row < 8; row++)
        for (int column = 0; column < 8; column++)
            if (inside(row, column)) dots |= 1ull << (63 - (8 * row + column));
    return dots;
}

// The dots Unicode's block elements, diagonals and triangles cover in an
// 8 by 8 cell; the three shades by how many dots they light.
std::map<char32_t, uint64_t> BlockModel() {
    std::map<char32_t, uint64_t> model;
    // Quarters: bit 0 upper left, 1 upper right, 2 lower left, 3 lower right.
    const char32_t quarters[16] = {U' ', U'▘', U'▝', U'▀', U'▖', U'▌', U'▞', U'▛',
                                   U'▗', U'▚', U'▐', U'▜', U'▄', U'▙', U'▟', U'█'};
    for (int bits = 0; bits < 16; bits++)
        model[quarters[bits]] =
            Mask([bits](int r, int c) { return (bits >> ((r >= 4) * 2 + (c >= 4)) & 1) != 0; });
    const char32_t lower[7] = {U'▁', U'▂', U'▃', U'▄', U'▅', U'▆', U'▇'};
    const char32_t left[7] = {U'▏', U'▎', U'▍', U'▌', U'▋', U'▊', U'▉'};
    for (int n = 1; n < 8; n++) {
        model[lower[n - 1]] = Mask([n](int r, int) { return r >= 8 - n; });
        model[left[n - 1]] = Mask([n](int, int c) { return c < n; });
    }
    model[U'▔'] = Mask([](int r, int) { return r == 0; });
    model[U'▕'] = Mask([](int, int c) { return c == 7; });
    model[U'╱'] = Mask([](int r, int c) { return r + c == 7; });
    model[U'╲'] = Mask([](int r, int c) { return r == c; });
    model[U'╳'] = model[U'╱'] | model[U'╲'];
    model[U'◢'] = Mask([](int r, int c) { return r + c >= 7; });
    model[U'◣'] = Mask([](int r, int c) { return c <= r; });
    model[U'◤'] = Mask([](int r, int c) { return r + c <= 7; });
    model[U'◥'] = Mask([](int r, int c) { return c >= r; });
    return model;
}

// Unicode's box-drawing lines: the sides their arms reach (bit 0 up, 1
// down, 2 left, 3 right) and whether they are heavy.
struct Box {
    int arms;
    bool heavy;
};
std::map<char32_t, Box> BoxModel() {
    const char32_t light[16] = {U'·', U'╵', U'╷', U'│', U'╴', U'┘', U'┐', U'┤',
                                U'╶', U'└', U'┌', U'├', U'─', U'┴', U'┬', U'┼'};
    const char32_t heavy[16] = {U'•', U'╹', U'╻', U'┃', U'╸', U'┛', U'┓', U'┫',
                                U'╺', U'┗', U'┏', U'┣', U'━', U'┻', U'┳', U'╋'};
    std::map<char32_t, Box> model;
    for (int arms = 0; arms < 16; arms++) {
        model[light[arms]] = {arms, false};
        model[heavy[arms]] = {arms, true};
    }
    model[U'╭'] = {2 | 8, false};
    model[U'╮'] = {2 | 4, false};
    model[U'╰'] = {1 | 8, false};
    model[U'╯'] = {1 | 4, false};
    return model;
}

// The glyphs no shape tells: the character each name stands for.
const std::map<std::string, char32_t> kNamedGlyphs = {
    {"delete box", U'␡'},
    {"dot grid", 0xFFFD},
    {"fine check", 0xFFFD},
    {"arrow up", U'↑'},
    {"arrow down", U'↓'},
    {"arrow left", U'←'},
    {"arrow right", U'→'},
    {"spade", U'♠'},
    {"heart", U'♥'},
    {"diamond", U'♦'},
    {"club", U'♣'},
    {"circle", U'○'},
    {"disc", U'●'},
    {"smiling face", U'☺'},
    {"note", U'♪'},
    {"alpha", U'α'},
    {"beta", U'β'},
    {"capital gamma", U'Γ'},
    {"pi", U'π'},
    {"capital sigma", U'Σ'},
    {"sigma", U'σ'},
    {"mu", U'μ'},
    {"tau", U'τ'},
    {"phi", U'φ'},
    {"theta", U'θ'},
    {"capital omega", U'Ω'},
    {"delta", U'δ'},
    {"infinity", U'∞'},
    {"omega", U'ω'},
    {"lambda", U'λ'},
    {"element of", U'∈'},
    {"identical to", U'≡'},
    {"plus minus", U'±'},
    {"greater or equal", U'≥'},
    {"less or equal", U'≤'},
    {"not equal", U'≠'},
    {"almost equal", U'≈'},
    {"divide", U'÷'},
    {"multiply", U'×'},
    {"square root", U'√'},
    {"degree", U'°'},
    {"middle dot", U'·'},
    {"pound", U'£'},
    {"yen", U'¥'},
    {"cent", U'¢'},
    {"pilcrow", U'¶'},
};

// Strict UTF-8: the code points, or an empty vector with ok false.
std::vector<char32_t> DecodeUtf8(const std::string& text, bool& ok) {
    std::vector<char32_t> out;
    ok = true;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : -1;
        if (extra < 0 || i + extra >= text.size() + (extra == 0)) return ok = false, out;
        char32_t c = extra == 0 ? lead : lead & (extra == 1 ? 0x1F : 0x0F);
        for (int k = 1; k <= extra; k++) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return ok = false, out;
            c = c << 6 | (next & 0x3F);
        }
        if ((extra == 1 && c < 0x80) || (extra == 2 && c < 0x800)) return ok = false, out;
        out.push_back(c);
        i += extra + 1;
    }
    return out;
}

std::string EncodeUtf8(const std::vector<char32_t>& characters) {
    std::string text;
    for (char32_t c : characters) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            text += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return text;
}

// The character code shows as, read back alone on row 10 (with a mark
// after it, so a blank is not trimmed away).
char32_t ReadCode(uint8_t code) {
    Poke(10, 0, code);
    Poke(10, 1, 'x');
    bool ok;
    std::vector<char32_t> row = DecodeUtf8(Line(ScreenText(), 10), ok);
    EXPECT_TRUE(ok) << "code " << int(code) << " reads as invalid UTF-8";
    EXPECT_EQ(row.size(), 2u) << "code " << int(code) << " reads as " << row.size() - 1
                              << " characters";
    return ok && row.size() == 2 && row[1] == U'x' ? row[0] : 0;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Every code 00H to FFH reads as the character its glyph in the font's
// source shows: ASCII by its name, the block, line and triangle glyphs by
// their dots against Unicode's shapes, the others by name; control codes
// and glyphs Unicode has no picture of as U+FFFD. With the character
// generator on, the upper half is the program's own: U+FFFD.
TEST(ScreenText, EveryCodeReadsAsTheCharacterItsGlyphShows) {
    MachineBoot();
    const std::vector<Glyph> glyphs = FontGlyphs();
    std::vector<char32_t> off(256);
    const std::map<char32_t, uint64_t> blocks = BlockModel();
    const std::map<char32_t, Box> boxes = BoxModel();
    const std::map<char32_t, int> shades = {{U'░', 16}, {U'▒', 32}, {U'▓', 48}};
    for (int code = 0; code < 256; code++) {
        const Glyph& glyph = glyphs[code];
        const char32_t c = off[code] = ReadCode(static_cast<uint8_t>(code));
        SCOPED_TRACE("code " + std::to_string(code) + " \"" + glyph.name + "\" reads as U+" +
                     std::to_string(static_cast<uint32_t>(c)));
        ASSERT_FALSE(glyph.name.empty());
        if (code == 0 || code == ' ') {
            EXPECT_EQ(c, U' ');
            EXPECT_EQ(glyph.dots, 0u);
        } else if (StartsWith(glyph.name, "control")) {
            EXPECT_EQ(c, 0xFFFDu);
        } else if (glyph.name.size() == 1) {
            EXPECT_EQ(c, static_cast<char32_t>(static_cast<unsigned char>(glyph.name[0])));
        } else if (kNamedGlyphs.count(glyph.name)) {
            EXPECT_EQ(c, kNamedGlyphs.at(glyph.name));
        } else if (StartsWith(glyph.name, "thin line") || StartsWith(glyph.name, "thick line") ||
                   StartsWith(glyph.name, "round corner")) {
            ASSERT_TRUE(boxes.count(c)) << "not a box-drawing character";
            int arms = 0;
            bool heavy = false;
            for (int i = 0; i < 8; i++) {
                arms |= Lit(glyph.dots, 0, i) | Lit(glyph.dots, 7, i) << 1 |
                        Lit(glyph.dots, i, 0) << 2 | Lit(glyph.dots, i, 7) << 3;
                for (int j = 0; j < 7 && i < 7; j++)
                    heavy = heavy || (Lit(glyph.dots, i, j) && Lit(glyph.dots, i, j + 1) &&
                                      Lit(glyph.dots, i + 1, j) && Lit(glyph.dots, i + 1, j + 1));
            }
            EXPECT_EQ(boxes.at(c).arms, arms);
            EXPECT_EQ(boxes.at(c).heavy, heavy);
            EXPECT_EQ(boxes.at(c).heavy, StartsWith(glyph.name, "thick"));
        } else if (shades.count(c)) {
            EXPECT_EQ(__builtin_popcountll(glyph.dots), shades.at(c));
        } else {
            ASSERT_TRUE(blocks.count(c)) << "no shape, name or rule covers this glyph";
            EXPECT_EQ(blocks.at(c), glyph.dots);
        }
    }

    SetPCG(1);
    for (int code = 0; code < 256; code++)
        EXPECT_EQ(ReadCode(static_cast<uint8_t>(code)), code < 0x80 ? off[code] : 0xFFFDu)
            << "code " << code << " with the PCG on";
    SetPCG(0);
}

// A whole screen of random codes, in both widths, reads as its cells do
// one by one: a line per row, each without its trailing blanks (codes 00H
// and 20H), in UTF-8, whatever the rows' attribute bytes hold; and every
// buffer size gets the longest whole-character
// prefix that fits, terminated, and nothing past it.
TEST(ScreenText, ARandomScreenReadsCellByCellAndCutsOnWholeCharacters) {
    MachineBoot();
    std::vector<char32_t> single(256);
    for (int code = 0; code < 256; code++)
        single[code] = ReadCode(static_cast<uint8_t>(code));
    std::mt19937 random(20261209);
    for (const char* width : {"WIDTH 80", "WIDTH 40"}) {
        Command(width);
        const int columns = Get(machine.columns80) ? 80 : 40;
        for (int round = 0; round < 8; round++) {
            std::string model;
            for (int row = 0; row < ScreenRows(); row++) {
                // Rows end in runs of blanks of any length, some rows are blank.
                int ink = static_cast<int>(random() % (columns + 1));
                std::vector<char32_t> line;
                size_t kept = 0;
                for (int column = 0; column < columns; column++) {
                    uint8_t code = static_cast<uint8_t>(random());
                    if (column >= ink || random() % 4 == 0) code = random() % 2 ? 0 : ' ';
                    Poke(row, column, code);
                    line.push_back(single[code]);
                    if (code != 0 && code != ' ') kept = line.size();
                }
                line.resize(kept);
                for (int attribute = 80; attribute < 120; attribute++)
                    BusAccess(Get(machine.dmaAddress[2]) + row * 120 + attribute,
                              static_cast<uint8_t>(random()), MemWrite);
                model += EncodeUtf8(line) + "\n";
            }
            ASSERT_EQ(ScreenText(), model) << width << ", round " << round;
            ASSERT_EQ(GetScreenText(nullptr, 0), static_cast<int>(model.size()));
            for (size_t size = 0; size <= model.size() + 1; size++) {
                std::vector<char> buffer(size + 8, '#');
                ASSERT_EQ(GetScreenText(buffer.data(), static_cast<int>(size)),
                          static_cast<int>(model.size()));
                if (size == 0) {
                    EXPECT_EQ(buffer[0], '#');
                    continue;
                }
                // The last character boundary (a byte that starts a
                // character, or the end) at most size - 1 bytes in.
                size_t fits = 0;
                for (size_t at = 1; at <= model.size() && at < size; at++)
                    if (at == model.size() || (model[at] & 0xC0) != 0x80) fits = at;
                ASSERT_EQ(std::string(buffer.data()), model.substr(0, fits)) << "size " << size;
                ASSERT_TRUE(std::all_of(buffer.begin() + fits + 1, buffer.end(),
                                        [](char b) { return b == '#'; }))
                    << "size " << size;
            }
        }
    }
}

} // namespace

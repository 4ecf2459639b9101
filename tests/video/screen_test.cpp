#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/video/video_support.h"
#include "video/screen.h"

#include <cstring>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>
#include <winshim_host.h>

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBackground = RGB(1, 1, 1); // entry 32, bgColor 0
constexpr int kBlock = 0xDB;                   // a glyph with every dot set
constexpr int kDot = 0x2E;                     // a glyph with dot (0, 0) alone
constexpr uint8_t kWhitePair = 0xE8;           // colour pair, colour 7

class Screen : public ::testing::Test {
  protected:
    void SetUp() override {
        VideoPrepare();
        SetGlyph(kBlock, 0xFF);
        machine.fontRom[kDot * 8] = 0x80;
    }
    // Runs of equal colour down pixel column x from row 0, as "colour:length".
    static std::vector<std::string> ColumnRuns(int x, int rows) {
        std::vector<std::string> runs;
        COLORREF last = 0;
        int length = 0;
        for (int y = 0; y < rows; ++y) {
            COLORREF c = FramePixel(x, y);
            if (length && c != last) {
                runs.push_back(std::to_string(last) + ":" + std::to_string(length));
                length = 0;
            }
            last = c;
            ++length;
        }
        runs.push_back(std::to_string(last) + ":" + std::to_string(length));
        return runs;
    }
    static void Paint(int left, int top, int right, int bottom, COLORREF color) {
        RECT rect = {left, top, right, bottom};
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(machine.frameDc, &rect, brush);
        DeleteObject(brush);
    }
    static std::string Run(COLORREF color, int length) {
        return std::to_string(color) + ":" + std::to_string(length);
    }
    // The primitives scale and blend as for the frame last begun: one drawn
    // with the settings made, its pages ended.
    static void BeginFrame(int pageIndex = 0) {
        DrawScreen();
        machine.pageIndex = pageIndex;
    }
};

// ---- Scaling ----

TEST_F(Screen, DotsScaleOntoTheFrameIn80By25) {
    BeginFrame();
    Paint(0, 0, 640, 480, kBlack);
    machine.drawColor = 7;
    PlotDot(0, 0);
    PlotDot(639, 199);
    EXPECT_EQ(ColumnRuns(0, 4), (std::vector<std::string>{Run(kWhite, 2), Run(kBlack, 2)}));
    EXPECT_EQ(FramePixel(1, 0), kBlack);
    EXPECT_EQ(ColumnRuns(639, 480), (std::vector<std::string>{Run(kBlack, 477), Run(kWhite, 3)}));
    EXPECT_EQ(FramePixel(638, 479), kBlack);
}

TEST_F(Screen, DotsScaleOntoTheFrameIn40By20) {
    Put(machine.columns80, 0);
    Put(machine.rows25, 0);
    BeginFrame();
    Paint(0, 0, 640, 480, kBlack);
    machine.drawColor = 7;
    PlotDot(1, 1);
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 8; ++y)
            EXPECT_EQ(FramePixel(x, y), (x >= 2 && x <= 3 && y >= 3 && y <= 5) ? kWhite : kBlack)
                << x << "," << y;
}

TEST_F(Screen, DotRowsAndCellRowsIn25RowMode) {
    BeginFrame();
    Paint(0, 0, 640, 480, kBlack);
    for (int y = 0; y < 8; ++y) {
        machine.drawColor = (y & 1) ? 0 : 7;
        PlotDot(0, y);
    }
    EXPECT_EQ(
        ColumnRuns(0, 19),
        (std::vector<std::string>{Run(kWhite, 2), Run(kBlack, 2), Run(kWhite, 3), Run(kBlack, 2),
                                  Run(kWhite, 3), Run(kBlack, 2), Run(kWhite, 2), Run(kBlack, 3)}));
    for (int r = 0; r < 25; ++r) {
        machine.drawColor = (r & 1) ? 0 : 7;
        FillCellRect(8, 8 * r, 16, 8 * r + 8);
    }
    std::vector<std::string> runs = ColumnRuns(8, 480);
    ASSERT_EQ(runs.size(), 25u);
    EXPECT_EQ(runs[0], Run(kWhite, 19)); // rows start at 0, 19, 38, 57, 76, 96 ...
    EXPECT_EQ(runs[1], Run(kBlack, 19));
    EXPECT_EQ(runs[3], Run(kBlack, 19));
    EXPECT_EQ(runs[4], Run(kWhite, 20));
    EXPECT_EQ(runs[24], Run(kWhite, 20)); // ... and the 25th ends at 480
}

// ---- Blending on later pages ----

TEST_F(Screen, BlendMovesEachChannelAwayFromTheBrush) {
    struct Case {
        int target, brushIndex, result;
    };
    // Brush 0 has channels 0, brush 7 channels 255.
    const Case cases[] = {{255, 0, 126}, {0, 7, 128},  {254, 0, 125}, {1, 7, 130},
                          {128, 7, 64},  {127, 7, 63}, {255, 7, 255}, {0, 0, 0}};
    Put(machine.bgColor, 5); // background (1, 254, 254): none of the targets
    BeginFrame(1);
    for (const Case& c : cases) {
        Paint(0, 0, 8, 8, RGB(c.target, c.target, c.target));
        machine.drawColor = c.brushIndex;
        PlotDot(0, 0);
        EXPECT_EQ(FramePixel(0, 0), RGB(c.result, c.result, c.result))
            << c.target << " under brush " << c.brushIndex;
    }
}

TEST_F(Screen, BlendOverTheBackgroundPaintsTheBrushColour) {
    Put(machine.bgColor, 5);
    BeginFrame(1);
    Paint(0, 0, 8, 8, RGB(254, 254, 1));  // entry 38: not the background of bgColor 5
    Paint(8, 0, 16, 8, RGB(1, 254, 254)); // entry 37, the background
    machine.drawColor = 2;
    PlotDot(0, 0);
    PlotDot(8, 0);
    EXPECT_EQ(FramePixel(0, 0), RGB(253, 125, 1));
    EXPECT_EQ(FramePixel(8, 0), kRed);
}

TEST_F(Screen, GreenBackgroundAlwaysBlends) {
    Put(machine.greenDisplay, 1);
    BeginFrame(1);
    Paint(0, 0, 8, 8, RGB(1, 29, 1));
    machine.drawColor = 128;
    PlotDot(0, 0);
    EXPECT_EQ(FramePixel(0, 0), RGB(1, 28, 1));
}

TEST_F(Screen, BlendTakesOneColourFromTheTopLeftPixel) {
    BeginFrame(1);
    Paint(0, 0, 640, 480, kWhite);
    Paint(4, 0, 8, 19, kRed);
    machine.drawColor = 0;
    FillCellRect(0, 0, 8, 8);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(FramePixel(x, 18), RGB(126, 126, 126)) << x;
    EXPECT_EQ(FramePixel(8, 0), kWhite);
}

// A block glyph on page 2 over a white block of page 1: the cell's
// background fill blends with white, then every dot blends with that.
TEST_F(Screen, SecondPageBlendsFillAfterFill) {
    Put(machine.dmaCount[2], 3000);
    SetPair(0, 0, 0, kWhitePair);
    SetCode(0, 0, kBlock);
    SetCode(0, 0, kBlock, 1);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 0, 0, 0), RGB(189, 189, 189));
    EXPECT_EQ(CellDot(0, 0, 7, 7), RGB(189, 189, 189));
    EXPECT_EQ(CellDot(0, 1, 0, 0), kBackground);
}

// ---- Attribute selection ----

// Column c shows its semigraphic (left half lit) or glyph (blank) look, and
// reverse swaps the two colours.
static std::string LookOf(int row, int column) {
    COLORREF left = CellDot(row, column, 0, 0);
    COLORREF right = CellDot(row, column, 7, 7);
    if (left == kWhite && right == kBackground) return "semi";
    if (left == kBackground && right == kWhite) return "semi-reversed";
    if (left == kBackground && right == kBackground) return "plain";
    if (left == kWhite && right == kWhite) return "reversed";
    return "other";
}

TEST_F(Screen, SemigraphicPairWinsByItsBitBeforeItsPosition) {
    SetPair(0, 0, 0, kWhitePair);
    SetPair(0, 1, 5, 0x04);
    SetPair(0, 2, 20, 0x80);
    for (int c = 0; c < 80; ++c)
        SetCode(0, c, 0x0F); // left half of a semigraphic cell; blank as a glyph
    DrawScreen();
    for (int c : {0, 4, 5, 19, 20, 79})
        EXPECT_EQ(LookOf(0, c), "semi") << "column " << c;
}

TEST_F(Screen, PairAfterTheSemigraphicOneMustLieRightOfIt) {
    SetPair(0, 0, 0, kWhitePair);
    SetPair(0, 1, 30, 0x80);
    SetPair(0, 2, 10, 0x04); // left of 30: never beats the semigraphic pair
    SetPair(0, 3, 35, 0x00);
    SetPair(0, 4, 32, 0x04); // beats it from column 32, loses to 35 from column 35
    for (int c = 0; c < 80; ++c)
        SetCode(0, c, 0x0F);
    DrawScreen();
    EXPECT_EQ(LookOf(0, 5), "semi");
    EXPECT_EQ(LookOf(0, 20), "semi");
    EXPECT_EQ(LookOf(0, 31), "semi");
    EXPECT_EQ(LookOf(0, 33), "reversed");
    EXPECT_EQ(LookOf(0, 40), "plain");
}

TEST_F(Screen, SwitchedOffPairsAreIgnoredWhateverTheirValue) {
    SetPair(0, 0, 0, kWhitePair);
    SetPair(0, 1, 0x60, 0x84);
    SetPair(0, 2, 0xE0, 0x84);
    SetPair(1, 0, 0, kWhitePair);
    SetPair(1, 1, 0x61, 0x84);
    for (int c = 0; c < 80; ++c) {
        SetCode(0, c, 0x0F);
        SetCode(1, c, 0x0F);
    }
    DrawScreen();
    EXPECT_EQ(LookOf(0, 0), "plain");
    EXPECT_EQ(LookOf(0, 79), "plain");
    EXPECT_EQ(LookOf(1, 0), "semi-reversed");
}

TEST_F(Screen, ColourPairWithTheGreatestPositionWinsAndTheFirstOnATie) {
    SetPair(0, 0, 10, 0x48); // red
    SetPair(0, 1, 10, 0x88); // green
    SetPair(0, 2, 4, 0x28);  // blue
    for (int c = 0; c < 80; ++c)
        SetCode(0, c, kBlock);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 3, 0, 0), kBlack);
    EXPECT_EQ(CellDot(0, 4, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(CellDot(0, 9, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(CellDot(0, 10, 0, 0), kRed);
    EXPECT_EQ(CellDot(0, 79, 0, 0), kRed);
}

TEST_F(Screen, FunctionAttributeCarriesAcrossCellsRowsAndCalls) {
    machine.currentAttr = 0x04; // as the previous picture left it
    SetPair(0, 0, 0, kWhitePair);
    SetPair(0, 1, 10, 0x00);
    SetPair(0, 2, 70, 0x04);
    SetPair(1, 0, 0, kWhitePair | 0x10); // white, semigraphic
    SetPair(2, 0, 0, kWhitePair);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 80; ++c)
            SetCode(r, c, 0x0F);
    DrawScreen();
    EXPECT_EQ(LookOf(0, 0), "reversed");
    EXPECT_EQ(LookOf(0, 9), "reversed");
    EXPECT_EQ(LookOf(0, 10), "plain");
    EXPECT_EQ(LookOf(0, 69), "plain");
    EXPECT_EQ(LookOf(1, 0), "semi-reversed"); // row 0's last column, plus bit 7
    EXPECT_EQ(LookOf(2, 0), "semi-reversed"); // bit 7 from a colour pair stays
    EXPECT_EQ(machine.currentAttr, 0x84);
}

TEST_F(Screen, RowWithoutColourPairsDrawsInColourZero) {
    SetCode(0, 0, kBlock);
    SetCode(0, 1, kDot);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 0, 0, 0), kBlack);
    EXPECT_EQ(CellDot(0, 1, 1, 0), kBackground);
    Put(machine.greenDisplay, 1);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 0, 0, 0), RGB(0, 31, 0));
    EXPECT_EQ(CellDot(0, 1, 1, 0), RGB(1, 29, 1));
}

TEST_F(Screen, FortyColumnsReadEvenBytesAndHalvePositions) {
    Put(machine.columns80, 0);
    SetPair(0, 0, 0, kWhitePair);
    SetPair(0, 1, 5, 0x04);
    for (int c = 0; c < 80; ++c)
        SetCode(0, c, (c & 1) ? kBlock : 0x0F);
    DrawScreen();
    EXPECT_EQ(LookOf(0, 1), "plain");
    EXPECT_EQ(LookOf(0, 2), "reversed");
    EXPECT_EQ(CellDot(0, 39, 0, 0), kWhite);
    EXPECT_EQ(CellDot(0, 39, 7, 7), kWhite);
}

// ---- Cursor, reverse, secret and blink ----

struct CellCase {
    const char* name;
    uint8_t attr;
    int cursorX;
    uint8_t cursorPhase;
    uint8_t attrPhase;
    COLORREF cell;  // a pixel away from the dot
    COLORREF glyph; // the glyph's one dot
};

TEST_F(Screen, CursorReverseSecretAndBlinkCombine) {
    const CellCase cases[] = {
        {"plain", 0x00, -1, 0, 0, kBackground, kWhite},
        {"cursor", 0x00, 3, 0, 0, kWhite, kBackground},
        {"cursor hidden by its phase", 0x00, 3, 1, 0, kBackground, kWhite},
        {"reverse", 0x04, -1, 0, 0, kWhite, kBackground},
        {"reverse under the cursor", 0x04, 3, 0, 0, kBackground, kWhite},
        {"secret under the cursor", 0x01, 3, 0, 0, kWhite, kWhite},
        {"secret reverse under the cursor", 0x05, 3, 0, 0, kBackground, kBackground},
        {"secret reverse", 0x05, -1, 0, 0, kBackground, kBackground},
        {"blink, shown", 0x02, -1, 0, 0, kBackground, kWhite},
        {"blink, hidden", 0x02, -1, 0, 1, kBackground, kBackground},
        {"blink hidden under the cursor", 0x02, 3, 0, 1, kWhite, kWhite},
        {"underline", 0x20, -1, 0, 0, kBackground, kWhite},
    };
    for (const CellCase& c : cases) {
        VideoPrepare();
        machine.fontRom[kDot * 8] = 0x80;
        SetPair(2, 0, 0, kWhitePair);
        SetPair(2, 1, 0, c.attr);
        SetCode(2, 3, kDot);
        Put(machine.cursorX, c.cursorX);
        Put(machine.cursorY, 2);
        machine.cursorBlinkPhase = c.cursorPhase;
        machine.attrBlinkPhase = c.attrPhase;
        DrawScreen();
        EXPECT_EQ(CellDot(2, 3, 4, 3), c.cell) << c.name;
        EXPECT_EQ(CellDot(2, 3, 0, 0), c.glyph) << c.name;
        EXPECT_EQ(CellDot(2, 3, 4, 6), (c.attr & 0x20) ? kWhite : c.cell) << c.name;
    }
}

TEST_F(Screen, CursorNeedsBothCoordinatesAndCountsIn80ColumnUnits) {
    SetPair(0, 0, 0, kWhitePair);
    Put(machine.cursorX, 3);
    Put(machine.cursorY, -1);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 3, 0, 0), kBackground);
    Put(machine.columns80, 0);
    Put(machine.cursorY, 0);
    DrawScreen(); // odd cursorX never meets a 40-column cell
    for (int c = 0; c < 40; ++c)
        EXPECT_EQ(CellDot(0, c, 0, 0), kBackground) << c;
    Put(machine.cursorX, 4);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 2, 0, 0), kWhite);
}

TEST_F(Screen, BlinkPhasesForEachRate) {
    // After each call from a fresh counter: cursor phase, attribute phase.
    const char* expected[4] = {
        "11 10 11 10 11 10 11 10 11 10 11 10",
        "00 10 11 01 00 10 11 01 00 10 11 01",
        "00 00 10 10 11 11 01 01 00 00 10 10",
        "00 00 00 10 10 10 11 11 11 01 01 01",
    };
    Put(machine.displayOn, 0);
    for (int rate = 0; rate < 4; ++rate) {
        Put(machine.blinkRate, rate);
        machine.blinkCounter = 0;
        machine.cursorBlinkPhase = 0;
        machine.attrBlinkPhase = 0;
        std::string seen;
        for (int call = 0; call < 12; ++call) {
            DrawScreen();
            if (call) seen += ' ';
            seen += char('0' + machine.cursorBlinkPhase);
            seen += char('0' + machine.attrBlinkPhase);
        }
        EXPECT_EQ(seen, expected[rate]) << "rate " << rate;
    }
}

// ---- Pages and the count register ----

// Page 0 and the page under test hold white blocks, the pages between
// secret cells. A later page's block lands on page 0's white block and
// blends away from white, so there white means "not drawn by that page".
static void FillPage(int page, uint8_t attr) {
    for (int r = 0; r < 25; ++r) {
        SetPair(r, 0, 0, kWhitePair, page);
        SetPair(r, 1, 0, attr, page);
        for (int c = 0; c < 80; ++c)
            SetCode(r, c, kBlock, page);
    }
}

TEST_F(Screen, CountRegisterLimitsTheCellsAndPages) {
    struct Case {
        int count;
        int page, row, column;
        bool drawn;
    };
    const Case cases[] = {
        {0, 0, 0, 0, true},        {0, 0, 0, 1, false},       {2958, 0, 24, 78, true},
        {2958, 0, 24, 79, false},  {2999, 0, 24, 79, true},   {2999, 1, 0, 0, false},
        {3000, 1, 0, 0, true},     {3000, 1, 0, 1, false},    {16383, 5, 11, 63, true},
        {16383, 5, 11, 64, false}, {0xFFFF, 5, 11, 63, true}, {0xFFFF, 5, 11, 64, false},
    };
    for (const Case& c : cases) {
        VideoPrepare();
        SetGlyph(kBlock, 0xFF);
        FillPage(0, 0x00);
        for (int page = 1; page < c.page; ++page)
            FillPage(page, 0x01);
        if (c.page) FillPage(c.page, 0x00);
        Put(machine.dmaCount[2], c.count);
        DrawScreen();
        COLORREF seen = CellDot(c.row, c.column, 0, 0);
        bool drawn = c.page ? seen != kWhite : seen == kWhite;
        EXPECT_EQ(drawn, c.drawn) << "count " << c.count << " page " << c.page << " cell " << c.row
                                  << "," << c.column;
    }
}

// A frame that would come out as the last one is kept, not painted; a change
// to the last byte it is drawn from, the value of the last pair of the row
// that holds the limit, shows in the very next one.
TEST_F(Screen, AFrameIsKeptUntilWhatItIsDrawnFromChanges) {
    Put(machine.dmaCount[2], 1000); // row 8 up to column 40
    SetCode(8, 40, kBlock);
    SetPair(8, 19, 0, kWhitePair);
    EXPECT_TRUE(DrawScreen());
    EXPECT_FALSE(DrawScreen());
    EXPECT_EQ(CellDot(8, 40, 0, 0), kWhite);
    PokeScreen(8 * 120 + 119, 0x48); // colour 2
    EXPECT_TRUE(DrawScreen());
    EXPECT_EQ(CellDot(8, 40, 0, 0), kRed);
}

// ---- Looks ----

TEST_F(Screen, DisplayOffFillsTheWholeFrame) {
    SetCode(0, 0, kBlock);
    for (uint8_t on : {0, 2}) {
        Put(machine.displayOn, on);
        Put(machine.greenDisplay, 0);
        DrawScreen();
        EXPECT_EQ(FramePixel(0, 0), kBlack);
        EXPECT_EQ(FramePixel(639, 479), kBlack);
        Put(machine.greenDisplay, 1);
        DrawScreen();
        EXPECT_EQ(FramePixel(0, 0), RGB(0, 31, 0));
        EXPECT_EQ(FramePixel(320, 240), RGB(0, 31, 0));
    }
}

TEST_F(Screen, MonochromeIgnoresColourButKeepsTheSemigraphicBit) {
    Put(machine.monoMode, 1);
    SetPair(0, 0, 0, 0x48); // red
    SetPair(0, 1, 0, 0x00); // so row 0 keeps no bit 7 from the call before
    SetPair(1, 0, 0, 0x58); // red, semigraphic
    SetCode(0, 0, kDot);
    SetCode(1, 0, 0x01); // semigraphic: the top-left band
    DrawScreen();
    EXPECT_EQ(CellDot(0, 0, 0, 0), kWhite);
    EXPECT_EQ(CellDot(0, 0, 1, 0), kBlack);
    EXPECT_EQ(CellDot(1, 0, 3, 1), kWhite);
    EXPECT_EQ(CellDot(1, 0, 4, 0), kBlack);
    Put(machine.greenDisplay, 1);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 0, 0, 0), RGB(0, 255, 0));
    EXPECT_EQ(CellDot(0, 0, 1, 0), RGB(0, 33, 0));
}

TEST_F(Screen, BackgroundColourAndCharacterGenerator) {
    Put(machine.bgColor, 7);
    SetPair(0, 0, 0, 0x28);
    SetCode(0, 0, 0x81);
    SetGlyph(0x81, 0x80);
    Put(machine.pcgRam[8], 0x01);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 0, 7, 0), RGB(254, 254, 254));
    EXPECT_EQ(CellDot(0, 0, 0, 0), RGB(0, 0, 255));
    Put(machine.pcgEnabled, 2);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 0, 0, 0), RGB(254, 254, 254));
    EXPECT_EQ(CellDot(0, 0, 7, 0), RGB(0, 0, 255));
}

TEST_F(Screen, ScreenAreaWrapsAndSeesTheRomOverlay) {
    Put(machine.dmaAddress[2], 0xFFF0);
    machine.basicRom[0x0000] = kBlock; // offset 16: column 16 of row 0
    Put(machine.mainRam[0x0000], 0);
    Put(machine.mainRam[0xFFF0], kBlock);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 0, 0, 0), kBlack);
    EXPECT_EQ(CellDot(0, 16, 0, 0), kBlack);
    EXPECT_EQ(CellDot(0, 17, 0, 0), kBackground);
    Put(machine.ramSelect, 1);
    DrawScreen();
    EXPECT_EQ(CellDot(0, 16, 0, 0), kBackground);
}

// ---- Present ----

TEST_F(Screen, FrameIsStretchedOntoTheWindow) {
    SetCode(0, 0, kBlock);
    unsigned before = ShimPresentCount(machine.hostWindow);
    DrawScreen();
    EXPECT_EQ(ShimPresentCount(machine.hostWindow), before + 1);
    static uint32_t window[kFrameWidth * kFrameHeight];
    int width = 0, height = 0;
    ASSERT_EQ(
        ShimReadWindow(machine.hostWindow, window, kFrameWidth * kFrameHeight, &width, &height),
        kFrameWidth * kFrameHeight);
    for (int i = 0; i < kFrameWidth * kFrameHeight; ++i)
        ASSERT_EQ(window[i] & 0xFFFFFF, machine.framePixels[i] & 0xFFFFFF) << i;

    ShimResizeWindow(machine.hostWindow, 0, 480);
    uint8_t phase = machine.attrBlinkPhase; // toggles on every call at rate 0
    DrawScreen();
    EXPECT_EQ(ShimPresentCount(machine.hostWindow), before + 1);
    EXPECT_NE(machine.attrBlinkPhase, phase);
    ShimResizeWindow(machine.hostWindow, kFrameWidth, kFrameHeight);
}

// Once the host forwards WM_PAINT, a frame reaches the window only when the
// picture (the cursor's blink too), the client size or a repaint request
// makes it differ from what the window shows (a minimised one shows nothing
// painted meanwhile); the window then shows the new picture.
TEST_F(Screen, AHostThatRepaintsGetsOnlyChangedFramesPresented) {
    enum Step { kSame, kNewCode, kBlink, kRepaint, kResize, kMinimise, kRestore };
    const struct {
        Step step;
        bool presented;
    } steps[] = {{kSame, true},      {kSame, false},     {kNewCode, true}, {kSame, false},
                 {kBlink, true},     {kSame, false},     {kBlink, true},   {kRepaint, true},
                 {kSame, false},     {kResize, true},    {kSame, false},   {kNewCode, true},
                 {kBlink, true},     {kMinimise, false}, {kRestore, true}, {kSame, false},
                 {kMinimise, false}, {kNewCode, false},  {kRestore, true}, {kNewCode, true}};
    CtlEmulator(WM_PAINT, 0, 0);
    Put(machine.cursorX, 40);
    Put(machine.cursorY, 24);
    int code = 0;
    for (size_t i = 0; i < std::size(steps); ++i) {
        switch (steps[i].step) {
        case kSame: break;
        case kNewCode: SetCode(0, 0, code ^= kBlock); break;
        case kBlink: machine.cursorBlinkPhase ^= 1; break;
        case kRepaint: CtlEmulator(WM_PAINT, 0, 0); break;
        case kResize: ShimResizeWindow(machine.hostWindow, kFrameWidth, kFrameHeight / 2); break;
        case kMinimise: ShimResizeWindow(machine.hostWindow, 0, 0); break;
        case kRestore: ShimResizeWindow(machine.hostWindow, kFrameWidth, kFrameHeight); break;
        }
        unsigned before = ShimPresentCount(machine.hostWindow);
        DrawScreen();
        EXPECT_EQ(ShimPresentCount(machine.hostWindow) - before, steps[i].presented ? 1u : 0u)
            << "step " << i;
        // Presented whole or in part, the window shows the frame, scaled, and
        // the picture it keeps is the frame.
        static uint32_t shown[kFrameWidth * kFrameHeight];
        int width = 0, height = 0;
        ShimReadWindow(machine.hostWindow, shown, kFrameWidth * kFrameHeight, &width, &height);
        if (!width || !height) continue;
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                wrong += shown[y * width + x] !=
                         machine.framePixels[y * kFrameHeight / height * kFrameWidth +
                                             x * kFrameWidth / width];
        EXPECT_EQ(wrong, 0) << "step " << i;
        ASSERT_EQ(ShimReadFrame(machine.hostWindow, shown, kFrameWidth * 4, kFrameWidth,
                                kFrameHeight, &width, &height),
                  kFrameWidth * kFrameHeight);
        EXPECT_EQ(std::memcmp(shown, machine.framePixels, sizeof shown), 0) << "step " << i;
    }
}

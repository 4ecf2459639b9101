// The text screen renderer: DMA channel 2's screen area, painted into the
// 640 by 480 frame and stretched onto the host window.
//
// Screen area at dmaAddress[2]: pages of 3000 bytes, 25 rows of 120 bytes
// (the stride stays 120 with 20 rows); the low 14 bits of dmaCount[2] are the
// highest offset drawn.
//
//   row bytes 0-79     character codes (only the even ones with 40 columns)
//   row bytes 80-119   20 attribute pairs: position byte P, value byte V
//
//   V, colour pair:    7 6 5   4            3   2 1 0
//                      colour  semigraphic  1   unused
//   V, function pair:  7            6      5          4         3  2        1      0
//                      semigraphic  vline  underline  overline  0  reverse  blink  secret
//
//   P: the column (in 80-column units) the pair applies from; (P & 0x7F) =
//   0x60 switches the pair off.
//
// The frame is a 32-bit DIB section. The primitives write its pixels
// directly, and the blending of later pages reads them back directly: the
// result is the one that painting each fill through FillRect with the
// palette brush (and GetPixel and a temporary brush on later pages) leaves,
// at a small fraction of the cost. The picture reaches the window in one
// StretchBlt. Not emulated: display timing, the controller's own attribute
// and character fetches.
#include "video/screen.h"

#include "state/machine_state.h"
#include "video/palette.h"

#include <algorithm>
#include <bit>
#include <cstring>

constexpr int kPageBytes = 3000;
constexpr int kRowBytes = 120;
constexpr int kAttrBase = 80;
constexpr int kAttrPairs = 20;
constexpr int kCountMask = 0x3FFF;
constexpr int kCellDots = 8;

constexpr uint8_t kPairPositionOff = 0x60;
constexpr uint8_t kPairColor = 0x08;
constexpr uint8_t kPairColorSemigraphic = 0x10;
constexpr int kPairColorShift = 5;

constexpr uint8_t kAttrSecret = 0x01;
constexpr uint8_t kAttrBlink = 0x02;
constexpr uint8_t kAttrReverse = 0x04;
constexpr uint8_t kAttrOverline = 0x10;
constexpr uint8_t kAttrUnderline = 0x20;
constexpr uint8_t kAttrVerticalLine = 0x40;
constexpr uint8_t kAttrSemigraphic = 0x80;

// ---- Machine state as the renderer reads it, each at its point of use ----

// The column step s (1 with 80 columns, 2 with 40) as a shift: a position
// byte divided by s is a shift, not a division, on the hot path.
static int ScreenColumnShift(void) {
    return Get(machine.columns80) ? 0 : 1;
}
static int ScreenColumns(void) {
    return Get(machine.columns80) ? 80 : 40;
}
static int ScreenRows(void) {
    return Get(machine.rows25) ? 25 : 20;
}
static int ScreenLimit(void) {
    return Get(machine.dmaCount[2]) & kCountMask;
}
static int ScreenPageCount(void) {
    int n = ScreenLimit();
    return n < kPageBytes ? 1 : n / kPageBytes + 1;
}

// The byte a memory read through BusAccess returns for dmaAddress[2] +
// offset: the address wraps at 16 bits, and the BASIC ROM shows below
// 0x6000 while ramSelect is 0.
static inline uint8_t ScreenRead(int offset) {
    int address = (Get(machine.dmaAddress[2]) + offset) & 0xFFFF;
    if (address < kBasicRomSize && !Get(machine.ramSelect)) return machine.basicRom[address];
    return Get(machine.mainRam[address]);
}

int ScreenTextColumns(void) {
    return ScreenColumns();
}

int ScreenTextRows(void) {
    return ScreenRows();
}

uint8_t ScreenCharCode(int row, int column) {
    return ScreenRead(row * kRowBytes + (column << ScreenColumnShift()));
}

static uint8_t ScreenGlyphLine(int code, int line) {
    if (code >= 128 && Get(machine.pcgEnabled))
        return Get(machine.pcgRam[(code - 128) * kCellDots + line]);
    return machine.fontRom[code * kCellDots + line];
}

// ---- Colour indices ----

static int ScreenGreenOffset(void) {
    return Get(machine.greenDisplay) ? kPaletteGreen : 0;
}
static int ScreenBgCode(void) {
    return Get(machine.bgColor) & 7;
}
static uint8_t ScreenForeground(int colorCode) {
    if (Get(machine.monoMode)) return ScreenGreenOffset() + kPaletteMonoFg;
    return ScreenGreenOffset() + colorCode;
}
static uint8_t ScreenBackground(void) {
    if (Get(machine.monoMode)) return ScreenGreenOffset() + kPaletteMonoBg;
    return ScreenGreenOffset() + kPaletteBackground + ScreenBgCode();
}

// ---- The frame's pixels ----

static uint32_t ScreenPixelOf(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

// What GetPixel returns for frame pixel (x, y).
static COLORREF ScreenReadPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= kFrameWidth || y >= kFrameHeight) return CLR_INVALID;
    uint32_t pixel = machine.framePixels[y * kFrameWidth + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// What FillRect paints: the rectangle clipped to the frame. Glyph dots are
// one or two pixels wide, so narrow rows take the plain loop; wide ones
// store four pixels at a time.
static void ScreenPaint(int left, int top, int right, int bottom, COLORREF color) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, kFrameWidth);
    bottom = std::min(bottom, kFrameHeight);
    if (left >= right || top >= bottom) return;
    uint32_t pixel = ScreenPixelOf(color);
    int width = right - left;
    uint32_t* row = machine.framePixels + top * kFrameWidth + left;
    uint32_t* end = machine.framePixels + bottom * kFrameWidth + left;
    if (width < 4) {
        for (; row != end; row += kFrameWidth)
            for (int x = 0; x < width; ++x)
                row[x] = pixel;
        return;
    }
    uint32_t quad[4] = {pixel, pixel, pixel, pixel};
    int quads = width / 4;
    int rest = width % 4;
    for (; row != end; row += kFrameWidth) {
        uint32_t* p = row;
        for (int q = 0; q < quads; ++q, p += 4)
            std::memcpy(p, quad, sizeof quad);
        for (int x = 0; x < rest; ++x)
            p[x] = pixel;
    }
}

// One channel moved away from the brush's by half their difference (the
// shift floors), wrapped to 8 bits.
static int ScreenBlendChannel(int target, int brush) {
    return (target + ((target - brush) >> 1)) & 0xFF;
}

// The colour of a fill on a later page, from the pixel under its top-left
// corner: the brush colour over the background colour 32 + bgColor, a blend
// over anything else.
static COLORREF ScreenBlend(COLORREF pixel) {
    COLORREF brush = machine.brushColors[machine.drawColor];
    COLORREF background = machine.brushColors[kPaletteBackground + ScreenBgCode()];
    COLORREF target = pixel == background ? brush : pixel;
    return RGB(ScreenBlendChannel(GetRValue(target), GetRValue(brush)),
               ScreenBlendChannel(GetGValue(target), GetGValue(brush)),
               ScreenBlendChannel(GetBValue(target), GetBValue(brush)));
}

// hScale is 100 (80 columns) or 200, vScale 240 (25 rows) or 300, both in
// hundredths: x * hScale / 100 is exactly x or 2x and y * 300 / 100 is 3y,
// so only the 25-row mapping needs its division.
static int ScreenScaleX(int x, bool columns80) {
    return columns80 ? x : 2 * x;
}
static int ScreenScaleY(int y, bool rows25) {
    return rows25 ? y * 240 / 100 : 3 * y;
}

void FillCellRect(int left, int top, int right, int bottom) {
    bool columns80 = Get(machine.columns80);
    bool rows25 = Get(machine.rows25);
    int l = ScreenScaleX(left, columns80);
    int t = ScreenScaleY(top, rows25);
    int r = ScreenScaleX(right, columns80);
    int b = ScreenScaleY(bottom, rows25);
    if (machine.pageIndex < 1) {
        ScreenPaint(l, t, r, b, machine.brushColors[machine.drawColor]);
        return;
    }
    ScreenPaint(l, t, r, b, ScreenBlend(ScreenReadPixel(l, t)));
}

void PlotDot(int x, int y) {
    FillCellRect(x, y, x + 1, y + 1);
}

// ---- The renderer ----

// Picks the colour pair and the function pair in force for column c of a
// row whose attribute area (position, value, position, ...) is in pairs;
// leaves the function attribute in currentAttr and returns the colour code.
static int ScreenSelectAttributes(const uint8_t* pairs, int c, int shift) {
    int colorPos = -1;
    int colorCode = 0;
    int colorSemigraphic = 0;
    int attrPos = -1;
    int attrSemigraphic = 0;
    for (int j = 0; j < kAttrPairs; ++j) {
        uint8_t position = pairs[2 * j];
        uint8_t value = pairs[2 * j + 1];
        if ((position & 0x7F) == kPairPositionOff) continue;
        int q = position >> shift;
        if (value & kPairColor) {
            if (q <= c && q > colorPos) {
                colorPos = q;
                colorCode = value >> kPairColorShift;
                colorSemigraphic = (value & kPairColorSemigraphic) ? 1 : 0;
            }
        } else if ((q <= c && q > attrPos) || ((value & kAttrSemigraphic) && !attrSemigraphic)) {
            // A semigraphic pair wins by its bit alone until one has been taken.
            machine.currentAttr = value;
            attrPos = q;
            attrSemigraphic = (value & kAttrSemigraphic) ? 1 : 0;
        }
    }
    if (colorSemigraphic) machine.currentAttr |= kAttrSemigraphic;
    return colorCode;
}

// A glyph's set dots on the first page, where nothing blends and so their
// order is free: the pixels PlotDot leaves for each of them, with the scaling
// worked out once a dot row instead of once a dot. False, drawing nothing,
// for a cell that is not wholly inside the frame.
static bool ScreenDrawGlyph(int code, int left, int top) {
    bool columns80 = Get(machine.columns80);
    bool rows25 = Get(machine.rows25);
    int x0 = ScreenScaleX(left, columns80);
    if (left < 0 || top < 0 || ScreenScaleX(left + kCellDots, columns80) > kFrameWidth ||
        ScreenScaleY(top + kCellDots, rows25) > kFrameHeight)
        return false;
    uint32_t pixel = ScreenPixelOf(machine.brushColors[machine.drawColor]);
    for (int y = 0; y < kCellDots; ++y) {
        uint8_t pattern = ScreenGlyphLine(code, y);
        if (!pattern) continue;
        int t = ScreenScaleY(top + y, rows25);
        int b = ScreenScaleY(top + y + 1, rows25);
        for (uint32_t* row = machine.framePixels + t * kFrameWidth + x0;
             row != machine.framePixels + b * kFrameWidth + x0; row += kFrameWidth) {
            for (uint8_t rest = pattern; rest;) {
                int x = std::countl_zero(rest);
                if (columns80) {
                    row[x] = pixel;
                } else {
                    row[2 * x] = pixel;
                    row[2 * x + 1] = pixel;
                }
                rest &= static_cast<uint8_t>(~(0x80 >> x));
            }
        }
    }
    return true;
}

static void ScreenDrawContent(int code, int left, int top) {
    if (machine.currentAttr & kAttrSemigraphic) {
        // Bits 0-3 are the left half, 4-7 the right, each in bands 2 dots high.
        for (int i = 0; i < 8; ++i) {
            if (!(code & (1 << i))) continue;
            int x = left + 4 * (i >> 2);
            int y = top + 2 * (i & 3);
            FillCellRect(x, y, x + 4, y + 2);
        }
        return;
    }
    if (machine.pageIndex < 1 && ScreenDrawGlyph(code, left, top)) return;
    // Set dots from the left (bit 7) to the right; visiting only the set
    // bits keeps the branches predictable whatever the glyph.
    for (int y = 0; y < kCellDots; ++y) {
        for (uint8_t pattern = ScreenGlyphLine(code, y); pattern;) {
            int x = std::countl_zero(pattern);
            PlotDot(left + x, top + y);
            pattern &= static_cast<uint8_t>(~(0x80 >> x));
        }
    }
}

static void ScreenDrawCell(int r, int c, int shift, int code, int colorCode) {
    uint8_t attr = machine.currentAttr;
    bool reverse = attr & kAttrReverse;
    int cursorX = Get(machine.cursorX);
    int cursorY = Get(machine.cursorY);
    bool cursorHere = cursorX != -1 && cursorY != -1 && cursorX == (c << shift) && cursorY == r &&
                      !machine.cursorBlinkPhase;
    bool inverse = reverse != cursorHere;
    int left = kCellDots * c;
    int top = kCellDots * r;

    if (cursorHere) {
        machine.drawColor = reverse ? ScreenBackground() : ScreenForeground(colorCode);
        FillCellRect(left, top, left + kCellDots, top + kCellDots);
    }
    if ((attr & kAttrSecret) || ((attr & kAttrBlink) && machine.attrBlinkPhase)) return;

    machine.drawColor = inverse ? ScreenForeground(colorCode) : ScreenBackground();
    FillCellRect(left, top, left + kCellDots, top + kCellDots);

    machine.drawColor = inverse ? ScreenBackground() : ScreenForeground(colorCode);
    ScreenDrawContent(code, left, top);
    if (attr & kAttrVerticalLine) FillCellRect(left + 3, top, left + 4, top + kCellDots);
    if (attr & kAttrUnderline) FillCellRect(left, top + 6, left + kCellDots, top + 7);
    if (attr & kAttrOverline) FillCellRect(left, top, left + kCellDots, top + 1);
}

// Draws every page the count register asks for; stops at the first cell
// whose offset lies beyond it. A row's attribute pairs are read once for all
// its cells, which would otherwise read all forty bytes each.
static void ScreenDrawPages(void) {
    for (machine.pageIndex = 0; machine.pageIndex < ScreenPageCount(); ++machine.pageIndex) {
        for (int r = 0; r < ScreenRows(); ++r) {
            int base = machine.pageIndex * kPageBytes + r * kRowBytes;
            uint8_t pairs[2 * kAttrPairs];
            for (int i = 0; i < 2 * kAttrPairs; ++i)
                pairs[i] = ScreenRead(base + kAttrBase + i);
            for (int c = 0; c < ScreenColumns(); ++c) {
                int shift = ScreenColumnShift();
                int offset = base + (c << shift);
                if (offset > ScreenLimit()) return;
                int code = ScreenRead(offset);
                int colorCode = ScreenSelectAttributes(pairs, c, shift);
                ScreenDrawCell(r, c, shift, code, colorCode);
            }
        }
    }
}

static void ScreenFillFrame(uint8_t index) {
    machine.drawColor = index;
    ScreenPaint(0, 0, kFrameWidth, kFrameHeight, machine.brushColors[index]);
}

// The cursor phase toggles when the counter meets the rate, the attribute
// phase when it reaches twice the rate, which also restarts the count.
static void ScreenAdvanceBlink(void) {
    if (Get(machine.blinkRate) == machine.blinkCounter) machine.cursorBlinkPhase ^= 1;
    if (machine.blinkCounter >= 2 * Get(machine.blinkRate)) {
        machine.attrBlinkPhase ^= 1;
        machine.blinkCounter = 0;
    }
    ++machine.blinkCounter;
}

// True when the window already shows this frame: the same picture, on a
// client area of the same size, with no repaint asked for since.
static bool ScreenAlreadyShown(const RECT& client) {
    bool repaint = machine.repaintWanted.exchange(0, std::memory_order_relaxed) != 0;
    return !repaint && client.right == machine.shownClient.right &&
           client.bottom == machine.shownClient.bottom &&
           std::memcmp(machine.framePixels, machine.shownFrame, sizeof machine.shownFrame) == 0;
}

// An idle prompt changes the picture only when the cursor blinks; a host that
// repaints on request is spared the other presents, and so is its display.
static void ScreenPresent(void) {
    RECT client = {0, 0, 0, 0}; // stays empty if the window cannot be asked
    GetClientRect(machine.hostWindow, &client);
    if (client.right == 0 || client.bottom == 0) return;
    bool sparing = Get(machine.hostPaints) != 0;
    if (sparing && ScreenAlreadyShown(client)) return;
    SetStretchBltMode(machine.windowDc, COLORONCOLOR);
    bool shown = StretchBlt(machine.windowDc, 0, 0, client.right, client.bottom, machine.frameDc, 0,
                            0, kFrameWidth, kFrameHeight, SRCCOPY);
    // Deferred, the present would wait for this thread's next drawing call,
    // which may be a blink away.
    GdiFlush();
    if (!sparing) return;
    machine.shownClient = shown ? client : RECT{0, 0, 0, 0};
    if (shown) std::memcpy(machine.shownFrame, machine.framePixels, sizeof machine.shownFrame);
}

void DrawScreen(void) {
    if (Get(machine.displayOn) != 1) {
        ScreenFillFrame(Get(machine.greenDisplay) ? kPaletteGreen + kPaletteDisplayOff
                                                  : kPaletteDisplayOff);
    } else {
        ScreenFillFrame(ScreenBackground());
        ScreenDrawPages();
    }
    ScreenAdvanceBlink();
    ScreenPresent();
}

void ScreenPowerOn(void) {
    machine.currentAttr = 0;
    machine.drawColor = 0;
    machine.pageIndex = 0;
    machine.cursorBlinkPhase = 0;
    machine.attrBlinkPhase = 0;
    machine.blinkCounter = 0;
    machine.shownClient = RECT{0, 0, 0, 0}; // the next frame is presented
}

bool CreateFrame(HDC windowDc) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kFrameWidth;
    info.bmiHeader.biHeight = -kFrameHeight; // top-down: row 0 first in memory
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return false;
    HDC dc = CreateCompatibleDC(windowDc);
    if (!dc) {
        DeleteObject(bitmap);
        return false;
    }
    SelectObject(dc, bitmap);
    machine.frameDc = dc;
    machine.framePixels = static_cast<uint32_t*>(bits);
    return true;
}

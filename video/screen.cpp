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
// A frame begins by reading what it is drawn from (ScreenInputs: the screen
// area, the glyphs, the controller's and display ports' settings) and is
// drawn from that copy alone. When the copy matches the one the last frame
// was drawn from, and the blink phases that frame showed are as they were,
// the frame already holds the picture: nothing is painted, and a host that
// repaints on request is not presented it again. A few kilobytes read and
// compared a frame cost far less than the 1.2 MB of pixels, and the
// processor's memory writes are not watched at all.
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
#include <cstddef>
#include <cstring>

constexpr int kPageBytes = 3000;
constexpr int kAttrBase = 80;
constexpr int kAttrPairs = 20;
constexpr int kCellDots = 8;
constexpr int kPcgFirstCode = 128;

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

// screenPhasesRead and screenPhasesDrawn: one bit a blink phase. In
// screenRepaint the same bits stand for the cells that show that phase, and
// kRepaintWhole for every cell.
constexpr uint8_t kPhaseCursor = 0x01;
constexpr uint8_t kPhaseAttr = 0x02;
constexpr uint8_t kRepaintWhole = 0x04;

// ---- What a frame is drawn from ----

// The byte a memory read through BusAccess returns for dmaAddress[2] +
// offset: the address wraps at 16 bits, and the BASIC ROM shows below
// 0x6000 while ramSelect is 0.
static inline uint8_t ScreenRead(uint16_t start, bool rom, int offset) {
    int address = (start + offset) & 0xFFFF;
    if (address < kBasicRomSize && rom) return machine.basicRom[address];
    return Get(machine.mainRam[address]);
}

int ScreenTextColumns(void) {
    return Get(machine.columns80) ? 80 : 40;
}

int ScreenTextRows(void) {
    return Get(machine.rows25) ? 25 : 20;
}

uint8_t ScreenCharCode(int row, int column) {
    return ScreenRead(Get(machine.dmaAddress[2]), !Get(machine.ramSelect),
                      row * kScreenRowBytes + (Get(machine.columns80) ? column : 2 * column));
}

// Fills machine.screenInputs from the machine; returns how many of its
// leading bytes count.
static size_t ScreenReadInputs(void) {
    ScreenInputs& in = machine.screenInputs;
    std::memset(&in, 0, offsetof(ScreenInputs, glyphs));
    in.displayOn = Get(machine.displayOn) == 1;
    in.green = Get(machine.greenDisplay) != 0;
    if (!in.displayOn) return offsetof(ScreenInputs, glyphs);
    in.cursorX = Get(machine.cursorX);
    in.cursorY = Get(machine.cursorY);
    in.limit = Get(machine.dmaCount[2]) & kScreenCountMask;
    in.areaBytes = (in.limit / kScreenRowBytes + 1) * kScreenRowBytes;
    in.columns80 = Get(machine.columns80) != 0;
    in.rows25 = Get(machine.rows25) != 0;
    in.monoMode = Get(machine.monoMode) != 0;
    in.bgCode = Get(machine.bgColor) & 7;
    in.startAttr = machine.currentAttr;
    constexpr int kPcgBase = kPcgFirstCode * kCellDots;
    std::memcpy(in.glyphs, machine.fontRom, kPcgBase);
    if (Get(machine.pcgEnabled))
        for (int i = 0; i < kPcgRamSize; ++i)
            in.glyphs[kPcgBase + i] = Get(machine.pcgRam[i]);
    else
        std::memcpy(in.glyphs + kPcgBase, machine.fontRom + kPcgBase, kPcgRamSize);
    uint16_t start = Get(machine.dmaAddress[2]);
    bool rom = !Get(machine.ramSelect);
    for (int i = 0; i < in.areaBytes; ++i)
        in.area[i] = ScreenRead(start, rom, i);
    return offsetof(ScreenInputs, area) + in.areaBytes;
}

// The column step s (1 with 80 columns, 2 with 40) as a shift: a position
// byte divided by s is a shift, not a division, on the hot path.
static int ScreenColumnShift(void) {
    return machine.screenInputs.columns80 ? 0 : 1;
}
static int ScreenColumns(void) {
    return machine.screenInputs.columns80 ? 80 : 40;
}
static int ScreenRows(void) {
    return machine.screenInputs.rows25 ? 25 : 20;
}
static int ScreenPageCount(void) {
    int n = machine.screenInputs.limit;
    return n < kPageBytes ? 1 : n / kPageBytes + 1;
}

static uint8_t ScreenGlyphLine(int code, int line) {
    return machine.screenInputs.glyphs[code * kCellDots + line];
}

// ---- Colour indices ----

static int ScreenGreenOffset(void) {
    return machine.screenInputs.green ? kPaletteGreen : 0;
}
static int ScreenBgCode(void) {
    return machine.screenInputs.bgCode;
}
static uint8_t ScreenForeground(int colorCode) {
    if (machine.screenInputs.monoMode) return ScreenGreenOffset() + kPaletteMonoFg;
    return ScreenGreenOffset() + colorCode;
}
static uint8_t ScreenBackground(void) {
    if (machine.screenInputs.monoMode) return ScreenGreenOffset() + kPaletteMonoBg;
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
    bool columns80 = machine.screenInputs.columns80;
    bool rows25 = machine.screenInputs.rows25;
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
    bool columns80 = machine.screenInputs.columns80;
    bool rows25 = machine.screenInputs.rows25;
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

// A cell repainted alone on a frame of one page: its rectangle as the frame
// fill left it, counted among the rows painted.
static void ScreenClearCell(int left, int top) {
    const ScreenInputs& in = machine.screenInputs;
    int t = ScreenScaleY(top, in.rows25);
    int b = ScreenScaleY(top + kCellDots, in.rows25);
    ScreenPaint(ScreenScaleX(left, in.columns80), t, ScreenScaleX(left + kCellDots, in.columns80),
                b, machine.brushColors[ScreenBackground()]);
    machine.screenDirtyTop = std::min(machine.screenDirtyTop, t);
    machine.screenDirtyBottom = std::max(machine.screenDirtyBottom, b);
}

// Notes in screenPhasesRead each blink phase the cell's picture depends on,
// and paints the cell if screenRepaint asks for it; its colours are chosen
// either way, so the renderer's state comes out the same.
static void ScreenDrawCell(int r, int c, int shift, int code, int colorCode) {
    uint8_t attr = machine.currentAttr;
    bool reverse = attr & kAttrReverse;
    int cursorX = machine.screenInputs.cursorX;
    int cursorY = machine.screenInputs.cursorY;
    bool cursorCell = cursorX != -1 && cursorY != -1 && cursorX == (c << shift) && cursorY == r;
    bool blinkCell = (attr & (kAttrSecret | kAttrBlink)) == kAttrBlink;
    uint8_t phases = (cursorCell ? kPhaseCursor : 0) | (blinkCell ? kPhaseAttr : 0);
    machine.screenPhasesRead |= phases;
    bool paint = machine.screenRepaint & (phases | kRepaintWhole);
    bool cursorHere = cursorCell && !machine.cursorBlinkPhase;
    bool inverse = reverse != cursorHere;
    int left = kCellDots * c;
    int top = kCellDots * r;
    if (paint && !(machine.screenRepaint & kRepaintWhole)) ScreenClearCell(left, top);

    if (cursorHere) {
        machine.drawColor = reverse ? ScreenBackground() : ScreenForeground(colorCode);
        if (paint) FillCellRect(left, top, left + kCellDots, top + kCellDots);
    }
    if ((attr & kAttrSecret) || (blinkCell && machine.attrBlinkPhase)) return;

    machine.drawColor = inverse ? ScreenForeground(colorCode) : ScreenBackground();
    if (paint) FillCellRect(left, top, left + kCellDots, top + kCellDots);

    machine.drawColor = inverse ? ScreenBackground() : ScreenForeground(colorCode);
    if (!paint) return;
    ScreenDrawContent(code, left, top);
    if (attr & kAttrVerticalLine) FillCellRect(left + 3, top, left + 4, top + kCellDots);
    if (attr & kAttrUnderline) FillCellRect(left, top + 6, left + kCellDots, top + 7);
    if (attr & kAttrOverline) FillCellRect(left, top, left + kCellDots, top + 1);
}

// Draws every page the count register asks for; stops at the first cell
// whose offset lies beyond it, so no row past the one that holds the limit
// is read.
static void ScreenDrawPages(void) {
    const ScreenInputs& in = machine.screenInputs;
    int shift = ScreenColumnShift();
    for (machine.pageIndex = 0; machine.pageIndex < ScreenPageCount(); ++machine.pageIndex) {
        for (int r = 0; r < ScreenRows(); ++r) {
            int base = machine.pageIndex * kPageBytes + r * kScreenRowBytes;
            if (base > in.limit) return; // its first cell lies beyond
            const uint8_t* pairs = in.area + base + kAttrBase;
            for (int c = 0; c < ScreenColumns(); ++c) {
                int offset = base + (c << shift);
                if (offset > in.limit) return;
                int colorCode = ScreenSelectAttributes(pairs, c, shift);
                ScreenDrawCell(r, c, shift, in.area[offset], colorCode);
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

static uint8_t ScreenPhasesNow(void) {
    return (machine.cursorBlinkPhase ? kPhaseCursor : 0) |
           (machine.attrBlinkPhase ? kPhaseAttr : 0);
}

// What the frame must repaint, given the inputs just read (their first
// bytes): nothing when they match those of the last frame drawn and so do
// the blink phases it showed; when only phases differ, the cells that show
// them, unless later pages blend over those; else every cell.
static uint8_t ScreenRepaintNeeded(size_t bytes) {
    if (!machine.screenDrawnValid ||
        std::memcmp(&machine.screenInputs, &machine.screenDrawn, bytes) != 0)
        return kRepaintWhole;
    uint8_t changed = (ScreenPhasesNow() ^ machine.screenPhasesDrawn) & machine.screenPhasesRead;
    return changed && ScreenPageCount() > 1 ? kRepaintWhole : changed;
}

static void ScreenPaintFrame(size_t bytes) {
    if (machine.screenRepaint & kRepaintWhole) {
        machine.screenPhasesRead = 0;
        machine.screenDirtyTop = 0;
        machine.screenDirtyBottom = kFrameHeight;
        if (!machine.screenInputs.displayOn) {
            ScreenFillFrame(ScreenGreenOffset() + kPaletteDisplayOff);
        } else {
            ScreenFillFrame(ScreenBackground());
            ScreenDrawPages();
        }
        std::memcpy(&machine.screenDrawn, &machine.screenInputs, bytes);
        machine.screenDrawnValid = 1;
    } else {
        machine.drawColor = ScreenBackground(); // as the frame fill leaves it
        ScreenDrawPages();
    }
    machine.screenPhasesDrawn = ScreenPhasesNow();
}

// What of the frame a window is given.
enum ScreenShow { kShowNothing, kShowRows, kShowAll };

// For a host that repaints on request, whose window shows the frame last
// presented: nothing when this frame painted no row, the client area is the
// same size and no repaint was asked for; only the rows painted when it
// shows the rest unscaled; else all of it.
static ScreenShow ScreenToShow(const RECT& client) {
    bool repaint = machine.repaintWanted.exchange(0, std::memory_order_relaxed) != 0;
    if (repaint || client.right != machine.shownClient.right ||
        client.bottom != machine.shownClient.bottom)
        return kShowAll;
    if (machine.screenDirtyTop >= machine.screenDirtyBottom) return kShowNothing;
    return client.right == kFrameWidth && client.bottom == kFrameHeight ? kShowRows : kShowAll;
}

// An idle prompt changes the picture only when the cursor blinks; a host that
// repaints on request is spared the other presents, and so is its display,
// and a blink is given only the rows it changed.
static void ScreenPresent(void) {
    RECT client = {0, 0, 0, 0}; // stays empty if the window cannot be asked
    GetClientRect(machine.hostWindow, &client);
    if (client.right == 0 || client.bottom == 0) {
        // The window shows none of what is painted meanwhile.
        machine.shownClient = RECT{0, 0, 0, 0};
        return;
    }
    bool sparing = Get(machine.hostPaints) != 0;
    ScreenShow show = sparing ? ScreenToShow(client) : kShowAll;
    if (show == kShowNothing) return;
    SetStretchBltMode(machine.windowDc, COLORONCOLOR);
    int top = machine.screenDirtyTop;
    int rows = machine.screenDirtyBottom - top;
    bool shown = show == kShowRows
                     ? StretchBlt(machine.windowDc, 0, top, kFrameWidth, rows, machine.frameDc, 0,
                                  top, kFrameWidth, rows, SRCCOPY)
                     : StretchBlt(machine.windowDc, 0, 0, client.right, client.bottom,
                                  machine.frameDc, 0, 0, kFrameWidth, kFrameHeight, SRCCOPY);
    // Deferred, the present would wait for this thread's next drawing call,
    // which may be a blink away.
    GdiFlush();
    if (!sparing) return;
    machine.shownClient = shown ? client : RECT{0, 0, 0, 0};
}

bool DrawScreen(void) {
    size_t bytes = ScreenReadInputs();
    machine.screenRepaint = ScreenRepaintNeeded(bytes);
    machine.screenDirtyTop = kFrameHeight;
    machine.screenDirtyBottom = 0;
    if (machine.screenRepaint) ScreenPaintFrame(bytes);
    ScreenAdvanceBlink();
    ScreenPresent();
    return machine.screenRepaint != 0;
}

void ScreenPowerOn(void) {
    machine.currentAttr = 0;
    machine.drawColor = 0;
    machine.pageIndex = 0;
    machine.cursorBlinkPhase = 0;
    machine.attrBlinkPhase = 0;
    machine.blinkCounter = 0;
    machine.screenDrawnValid = 0;           // the next frame is painted
    machine.shownClient = RECT{0, 0, 0, 0}; // and presented
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

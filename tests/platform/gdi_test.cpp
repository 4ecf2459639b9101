// GDI: what the renderer relies on. Colours read back exactly as painted,
// the COLORREF and DIB byte orders, FillRect's clipping and exclusive edges,
// the StretchBlt mapping, brush queries, and clean failure on bad handles.
#include <windows.h>

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

#include "winshim_host.h"

namespace {

BITMAPINFO Dib32(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A memory DC holding a new DIB section; height < 0 for top-down rows.
HDC DibDc(int width, int height, uint32_t** bits) {
    BITMAPINFO info = Dib32(width, height);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(dc, bitmap), nullptr);
    *bits = static_cast<uint32_t*>(pixels);
    return dc;
}

int Fill(HDC dc, RECT r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    int result = FillRect(dc, &r, brush);
    DeleteObject(brush);
    return result;
}

} // namespace

TEST(Gdi, ColoursReadBackExactlyInTheDibByteOrder) {
    uint32_t* bits;
    HDC dc = DibDc(4, -3, &bits);
    const COLORREF colours[] = {RGB(0x12, 0x34, 0x56), RGB(255, 255, 255), RGB(1, 29, 1),
                                RGB(126, 126, 126), RGB(0, 0, 0xFF)};
    for (COLORREF c : colours) {
        ASSERT_NE(Fill(dc, {1, 1, 2, 2}, c), 0);
        EXPECT_EQ(GetPixel(dc, 1, 1), c);
        EXPECT_EQ(bits[1 * 4 + 1], (GetRValue(c) << 16u) | (GetGValue(c) << 8u) | GetBValue(c));
    }
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0)) << "a new section is zero-filled";
    // Pixels written straight into the section read back as COLORREF, the
    // unused top byte ignored.
    bits[2 * 4 + 3] = 0xFF0A0B0C;
    EXPECT_EQ(GetPixel(dc, 3, 2), RGB(0x0A, 0x0B, 0x0C));
}

TEST(Gdi, BottomUpSectionKeepsTheTopRowLastInMemory) {
    uint32_t* bits;
    HDC dc = DibDc(2, 3, &bits);
    Fill(dc, {0, 0, 2, 1}, RGB(0xAA, 0, 0));
    EXPECT_EQ(bits[2 * 2], 0x00AA0000u);
    EXPECT_EQ(bits[0], 0u);
}

TEST(Gdi, CompatibleBitmapIsThirtyTwoBitAndZeroFilled) {
    HWND window = ShimCreateWindow(8, 8);
    HDC dc = CreateCompatibleDC(GetDC(window));
    HBITMAP bitmap = CreateCompatibleBitmap(GetDC(window), 5, 4);
    ASSERT_NE(bitmap, nullptr);
    SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 4, 3), RGB(0, 0, 0));
    Fill(dc, {0, 0, 5, 4}, RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 4, 3), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 5, 3), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
    // An empty size gives a bitmap of one pixel.
    for (auto [width, height] : {std::pair{0, 4}, std::pair{5, 0}}) {
        ASSERT_NE(SelectObject(dc, CreateCompatibleBitmap(GetDC(window), width, height)), nullptr);
        EXPECT_NE(GetPixel(dc, 0, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(dc, 1, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(dc, 0, 1), CLR_INVALID);
    }
    // That pixel is the stock bitmap, which deleting leaves as it is.
    HBITMAP stock = CreateCompatibleBitmap(GetDC(window), 0, 0);
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(CreateCompatibleBitmap(GetDC(window), 0, 0), stock);
}

TEST(Gdi, FillRectClipsAndLeavesRightAndBottomEdgesOut) {
    uint32_t* bits;
    HDC dc = DibDc(6, -5, &bits);
    const COLORREF c = RGB(9, 8, 7);
    ASSERT_NE(Fill(dc, {-3, -2, 2, 3}, c), 0);
    ASSERT_NE(Fill(dc, {4, 3, 100, 100}, c), 0);
    ASSERT_NE(Fill(dc, {3, 0, 3, 5}, c), 0) << "empty";
    ASSERT_NE(Fill(dc, {5, 2, 3, 1}, c), 0) << "inverted";
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 6; x++) {
            bool painted = (x < 2 && y < 3) || (x >= 4 && y >= 3);
            EXPECT_EQ(GetPixel(dc, x, y), painted ? c : 0u) << x << "," << y;
        }
}

TEST(Gdi, GetObjectDescribesASolidBrush) {
    HBRUSH brush = CreateSolidBrush(RGB(0, 31, 0));
    LOGBRUSH lb = {99, 0, 99};
    EXPECT_EQ(GetObjectW(brush, sizeof lb, &lb), static_cast<int>(sizeof(LOGBRUSH)));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, RGB(0, 31, 0));
    EXPECT_EQ(GetObjectW(brush, sizeof lb - 1, &lb), 0);
    EXPECT_EQ(GetObjectW(brush, 0, nullptr), static_cast<int>(sizeof(LOGBRUSH)));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectW(brush, sizeof lb, &lb), 0);
}

TEST(Gdi, BadHandlesFailWithoutCrashing) {
    uint32_t* bits;
    HDC dc = DibDc(2, 2, &bits);
    HBRUSH stale = CreateSolidBrush(RGB(1, 1, 1));
    DeleteObject(stale);
    HBRUSH fresh = CreateSolidBrush(RGB(2, 2, 2)); // may take the stale brush's slot
    RECT r = {0, 0, 2, 2};
    auto* bogusDc = reinterpret_cast<HDC>(uintptr_t{0xDEADBEEF});
    EXPECT_EQ(FillRect(dc, &r, stale), 0);
    EXPECT_EQ(FillRect(dc, &r, reinterpret_cast<HBRUSH>(dc)), 0) << "a DC is not a brush";
    EXPECT_EQ(FillRect(nullptr, &r, fresh), 0);
    EXPECT_EQ(FillRect(bogusDc, &r, fresh), 0);
    EXPECT_EQ(FillRect(dc, nullptr, fresh), 0);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(bogusDc, 0, 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(bogusDc, stale), nullptr);
    EXPECT_FALSE(DeleteObject(stale));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_EQ(CreateCompatibleDC(bogusDc), nullptr);
    EXPECT_EQ(SetStretchBltMode(bogusDc, COLORONCOLOR), 0);
    RECT client;
    EXPECT_FALSE(GetClientRect(reinterpret_cast<HWND>(dc), &client));
    EXPECT_EQ(GetDC(nullptr), nullptr);
    EXPECT_FALSE(StretchBlt(dc, 0, 0, 1, 1, bogusDc, 0, 0, 1, 1, SRCCOPY));
    auto* bogusWindow = reinterpret_cast<HWND>(dc);
    int top = 1, rows = 1;
    EXPECT_EQ(ShimPresentCount(bogusWindow), 0u);
    EXPECT_EQ(ShimFrameChanges(bogusWindow, 5, &top, &rows) + top + rows, 0u);
    EXPECT_EQ(ShimReadFrameRows(bogusWindow, bits, 8, 2, 2, 0, 1), 0);
}

TEST(Gdi, SelectObjectSwapsBitmapsAndProtectsSelectedOnes) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    BITMAPINFO info = Dib32(3, 3);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HGDIOBJ stock = SelectObject(first, bitmap);
    ASSERT_NE(stock, nullptr) << "a memory DC starts with the default bitmap";
    EXPECT_EQ(GetPixel(second, 0, 0), RGB(0, 0, 0)) << "the default bitmap is 1 by 1";
    EXPECT_EQ(GetPixel(second, 1, 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr) << "a bitmap lives in one DC at a time";
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(first, stock), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(first, bitmap), nullptr);
    HWND window = ShimCreateWindow(4, 4);
    EXPECT_EQ(SelectObject(GetDC(window), stock), nullptr) << "window DCs take no bitmap";
}

TEST(Gdi, CreateDibSectionTakesOnlyThirtyTwoBitRgb) {
    void* bits = &bits;
    BITMAPINFO info = Dib32(4, 4);
    info.bmiHeader.biBitCount = 24;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    info = Dib32(4, 0);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    info = Dib32(100000, 100000);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

// A 640 by 480 frame whose every pixel names its own position.
static uint32_t FramePixel(int x, int y) {
    return static_cast<uint32_t>(y) << 12 | x;
}

TEST(Gdi, StretchBltMapsEachDestinationPixelToItsNearestSourcePixel) {
    uint32_t* bits;
    HDC frame = DibDc(640, -480, &bits);
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            bits[y * 640 + x] = FramePixel(x, y);
    const int sizes[][2] = {{1280, 960}, {640, 480}, {320, 240}, {641, 479}, {1, 1}, {997, 3}};
    HWND window = ShimCreateWindow(0, 0);
    HDC windowDc = GetDC(window);
    EXPECT_EQ(SetStretchBltMode(windowDc, COLORONCOLOR), 1) << "BLACKONWHITE before";
    EXPECT_EQ(SetStretchBltMode(windowDc, COLORONCOLOR), COLORONCOLOR);
    std::vector<uint32_t> out(1280 * 960);
    for (auto [w, h] : sizes) {
        ShimResizeWindow(window, w, h);
        RECT client;
        ASSERT_TRUE(GetClientRect(window, &client));
        EXPECT_EQ(client.right, w);
        EXPECT_EQ(client.bottom, h);
        ASSERT_TRUE(StretchBlt(windowDc, 0, 0, w, h, frame, 0, 0, 640, 480, SRCCOPY));
        int width, height;
        ASSERT_EQ(ShimReadWindow(window, out.data(), static_cast<int>(out.size()), &width, &height),
                  w * h);
        for (int dy = 0; dy < h; dy++)
            for (int dx = 0; dx < w; dx++)
                ASSERT_EQ(out[dy * w + dx], FramePixel(dx * 640 / w, dy * 480 / h))
                    << w << "x" << h << " at " << dx << "," << dy;
    }
    EXPECT_EQ(ShimPresentCount(window), 6u);
}

// The window keeps its latest present's source rectangle, clipped to the
// source and unscaled, and hands it out only at that size.
TEST(Gdi, WindowKeepsTheSourceOfItsLatestPresent) {
    uint32_t* bits;
    HDC source = DibDc(8, -6, &bits);
    for (int i = 0; i < 48; i++)
        bits[i] = FramePixel(i % 8, i / 8);
    HWND window = ShimCreateWindow(20, 20);
    const struct {
        int sx, sy, swidth, sheight; // source rectangle
        int width, height;           // the part inside the source
    } cases[] = {{0, 0, 8, 6, 8, 6}, {3, 2, 4, 3, 4, 3}, {6, 4, 5, 5, 2, 2}, {-2, -1, 4, 3, 2, 2}};
    int width = -1, height = -1;
    EXPECT_EQ(ShimReadFrame(window, nullptr, 0, 0, 0, &width, &height), 0);
    EXPECT_EQ(width * 100 + height, 0) << "no frame before a present";
    for (const auto& c : cases) {
        ASSERT_TRUE(StretchBlt(GetDC(window), 0, 0, 20, 20, source, c.sx, c.sy, c.swidth, c.sheight,
                               SRCCOPY));
        uint32_t out[6][9] = {};
        const int pitch = 9 * sizeof(uint32_t);
        EXPECT_EQ(ShimReadFrame(window, out, pitch, c.width + 1, c.height, &width, &height), 0);
        EXPECT_EQ(width * 100 + height, c.width * 100 + c.height);
        ASSERT_EQ(ShimReadFrame(window, out, pitch, c.width, c.height, &width, &height),
                  c.width * c.height);
        int left = std::max(c.sx, 0), top = std::max(c.sy, 0);
        for (int y = 0; y < c.height; y++)
            for (int x = 0; x < c.width; x++)
                EXPECT_EQ(out[y][x], FramePixel(left + x, top + y)) << c.sx << "," << c.sy;
    }
    EXPECT_EQ(ShimReadFrame(window, nullptr, 0, 2, 2, &width, &height), 0) << "no buffer";
    EXPECT_EQ(ShimReadFrame(nullptr, nullptr, 0, 0, 0, &width, &height), 0);
    EXPECT_EQ(width * 100 + height, 0) << "no window";
}

// A window that shows an unscaled picture of a bitmap keeps it whole when an
// unscaled present from that bitmap, at the same offset, repaints part of
// it, and takes in that part; any other present's source rectangle becomes
// the picture.
TEST(Gdi, APresentOfPartOfTheKeptPictureReplacesThatPart) {
    uint32_t *bits, *otherBits;
    HDC source = DibDc(8, -6, &bits);
    HDC other = DibDc(8, -6, &otherBits);
    HWND window = ShimCreateWindow(8, 6);
    const struct {
        HDC from;
        int x, y, width, height, sx, sy, swidth, sheight;
        bool resized; // the window resized before the present
        bool inPlace;
    } cases[] = {
        {source, 0, 2, 8, 2, 0, 2, 8, 2, false, true},  // rows
        {source, 3, 1, 2, 2, 3, 1, 2, 2, false, true},  // a cell
        {source, 0, 0, 8, 2, 0, 2, 8, 2, false, false}, // at other offsets
        {source, 2, 2, 4, 2, 0, 2, 4, 2, false, false},
        {source, 0, 2, 8, 4, 0, 2, 8, 2, false, false}, // scaled
        {other, 0, 2, 8, 2, 0, 2, 8, 2, false, false},  // from another bitmap
        {source, 0, 2, 8, 2, 0, 2, 8, 2, true, false},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        const auto& c = cases[i];
        for (int p = 0; p < 48; p++)
            bits[p] = FramePixel(p % 8, p / 8);
        ASSERT_TRUE(StretchBlt(GetDC(window), 0, 0, 8, 6, source, 0, 0, 8, 6, SRCCOPY));
        for (int p = 0; p < 48; p++)
            bits[p] = otherBits[p] = FramePixel(p % 8, p / 8) ^ 0xFF;
        if (c.resized) ShimResizeWindow(window, 8, 6);
        ASSERT_TRUE(StretchBlt(GetDC(window), c.x, c.y, c.width, c.height, c.from, c.sx, c.sy,
                               c.swidth, c.sheight, SRCCOPY));
        uint32_t out[6][8] = {};
        int width = 0, height = 0;
        ShimReadFrame(window, out, sizeof out[0], 8, 6, &width, &height);
        // The rows the present changed: its own in place, else all; all of
        // them since two presents, none since this one.
        unsigned count = ShimPresentCount(window);
        int top = -1, rows = -1;
        EXPECT_EQ(ShimFrameChanges(window, count - 1, &top, &rows), count);
        EXPECT_EQ(top * 100 + rows, c.inPlace ? c.sy * 100 + c.sheight : height) << "case " << i;
        ShimFrameChanges(window, count - 2, &top, &rows);
        EXPECT_EQ(top * 100 + rows, height) << "case " << i;
        ShimFrameChanges(window, count, &top, &rows);
        EXPECT_EQ(rows, 0) << "case " << i;
        if (!c.inPlace) {
            EXPECT_EQ(width * 100 + height, c.swidth * 100 + c.sheight) << "case " << i;
            continue;
        }
        ASSERT_EQ(width * 100 + height, 806) << "case " << i;
        for (int y = 0; y < 6; y++)
            for (int x = 0; x < 8; x++) {
                bool part = x >= c.sx && x < c.sx + c.swidth && y >= c.sy && y < c.sy + c.sheight;
                EXPECT_EQ(out[y][x], FramePixel(x, y) ^ (part ? 0xFF : 0))
                    << "case " << i << " at " << x << "," << y;
            }
    }
}

TEST(Gdi, StretchBltHonoursOffsetsAndLeavesUncoveredPixels) {
    uint32_t *src, *dst;
    HDC from = DibDc(4, -4, &src);
    HDC to = DibDc(6, -6, &dst);
    for (int i = 0; i < 16; i++)
        src[i] = FramePixel(i % 4, i / 4);
    Fill(to, {0, 0, 6, 6}, RGB(0xEE, 0xEE, 0xEE));
    // Source rows 2..3 doubled into destination rows 4..7 (6 and 7 are off
    // the bitmap); source columns 3..4 where column 4 lies outside.
    ASSERT_TRUE(StretchBlt(to, 1, 4, 4, 4, from, 3, 2, 2, 2, SRCCOPY));
    const uint32_t keep = 0x00EEEEEE;
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 6; x++) {
            uint32_t want = keep;
            if (y >= 4 && x >= 1 && x <= 2) want = FramePixel(3, 2 + (y - 4) / 2);
            EXPECT_EQ(dst[y * 6 + x], want) << x << "," << y;
        }
    EXPECT_FALSE(StretchBlt(to, 0, 0, 2, 2, from, 0, 0, 2, 2, 0x00EE0086)) << "SRCPAINT";
    EXPECT_FALSE(StretchBlt(to, 0, 0, -2, 2, from, 0, 0, 2, 2, SRCCOPY));
}

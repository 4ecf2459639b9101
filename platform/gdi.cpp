// GDI for winshim: memory device contexts, 32-bit bitmaps, solid brushes and
// host windows, with the handful of drawing calls the emulator makes.
//
// Every pixel is a DWORD 0x00RRGGBB, as in a 32-bit BI_RGB DIB; a COLORREF
// (0x00BBGGRR) is converted on the way in and out, so GetPixel returns exactly
// the colour FillRect painted. Bitmaps made by CreateCompatibleBitmap are
// 32-bit too, whatever the device context (Windows would make a 1-bit bitmap
// for a memory DC that still holds its default bitmap).
//
// Handles are table slots: kind in bits 0-3, slot index in bits 4-17 and the
// slot's generation in bits 18-31. A null, stale or made-up handle finds no
// live object of its kind and the call fails as Windows' does. One lock
// guards the table and every object in it; a window's pixels have a lock of
// their own, so a host copying them out does not hold up drawing, and the
// emulator's present and the host's resize never overlap. Lock order: the
// table first, then a window.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "winshim_host.h"

namespace {

enum GdiKind : uintptr_t {
    kGdiFree = 0,
    kGdiDc = 1,
    kGdiBitmap = 2,
    kGdiBrush = 3,
    kGdiWindow = 4
};

constexpr uintptr_t kGdiKindBits = 4;
constexpr uintptr_t kGdiIndexBits = 14;
constexpr uintptr_t kGdiGenerationBits = 14;
constexpr uintptr_t kGdiMaxObjects = uintptr_t{1} << kGdiIndexBits;
constexpr int kBlackOnWhite = 1;
constexpr int kHalftone = 4;
// Larger than any screen; keeps width * height well inside size_t and int.
constexpr int kGdiMaxSide = 32767;
constexpr size_t kGdiMaxPixels = size_t{1} << 28;

struct GdiWindow {
    std::mutex lock;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // top-down rows
    unsigned presents = 0;
    std::condition_variable presented;
    std::vector<uint32_t> frame; // the latest present's source, unscaled
    int frameWidth = 0;
    int frameHeight = 0;
    // When the frame came from an unscaled present that covered the client
    // area: its bitmap, its top-left corner in that bitmap, and the window's
    // offset from the bitmap; frameSource is null otherwise.
    HBITMAP frameSource = nullptr;
    int frameLeft = 0;
    int frameTop = 0;
    int64_t frameShiftX = 0;
    int64_t frameShiftY = 0;
    // The rows of the frame the latest present changed.
    int changedTop = 0;
    int changedRows = 0;
    HDC dc = nullptr;
};

struct GdiObject {
    uintptr_t generation = 0;
    uintptr_t kind = kGdiFree;
    // Brush.
    COLORREF color = 0;
    // Bitmap: row y starts at origin + y * stride (negative for bottom-up).
    int width = 0;
    int height = 0;
    uint32_t* origin = nullptr;
    ptrdiff_t stride = 0;
    std::vector<uint32_t> storage;
    HDC selectedIn = nullptr;
    bool stock = false;
    // Device context: a memory DC has a bitmap, a window DC a window.
    HBITMAP bitmap = nullptr;
    GdiWindow* window = nullptr;
    int stretchMode = kBlackOnWhite;
};

// Where a device context draws: its bitmap, or its window's buffer with the
// window locked for as long as this lives.
struct GdiSurface {
    uint32_t* origin = nullptr;
    ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    GdiWindow* window = nullptr;
    std::unique_lock<std::mutex> windowLock;
};

// Never destroyed: the emulator's threads never end and may still be drawing
// while the process exits, and windows stay reachable for leak checkers.
std::mutex& gdiLock = *new std::mutex;
std::vector<GdiObject>& gdiObjects = *new std::vector<GdiObject>;
std::vector<uintptr_t>& gdiFreeSlots = *new std::vector<uintptr_t>;
HBITMAP gdiDefaultBitmap = nullptr;

uintptr_t GdiHandleValue(uintptr_t index) {
    const GdiObject& o = gdiObjects[index];
    return (o.generation << (kGdiKindBits + kGdiIndexBits)) | (index << kGdiKindBits) | o.kind;
}

GdiObject* GdiFind(const void* handle, uintptr_t kind) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if ((value & ((uintptr_t{1} << kGdiKindBits) - 1)) != kind) return nullptr;
    uintptr_t index = (value >> kGdiKindBits) & (kGdiMaxObjects - 1);
    uintptr_t generation = value >> (kGdiKindBits + kGdiIndexBits);
    if (index >= gdiObjects.size()) return nullptr;
    GdiObject& o = gdiObjects[index];
    if (o.kind != kind || o.generation != generation) return nullptr;
    return &o;
}

// A fresh object of the given kind; returns its handle value, 0 when full.
uintptr_t GdiAllocate(uintptr_t kind) {
    uintptr_t index;
    if (!gdiFreeSlots.empty()) {
        index = gdiFreeSlots.back();
        gdiFreeSlots.pop_back();
    } else {
        if (gdiObjects.size() >= kGdiMaxObjects) return 0;
        index = gdiObjects.size();
        gdiObjects.emplace_back();
    }
    GdiObject& o = gdiObjects[index];
    uintptr_t generation = o.generation;
    o = GdiObject{};
    o.generation = generation;
    o.kind = kind;
    return GdiHandleValue(index);
}

void GdiRelease(GdiObject* o) {
    uintptr_t index = static_cast<uintptr_t>(o - gdiObjects.data());
    uintptr_t generation = (o->generation + 1) & ((uintptr_t{1} << kGdiGenerationBits) - 1);
    *o = GdiObject{};
    o->generation = generation;
    gdiFreeSlots.push_back(index);
}

// The 1 by 1 bitmap every memory DC holds until another is selected; it is
// shared, never deleted and may be in any number of DCs at once.
HBITMAP GdiStockBitmap() {
    if (gdiDefaultBitmap) return gdiDefaultBitmap;
    uintptr_t value = GdiAllocate(kGdiBitmap);
    if (!value) return nullptr;
    GdiObject* b = GdiFind(reinterpret_cast<void*>(value), kGdiBitmap);
    b->storage.assign(1, 0);
    b->origin = b->storage.data();
    b->stride = 1;
    b->width = 1;
    b->height = 1;
    b->stock = true;
    gdiDefaultBitmap = reinterpret_cast<HBITMAP>(value);
    return gdiDefaultBitmap;
}

// A 32-bit bitmap of zeros; top-down unless bottomUp. Returns 0 when the
// size is out of range or memory runs out.
HBITMAP GdiNewBitmap(int width, int height, bool bottomUp, void** bits) {
    if (width <= 0 || height <= 0 || width > kGdiMaxSide || height > kGdiMaxSide) return nullptr;
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (count > kGdiMaxPixels) return nullptr;
    uintptr_t value = GdiAllocate(kGdiBitmap);
    if (!value) return nullptr;
    GdiObject* b = GdiFind(reinterpret_cast<void*>(value), kGdiBitmap);
    try {
        b->storage.assign(count, 0);
    } catch (const std::bad_alloc&) {
        GdiRelease(b);
        return nullptr;
    }
    b->width = width;
    b->height = height;
    b->stride = bottomUp ? -static_cast<ptrdiff_t>(width) : width;
    b->origin = b->storage.data() + (bottomUp ? count - width : 0);
    if (bits) *bits = b->storage.data();
    return reinterpret_cast<HBITMAP>(value);
}

// Opens the surface a DC draws on; false for an unknown DC.
bool GdiOpenSurface(HDC dc, GdiSurface& s) {
    GdiObject* d = GdiFind(dc, kGdiDc);
    if (!d) return false;
    if (d->window) {
        s.window = d->window;
        s.windowLock = std::unique_lock<std::mutex>(d->window->lock);
        s.origin = d->window->pixels.data();
        s.stride = d->window->width;
        s.width = d->window->width;
        s.height = d->window->height;
        return true;
    }
    GdiObject* b = GdiFind(d->bitmap, kGdiBitmap);
    if (!b) return false;
    s.origin = b->origin;
    s.stride = b->stride;
    s.width = b->width;
    s.height = b->height;
    return true;
}

uint32_t GdiPixelFromColor(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

COLORREF GdiColorFromPixel(uint32_t p) {
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

GdiWindow* GdiFindWindow(HWND window) {
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* w = GdiFind(window, kGdiWindow);
    return w ? w->window : nullptr;
}

// Counts a present onto the window and keeps its source rectangle, the part
// inside the source (none when memory runs out). An unscaled present onto
// part of a window that shows an unscaled frame of the same bitmap, at the
// same offset, changes only that part of what the window shows: it is
// copied into the frame, which stays as large as it was.
void GdiKeepFrame(GdiWindow& w, const GdiSurface& src, HBITMAP bitmap, int x, int y, int width,
                  int height, int sx, int sy, int swidth, int sheight) {
    w.presents++;
    w.presented.notify_all();
    int left = std::max(sx, 0);
    int top = std::max(sy, 0);
    int columns = static_cast<int>(std::min<int64_t>(int64_t{sx} + swidth, src.width)) - left;
    int rows = static_cast<int>(std::min<int64_t>(int64_t{sy} + sheight, src.height)) - top;
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    bool unscaled = width == swidth && height == sheight;
    bool whole =
        x <= 0 && y <= 0 && int64_t{x} + width >= w.width && int64_t{y} + height >= w.height;
    int64_t shiftX = int64_t{x} - sx;
    int64_t shiftY = int64_t{y} - sy;
    bool inside = left >= w.frameLeft && top >= w.frameTop &&
                  left + columns <= w.frameLeft + w.frameWidth &&
                  top + rows <= w.frameTop + w.frameHeight;
    if (!whole && unscaled && bitmap && bitmap == w.frameSource && inside &&
        shiftX == w.frameShiftX && shiftY == w.frameShiftY) {
        for (int row = 0; row < rows; row++)
            std::memcpy(w.frame.data() +
                            static_cast<size_t>(top - w.frameTop + row) * w.frameWidth +
                            (left - w.frameLeft),
                        src.origin + (top + row) * src.stride + left, columns * sizeof(uint32_t));
        w.changedTop = top - w.frameTop;
        w.changedRows = rows;
        return;
    }
    try {
        w.frame.resize(static_cast<size_t>(columns) * rows);
    } catch (const std::bad_alloc&) {
        columns = rows = 0;
        w.frame.clear();
    }
    w.frameWidth = columns;
    w.frameHeight = rows;
    for (int row = 0; row < rows; row++)
        std::memcpy(w.frame.data() + static_cast<size_t>(row) * columns,
                    src.origin + (top + row) * src.stride + left, columns * sizeof(uint32_t));
    w.frameSource = whole && unscaled ? bitmap : nullptr;
    w.frameLeft = left;
    w.frameTop = top;
    w.frameShiftX = shiftX;
    w.frameShiftY = shiftY;
    w.changedTop = 0;
    w.changedRows = rows;
}

// With the window's lock held: copies rows top to top + rows - 1 of its
// frame, which must be width by height, into pixels, rows pitch bytes apart.
int GdiCopyFrame(const GdiWindow& w, void* pixels, int pitch, int width, int height, int top,
                 int rows) {
    if (!pixels || width != w.frameWidth || height != w.frameHeight || width == 0 ||
        pitch < width * static_cast<int>(sizeof(uint32_t)) || top < 0 || rows < 0 ||
        rows > height - top)
        return 0;
    for (int y = 0; y < rows; y++)
        std::memcpy(static_cast<char*>(pixels) + static_cast<ptrdiff_t>(y) * pitch,
                    w.frame.data() + static_cast<size_t>(top + y) * width,
                    width * sizeof(uint32_t));
    return width * rows;
}

} // namespace

extern "C" {

HDC CreateCompatibleDC(HDC dc) {
    std::lock_guard<std::mutex> hold(gdiLock);
    if (dc && !GdiFind(dc, kGdiDc)) return nullptr;
    HBITMAP stock = GdiStockBitmap();
    if (!stock) return nullptr;
    uintptr_t value = GdiAllocate(kGdiDc);
    if (!value) return nullptr;
    GdiFind(reinterpret_cast<void*>(value), kGdiDc)->bitmap = stock;
    return reinterpret_cast<HDC>(value);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    std::lock_guard<std::mutex> hold(gdiLock);
    if (!GdiFind(dc, kGdiDc) || width < 0 || height < 0) return nullptr;
    // As on Windows, an empty size gives the stock 1 by 1 bitmap.
    if (width == 0 || height == 0) return GdiStockBitmap();
    return GdiNewBitmap(width, height, false, nullptr);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB ||
        h.biHeight == INT32_MIN)
        return nullptr;
    std::lock_guard<std::mutex> hold(gdiLock);
    return GdiNewBitmap(h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight, h.biHeight > 0, bits);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* d = GdiFind(dc, kGdiDc);
    GdiObject* b = GdiFind(object, kGdiBitmap);
    // Only bitmaps, and only into memory DCs; a bitmap lives in one DC at a time.
    if (!d || !b || d->window) return nullptr;
    HBITMAP previous = d->bitmap;
    if (previous == object) return previous;
    if (!b->stock && b->selectedIn) return nullptr;
    GdiObject* p = GdiFind(previous, kGdiBitmap);
    if (p && !p->stock) p->selectedIn = nullptr;
    if (!b->stock) b->selectedIn = dc;
    d->bitmap = static_cast<HBITMAP>(object);
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    std::lock_guard<std::mutex> hold(gdiLock);
    if (GdiObject* brush = GdiFind(object, kGdiBrush)) {
        GdiRelease(brush);
        return TRUE;
    }
    GdiObject* b = GdiFind(object, kGdiBitmap);
    if (!b) return FALSE;
    if (b->stock) return TRUE;
    // A bitmap still selected into a DC stays: the DC would draw into freed memory.
    if (b->selectedIn) return FALSE;
    GdiRelease(b);
    return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    std::lock_guard<std::mutex> hold(gdiLock);
    uintptr_t value = GdiAllocate(kGdiBrush);
    if (!value) return nullptr;
    GdiFind(reinterpret_cast<void*>(value), kGdiBrush)->color = color;
    return reinterpret_cast<HBRUSH>(value);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (!rect) return 0;
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* b = GdiFind(brush, kGdiBrush);
    GdiSurface s;
    if (!b || !GdiOpenSurface(dc, s)) return 0;
    int left = std::max<LONG>(rect->left, 0);
    int top = std::max<LONG>(rect->top, 0);
    int right = std::min<LONG>(rect->right, s.width);
    int bottom = std::min<LONG>(rect->bottom, s.height);
    uint32_t pixel = GdiPixelFromColor(b->color);
    for (int y = top; y < bottom; y++) {
        uint32_t* row = s.origin + y * s.stride;
        std::fill(row + left, row + std::max(left, right), pixel);
    }
    return 1;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiSurface s;
    if (!GdiOpenSurface(dc, s) || x < 0 || y < 0 || x >= s.width || y >= s.height)
        return CLR_INVALID;
    return GdiColorFromPixel(s.origin[y * s.stride + x]);
}

int GetObjectW(HGDIOBJ object, int size, void* out) {
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* b = GdiFind(object, kGdiBrush);
    if (!b) return 0;
    if (!out) return sizeof(LOGBRUSH);
    if (size < static_cast<int>(sizeof(LOGBRUSH))) return 0;
    LOGBRUSH brush = {BS_SOLID, b->color, 0};
    std::memcpy(out, &brush, sizeof brush);
    return sizeof(LOGBRUSH);
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    if (!rect) return FALSE;
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* w = GdiFind(window, kGdiWindow);
    if (!w) return FALSE;
    std::lock_guard<std::mutex> holdWindow(w->window->lock);
    *rect = RECT{0, 0, w->window->width, w->window->height};
    return TRUE;
}

HDC GetDC(HWND window) {
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* w = GdiFind(window, kGdiWindow);
    return w ? w->window->dc : nullptr;
}

int ReleaseDC(HWND window, HDC dc) {
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* w = GdiFind(window, kGdiWindow);
    return w && w->window->dc == dc ? 1 : 0;
}

int SetStretchBltMode(HDC dc, int mode) {
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* d = GdiFind(dc, kGdiDc);
    if (!d || mode < kBlackOnWhite || mode > kHalftone) return 0;
    int previous = d->stretchMode;
    d->stretchMode = mode;
    return previous;
}

// Nearest-pixel stretch in every mode (COLORONCOLOR): destination pixel
// (dx, dy) takes source pixel (sx + floor((dx - x) * swidth / width),
// sy + floor((dy - y) * sheight / height)). Destination pixels outside the
// destination, or whose source pixel lies outside the source, are left as
// they are. All four sizes must be positive (no mirroring); the source must
// be a memory DC.
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy,
                int swidth, int sheight, DWORD rop) {
    if (rop != SRCCOPY || width <= 0 || height <= 0 || swidth <= 0 || sheight <= 0) return FALSE;
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiObject* from = GdiFind(source, kGdiDc);
    GdiSurface src, dst;
    if (!from || from->window || !GdiOpenSurface(source, src) || !GdiOpenSurface(dest, dst))
        return FALSE;
    int left = std::max(x, 0);
    int right = static_cast<int>(std::min<int64_t>(int64_t{x} + width, dst.width));
    int top = std::max(y, 0);
    int bottom = static_cast<int>(std::min<int64_t>(int64_t{y} + height, dst.height));
    thread_local std::vector<int> columns;
    if (left < right) columns.resize(right - left);
    bool everyColumn = true;
    for (int dx = left; dx < right; dx++) {
        int64_t column = sx + (int64_t{dx} - x) * swidth / width;
        bool inside = column >= 0 && column < src.width;
        columns[dx - left] = inside ? static_cast<int>(column) : -1;
        everyColumn = everyColumn && inside;
    }
    int64_t previousRow = -1;
    for (int dy = top; dy < bottom; dy++) {
        int64_t row = sy + (int64_t{dy} - y) * sheight / height;
        uint32_t* out = dst.origin + dy * dst.stride;
        if (row < 0 || row >= src.height) {
            previousRow = -1;
        } else if (row == previousRow && everyColumn) {
            // A row that repeats the source row of the row above copies it.
            std::memcpy(out + left, out - dst.stride + left, (right - left) * sizeof(uint32_t));
        } else if (width == swidth && everyColumn && left < right) {
            // Unstretched, the source columns follow one another.
            const uint32_t* in = src.origin + row * src.stride;
            std::memcpy(out + left, in + columns[0], (right - left) * sizeof(uint32_t));
            previousRow = row;
        } else {
            const uint32_t* in = src.origin + row * src.stride;
            for (int dx = left; dx < right; dx++) {
                int column = columns[dx - left];
                if (column >= 0) out[dx] = in[column];
            }
            previousRow = row;
        }
    }
    if (dst.window)
        GdiKeepFrame(*dst.window, src, from->bitmap, x, y, width, height, sx, sy, swidth, sheight);
    return TRUE;
}

BOOL GdiFlush(void) {
    return TRUE;
}

HWND ShimCreateWindow(int width, int height) {
    if (width < 0 || height < 0 || width > kGdiMaxSide || height > kGdiMaxSide) return nullptr;
    std::lock_guard<std::mutex> hold(gdiLock);
    GdiWindow* window = new (std::nothrow) GdiWindow;
    if (!window) return nullptr;
    try {
        window->pixels.assign(static_cast<size_t>(width) * height, 0);
    } catch (const std::bad_alloc&) {
        delete window;
        return nullptr;
    }
    window->width = width;
    window->height = height;
    uintptr_t windowValue = GdiAllocate(kGdiWindow);
    uintptr_t dcValue = windowValue ? GdiAllocate(kGdiDc) : 0;
    if (!dcValue) {
        if (windowValue) GdiRelease(GdiFind(reinterpret_cast<void*>(windowValue), kGdiWindow));
        delete window;
        return nullptr;
    }
    window->dc = reinterpret_cast<HDC>(dcValue);
    GdiFind(reinterpret_cast<void*>(windowValue), kGdiWindow)->window = window;
    GdiFind(reinterpret_cast<void*>(dcValue), kGdiDc)->window = window;
    return reinterpret_cast<HWND>(windowValue);
}

void ShimResizeWindow(HWND window, int width, int height) {
    if (width < 0 || height < 0 || width > kGdiMaxSide || height > kGdiMaxSide) return;
    GdiWindow* w = GdiFindWindow(window);
    if (!w) return;
    std::lock_guard<std::mutex> hold(w->lock);
    try {
        w->pixels.assign(static_cast<size_t>(width) * height, 0);
    } catch (const std::bad_alloc&) {
        width = height = 0;
        w->pixels.clear();
    }
    w->width = width;
    w->height = height;
    w->frameSource = nullptr; // the window no longer shows the frame
}

int ShimReadWindow(HWND window, uint32_t* pixels, int capacity, int* width, int* height) {
    if (width) *width = 0;
    if (height) *height = 0;
    GdiWindow* w = GdiFindWindow(window);
    if (!w) return 0;
    std::lock_guard<std::mutex> hold(w->lock);
    if (width) *width = w->width;
    if (height) *height = w->height;
    int count = w->width * w->height;
    if (!pixels || count > capacity) return 0;
    std::memcpy(pixels, w->pixels.data(), static_cast<size_t>(count) * sizeof(uint32_t));
    return count;
}

int ShimReadFrame(HWND window, void* pixels, int pitch, int width, int height, int* frameWidth,
                  int* frameHeight) {
    if (frameWidth) *frameWidth = 0;
    if (frameHeight) *frameHeight = 0;
    GdiWindow* w = GdiFindWindow(window);
    if (!w) return 0;
    std::lock_guard<std::mutex> hold(w->lock);
    if (frameWidth) *frameWidth = w->frameWidth;
    if (frameHeight) *frameHeight = w->frameHeight;
    return GdiCopyFrame(*w, pixels, pitch, width, height, 0, height);
}

unsigned ShimFrameChanges(HWND window, unsigned since, int* top, int* rows) {
    if (top) *top = 0;
    if (rows) *rows = 0;
    GdiWindow* w = GdiFindWindow(window);
    if (!w) return 0;
    std::lock_guard<std::mutex> hold(w->lock);
    bool one = w->presents - since == 1;
    if (top) *top = one ? w->changedTop : 0;
    if (rows) *rows = one ? w->changedRows : w->presents == since ? 0 : w->frameHeight;
    return w->presents;
}

int ShimReadFrameRows(HWND window, void* pixels, int pitch, int width, int height, int top,
                      int rows) {
    GdiWindow* w = GdiFindWindow(window);
    if (!w) return 0;
    std::lock_guard<std::mutex> hold(w->lock);
    return GdiCopyFrame(*w, pixels, pitch, width, height, top, rows);
}

unsigned ShimPresentCount(HWND window) {
    GdiWindow* w = GdiFindWindow(window);
    if (!w) return 0;
    std::lock_guard<std::mutex> hold(w->lock);
    return w->presents;
}

unsigned ShimWaitPresent(HWND window, unsigned seen, int timeoutMs) {
    GdiWindow* w = GdiFindWindow(window);
    if (!w) return 0;
    std::unique_lock<std::mutex> hold(w->lock);
    auto moved = [&] { return w->presents != seen; };
    if (timeoutMs < 0)
        w->presented.wait(hold, moved);
    else
        w->presented.wait_for(hold, std::chrono::milliseconds(timeoutMs), moved);
    return w->presents;
}

} // extern "C"

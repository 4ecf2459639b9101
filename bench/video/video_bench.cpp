// Frame times of DrawScreen and of the reference renderer (a FillRect per
// fill, GetPixel and a temporary brush per fill on later pages) for a full
// 80 by 25 page of glyphs with attributes and for six such pages; and of
// DrawScreen when nothing on the screen changed, so it keeps the frame.
//
//   video_bench [fast frames] [reference frames]   (per batch; 5 batches)
//
// Each case runs twice: presenting onto a 640 by 480 window, and onto a
// window of no width, which skips the present and leaves the renderer alone.
//
// The reference's FillRect and GetPixel are winshim's here, a few nanoseconds
// a call; a real GDI (measured under Wine) takes about 0.85 us a FillRect and
// 0.39 us a GetPixel. The last column prices the reference's calls at those
// costs, the frame time the one-fill-per-dot way has on Windows, against
// DrawScreen.
#include "bus/bus.h"
#include "state/machine_state.h"
#include "reference/reference_renderer.h"
#include "video/palette.h"
#include "video/screen.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <winshim_host.h>

constexpr int kScreen = 0x8000;

static void BenchScreen(void) {
    std::mt19937 rng(80);
    for (auto& byte : machine.fontRom)
        byte = static_cast<uint8_t>(rng() & rng()); // about a quarter of the dots set
    for (int page = 0; page < 6; ++page) {
        for (int row = 0; row < 25; ++row) {
            int base = kScreen + page * 3000 + row * 120;
            for (int c = 0; c < 80; ++c)
                BusAccess(base + c, 0x21 + (row * 80 + c + page) % 94, MemWrite);
            // Colour changes and reverse, underline, overline and a vertical
            // line across the row; the other pairs are switched off.
            const uint8_t pairs[][2] = {{0, 0xE8},  {0, 0x00},  {10, 0x48}, {20, 0x04}, {30, 0x88},
                                        {40, 0x20}, {50, 0x28}, {60, 0x10}, {70, 0xC8}, {75, 0x40}};
            for (int j = 0; j < 20; ++j) {
                bool used = j < 10;
                BusAccess(base + 80 + 2 * j, used ? pairs[j][0] : 0x60, MemWrite);
                BusAccess(base + 81 + 2 * j, used ? pairs[j][1] : 0, MemWrite);
            }
        }
    }
    Put(machine.dmaAddress[2], kScreen);
    Put(machine.columns80, 1);
    Put(machine.rows25, 1);
    Put(machine.cursorX, 5);
    Put(machine.cursorY, 3);
}

// A frame that must be painted anew: the cursor moves a column first.
static void DrawMoved(void) {
    Put(machine.cursorX, (Get(machine.cursorX) + 1) % 80);
    DrawScreen();
}

static void DrawUnchanged(void) {
    DrawScreen();
}

// The best of five batches: the machines are shared, and the best batch is
// the one least disturbed by other work.
constexpr double kGdiFillRectUs = 0.85;
constexpr double kGdiGetPixelUs = 0.39;

static double MsPerFrame(void (*draw)(void), int frames) {
    double best = 1e300;
    for (int batch = 0; batch < 5; ++batch) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < frames; ++i)
            draw();
        std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        best = std::min(best, spent.count() / frames);
    }
    return best;
}

int main(int argc, char** argv) {
    int fastFrames = argc > 1 ? std::atoi(argv[1]) : 200;
    int referenceFrames = argc > 2 ? std::atoi(argv[2]) : 4;
    machine.hostWindow = ShimCreateWindow(kFrameWidth, kFrameHeight);
    machine.windowDc = GetDC(machine.hostWindow);
    if (!CreateFrame(machine.windowDc)) {
        std::fprintf(stderr, "no frame\n");
        return 1;
    }
    BuildPalette();
    BenchScreen();

    std::printf("%-24s %11s %11s %6s %9s %9s %10s %6s %11s\n", "case", "DrawScreen", "reference",
                "ratio", "FillRect", "GetPixel", "as GDI", "ratio", "unchanged");
    for (int present = 1; present >= 0; --present) {
        ShimResizeWindow(machine.hostWindow, present ? kFrameWidth : 0, kFrameHeight);
        for (int count : {2999, 16383}) {
            Put(machine.dmaCount[2], count);
            DrawScreen(); // warm up
            double fast = MsPerFrame(DrawMoved, fastFrames);
            double unchanged = MsPerFrame(DrawUnchanged, fastFrames);
            double reference = MsPerFrame(RefDrawScreen, referenceFrames);
            refFillRectCalls = refGetPixelCalls = 0;
            RefDrawScreen();
            double gdi =
                (refFillRectCalls * kGdiFillRectUs + refGetPixelCalls * kGdiGetPixelUs) / 1000;
            char name[64];
            std::snprintf(name, sizeof name, "%s, %s", count < 3000 ? "1 page" : "6 pages",
                          present ? "with present" : "no present");
            std::printf("%-24s %8.3f ms %8.3f ms %5.0fx %9ld %9ld %7.1f ms %5.0fx %8.4f ms\n", name,
                        fast, reference, reference / fast, refFillRectCalls, refGetPixelCalls, gdi,
                        gdi / fast, unchanged);
        }
    }
    return 0;
}

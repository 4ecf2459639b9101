#include "web/web_machine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>
#include <winshim_host.h>

#include "core/machine.h"
#include "core/z80home.h"
#include "devices/beeper.h"
#include "state/machine_state.h"
#include "video/screen.h"

namespace {

struct WebMachine {
    HWND window = nullptr;
    double nowMs = 0;
    double nextSliceMs = 0;
    double nextFrameMs = 0;
    unsigned shownPresents = 0; // the window's presents the page has had
    // The rows painted since the page last had the picture, from changedTop
    // to the one before changedBottom; the rest of rgba is as it had it.
    int changedTop = kFrameHeight;
    int changedBottom = 0;
    int drawnTop = 0; // the rows the last picture handed changed
    int drawnRows = 0;
    std::vector<uint8_t> rgba;
};

WebMachine web;

// The frame's rows from top to the one before bottom into the canvas bytes.
// The window is the frame's size, so once presented it shows the frame
// unscaled.
void WebCanvasRows(int top, int bottom) {
    uint8_t* out = web.rgba.data() + static_cast<size_t>(top) * kFrameWidth * 4;
    const uint32_t* end = machine.framePixels + static_cast<size_t>(bottom) * kFrameWidth;
    for (const uint32_t* in = machine.framePixels + static_cast<size_t>(top) * kFrameWidth;
         in < end; in++) {
        *out++ = static_cast<uint8_t>(*in >> 16);
        *out++ = static_cast<uint8_t>(*in >> 8);
        *out++ = static_cast<uint8_t>(*in);
        *out++ = 0xFF;
    }
}

double WebWallMs() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

} // namespace

int WebStart(void) {
    if (web.window) return 0;
    HWND window = ShimCreateWindow(kFrameWidth, kFrameHeight);
    if (!window || !MachineStart(window, GetDC(window))) return 0;
    web.window = window;
    web.rgba.resize(static_cast<size_t>(kFrameWidth) * kFrameHeight * 4);
    // The page repaints its canvas itself: only a changed picture is
    // presented.
    CtlEmulator(WM_PAINT, 0, 0);
    return 1;
}

int WebAdvance(double elapsedMs) {
    if (!web.window || !std::isfinite(elapsedMs)) return 0;
    web.nowMs += std::clamp(elapsedMs, 0.0, kWebLongestStepMs);
    int slices = 0;
    for (; web.nextSliceMs <= web.nowMs; web.nextSliceMs += kShortestSliceMs) {
        CpuRunSlice();
        slices++;
    }
    BeepFollow();
    return slices;
}

const uint8_t* WebDraw(void) {
    if (!web.window) return nullptr;
    // After a long stall the frames owed are at most a step's worth.
    web.nextFrameMs = std::max(web.nextFrameMs, web.nowMs - kWebLongestStepMs);
    for (; web.nextFrameMs <= web.nowMs; web.nextFrameMs += kShortestFrameMs) {
        DrawScreen();
        web.changedTop = std::min(web.changedTop, machine.screenDirtyTop);
        web.changedBottom = std::max(web.changedBottom, machine.screenDirtyBottom);
    }
    unsigned presents = ShimPresentCount(web.window);
    bool presented = presents != web.shownPresents;
    web.shownPresents = presents;
    // A present that changed no row (a repaint asked for) leaves the canvas.
    if (!presented || web.changedTop >= web.changedBottom) return nullptr;
    web.drawnTop = web.changedTop;
    web.drawnRows = web.changedBottom - web.changedTop;
    WebCanvasRows(web.changedTop, web.changedBottom);
    web.changedTop = kFrameHeight;
    web.changedBottom = 0;
    return web.rgba.data();
}

int WebDrawnTop(void) {
    return web.drawnTop;
}

int WebDrawnRows(void) {
    return web.drawnRows;
}

int WebRomSize(int which) {
    return which ? kFontRomSize : kBasicRomSize;
}

double WebMeasureMhz(double wallMs) {
    double start = WebWallMs();
    double cycles = 0;
    double spent = 0;
    do {
        cycles += CpuRunSlice();
        spent = WebWallMs() - start;
    } while (spent < wallMs);
    return cycles / spent / 1000;
}

double WebMeasureDrawMs(int frames) {
    double start = WebWallMs();
    for (int i = 0; i < frames; i++) {
        DrawScreen();
        WebCanvasRows(0, kFrameHeight);
    }
    return (WebWallMs() - start) / std::max(frames, 1);
}

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
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> rgba;
};

WebMachine web;

// The window's pixels as canvas bytes.
const uint8_t* WebCanvasBytes() {
    int width = 0, height = 0;
    ShimReadWindow(web.window, web.pixels.data(), static_cast<int>(web.pixels.size()), &width,
                   &height);
    uint8_t* out = web.rgba.data();
    for (uint32_t pixel : web.pixels) {
        *out++ = static_cast<uint8_t>(pixel >> 16);
        *out++ = static_cast<uint8_t>(pixel >> 8);
        *out++ = static_cast<uint8_t>(pixel);
        *out++ = 0xFF;
    }
    return web.rgba.data();
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
    web.pixels.resize(static_cast<size_t>(kFrameWidth) * kFrameHeight);
    web.rgba.resize(web.pixels.size() * 4);
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
    for (; web.nextFrameMs <= web.nowMs; web.nextFrameMs += kShortestFrameMs)
        DrawScreen();
    unsigned presents = ShimPresentCount(web.window);
    if (presents == web.shownPresents) return nullptr;
    web.shownPresents = presents;
    return WebCanvasBytes();
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
        WebCanvasBytes();
    }
    return (WebWallMs() - start) / std::max(frames, 1);
}

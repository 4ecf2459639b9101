#include "web/web_machine.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <string>
#include <vector>
#include <winshim_host.h>

#include "core/machine.h"
#include "core/z80home.h"
#include "devices/beeper.h"
#include "host/host_input.h"
#include "state/machine_state.h"
#include "video/screen.h"

namespace {

struct WebMachine {
    HWND window = nullptr;
    double nowMs = 0;
    double nextSliceMs = 0;
    // Pasted keys: events due at pasteOriginMs + atMs; pasteNext is the
    // first not yet delivered.
    HostInput paste;
    size_t pasteNext = 0;
    double pasteOriginMs = 0;
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> rgba;
};

WebMachine web;

double WebNextKeyMs() {
    if (web.pasteNext >= web.paste.events.size()) return std::numeric_limits<double>::infinity();
    return web.pasteOriginMs + web.paste.events[web.pasteNext].atMs;
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
    return 1;
}

int WebAdvance(double elapsedMs) {
    if (!web.window) return 0;
    web.nowMs += std::clamp(elapsedMs, 0.0, kWebLongestStepMs);
    int slices = 0;
    for (;;) {
        double key = WebNextKeyMs();
        double next = std::min(key, web.nextSliceMs);
        if (next > web.nowMs) break;
        if (key == next) {
            const HostEvent& event = web.paste.events[web.pasteNext++];
            CtlEmulator(event.message, event.wParam, event.lParam);
        } else {
            CpuRunSlice();
            web.nextSliceMs += kShortestSliceMs;
            slices++;
        }
    }
    BeepFollow();
    return slices;
}

const uint8_t* WebDraw(void) {
    if (!web.window) return nullptr;
    DrawScreen();
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

int WebPaste(const char* text) {
    if (!text) return 0;
    if (web.pasteNext >= web.paste.events.size()) {
        web.paste = HostInput{};
        web.pasteNext = 0;
        web.pasteOriginMs = web.nowMs;
    }
    int typed = 0;
    std::string error;
    for (const char* c = text; *c; c++) {
        if (*c == '\r' && c[1] == '\n') continue;
        char key = *c == '\r' ? '\n' : *c;
        if (HostTypeText(web.paste, std::string_view(&key, 1), error)) typed++;
    }
    return typed;
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
    for (int i = 0; i < frames; i++)
        WebDraw();
    return (WebWallMs() - start) / std::max(frames, 1);
}

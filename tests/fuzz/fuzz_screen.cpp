// The renderer: random video memory, registers set through their ports as
// the program sets them, any green and PCG option, any carried renderer
// state and any window size, then one DrawScreen of at most three pages.
//
// Beyond the sanitizers: a one-page screen paints only palette colours (a
// blank display only its own), and a frame reaches the window exactly when
// the window has an area.
#include <algorithm>
#include <cstdlib>
#include <vector>
#include <winshim_host.h>

#include "bus/bus.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "tests/fuzz/fuzz_support.h"
#include "video/palette.h"
#include "video/screen.h"

namespace {

constexpr int kPageBytes = 3000;
constexpr int kMostPages = 3;

void Check(bool ok) {
    if (!ok) std::abort();
}

void Out(int port, int value) {
    BusAccess(port, value, PortWrite);
}

int WindowSide(uint8_t choice) {
    return choice < 32 ? 0 : choice;
}

uint32_t PixelOf(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

bool InPalette(uint32_t pixel) {
    static const std::vector<uint32_t> palette = [] {
        std::vector<uint32_t> colours;
        for (COLORREF color : machine.brushColors)
            colours.push_back(PixelOf(color));
        std::sort(colours.begin(), colours.end());
        return colours;
    }();
    return std::binary_search(palette.begin(), palette.end(), pixel);
}

// Looks at each run of equal pixels once.
FUZZ_UNTRACED void CheckFramePalette(void) {
    uint32_t last = ~0u;
    for (int i = 0; i < kFrameWidth * kFrameHeight; i++) {
        uint32_t pixel = machine.framePixels[i];
        if (pixel == last) continue;
        Check(InPalette(pixel));
        last = pixel;
    }
}

FUZZ_UNTRACED void CheckFrameBlank(void) {
    int index = (Get(machine.greenDisplay) ? kPaletteGreen : 0) + kPaletteDisplayOff;
    uint32_t blank = PixelOf(machine.brushColors[index]);
    for (int i = 0; i < kFrameWidth * kFrameHeight; i++)
        Check(machine.framePixels[i] == blank);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool roms = FuzzLoadRoms();
    (void)roms;
    FuzzResetMachine();
    FuzzInput in{data, size};
    HWND window = FuzzWindow();
    int width = WindowSide(in.Byte());
    int height = WindowSide(in.Byte());
    ShimResizeWindow(window, width, height);

    Out(0x30, in.Byte());
    Out(0x31, in.Byte());
    Out(0x51, 0x00); // reset: five parameters
    for (int i = 0; i < 5; i++)
        Out(0x50, in.Byte());
    Out(0x51, in.Byte() & 1 ? 0x81 : 0x80); // cursor: column and row follow, or off
    Out(0x50, in.Byte());
    Out(0x50, in.Byte());
    for (int i = 0; i < 2; i++)
        Out(0x64, in.Byte());
    // The count register, low byte first: at most kMostPages pages drawn.
    uint16_t count = in.Word() % (kMostPages * kPageBytes);
    Out(0x65, count & 0xFF);
    Out(0x65, count >> 8);
    SetGreenDisplay(in.Byte());
    SetPCG(in.Byte());
    uint32_t seed = in.Long() | 1;
    for (auto& byte : machine.pcgRam) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        Put(byte, seed & 0xFF);
    }
    machine.currentAttr = in.Byte();
    machine.drawColor = in.Byte();
    machine.pageIndex = in.Byte();
    machine.cursorBlinkPhase = in.Byte() & 1;
    machine.attrBlinkPhase = in.Byte() & 1;
    machine.blinkCounter = in.Byte();

    // The rest is the screen area, from the DMA address on (wrapping).
    int start = Get(machine.dmaAddress[2]);
    int screenBytes = static_cast<int>(size - std::min(size, in.at));
    for (int i = 0; i < screenBytes; i++)
        BusAccess(start + i, data[in.at + i], MemWrite);

    unsigned presents = ShimPresentCount(window);
    DrawScreen();
    Check(ShimPresentCount(window) == presents + (width && height ? 1 : 0));
    if (Get(machine.displayOn) != 1)
        CheckFrameBlank();
    else if (count < kPageBytes)
        CheckFramePalette();
    return 0;
}

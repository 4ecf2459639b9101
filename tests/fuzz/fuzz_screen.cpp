// The renderer: random video memory, registers set through their ports as
// the program sets them, any green and PCG option, any carried renderer
// state and any window size, then one DrawScreen of at most two pages.
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
// The first page paints and the second blends over it; a third would
// only blend again.
constexpr int kMostPages = 2;

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

// One bit per 24-bit colour, set for the palette's: a frame is checked by a
// lookup per pixel with no branch to mispredict.
std::vector<uint64_t> PaletteBits(void) {
    std::vector<uint64_t> bits((1u << 24) / 64);
    for (COLORREF color : machine.brushColors) {
        uint32_t pixel = PixelOf(color);
        bits[pixel / 64] |= uint64_t{1} << (pixel % 64);
    }
    return bits;
}

FUZZ_UNTRACED void CheckFramePalette(void) {
    static const std::vector<uint64_t> palette = PaletteBits();
    const uint64_t* bits = palette.data();
    uint64_t all = 1;
    uint32_t above = 0; // any bit above the 24 of a colour
    for (int i = 0; i < kFrameWidth * kFrameHeight; i++) {
        uint32_t pixel = machine.framePixels[i];
        above |= pixel;
        pixel &= 0xFFFFFF;
        all &= bits[pixel / 64] >> (pixel % 64);
    }
    Check((all & 1) && (above >> 24) == 0);
}

FUZZ_UNTRACED void CheckFrameBlank(void) {
    int index = (Get(machine.greenDisplay) ? kPaletteGreen : 0) + kPaletteDisplayOff;
    uint32_t blank = PixelOf(machine.brushColors[index]);
    uint32_t differs = 0;
    for (int i = 0; i < kFrameWidth * kFrameHeight; i++)
        differs |= machine.framePixels[i] ^ blank;
    Check(differs == 0);
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

#include "core/machine.h"
#include "tests/video/video_support.h"

#include "bus/bus.h"
#include "state/machine_state.h"
#include "video/palette.h"
#include "video/screen.h"

#include <gtest/gtest.h>
#include <winshim_host.h>

void VideoPrepare(void) {
    if (!machine.framePixels) {
        machine.hostWindow = ShimCreateWindow(kFrameWidth, kFrameHeight);
        machine.windowDc = GetDC(machine.hostWindow);
        ASSERT_TRUE(CreateFrame(machine.windowDc));
        BuildPalette();
    }
    MachinePowerOn();
    for (auto& byte : machine.fontRom)
        byte = 0;
    for (auto& byte : machine.basicRom)
        byte = 0;
    Put(machine.columns80, 1);
    Put(machine.rows25, 1);
    Put(machine.dmaAddress[2], kScreenBase);
    Put(machine.dmaCount[2], 2999);
    machine.blinkCounter = 1;
    Put(machine.hostPaints, 0);
    Put(machine.repaintWanted, 0);
    machine.shownClient = RECT{0, 0, 0, 0};
    for (int page = 0; page < 6; ++page)
        for (int row = 0; row < 25; ++row)
            for (int pair = 0; pair < 20; ++pair)
                SetPair(row, pair, 0x60, 0, page);
}

void PokeScreen(int offset, int value) {
    BusAccess(kScreenBase + offset, value, MemWrite);
}

void SetCode(int row, int column, int code, int page) {
    PokeScreen(page * 3000 + row * 120 + column, code);
}

void SetPair(int row, int pair, int position, int value, int page) {
    PokeScreen(page * 3000 + row * 120 + 80 + 2 * pair, position);
    PokeScreen(page * 3000 + row * 120 + 81 + 2 * pair, value);
}

void SetGlyph(int code, uint8_t pattern) {
    for (int line = 0; line < 8; ++line)
        machine.fontRom[code * 8 + line] = pattern;
}

COLORREF FramePixel(int x, int y) {
    return GetPixel(machine.frameDc, x, y);
}

COLORREF CellDot(int row, int column, int x, int y) {
    int hScale = Get(machine.columns80) ? 100 : 200;
    int vScale = Get(machine.rows25) ? 240 : 300;
    return FramePixel((8 * column + x) * hScale / 100, (8 * row + y) * vScale / 100);
}

// The palette: a fixed table of colours, one solid brush each.
//
// The background entries (32-39, 160-167) sit one step away from the
// foreground ones in every channel, so that a pixel read back from the frame
// tells background from foreground even for the same colour code; the page
// blending relies on it.
#include "video/palette.h"

#include "state/machine_state.h"

// One channel of colour code c: bit 0 blue, bit 1 red, bit 2 green.
static COLORREF PaletteDigital(int code, int on, int off) {
    return RGB((code & 2) ? on : off, (code & 4) ? on : off, (code & 1) ? on : off);
}

static COLORREF PaletteGreen(int red, int green) {
    return RGB(red, green, red);
}

COLORREF PaletteColor(int index) {
    if (index >= 0 && index <= 7) return PaletteDigital(index, 255, 0);
    if (index == 9) return RGB(255, 255, 255);
    if (index >= 16 && index <= 23) return PaletteDigital(index - 16, 230, 0);
    if (index == 25) return RGB(230, 230, 230);
    if (index >= 32 && index <= 39) return PaletteDigital(index - 32, 254, 1);
    if (index == 41) return RGB(1, 1, 1);
    if (index == 42) return RGB(253, 253, 253);
    if (index < 128) return RGB(0, 0, 0); // 8, 24, 40 and the unlisted entries
    if (index <= 135) return PaletteGreen(0, 31 + 28 * (index - 128));
    if (index == 136) return PaletteGreen(0, 31);
    if (index == 137) return PaletteGreen(0, 255);
    if (index >= 144 && index <= 151) return PaletteGreen(0, 30 + 25 * (index - 144));
    if (index == 152) return PaletteGreen(0, 30);
    if (index == 153) return PaletteGreen(0, 230);
    if (index >= 160 && index <= 167) return PaletteGreen(1, 29 + 28 * (index - 160));
    if (index == 169) return PaletteGreen(1, 29);
    if (index == 170) return PaletteGreen(0, 253);
    return PaletteGreen(0, 33);
}

void BuildPalette(void) {
    for (int i = 0; i < kPaletteSize; ++i) {
        machine.brushColors[i] = PaletteColor(i);
        machine.brushes[i] = CreateSolidBrush(machine.brushColors[i]);
    }
}

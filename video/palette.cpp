#include "video/palette.h"

void BuildPalette(void) {}
COLORREF PaletteColor(int) {
    return 0;
}

// The 256 solid brushes the renderer paints with, indexed by colour index.
#pragma once

#include <windows.h>

void BuildPalette(void);
// The colour of palette entry index as 0x00BBGGRR.
COLORREF PaletteColor(int index);

// The 256 solid brushes the renderer paints with, indexed by colour index.
//
//   0-7     digital colour of code i (bit 0 blue, bit 1 red, bit 2 green)
//   8, 9    black, white                    (monochrome foreground is 9)
//   16-25   dim colours, black, light grey  (built, never selected)
//   32-39   background of code i - 32: one step off the digital colours
//   40      black                           (monochrome background)
//   41, 42  near black, near white          (built, never selected)
//   128-170 the same groups for the green monitor
//   others  black below 128, (0, 33, 0) from 128 up
#pragma once

#include <windows.h>

constexpr int kPaletteSize = 256;
constexpr int kPaletteGreen = 128; // offset of the green monitor's entries
constexpr int kPaletteMonoFg = 9;
constexpr int kPaletteBackground = 32;
constexpr int kPaletteMonoBg = 40;
constexpr int kPaletteDisplayOff = 8;

// Creates the 256 brushes in ascending order into machine.brushes and keeps
// each one's colour in machine.brushColors. Runs once, before the threads.
void BuildPalette(void);
// The colour of palette entry index (0 to 255) as 0x00BBGGRR.
COLORREF PaletteColor(int index);

// What the renderer tests share: one frame and window per process, a known
// machine to start every case from, and ways to write the screen area and
// read the frame back.
#pragma once

#include <cstdint>
#include <windows.h>

constexpr int kScreenBase = 0x8000; // dmaAddress[2] of the prepared machine

// Creates the window, the frame and the palette on first use; then puts the
// machine into a known state: 80 columns, 25 rows, colour, bgColor 0,
// display on, no cursor, blink rate 0 and counter 1 (phases stay clear for a
// call), count register 0x3FFF & 2999 (one full page), every attribute pair
// switched off, RAM, font and PCG zero, renderer state zero, every frame
// presented (no WM_PAINT forwarded).
void VideoPrepare(void);
// Writes through BusAccess relative to the screen area.
void PokeScreen(int offset, int value);
void SetCode(int row, int column, int code, int page = 0);
void SetPair(int row, int pair, int position, int value, int page = 0);
// A glyph whose eight dot rows all equal pattern.
void SetGlyph(int code, uint8_t pattern);
// The frame pixel as GetPixel reads it (0x00BBGGRR).
COLORREF FramePixel(int x, int y);
// The frame pixel at dot (x, y) of the cell (row, column): the top-left
// pixel of that dot in the current scaling.
COLORREF CellDot(int row, int column, int x, int y);

// The text screen renderer and its two drawing primitives.
#pragma once

#include <cstdint>
#include <windows.h>

// Creates the 640 by 480 frame: a 32-bit top-down DIB section selected into
// a memory device context compatible with windowDc. Sets machine.frameDc and
// machine.framePixels; returns false, changing nothing, when the section or
// the device context cannot be had.
bool CreateFrame(HDC windowDc);
// Redraws the 640 by 480 frame from video memory, advances the blink phases
// and stretches the frame onto the host window. A frame that would come out
// as the last one drawn is not painted again (nor presented to a host that
// repaints on request); returns whether this one was painted.
bool DrawScreen(void);
// Power-on: the state the renderer carries from frame to frame cleared.
void ScreenPowerOn(void);
// Paint with drawColor, in dot coordinates (8 dots a character cell) scaled
// as for the frame last begun. On the second and later pages (pageIndex 1
// and up) they blend with the frame.
void FillCellRect(int left, int top, int right, int bottom);
void PlotDot(int x, int y);
// The text of the first page as the renderer reads it: rows and columns as
// the screen is set, and the character code of a cell.
int ScreenTextRows(void);
int ScreenTextColumns(void);
uint8_t ScreenCharCode(int row, int column);

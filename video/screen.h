// The text screen renderer and its two drawing primitives.
#pragma once

// Redraws the 640 by 480 frame from video memory, advances the blink phases
// and stretches the frame onto the host window.
void DrawScreen(void);
// Paint with drawColor, in dot coordinates (8 dots a character cell).
void FillCellRect(int left, int top, int right, int bottom);
void PlotDot(int x, int y);

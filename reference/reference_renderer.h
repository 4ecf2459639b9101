// A second, deliberately plain renderer for checking DrawScreen against: it
// reads video memory through BusAccess byte by byte and paints every fill
// through FillRect on frameDc with the palette brush, and on later pages
// reads the pixel back with GetPixel and fills with a temporary brush. It
// shares the machine's renderer state (currentAttr, drawColor, pageIndex,
// blink phases) and presents like DrawScreen.
#pragma once

// GDI calls the reference has made, for the benchmark's estimate of what the
// same frame costs through a real GDI.
extern long refFillRectCalls;
extern long refGetPixelCalls;

void RefDrawScreen(void);
void RefFillCellRect(int left, int top, int right, int bottom);
void RefPlotDot(int x, int y);

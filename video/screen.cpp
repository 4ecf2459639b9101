#include "video/screen.h"

void DrawScreen(void) {}
void FillCellRect(int, int, int, int) {}
void PlotDot(int, int) {}

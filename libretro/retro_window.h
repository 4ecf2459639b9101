// The core's window: never shown, it gives the machine a 640 by 480 client
// area, which the light pen's positions are measured against and the
// renderer presents onto. One file a platform defines it.
#pragma once

#include <windows.h>

// A window whose client area is width by height; null when none can be had.
HWND RetroCreateWindow(int width, int height);

// The core's window on winshim: a client area with a pixel buffer.
#include "libretro/retro_window.h"

#include <winshim_host.h>

HWND RetroCreateWindow(int width, int height) {
    return ShimCreateWindow(width, height);
}

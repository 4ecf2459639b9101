// The core's window on Windows: message-only, so it is never shown and takes
// no part in the broadcasts a window without a message loop would hold up.
#include "libretro/retro_window.h"

HWND RetroCreateWindow(int width, int height) {
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, width, height, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

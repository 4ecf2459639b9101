// A key that types a character on a US keyboard sits where the machine's key
// with that legend sits, so those go through the keyboard's own legends;
// only the keys without a character need a word here.
#include "libretro/retro_keys.h"

#include <windows.h>

#include "bus/key_chars.h"
#include "libretro/libretro.h"

uint8_t RetroVirtualKey(unsigned keycode) {
    if (keycode > RETROK_SPACE && keycode < RETROK_DELETE) {
        uint8_t virtualKey;
        bool shift;
        return KeyCharKey(keycode, &virtualKey, &shift) ? virtualKey : 0;
    }
    if (keycode >= RETROK_KP0 && keycode <= RETROK_KP9)
        return static_cast<uint8_t>(VK_NUMPAD0 + (keycode - RETROK_KP0));
    if (keycode >= RETROK_F1 && keycode <= RETROK_F12)
        return static_cast<uint8_t>(VK_F1 + (keycode - RETROK_F1));
    switch (keycode) {
    case RETROK_BACKSPACE: return VK_BACK;
    case RETROK_TAB: return VK_TAB;
    case RETROK_RETURN:
    case RETROK_KP_ENTER: return VK_RETURN;
    case RETROK_ESCAPE: return VK_ESCAPE;
    case RETROK_SPACE: return VK_SPACE;
    case RETROK_DELETE: return VK_DELETE;
    case RETROK_KP_PERIOD: return VK_DECIMAL;
    case RETROK_KP_DIVIDE: return VK_DIVIDE;
    case RETROK_KP_MULTIPLY: return VK_MULTIPLY;
    case RETROK_KP_MINUS: return VK_SUBTRACT;
    case RETROK_KP_PLUS: return VK_ADD;
    case RETROK_UP: return VK_UP;
    case RETROK_DOWN: return VK_DOWN;
    case RETROK_RIGHT: return VK_RIGHT;
    case RETROK_LEFT: return VK_LEFT;
    case RETROK_HOME: return VK_HOME;
    case RETROK_END: return VK_END;
    case RETROK_LSHIFT:
    case RETROK_RSHIFT: return VK_SHIFT;
    case RETROK_LCTRL:
    case RETROK_RCTRL: return VK_CONTROL;
    case RETROK_LALT:
    case RETROK_RALT: return VK_MENU;
    case RETROK_MENU: return VK_APPS;
    case RETROK_OEM_102: return VK_OEM_102;
    default: return 0;
    }
}

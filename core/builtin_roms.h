// The build's own ROM images as arrays, for the drivers that carry them
// inside (the libretro core, the Python module): the object library
// builtin_roms (rom/CMakeLists.txt) defines them.
#pragma once

#include <cstdint>

#include "state/machine_state.h"

extern const uint8_t kBuiltinBasicRom[kBasicRomSize];
extern const uint8_t kBuiltinFontRom[kFontRomSize];

// The build's own ROM images, built into the core, for a frontend whose
// system folder has none.
#pragma once

#include <cstdint>

#include "state/machine_state.h"

extern const uint8_t kBuiltinBasicRom[kBasicRomSize];
extern const uint8_t kBuiltinFontRom[kFontRomSize];

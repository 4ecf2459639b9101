// Programmable character generator: glyph RAM for codes 128 to 255, loaded
// through ports 0x00 to 0x02.
#pragma once

#include <cstdint>

void PcgWrite(int port, uint8_t data);
// Power-on: glyph RAM, address and latch 0, the generator switched off. A
// reset leaves all of them alone.
void PcgPowerOn(void);

// Programmable character generator: glyph RAM for codes 128 to 255, loaded
// through ports 0x00 to 0x02.
#pragma once

struct StateIo;

#include <cstdint>

void PcgWrite(int port, uint8_t data);
// The host's switch (SetPCG, GetPCG): nonzero draws codes 128 to 255 from the
// glyph RAM; switching on with 1 fills it with noise first.
void PcgSetEnabled(uint8_t flag);
uint8_t PcgGetEnabled(void);
// Power-on: glyph RAM, address and latch 0, the generator switched off. A
// reset leaves all of them alone.
void PcgPowerOn(void);
// Saves, checks or loads the glyph RAM and the registers (state/state_io.h).
void PcgState(StateIo& io);

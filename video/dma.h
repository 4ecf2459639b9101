// DMA controller register file on ports 0x60 to 0x68.
#pragma once

struct StateIo;

#include <cstdint>

void DmaWrite(int port, uint8_t data);
uint8_t DmaRead(int port);
// Reset and power-on alike: registers, flip-flops and mode 0.
void DmaReset(void);
// Saves, checks or loads the registers (state/state_io.h).
void DmaState(StateIo& io);

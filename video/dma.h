// DMA controller register file on ports 0x60 to 0x68.
#pragma once

#include <cstdint>

void DmaWrite(int port, uint8_t data);
uint8_t DmaRead(int port);
void DmaReset(void);

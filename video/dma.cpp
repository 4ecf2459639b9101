#include "video/dma.h"

void DmaWrite(int, uint8_t) {}
uint8_t DmaRead(int) {
    return 0;
}
void DmaReset(void) {}

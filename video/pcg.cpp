#include "video/pcg.h"
#include "core/z80home.h"

void PcgWrite(int, uint8_t) {}
void SetPCG(unsigned char) {}
unsigned char GetPCG(void) {
    return 0;
}

#include "devices/cassette.h"
#include "core/z80home.h"

void CassetteWriteData(uint8_t) {}
uint8_t CassetteReadData(void) {
    return 0xFF;
}
uint8_t CassetteReadStatus(void) {
    return 0;
}
void CassetteReset(void) {}
void SetCMTFile(const char*) {}
const char* GetCMTFile(void) {
    return "";
}

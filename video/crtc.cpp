#include "video/crtc.h"

void CrtcWriteData(uint8_t) {}
void CrtcWriteCommand(uint8_t) {}
uint8_t CrtcReadData(void) {
    return 0;
}
uint8_t CrtcReadStatus(void) {
    return 0;
}
void CrtcMouseEvent(uint32_t, int32_t) {}
void CrtcReset(void) {}

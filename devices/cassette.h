// Cassette tape: the serial ports 0x20 to 0x2F backed by a host file.
#pragma once

#include <cstdint>

void CassetteWriteData(uint8_t data);
uint8_t CassetteReadData(void);
uint8_t CassetteReadStatus(void);
void CassetteReset(void);

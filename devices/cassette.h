// Cassette tape: the serial ports 0x20 to 0x2F backed by a host file.
#pragma once

#include <cstdint>

void CassetteWriteData(uint8_t data);
uint8_t CassetteReadData(void);
uint8_t CassetteReadStatus(void);
// Reset: the status and cmtFileSet 0 until the host names a tape again; the
// name and the position survive it.
void CassetteReset(void);
// Power-on: no tape named, at its start.
void CassettePowerOn(void);

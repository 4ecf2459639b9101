// System control ports 0x30, 0x31, 0x40 and 0xE6.
#pragma once

struct StateIo;

#include <cstdint>

void SysCtlWrite30(uint8_t data);
uint8_t SysCtlRead30(void);
void SysCtlWrite31(uint8_t data);
uint8_t SysCtlRead31(void);
void SysCtlWrite40(uint8_t data);
uint8_t SysCtlRead40(void);
void SysCtlWriteE6(uint8_t data);
uint8_t SysCtlReadE6(void);
// Reset and power-on alike: every field back to its load value.
void SysCtlReset(void);
// Saves, checks or loads the registers (state/state_io.h).
void SysCtlState(StateIo& io);

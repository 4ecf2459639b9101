// Calendar clock: a serial 40-bit shift register over the host's clock.
#pragma once

struct StateIo;

#include <cstdint>

void CalendarWriteLatch(uint8_t data);
void CalendarExecute(void);
void CalendarShift(void);
// Reset: the latch, the shift count and the output bit 0; the set time and
// the register's contents survive it.
void CalendarReset(void);
// Power-on: the reset, the register cleared and the host's time unset.
void CalendarPowerOn(void);
// Saves, checks or loads the registers and the set time (state/state_io.h).
void CalendarState(StateIo& io);

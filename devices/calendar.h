// Calendar clock: a serial 40-bit shift register over the host's clock.
#pragma once

#include <cstdint>

void CalendarWriteLatch(uint8_t data);
void CalendarExecute(void);
void CalendarShift(void);
void CalendarReset(void);

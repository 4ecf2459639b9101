// Calendar clock: a serial 40-bit shift register over the host's clock.
#pragma once

#include <atomic>
#include <windows.h>

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
// The clock the calendar counts from, in seconds since 1970: null, the
// host's; a layer above may set its own (a recording's, which runs in the
// machine's time so that a replay reads the same times). Set while no
// instruction runs.
extern std::atomic<__time64_t (*)(void)> calendarClockHook;

#include "devices/calendar.h"

void CalendarWriteLatch(uint8_t) {}
void CalendarExecute(void) {}
void CalendarShift(void) {}
void CalendarReset(void) {}

// Calendar clock: a serial 40-bit shift register over the host's clock.
//
//   0x10-0x1F write  calendarLatch  7 6 5 4 3 2 1 0
//                                   - - - - +-+-+-+-- command: 1 read time,
//                                           |         2 set time, else none
//                                           +-------- data-in bit of a shift
//   0x40 write       bit 1 (strobe) runs the command; bit 2 alone (clock)
//                    shifts one bit
//   0x40 read        bit 4 = calendarDataOut, the register's next output bit
//
//   register byte    0 seconds, 1 minutes, 2 hours, 3 day of month (packed
//                    BCD); 4 month (1-12) in bits 4-7, day of week 0
//
// A read-time command loads calendarOut; each shift stores the data-in bit
// at the next bit of calendarIn and presents the next bit of the 80-bit view
// calendarOut + calendarIn, least significant bit of byte 0 first. Set time
// turns calendarIn into an offset from the host's local time, taking the
// year as 1971.
//
// Not emulated: the day of week and the year, which are never delivered.
#include "devices/calendar.h"

#include <climits>

#include "state/machine_state.h"
#include "state/state_io.h"

constexpr uint8_t kCalendarCommandMask = 0x0F;
constexpr uint8_t kCalendarReadTime = 1;
constexpr uint8_t kCalendarSetTime = 2;
constexpr uint8_t kCalendarDataIn = 0x08;
constexpr int kCalendarBits = 40;
constexpr int kCalendarMonthByte = 4;
constexpr int kCalendarMonthShift = 4;
constexpr int kCalendarSetYear = 71; // years since 1900
constexpr int kCalendarNoMonth = 255;

static uint8_t CalendarBcd(int value) {
    return static_cast<uint8_t>(value + value / 10 * 6);
}

// Nibbles above 9 are taken as they come.
static int CalendarDecimal(uint8_t bcd) {
    return (bcd & 0x0F) + (bcd >> 4) * 10;
}

static uint8_t CalendarViewBit(int bit) {
    const uint8_t* half = bit < kCalendarBits ? machine.calendarOut : machine.calendarIn;
    int index = bit % kCalendarBits;
    return half[index / 8] >> (index % 8) & 1;
}

std::atomic<__time64_t (*)(void)> calendarClockHook;

// The host's clock, or the one a layer above keeps in the machine's time.
static __time64_t CalendarHostNow(void) {
    auto clock = Get(calendarClockHook);
    return clock ? clock() : _time64(nullptr);
}

static void CalendarReadTime(void) {
    __time64_t now = CalendarHostNow() + machine.calendarOffset;
    const struct tm* local = _localtime64(&now);
    // A time beyond the host's calendar leaves the register as it was.
    if (!local) return;
    Put(machine.calendarBitCount, 0);
    machine.calendarOut[0] = CalendarBcd(local->tm_sec);
    machine.calendarOut[1] = CalendarBcd(local->tm_min);
    machine.calendarOut[2] = CalendarBcd(local->tm_hour);
    machine.calendarOut[3] = CalendarBcd(local->tm_mday);
    machine.calendarOut[kCalendarMonthByte] =
        static_cast<uint8_t>((local->tm_mon + 1) << kCalendarMonthShift);
    Put(machine.calendarDataOut, machine.calendarOut[0] & 1);
}

static void CalendarSetTime(void) {
    const uint8_t* in = machine.calendarIn;
    for (int i = 0; i < kCalendarMonthByte; ++i)
        machine.calendarOut[i] = in[i];
    uint8_t monthByte = in[kCalendarMonthByte];
    machine.calendarOut[kCalendarMonthByte] = static_cast<uint8_t>(monthByte - 1);

    struct tm& record = machine.calendarSetRecord;
    record.tm_sec = CalendarDecimal(in[0]) % 60;
    record.tm_min = CalendarDecimal(in[1]) % 60;
    record.tm_hour = CalendarDecimal(in[2]) % 24;
    record.tm_mday = CalendarDecimal(in[3]) & 0x1F;
    record.tm_year = kCalendarSetYear;
    // A nonzero day-of-week nibble carries into the next month; month 12
    // becomes January of 1972 through the conversion.
    int month = monthByte == 0 ? kCalendarNoMonth
                               : static_cast<uint8_t>(monthByte - 1) >> kCalendarMonthShift;
    record.tm_mon = (month - 1) % 12 + 1;
    // The program sets wall-clock time: let the conversion decide whether
    // daylight saving applies on that date, so the time reads back as set.
    record.tm_isdst = -1;
    __time64_t set = _mktime64(&record);
    if (set == -1) return;
    machine.calendarOffset = set - CalendarHostNow();
}

void CalendarWriteLatch(uint8_t data) {
    Put(machine.calendarLatch, data);
}

void CalendarExecute(void) {
    switch (Get(machine.calendarLatch) & kCalendarCommandMask) {
    case kCalendarReadTime: CalendarReadTime(); break;
    case kCalendarSetTime: CalendarSetTime(); break;
    default: break;
    }
}

void CalendarShift(void) {
    int count = Get(machine.calendarBitCount);
    if (count >= kCalendarBits) return;
    uint8_t bit = static_cast<uint8_t>(1u << (count % 8));
    uint8_t& target = machine.calendarIn[count / 8];
    if (Get(machine.calendarLatch) & kCalendarDataIn)
        target |= bit;
    else
        target &= static_cast<uint8_t>(~bit);
    Put(machine.calendarBitCount, count + 1);
    Put(machine.calendarDataOut, CalendarViewBit(count + 1));
}

void CalendarReset(void) {
    Put(machine.calendarLatch, 0);
    Put(machine.calendarBitCount, 0);
    Put(machine.calendarDataOut, 0);
}

void CalendarPowerOn(void) {
    CalendarReset();
    for (int i = 0; i < kCalendarMonthByte + 1; ++i)
        machine.calendarOut[i] = machine.calendarIn[i] = 0;
    machine.calendarOffset = 0;
    machine.calendarSetRecord = {};
}

void CalendarState(StateIo& io) {
    io.Value(machine.calendarLatch);
    io.Values(machine.calendarOut);
    io.Values(machine.calendarIn);
    io.Value(machine.calendarBitCount, kCalendarBits);
    io.Value(machine.calendarDataOut, 1);
    io.Value(machine.calendarOffset);
    // The time last set, as the conversion left it: each field in its range.
    struct tm& set = machine.calendarSetRecord;
    struct Field {
        int* value;
        int32_t least, most;
    };
    const Field fields[] = {
        {&set.tm_sec, 0, 60},  {&set.tm_min, 0, 59},   {&set.tm_hour, 0, 23},
        {&set.tm_mday, 0, 31}, {&set.tm_mon, 0, 11},   {&set.tm_year, INT32_MIN, INT32_MAX},
        {&set.tm_wday, 0, 6},  {&set.tm_yday, 0, 365}, {&set.tm_isdst, -1, 1}};
    for (const Field& field : fields) {
        int32_t value = io.mode == StateMode::kSave ? *field.value : 0;
        io.Value(value);
        value = static_cast<int32_t>(io.Last());
        io.Require(value >= field.least && value <= field.most);
        if (io.mode == StateMode::kLoad) *field.value = value;
    }
}

// System control ports.
//
//   0x30 write   7 6 5 4 3 2 1 0
//                - - - - - - | +-- columns80   (1 = 80 columns)
//                            +---- monoMode    (1 = monochrome attributes)
//        read    always 0
//
//   0x31 r/w     7 6 5 4 3 2 1 0
//                +-+-+ | | | | +-- sysCtlBit0
//                  |   | | | +---- ramSelect   (1 = RAM under 0x0000-0x5FFF)
//                  |   | | +------ sysCtlBit2
//                  |   | +-------- displayOn
//                  |   +---------- sysCtlBit4  (also the CRT reset's fifth parameter)
//                  +-------------- bgColor     (colour code, bit 5 = blue)
//
//   0x40 write   - - 5 - - 2 1 -   5 beepOn; 1 calendar strobe (runs the
//                                  latched command); 2 calendar clock (shifts
//                                  one bit, only when bit 1 is clear). 1 and 2
//                                  act on every write that has them set.
//        read    - - 5 4 - 2 - -   5 vrtcToggle; 4 calendarDataOut; 2 cmtFileSet
//
//   0xE6 r/w     interruptMask; bit 0 enables the 2 ms tick interrupt.
//
// Not emulated: sysCtlBit0, sysCtlBit2 and sysCtlBit4 drive nothing; they are
// only read back.
#include "bus/sysctl.h"

#include "devices/beeper.h"
#include "devices/calendar.h"
#include "state/machine_state.h"
#include "state/state_io.h"

constexpr uint8_t kColumns80 = 0x01;
constexpr uint8_t kMonoMode = 0x02;

constexpr uint8_t kSysCtlBit0 = 0x01;
constexpr uint8_t kRamSelect = 0x02;
constexpr uint8_t kSysCtlBit2 = 0x04;
constexpr uint8_t kDisplayOn = 0x08;
constexpr uint8_t kSysCtlBit4 = 0x10;
constexpr int kBgColorShift = 5;

constexpr uint8_t kCalendarStrobe = 0x02;
constexpr uint8_t kCalendarClock = 0x04;
constexpr uint8_t kBeep = 0x20;
constexpr uint8_t kStatusCmtFileSet = 0x04;
constexpr uint8_t kStatusCalendarData = 0x10;
constexpr uint8_t kStatusVrtc = 0x20;

static uint8_t SysCtlBit(uint8_t data, uint8_t mask) {
    return (data & mask) ? 1 : 0;
}
static uint8_t SysCtlFlag(const std::atomic<uint8_t>& flag, uint8_t mask) {
    return Get(flag) ? mask : 0;
}

void SysCtlWrite30(uint8_t data) {
    Put(machine.columns80, SysCtlBit(data, kColumns80));
    Put(machine.monoMode, SysCtlBit(data, kMonoMode));
}

uint8_t SysCtlRead30(void) {
    return 0;
}

void SysCtlWrite31(uint8_t data) {
    Put(machine.sysCtlBit0, SysCtlBit(data, kSysCtlBit0));
    Put(machine.ramSelect, SysCtlBit(data, kRamSelect));
    Put(machine.sysCtlBit2, SysCtlBit(data, kSysCtlBit2));
    Put(machine.displayOn, SysCtlBit(data, kDisplayOn));
    Put(machine.sysCtlBit4, SysCtlBit(data, kSysCtlBit4));
    Put(machine.bgColor, data >> kBgColorShift);
}

uint8_t SysCtlRead31(void) {
    return static_cast<uint8_t>(Get(machine.bgColor) << kBgColorShift) |
           SysCtlFlag(machine.sysCtlBit4, kSysCtlBit4) | SysCtlFlag(machine.displayOn, kDisplayOn) |
           SysCtlFlag(machine.sysCtlBit2, kSysCtlBit2) | SysCtlFlag(machine.ramSelect, kRamSelect) |
           SysCtlFlag(machine.sysCtlBit0, kSysCtlBit0);
}

void SysCtlWrite40(uint8_t data) {
    BeepSet(SysCtlBit(data, kBeep));
    if (data & kCalendarStrobe)
        CalendarExecute();
    else if (data & kCalendarClock)
        CalendarShift();
}

uint8_t SysCtlRead40(void) {
    return SysCtlFlag(machine.cmtFileSet, kStatusCmtFileSet) |
           (Get(machine.calendarDataOut) ? kStatusCalendarData : 0) |
           SysCtlFlag(machine.vrtcToggle, kStatusVrtc);
}

void SysCtlWriteE6(uint8_t data) {
    Put(machine.interruptMask, data);
}

uint8_t SysCtlReadE6(void) {
    return Get(machine.interruptMask);
}

void SysCtlReset(void) {
    Put(machine.ramSelect, 0);
    Put(machine.displayOn, 1);
    BeepSet(1);
    Put(machine.bgColor, 0);
    Put(machine.sysCtlBit0, 0);
    Put(machine.sysCtlBit2, 0);
    Put(machine.sysCtlBit4, 0);
    Put(machine.columns80, 0);
    Put(machine.monoMode, 0);
    Put(machine.interruptMask, 0);
}

void SysCtlState(StateIo& io) {
    io.Value(machine.columns80, 1);
    io.Value(machine.monoMode, 1);
    io.Value(machine.bgColor, 0xFF >> kBgColorShift);
    io.Value(machine.sysCtlBit0, 1);
    io.Value(machine.ramSelect, 1);
    io.Value(machine.sysCtlBit2, 1);
    io.Value(machine.displayOn, 1);
    io.Value(machine.sysCtlBit4, 1);
    // Through BeepSet, so that the beeper's thread hears of a loaded change.
    uint8_t beep = Get(machine.beepOn);
    io.Value(beep, 1);
    if (io.mode == StateMode::kLoad) BeepSet(beep);
    io.Value(machine.interruptMask);
}

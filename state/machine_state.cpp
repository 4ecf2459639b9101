// The record itself, and the two ways it is put back to a known state.
#include "state/machine_state.h"

#include <cstring>

#include "bus/keyboard.h"
#include "bus/sysctl.h"
#include "devices/calendar.h"
#include "devices/cassette.h"
#include "video/crtc.h"
#include "video/dma.h"
#include "video/pcg.h"
#include "video/screen.h"
#include "state/state_io.h"
#include "z80/z80.h"

MachineState machine;

void MachineReset(void) {
    SysCtlReset();
    KeyboardReset();
    CassetteReset();
    CrtcReset();
    DmaReset();
    CalendarReset();
    Put(machine.cyclesThisSecond, 0);
    Put(machine.vrtcToggle, 0);
    Z80Init();
}

void MachinePowerOn(void) {
    // No other thread runs: a plain fill of 64 KB beats 65,536 atomic stores.
    std::memset(static_cast<void*>(machine.mainRam), 0, sizeof machine.mainRam);
    Put(machine.greenDisplay, 0);
    Put(machine.pendingInterrupt, 0);
    machine.cyclesSinceTick = 0;
    KeyboardPowerOn();
    CrtcPowerOn();
    PcgPowerOn();
    CalendarPowerOn();
    CassettePowerOn();
    ScreenPowerOn();
    MachineReset();
}

void MachineCoreState(StateIo& io) {
    io.Values(machine.mainRam);
    io.Value(machine.pendingInterrupt);
    io.Value(machine.cyclesThisSecond);
    io.Value(machine.vrtcToggle);
    io.Value(machine.cyclesSinceTick);
    io.Require(static_cast<int32_t>(io.Last()) >= 0);
    io.Value(machine.greenDisplay);
}

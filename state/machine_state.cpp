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
    // Applied now, so the PC the debugger reads in place is the new one.
    Z80Regs settled;
    Z80GetRegs(&settled);
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
    // No request, or one with its vector.
    io.Value(machine.pendingInterrupt, kInterruptPending | 0xFF);
    io.Require(io.Last() == 0 || io.Last() & kInterruptPending);
    // The counts stay within a second, and a tick period, of the display
    // that counts longest: a larger one would hold back the DMA status, the
    // ticks and a paste for billions of cycles.
    io.Value(machine.cyclesThisSecond, kSecondBudgetDisplayOff - 1);
    io.Value(machine.vrtcToggle, 1);
    io.Value(machine.cyclesSinceTick, 2 * kSliceBudgetDisplayOff / kTicksPerSlice);
    io.Value(machine.greenDisplay);
}

// The machine's two ways back to a known state, over every device: the
// reset and the power-on.
#include "core/machine.h"

#include <cstring>

#include "bus/keyboard.h"
#include "bus/sysctl.h"
#include "devices/calendar.h"
#include "devices/cassette.h"
#include "input/input.h"
#include "state/machine_state.h"
#include "video/crtc.h"
#include "video/dma.h"
#include "video/pcg.h"
#include "video/screen.h"
#include "z80/z80.h"

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
    InputPowerOn();
    MachineReset();
}

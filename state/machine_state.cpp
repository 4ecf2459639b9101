// The record itself, and its own fields in a state file.
#include "state/machine_state.h"

#include "state/state_io.h"

MachineState machine;

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

// The plus library's run control: pause, single slices, speed and warp, as
// core/run_control.h carries them out.
#include "plus/z80home_plus.h"

#include "core/run_control.h"
#include "state/machine_state.h"

void SetPaused(unsigned char flag) {
    RunControlSetPaused(flag != 0);
}

unsigned char GetPaused(void) {
    return RunControlPaused() ? 1 : 0;
}

unsigned char StepSlice(void) {
    return RunControlStep() ? 1 : 0;
}

void SetSpeed(uint32_t percent) {
    RunControlSetSpeed(percent);
}

uint32_t GetSpeed(void) {
    return RunControlSpeed();
}

void SetWarp(unsigned char flag) {
    RunControlSetWarp(flag != 0);
}

unsigned char GetWarp(void) {
    return RunControlWarp() ? 1 : 0;
}

uint64_t GetCycles(void) {
    return Get(machine.cyclesRun);
}

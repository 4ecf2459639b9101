// The plus library's run control: pause, single slices, speed and warp, as
// core/run_control.h carries them out.
#include "plus/z80home_plus.h"

#include "core/run_control.h"
#include "input/input.h"
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

void SetStopCycle(uint64_t cycle) {
    // Between two slices, so the check that comes next already counts it.
    RunControlCall(
        [](void* context) {
            Put(machine.stopCycle, *static_cast<uint64_t*>(context));
            Put(machine.stopReached, 0);
        },
        &cycle);
}

unsigned char GetStopReached(void) {
    return Get(machine.stopReached);
}

static_assert(kKeyShift == kInputShift && kKeyControl == kInputControl,
              "the export's modifiers are the input event's");

void SendKey(uint32_t virtualKey, unsigned char down, unsigned char modifiers) {
    InputEvent key;
    key.code = virtualKey;
    key.down = down ? 1 : 0;
    key.modifiers =
        static_cast<uint8_t>(kInputModifiersGiven | (modifiers & (kInputShift | kInputControl)));
    InputPost(std::move(key));
}

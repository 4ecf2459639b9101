// Run control. The host's thread and the processor thread meet under
// runLock: the host posts a pause, a step or a job and waits on runSignal
// for the processor thread to report it done. The processor thread looks at
// two atomic flags before each slice and takes the lock only when one is
// set, so a running machine pays two loads a slice.
#include "core/run_control.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "bus/keyboard.h"
#include "core/machine.h"
#include "devices/beeper.h"
#include "input/input.h"
#include "state/machine_state.h"

// The processor thread's id, set as it starts; a default id matches no thread.
// The host's thread reads it while that thread may be setting it.
static std::atomic<std::thread::id> runCpuThread;

static bool RunControlOnOwnThread(void) {
    return !Get(machine.running) || std::this_thread::get_id() == Get(runCpuThread);
}

void RunControlSetPaused(bool paused) {
    std::unique_lock<std::mutex> lock(machine.runLock);
    Put(machine.paused, paused ? 1 : 0);
    BeepSetHeld(paused ? 1 : 0);
    // Steps asked for and not begun are dropped: the machine runs on anyway,
    // and a later pause must not run them.
    if (!paused) machine.stepsAsked = machine.stepsDone + (machine.stepRunning ? 1 : 0);
    machine.runSignal.notify_all();
    if (!paused || RunControlOnOwnThread()) return;
    machine.runSignal.wait(lock, [] { return machine.cpuParked || !Get(machine.paused); });
}

bool RunControlPaused(void) {
    return Get(machine.paused) != 0;
}

bool RunControlStep(void) {
    if (!RunControlPaused()) return false;
    if (RunControlOnOwnThread()) {
        CpuRunSlice();
        return true;
    }
    std::unique_lock<std::mutex> lock(machine.runLock);
    uint64_t target = ++machine.stepsAsked;
    machine.runSignal.notify_all();
    // Another thread may let the machine run on before the step begins; the
    // step is then dropped, and this call returns rather than wait for it.
    machine.runSignal.wait(
        lock, [target] { return machine.stepsDone >= target || !Get(machine.paused); });
    return true;
}

void RunControlSetSpeed(uint32_t percent) {
    Put(machine.speedPercent, std::clamp(percent, kSpeedSlowest, kSpeedFastest));
}

uint32_t RunControlSpeed(void) {
    return Get(machine.speedPercent);
}

void RunControlSetWarp(bool warp) {
    Put(machine.warp, warp ? 1 : 0);
}

bool RunControlWarp(void) {
    return Get(machine.warp) != 0;
}

int32_t RunControlTickCycles(void) {
    return (Get(machine.displayOn) ? kSliceBudgetDisplayOn : kSliceBudgetDisplayOff) /
           kTicksPerSlice;
}

void RunControlCall(void (*job)(void*), void* context) {
    if (RunControlOnOwnThread()) {
        job(context);
        return;
    }
    std::unique_lock<std::mutex> lock(machine.runLock);
    // One job at a time: a second host call waits for the first to finish.
    machine.runSignal.wait(lock, [] { return machine.runJob == nullptr; });
    machine.runJob = job;
    machine.runJobContext = context;
    uint64_t target = ++machine.jobsAsked;
    Put(machine.runJobPending, 1);
    machine.runSignal.notify_all();
    machine.runSignal.wait(lock, [target] { return machine.jobsDone >= target; });
}

void RunControlEnterThread(void) {
    Put(runCpuThread, std::this_thread::get_id());
}

void RunControlWait(void) {
    if (!Get(machine.paused) && !Get(machine.runJobPending)) return;
    std::unique_lock<std::mutex> lock(machine.runLock);
    for (;;) {
        if (machine.runJob) {
            // Input posted before the call comes first.
            InputTakeDue(Get(machine.cyclesRun));
            machine.runJob(machine.runJobContext);
            machine.runJob = nullptr;
            Put(machine.runJobPending, 0);
            machine.jobsDone++;
            machine.runSignal.notify_all();
            continue;
        }
        if (!Get(machine.paused)) break;
        if (machine.stepsDone < machine.stepsAsked) {
            // The step's slice runs without the lock, so the host can post
            // more while it runs.
            machine.cpuParked = false;
            machine.stepRunning = true;
            lock.unlock();
            CpuRunSlice();
            lock.lock();
            machine.stepRunning = false;
            machine.stepsDone++;
            machine.runSignal.notify_all();
            continue;
        }
        machine.cpuParked = true;
        machine.runSignal.notify_all();
        machine.runSignal.wait(lock);
    }
    machine.cpuParked = false;
}

DWORD RunControlSleepMs(int32_t sliceMs) {
    // While the host holds a key the machine keeps the host's time, so that
    // a key held a tenth of a second is held a tenth of the machine's second
    // (and does not repeat) in warp or above the paced speed.
    bool hostKey = KeyboardHostHolds();
    uint32_t speed = Get(machine.speedPercent);
    if (Get(machine.warp) || hostKey) {
        if (Get(machine.warp) && !hostKey) return 0;
        speed = std::min(speed, kSpeedPaced);
    }
    // A slice's share of real time is kShortestSliceMs * kSpeedPaced / speed
    // ms; counted in 1/speed ms it is a whole number, so what
    // a whole millisecond of sleep cannot give is carried exactly to the
    // next slice (and dropped when the speed changes).
    if (machine.paceSpeed != speed) {
        machine.paceSpeed = speed;
        machine.paceCarry = 0;
    }
    int64_t spare =
        machine.paceCarry + int64_t{kShortestSliceMs} * kSpeedPaced - int64_t{sliceMs} * speed;
    if (spare < 0) spare = 0; // a slice that ran late is not made up for
    machine.paceCarry = spare % speed;
    return static_cast<DWORD>(spare / speed);
}

void RunControlPace(int32_t sliceMs) {
    DWORD ms = RunControlSleepMs(sliceMs);
    if (ms) Sleep(ms);
}

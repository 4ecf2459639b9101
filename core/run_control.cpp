// Run control. The host's thread and the processor thread meet under
// runLock: the host posts a pause, a step or a job and waits on runSignal
// for the processor thread to report it done. The processor thread looks at
// two atomic flags before each slice and takes the lock only when one is
// set, so a running machine pays two loads a slice.
#include "core/run_control.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "core/machine.h"
#include "devices/beeper.h"
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
    machine.runSignal.wait(lock, [target] { return machine.stepsDone >= target; });
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

bool RunControlDerivesTicks(void) {
    return Get(machine.paused) || Get(machine.warp) || Get(machine.speedPercent) != kSpeedPaced;
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
            lock.unlock();
            CpuRunSlice();
            lock.lock();
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

void RunControlPace(int32_t sliceMs) {
    if (Get(machine.warp)) return;
    // The slice's share of real time in hundredths of a millisecond; what a
    // whole millisecond sleep cannot give is carried to the next slice.
    int32_t spare =
        static_cast<int32_t>(kShortestSliceMs * 100 * kSpeedPaced / Get(machine.speedPercent)) +
        machine.paceCarry - sliceMs * 100;
    if (spare < 100) {
        machine.paceCarry = std::max(spare, 0);
        return;
    }
    machine.paceCarry = spare % 100;
    Sleep(static_cast<DWORD>(spare / 100));
}

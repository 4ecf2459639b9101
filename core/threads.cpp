// The emulation threads. CpuThread runs the processor in paced slices, the
// only thread that calls into the Z80 core, and raises the 2 ms tick as the
// slice's cycles pass; ScreenThread redraws the screen. None of them ever
// ends.
#include "core/machine.h"

#include <algorithm>
#include <array>
#include <climits>

#include "core/run_control.h"
#include "input/input.h"
#include "state/machine_state.h"
#include "video/screen.h"
#include "z80/z80.h"

static WORD ThreadsNowMs(void) {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return now.wMilliseconds;
}

int32_t ElapsedMs(WORD startMs, WORD endMs) {
    int32_t elapsed = static_cast<int32_t>(endMs) - static_cast<int32_t>(startMs);
    return elapsed < 0 ? elapsed + 1000 : elapsed;
}

std::atomic<bool (*)(int32_t)> machineCheckHook;
static constexpr std::array<uint8_t, 0x10000> ThreadsMarks(uint8_t mark) {
    std::array<uint8_t, 0x10000> map{};
    map.fill(mark);
    return map;
}
const std::array<uint8_t, 0x10000> machineCheckNone = ThreadsMarks(0);
const std::array<uint8_t, 0x10000> machineCheckAll = ThreadsMarks(1);
std::atomic<const uint8_t*> machineCheckMap = machineCheckNone.data();
std::atomic<void (*)(void)> machineTickHook;
std::atomic<bool (*)(void)> machineSliceEndHook;

// The processor's PC, read in place: no call across libraries between two
// instructions.
static const unsigned short* const threadsPc = Z80PCLocation();

int32_t CpuRunSlice(void) {
    return CpuRunSliceUpTo(INT32_MAX);
}

// The cycles from now to the next check: the tick, the next input event or
// the stop, whichever comes first (at least one instruction away).
static int32_t CpuUntilCheck(uint64_t now, int32_t tickEvery) {
    uint64_t until = static_cast<uint64_t>(std::max(tickEvery - machine.cyclesSinceTick, 1));
    uint64_t event = std::min(InputNextCycle(), Get(machine.stopCycle));
    if (event > now) until = std::min(until, event - now);
    return static_cast<int32_t>(until);
}

// What falls due at a check, at cycle now: the tick (every eighth of a slice
// budget of cycles, in every mode, so the program's clock is the machine's
// and not the host's) with its input work, then the host's input events of
// this cycle, then the stop. An event the host posts while the machine
// stands still at a cycle takes effect where one due at that cycle does:
// after the tick's work. True when the machine stops here.
static bool CpuCheck(uint64_t now, int32_t tickEvery) {
    if (machine.cyclesSinceTick >= tickEvery) {
        machine.cyclesSinceTick -= tickEvery;
        TickOnce();
        InputTick();
        if (auto tick = Get(machineTickHook)) tick();
    }
    InputTakeDue(now);
    if (now < Get(machine.stopCycle)) return false;
    Put(machine.stopCycle, kNoStopCycle);
    Put(machine.stopReached, 1);
    RunControlSetPaused(true);
    return true;
}

// Counts cycles run since the last count into the machine's clocks.
static void CpuCount(int32_t cycles) {
    Put(machine.cyclesRun, Get(machine.cyclesRun) + static_cast<uint64_t>(cycles));
    machine.sliceCycles += cycles;
    machine.cyclesSinceTick += cycles;
}

int32_t CpuRunSliceUpTo(int32_t most) {
    int32_t sum = 0;
    int32_t counted = 0; // cycles of this call counted into the clocks
    int32_t tickEvery = RunControlTickCycles();
    bool stopped = CpuCheck(Get(machine.cyclesRun), tickEvery);
    int32_t nextCheck = CpuUntilCheck(Get(machine.cyclesRun), tickEvery);
    // The slice under way may have been cut short by a stop: this call goes
    // on with it, so slices fall where they would have without the stop.
    int32_t before = machine.sliceCycles;
    const unsigned short* pc = threadsPc;
    for (;;) {
        int32_t limit = std::min(
            most,
            (Get(machine.displayOn) ? kSliceBudgetDisplayOn : kSliceBudgetDisplayOff) - before);
        if (stopped || sum >= limit) break;
        // A plain load on the fast path; the exchange takes the request and
        // its vector together, so the vector delivered is the one requested.
        if (Get(machine.pendingInterrupt) & kInterruptPending) {
            uint16_t request = machine.pendingInterrupt.exchange(0, std::memory_order_relaxed);
            if (request & kInterruptPending) Z80DoIRQ(request & 0xFF);
        }
        // A layer above looks in at a marked address; a stop ends the slice
        // early.
        if (Get(machineCheckMap)[*pc]) [[unlikely]] {
            auto check = Get(machineCheckHook);
            if (check && check(sum - counted)) break;
        }
        uint16_t at = *pc;
        int32_t spent = Z80Run();
        // A step that leaves PC where it was is HALT waiting: the steps
        // until the next check or the slice's end go at once, when no layer
        // above looks at this address. Nothing can end the wait sooner: a
        // request comes only with the tick, at a check.
        if (spent == 4 && *pc == at && !Get(machineCheckMap)[at]) [[unlikely]] {
            int32_t more = Z80RunHalted(std::min(nextCheck, limit) - (sum + spent));
            if ((more / 4) & 1) Put(machine.vrtcToggle, !Get(machine.vrtcToggle));
            spent += more;
        }
        sum += spent;
        Put(machine.vrtcToggle, !Get(machine.vrtcToggle));
        if (sum >= nextCheck) [[unlikely]] {
            CpuCount(sum - counted);
            counted = sum;
            tickEvery = RunControlTickCycles();
            stopped = CpuCheck(Get(machine.cyclesRun), tickEvery);
            nextCheck = sum + CpuUntilCheck(Get(machine.cyclesRun), tickEvery);
        }
    }
    CpuCount(sum - counted);
    int32_t budget = Get(machine.displayOn) ? kSliceBudgetDisplayOn : kSliceBudgetDisplayOff;
    if (machine.sliceCycles >= budget) {
        // The second budget paces nothing; it only sets where the count that
        // the DMA status port watches starts over.
        int32_t second = Get(machine.displayOn) ? kSecondBudgetDisplayOn : kSecondBudgetDisplayOff;
        int32_t total = Get(machine.cyclesThisSecond) + machine.sliceCycles;
        Put(machine.cyclesThisSecond, total >= second ? 0 : total);
        machine.sliceCycles = 0;
        if (auto end = Get(machineSliceEndHook); end && end()) {
            Put(machine.stopReached, 1);
            RunControlSetPaused(true);
        }
    }
    return sum;
}

void TickOnce(void) {
    Put(machine.ticksRun, Get(machine.ticksRun) + 1);
    if (Get(machine.interruptMask) & 1)
        Put(machine.pendingInterrupt, kInterruptPending | kTickVector);
}

DWORD WINAPI CpuThread(LPVOID) {
    RunControlEnterThread();
    for (;;) {
        RunControlWait();
        WORD start = ThreadsNowMs();
        CpuRunSlice();
        RunControlPace(ElapsedMs(start, ThreadsNowMs()));
    }
}

DWORD WINAPI ScreenThread(LPVOID) {
    for (;;) {
        WORD start = ThreadsNowMs();
        DrawScreen();
        int32_t elapsed = ElapsedMs(start, ThreadsNowMs());
        if (elapsed < static_cast<int32_t>(kShortestFrameMs)) Sleep(kShortestFrameMs - elapsed);
    }
}

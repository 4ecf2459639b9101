// The emulation threads. CpuThread runs the processor in paced slices, the
// only thread that calls into the Z80 core, and raises the 2 ms tick as the
// slice's cycles pass; ScreenThread redraws the screen. None of them ever
// ends.
#include "core/machine.h"

#include <algorithm>
#include <climits>

#include "core/run_control.h"
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
std::atomic<uint8_t> machineCheckEvery;
uint8_t machineBreakMap[0x10000];
std::atomic<void (*)(void)> machineTickHook;

// The processor's PC, read in place: no call across libraries between two
// instructions.
static const unsigned short* const threadsPc = Z80PCLocation();

int32_t CpuRunSlice(void) {
    return CpuRunSliceUpTo(INT32_MAX);
}

int32_t CpuRunSliceUpTo(int32_t most) {
    int32_t sum = 0;
    // What the DMA status port will watch: the cycles since the emulated
    // second began.
    int32_t counted = Get(machine.cyclesThisSecond);
    // The tick falls every eighth of a slice budget of cycles, in every mode,
    // so the program's clock is the machine's and not the host's.
    int32_t tickEvery = RunControlTickCycles();
    do {
        // A plain load on the fast path; the exchange takes the request and
        // its vector together, so the vector delivered is the one requested.
        if (Get(machine.pendingInterrupt) & kInterruptPending) {
            uint16_t request = machine.pendingInterrupt.exchange(0, std::memory_order_relaxed);
            if (request & kInterruptPending) Z80DoIRQ(request & 0xFF);
        }
        // A layer above looks in at a marked address, or before every
        // instruction while it asks to; a stop ends the slice early.
        if (auto check = Get(machineCheckHook)) [[unlikely]] {
            if ((machineBreakMap[*threadsPc] | Get(machineCheckEvery)) && check(sum)) break;
        }
        int32_t cycles = Z80Run();
        sum += cycles;
        counted += cycles;
        Put(machine.vrtcToggle, !Get(machine.vrtcToggle));
        machine.cyclesSinceTick += cycles;
        if (machine.cyclesSinceTick >= tickEvery) {
            machine.cyclesSinceTick -= tickEvery;
            TickOnce();
            if (auto tick = Get(machineTickHook)) tick();
        }
    } while (sum < std::min(most, Get(machine.displayOn) ? kSliceBudgetDisplayOn
                                                         : kSliceBudgetDisplayOff));

    Put(machine.cyclesRun, Get(machine.cyclesRun) + static_cast<uint64_t>(sum));
    int32_t second = Get(machine.displayOn) ? kSecondBudgetDisplayOn : kSecondBudgetDisplayOff;
    // The second budget paces nothing; it only sets where the count that the
    // DMA status port watches starts over.
    Put(machine.cyclesThisSecond, counted >= second ? 0 : counted);
    return sum;
}

void TickOnce(void) {
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

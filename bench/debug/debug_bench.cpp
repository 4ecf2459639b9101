// What the debugger costs a running machine, run unpaced slice by slice as
// warp runs it: with nothing set, with one breakpoint it never reaches, with
// a memory watchpoint it never takes, and with both plus a port watchpoint.
// Two programs: the system ROM waiting at its prompt (mostly HALT, 4
// T-states a call of the processor), and a busy loop in RAM (a block copy,
// a sum, a call). The setups run in turns, several rounds, and the best
// round of each is printed with its ratio to nothing set.
//
//   debug_bench [seconds per run] [rounds]      (default 0.5 and 5)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "debug/debugger.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace {

bool LoadImage(const std::string& path, uint8_t* image, size_t size) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    size_t got = fread(image, 1, size, file);
    fclose(file);
    return got > 0;
}

// Emulated MHz over the given real time: slices back to back, as the
// processor thread runs them in warp, each with its ticks.
double Run(double seconds) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    int64_t cycles = 0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
        for (int i = 0; i < 10; ++i)
            cycles += CpuRunSlice();
    }
    return static_cast<double>(cycles) /
           std::chrono::duration<double>(Clock::now() - start).count() / 1e6;
}

// 8000 DI / 8001 LD HL,6000 / LD DE,7000 / LD BC,0400 / LDIR / LD HL,6000 /
// LD B,0 / XOR A / loop: ADD A,(HL) / INC HL / DJNZ loop / CALL 8100 /
// JP 8001;  8100 PUSH AF / POP AF / RET
const uint8_t kBusy[] = {0xF3, 0x21, 0x00, 0x60, 0x11, 0x00, 0x70, 0x01, 0x00, 0x04,
                         0xED, 0xB0, 0x21, 0x00, 0x60, 0x06, 0x00, 0xAF, 0x86, 0x23,
                         0x10, 0xFC, 0xCD, 0x00, 0x81, 0xC3, 0x01, 0x80};
const uint8_t kBusyCall[] = {0xF5, 0xF1, 0xC9};

// The processor state of each program, kept between runs.
Z80Regs programRegs[2];

struct Setup {
    const char* name;
    void (*arm)(void);
};

void Nothing(void) {}

void FarBreakpoint(void) {
    std::string error;
    DebugAddPoint(kDebugExec, 0xFFF0, 0xFFF0, "", error); // never run: the stack's top
}

void Watchpoint(void) {
    std::string error;
    DebugAddPoint(kDebugMemWrite, 0xA000, 0xA0FF, "", error); // free memory nothing writes
}

void Everything(void) {
    FarBreakpoint();
    Watchpoint();
    std::string error;
    DebugAddPoint(kDebugPortWrite, 0x90, 0x9F, "A == 1", error); // ports nothing answers
}

} // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 0.5;
    int rounds = argc > 2 ? atoi(argv[2]) : 5;
    const char* dir = getenv("Z80HOME_ROM_DIR");
    std::string romDir = dir ? dir : Z80HOME_ROM_DIR;
    if (!LoadImage(romDir + "/n80basic.rom", machine.basicRom, kBasicRomSize)) {
        fprintf(stderr, "no n80basic.rom in %s (set Z80HOME_ROM_DIR)\n", romDir.c_str());
        return 1;
    }
    setz80memaccess(BusAccess);
    ResetEmu();
    Run(0.3); // boot to the prompt
    Z80GetRegs(&programRegs[0]);
    for (size_t i = 0; i < sizeof kBusy; ++i)
        BusAccess(0x8000 + static_cast<int>(i), kBusy[i], MemWrite);
    for (size_t i = 0; i < sizeof kBusyCall; ++i)
        BusAccess(0x8100 + static_cast<int>(i), kBusyCall[i], MemWrite);
    programRegs[1] = programRegs[0];
    programRegs[1].pc = 0x8000;
    programRegs[1].halted = 0;
    const char* const programs[] = {"system ROM at its prompt", "busy loop in RAM"};

    const Setup setups[] = {{"nothing set", Nothing},
                            {"one breakpoint never reached", FarBreakpoint},
                            {"one memory watchpoint never taken", Watchpoint},
                            {"breakpoint, memory and port watchpoints", Everything}};
    constexpr int kSetups = sizeof setups / sizeof setups[0];
    double best[2][kSetups] = {};
    for (int round = 0; round < rounds; ++round) {
        for (int p = 0; p < 2; ++p) {
            for (int s = 0; s < kSetups; ++s) {
                Z80SetRegs(&programRegs[p]);
                DebugReset();
                setups[s].arm();
                double mhz = Run(seconds);
                if (mhz > best[p][s]) best[p][s] = mhz;
                Z80GetRegs(&programRegs[p]);
            }
        }
    }
    DebugReset();
    printf("unpaced, best of %d runs of %.2f s\n", rounds, seconds);
    for (int p = 0; p < 2; ++p) {
        printf("%s\n", programs[p]);
        for (int s = 0; s < kSetups; ++s)
            printf("  %-42s %8.1f MHz  %.3f of nothing set\n", setups[s].name, best[p][s],
                   best[p][s] / best[p][0]);
    }
    return 0;
}

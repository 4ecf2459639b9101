// Runs the whole machine for a while on a ROM that idles with the 2 ms tick
// enabled, and prints what it costs the host (CPU time as a share of one core)
// and how fast the emulated processor ran against its paced speed; then the
// ticks the program counted per emulated second, paced, at other speeds and
// in warp (500 in each).
//
//   pacing_bench [seconds]      (default 10)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>
#include <winshim_host.h>

#include "core/machine.h"
#include "core/run_control.h"
#include "core/z80home.h"
#include "state/machine_state.h"

namespace fs = std::filesystem;

constexpr int kTickCount = 0x8000;

// LD A,1; OUT (0xE6),A; IM 1; EI; loop: HALT; JR loop -- and at 0x38 the
// handler counting ticks at 0x8000: PUSH HL; LD HL,(0x8000); INC HL;
// LD (0x8000),HL; POP HL; EI; RET.
static void WriteIdleRom(const fs::path& dir) {
    uint8_t rom[0x48] = {0x3E, 0x01, 0xD3, 0xE6, 0xED, 0x56, 0xFB, 0x76, 0x18, 0xFD};
    const uint8_t handler[] = {0xE5, 0x2A, 0x00, 0x80, 0x23, 0x22, 0x00, 0x80, 0xE1, 0xFB, 0xC9};
    memcpy(rom + 0x38, handler, sizeof handler);
    FILE* file = fopen((dir / "n80basic.rom").c_str(), "wb");
    if (!file || fwrite(rom, 1, sizeof rom, file) != sizeof rom) {
        fprintf(stderr, "cannot write the idle ROM in %s\n", dir.c_str());
        exit(1);
    }
    fclose(file);
}

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 10.0;
    fs::path dir = fs::temp_directory_path() / "z80home-pacing-bench";
    fs::create_directories(dir);
    WriteIdleRom(dir);
    fs::current_path(dir);

    HWND window = ShimCreateWindow(640, 480);
    if (!RunEmu(window, GetDC(window))) {
        fprintf(stderr, "RunEmu failed\n");
        return 1;
    }
    // Let the threads settle, then watch the cycle count. It starts over at
    // the second budget; each start-over loses at most one instruction's
    // overshoot, a few T-states a second.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::clock_t cpuStart = std::clock();
    int64_t cycles = 0;
    int32_t last = Get(machine.cyclesThisSecond);
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        int32_t now = Get(machine.cyclesThisSecond);
        cycles += now >= last ? now - last : (kSecondBudgetDisplayOn - last) + now;
        last = now;
    }
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    double paced = kSliceBudgetDisplayOn * 1000.0 / kShortestSliceMs;
    printf("ran %.2f s: host CPU %.2f %% of one core (target at most 3 %%)\n", wall,
           100.0 * cpu / wall);
    printf("emulated %.0f cycles/s, paced %.0f: %+.2f %% (target within 2 %%)\n", cycles / wall,
           paced, 100.0 * (cycles / wall - paced) / paced);

    // The program's clock: ticks counted over the cycles run, in each mode.
    struct Mode {
        const char* name;
        uint32_t percent;
        bool warp;
    };
    const Mode modes[] = {{"paced (100 %)", 100, false},
                          {"at 50 %", 50, false},
                          {"at 250 %", 250, false},
                          {"in warp", 100, true}};
    auto ticks = [] {
        return Get(machine.mainRam[kTickCount]) | Get(machine.mainRam[kTickCount + 1]) << 8;
    };
    for (const Mode& mode : modes) {
        RunControlSetSpeed(mode.percent);
        RunControlSetWarp(mode.warp);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        uint64_t cyclesBefore = Get(machine.cyclesRun);
        int counted = 0, last = ticks();
        for (Clock::time_point stop =
                 Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 250));
             Clock::now() < stop;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            int now = ticks();
            counted += (now - last) & 0xFFFF;
            last = now;
        }
        double emulated = static_cast<double>(Get(machine.cyclesRun) - cyclesBefore) / paced;
        printf("ticks per emulated second %-14s %8.1f over %.1f emulated s (target 500 +- 1)\n",
               mode.name, counted / emulated, emulated);
    }
    fflush(stdout);
    std::quick_exit(0); // the emulation threads never end
}

// Runs the whole machine for a while on a ROM that idles with the 2 ms tick
// enabled, and prints what it costs the host (CPU time as a share of one core)
// and how fast the emulated processor ran against its paced speed.
//
//   pacing_bench [seconds]      (default 10)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>
#include <winshim_host.h>

#include "core/machine.h"
#include "core/z80home.h"
#include "state/machine_state.h"

namespace fs = std::filesystem;

// LD A,1; OUT (0xE6),A; IM 1; EI; loop: HALT; JR loop -- with EI; RET at 0x38.
static void WriteIdleRom(const fs::path& dir) {
    uint8_t rom[0x40] = {0x3E, 0x01, 0xD3, 0xE6, 0xED, 0x56, 0xFB, 0x76, 0x18, 0xFD};
    rom[0x38] = 0xFB;
    rom[0x39] = 0xC9;
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
    fflush(stdout);
    std::quick_exit(0); // the emulation threads never end
}

// What points the machine never reaches cost it, run unpaced slice by slice
// as warp runs it. Two programs on the system ROM: BASIC waiting at its
// prompt (mostly HALT until the next tick), and a busy BASIC loop pasted in
// and run. Each runs with nothing set, then with breakpoints at addresses it
// never runs and watchpoints on what it never touches. The setups take
// turns for several rounds, each run right after a run with nothing set so
// that the pair sees the same load on a busy machine; each setup prints its
// median emulated MHz per CPU second and the median of its runs' ratios to
// their partners' (nothing set's own line shows how far two runs of the
// same wander).
//
//   debug_bench [seconds per run] [rounds]      (default 0.2 and 15)
//   debug_bench --cycles N
//
// With --cycles each setup runs once for N cycles, each in a function of its
// own (Measured<program, setup>), for instruction counts under callgrind:
// bench/debug/callgrind.sh prints those and their ratios.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "core/machine.h"
#include "core/z80home.h"
#include "debug/debugger.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"

namespace {

bool LoadImage(const std::string& path, uint8_t* image, size_t size) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    size_t got = fread(image, 1, size, file);
    fclose(file);
    return got > 0;
}

// Emulated MHz per CPU second over the given CPU time, or over the given
// cycles when cycles is not 0: slices back to back, as the processor
// thread runs them in warp, each with its ticks.
double Run(double seconds, int64_t cycles) {
    std::clock_t start = std::clock();
    int64_t run = 0;
    double spent = 0;
    while (cycles ? run < cycles : spent < seconds) {
        for (int i = 0; i < 10; ++i)
            run += CpuRunSlice();
        spent = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    }
    return static_cast<double>(run) / std::max(spent, 1e-9) / 1e6;
}

struct Setup {
    const char* name;
    void (*arm)(void);
};

// Addresses no code runs at: the BASIC program's text and variables.
constexpr uint16_t kNeverRun = 0xC000;
// Memory nothing reads or writes, and ports nothing answers.
constexpr uint16_t kUntouched = 0xA000;

void Add(unsigned kinds, uint16_t first, uint16_t last, const char* condition = "") {
    std::string error;
    if (DebugAddPoint(kinds, first, last, condition, error) < 0) {
        fprintf(stderr, "debug_bench: %s\n", error.c_str());
        exit(1);
    }
}

void Nothing(void) {}

void OneBreakpoint(void) {
    Add(kDebugExec, kNeverRun, kNeverRun);
}

void TenBreakpoints(void) {
    for (uint16_t i = 0; i < 10; ++i)
        Add(kDebugExec, static_cast<uint16_t>(kNeverRun + i * 0x101),
            static_cast<uint16_t>(kNeverRun + i * 0x101));
}

void WriteWatchpoint(void) {
    Add(kDebugMemWrite, kUntouched, kUntouched + 0xFF);
}

void ReadWatchpoint(void) {
    Add(kDebugMemRead, kUntouched, kUntouched + 0xFF);
}

void Everything(void) {
    TenBreakpoints();
    WriteWatchpoint();
    ReadWatchpoint();
    Add(kDebugPortRead | kDebugPortWrite, 0x90, 0x9F, "A == 1");
}

const Setup kSetups[] = {
    {"nothing set", Nothing},
    {"one breakpoint never reached", OneBreakpoint},
    {"ten breakpoints never reached", TenBreakpoints},
    {"a memory write watchpoint never taken", WriteWatchpoint},
    {"a memory read watchpoint never taken", ReadWatchpoint},
    {"all of them and a port watchpoint", Everything},
};
constexpr int kSetupCount = sizeof kSetups / sizeof kSetups[0];

// One setup's run, in a function of its own for callgrind.
template <int kProgram, int kSetup>
[[gnu::noinline]] double Measured(double seconds, int64_t cycles) {
    return Run(seconds, cycles);
}

using Measure = double (*)(double seconds, int64_t cycles);
template <int kProgram, int... kSetup>
constexpr std::array<Measure, kSetupCount> Measures(std::integer_sequence<int, kSetup...>) {
    return {Measured<kProgram, kSetup>...};
}
constexpr std::array<Measure, kSetupCount> kMeasures[] = {
    Measures<0>(std::make_integer_sequence<int, kSetupCount>()),
    Measures<1>(std::make_integer_sequence<int, kSetupCount>())};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 0.2;
    int rounds = 15;
    int64_t cycles = 0;
    if (argc > 2 && strcmp(argv[1], "--cycles") == 0) {
        cycles = atoll(argv[2]);
        rounds = 1;
    } else {
        if (argc > 1) seconds = atof(argv[1]);
        if (argc > 2) rounds = atoi(argv[2]);
    }
    const char* dir = getenv("Z80HOME_ROM_DIR");
    std::string romDir = dir ? dir : Z80HOME_ROM_DIR;
    if (!LoadImage(romDir + "/n80basic.rom", machine.basicRom, kBasicRomSize)) {
        fprintf(stderr, "no n80basic.rom in %s (set Z80HOME_ROM_DIR)\n", romDir.c_str());
        return 1;
    }
    setz80memaccess(BusAccess);
    ResetEmu();
    Run(0, 8000000); // boot to the prompt

    const char* const programs[] = {"BASIC at its prompt",
                                    "a busy BASIC loop: 10 A=A+1:B=A*2:GOTO 10"};
    std::vector<double> mhz[2][kSetupCount], ratios[2][kSetupCount];
    for (int p = 0; p < 2; ++p) {
        if (p == 1) {
            PasteText("10 A=A+1:B=A*2:GOTO 10\nRUN\n");
            while (GetPasteLeft() > 0)
                CpuRunSlice();
            Run(0, 1000000);
        }
        for (int round = 0; round < rounds; ++round)
            for (int s = 0; s < kSetupCount; ++s) {
                DebugReset();
                double partner = cycles ? 0 : Run(seconds, 0);
                kSetups[s].arm();
                mhz[p][s].push_back(kMeasures[p][s](seconds, cycles));
                ratios[p][s].push_back(mhz[p][s].back() / std::max(partner, 1e-9));
            }
    }
    DebugReset();
    if (cycles) {
        printf("%lld cycles a setup: instruction counts under callgrind\n",
               static_cast<long long>(cycles));
        return 0;
    }
    printf("unpaced, medians of %d runs of %.2f CPU seconds\n", rounds, seconds);
    for (int p = 0; p < 2; ++p) {
        printf("%s\n", programs[p]);
        for (int s = 0; s < kSetupCount; ++s)
            printf("  %-40s %8.1f MHz  %.3f of nothing set\n", kSetups[s].name, Median(mhz[p][s]),
                   Median(ratios[p][s]));
    }
    return 0;
}

// Emulated speed of z80core and of libz80ex on the same workload: a fixed
// prefix of ZEXDOC (default 5 G T-states), each core behind the same bus
// function, runs alternating between the two. Prints the emulated MHz of each
// and their ratio.
//
//   z80_bench [--tstates N] [--rounds N] [--ours-only] [--program FILE]
//
// --ours-only runs z80core alone once, for instruction counts under
// valgrind --tool=callgrind.
#include "z80/z80.h"

#include <z80ex/z80ex.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

uint8_t ram[65536];
std::string printed;
bool ended;

// The one bus both cores use: RAM, port 0x00 prints, port 0xFF ends the run.
[[gnu::noinline]] int Bus(int address, int data, unsigned kind) {
    switch (kind) {
    case 0: ram[address] = uint8_t(data); return 0;
    case 1: return ram[address];
    case 2:
        if ((address & 0xFF) == 0)
            printed += char(data);
        else
            ended = true;
        return 0;
    default: return 0xFF;
    }
}

// CP/M as the exercisers need it: JP 0100h at 0, JP FE00h at 5 (BDOS, and the
// stack top at 6), the BDOS print functions at FE00h, and after the start
// OUT (0FFh),A at 0 so the warm boot ends the run.
const uint8_t bdos[] = {0x79, 0xFE, 0x02, 0x20, 0x04, 0x7B, 0xD3, 0x00, 0xC9,
                        0x1A, 0xFE, 0x24, 0xC8, 0xD3, 0x00, 0x13, 0x18, 0xF7};

void LoadMachine(const std::vector<uint8_t>& program) {
    std::memset(ram, 0, sizeof ram);
    std::memcpy(ram + 0x100, program.data(), program.size());
    std::memcpy(ram + 0xFE00, bdos, sizeof bdos);
    const uint8_t start[] = {0xC3, 0x00, 0x01}, toBdos[] = {0xC3, 0x00, 0xFE};
    std::memcpy(ram, start, 3);
    std::memcpy(ram + 5, toBdos, 3);
    printed.clear();
    ended = false;
}

void ArmWarmBoot() {
    const uint8_t finish[] = {0xD3, 0xFF, 0x76};
    std::memcpy(ram, finish, 3);
}

struct Result {
    long long tstates;
    double seconds;
    std::string output;
};

Result RunOurs(const std::vector<uint8_t>& program, long long budget) {
    LoadMachine(program);
    Z80Init();
    setz80memaccess(Bus);
    auto start = std::chrono::steady_clock::now();
    long long t = Z80Run();
    ArmWarmBoot();
    while (t < budget && !ended)
        t += Z80Run();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {t, s, printed};
}

Z80EX_BYTE ExRead(Z80EX_CONTEXT*, Z80EX_WORD addr, int, void*) {
    return Z80EX_BYTE(Bus(addr, 0, 1));
}
void ExWrite(Z80EX_CONTEXT*, Z80EX_WORD addr, Z80EX_BYTE value, void*) {
    Bus(addr, value, 0);
}
Z80EX_BYTE ExIn(Z80EX_CONTEXT*, Z80EX_WORD port, void*) {
    return Z80EX_BYTE(Bus(port, 0, 3));
}
void ExOut(Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE value, void*) {
    Bus(port, value, 2);
}
Z80EX_BYTE ExIntRead(Z80EX_CONTEXT*, void*) {
    return 0xFF;
}

Result RunZ80ex(const std::vector<uint8_t>& program, long long budget) {
    LoadMachine(program);
    Z80EX_CONTEXT* cpu = z80ex_create(ExRead, nullptr, ExWrite, nullptr, ExIn, nullptr, ExOut,
                                      nullptr, ExIntRead, nullptr);
    auto start = std::chrono::steady_clock::now();
    long long t = z80ex_step(cpu);
    ArmWarmBoot();
    while (t < budget && !ended)
        t += z80ex_step(cpu);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    z80ex_destroy(cpu);
    return {t, s, printed};
}

double Mhz(const Result& r) {
    return r.tstates / r.seconds / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    long long budget = 5'000'000'000LL;
    int rounds = 2;
    bool oursOnly = false;
    std::string path = std::string(Z80HOME_Z80TESTS_DIR) + "/zexdoc.com";
    if (const char* env = std::getenv("Z80HOME_Z80TESTS"); env && *env)
        path = std::string(env) + "/zexdoc.com";
    for (int k = 1; k < argc; k++) {
        std::string a = argv[k];
        if (a == "--tstates" && k + 1 < argc)
            budget = std::atoll(argv[++k]);
        else if (a == "--rounds" && k + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++k]));
        else if (a == "--ours-only")
            oursOnly = true;
        else if (a == "--program" && k + 1 < argc)
            path = argv[++k];
        else {
            std::fprintf(stderr,
                         "usage: %s [--tstates N] [--rounds N] [--ours-only] [--program FILE]\n",
                         argv[0]);
            return 2;
        }
    }
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> program((std::istreambuf_iterator<char>(file)), {});
    if (program.empty() || program.size() > 0xFD00 - 0x100) {
        std::fprintf(stderr, "cannot load %s\n", path.c_str());
        return 1;
    }

    if (oursOnly) {
        Result r = RunOurs(program, budget);
        std::printf("z80core: %lld T-states in %.3f s: %.1f emulated MHz\n", r.tstates, r.seconds,
                    Mhz(r));
        return 0;
    }

    std::printf("workload: %s, first %lld T-states, %d rounds each, alternating\n", path.c_str(),
                budget, rounds);
    double bestOurs = 0, bestTheirs = 0;
    for (int round = 0; round < rounds; round++) {
        Result ours = RunOurs(program, budget);
        Result theirs = RunZ80ex(program, budget);
        std::printf(
            "round %d: z80core %.1f MHz (%lld T in %.2f s), libz80ex %.1f MHz (%lld T in %.2f s)\n",
            round + 1, Mhz(ours), ours.tstates, ours.seconds, Mhz(theirs), theirs.tstates,
            theirs.seconds);
        // Both must have run the same program to the same point.
        size_t common = std::min(ours.output.size(), theirs.output.size());
        if (ours.output.compare(0, common, theirs.output, 0, common) != 0)
            std::printf("warning: the two cores printed different text\n");
        bestOurs = std::max(bestOurs, Mhz(ours));
        bestTheirs = std::max(bestTheirs, Mhz(theirs));
    }
    std::printf("best: z80core %.1f emulated MHz, libz80ex %.1f emulated MHz, ratio %.2f\n",
                bestOurs, bestTheirs, bestOurs / bestTheirs);
    return 0;
}

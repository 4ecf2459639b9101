#include "tests/z80/zex_harness.h"

#include "z80/z80.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace z80test {

namespace {

// The program's machine: 64 KB of RAM, port 0x00 prints a character, port
// 0xFF ends the run.
uint8_t ram[65536];
std::string printed;
bool ended;

int CpmBus(int address, int data, unsigned kind) {
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

// BDOS at 0xFE00, reached by JP FE00 at 5 (whose operand is also the stack
// top the programs read from 6): function 2 prints E, function 9 prints the
// string at DE up to '$'.
const uint8_t bdos[] = {
    0x79,       // ld a,c
    0xFE, 0x02, // cp 2
    0x20, 0x04, // jr nz,string
    0x7B,       // ld a,e
    0xD3, 0x00, // out (0),a
    0xC9,       // ret
    0x1A,       // string: ld a,(de)
    0xFE, 0x24, // cp '$'
    0xC8,       // ret z
    0xD3, 0x00, // out (0),a
    0x13,       // inc de
    0x18, 0xF7, // jr string
};

// Upper bound: the exercisers need about 47 G T-states.
constexpr long long tstateLimit = 60'000'000'000LL;
// The exercisers' table of test groups: 16-bit pointers ending with 0.
constexpr int testTable = 0x013A;

} // namespace

CpmRun RunCpmProgram(const std::string& path, const std::vector<int>& keep) {
    CpmRun run;
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> program((std::istreambuf_iterator<char>(file)), {});
    if (program.empty() || program.size() > 0xFD00 - 0x100) return run;
    run.loaded = true;

    std::memset(ram, 0, sizeof ram);
    std::memcpy(ram + 0x100, program.data(), program.size());
    std::memcpy(ram + 0xFE00, bdos, sizeof bdos);
    const uint8_t jumpStart[] = {0xC3, 0x00, 0x01}, jumpBdos[] = {0xC3, 0x00, 0xFE};
    std::memcpy(ram, jumpStart, 3);
    std::memcpy(ram + 5, jumpBdos, 3);
    if (!keep.empty()) {
        uint8_t table[512];
        std::memcpy(table, ram + testTable, sizeof table);
        int at = testTable;
        for (int index : keep) {
            ram[at++] = table[index * 2];
            ram[at++] = table[index * 2 + 1];
        }
        ram[at] = ram[at + 1] = 0;
    }
    printed.clear();
    ended = false;

    Z80Init();
    setz80memaccess(CpmBus);
    auto start = std::chrono::steady_clock::now();
    long long t = Z80Run(); // JP 0100h
    // The warm boot (JP 0) now lands on OUT (0FFh),A.
    const uint8_t finish[] = {0xD3, 0xFF, 0x76};
    std::memcpy(ram, finish, 3);
    while (!ended && t < tstateLimit)
        t += Z80Run();
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.tstates = t;
    run.finished = ended;
    run.output = printed;
    return run;
}

} // namespace z80test

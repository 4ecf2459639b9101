// The processor alone: a random register state and a random program run for
// a bounded number of steps, with interrupt requests (and a reset posted
// from outside) at input-chosen moments, over a bus that checks every access.
//
// Input: the registers, 16 bytes that port reads return, the request
// schedule, then the program. The program is copied over the whole 64 KB
// from the start address on, so that every jump lands in fuzzed code.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/fuzz_support.h"
#include "z80/z80.h"

namespace {

constexpr int kSteps = 2048;
// T-states of the longest call: a DD or FD that an ED instruction follows
// counts 4 before it (the prefix is ignored, but no interrupt comes between),
// so a repeating block instruction behind one takes 4 + 21.
constexpr int kLongestInstruction = 25;

uint8_t memory[0x10000];
uint8_t portBytes[16];

void Check(bool ok) {
    if (!ok) std::abort();
}

// The core's side of the contract: four kinds, 16-bit addresses, 8-bit data.
int CheckedBus(int address, int data, unsigned kind) {
    Check(kind <= Z80PortRead);
    Check(address >= 0 && address <= 0xFFFF);
    switch (kind) {
    case Z80MemWrite:
        Check(data >= 0 && data <= 0xFF);
        memory[address] = static_cast<uint8_t>(data);
        return 0;
    case Z80MemRead: return memory[address];
    case Z80PortWrite: Check(data >= 0 && data <= 0xFF); return 0xFF;
    default: return portBytes[address & 15];
    }
}

void CheckRegs(const Z80Regs& r) {
    Check(r.iff1 <= 1 && r.iff2 <= 1 && r.im <= 2 && r.halted <= 1);
    Check(r.eiDelay <= 1 && r.irqPending <= 1 && r.ldAirLatch <= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    setz80memaccess(CheckedBus);
    Z80Init();

    Z80Regs regs;
    std::memset(&regs, 0, sizeof regs);
    Z80GetRegs(&regs);
    unsigned short* pairs[] = {&regs.af,  &regs.bc,  &regs.de,  &regs.hl, &regs.af2,
                               &regs.bc2, &regs.de2, &regs.hl2, &regs.ix, &regs.iy,
                               &regs.sp,  &regs.pc,  &regs.wz};
    for (unsigned short* pair : pairs)
        *pair = in.Word();
    regs.i = in.Byte();
    regs.r = in.Byte();
    uint8_t flags = in.Byte();
    regs.iff1 = flags & 1;
    regs.iff2 = (flags >> 1) & 1;
    regs.halted = (flags >> 2) & 1;
    regs.eiDelay = (flags >> 3) & 1;
    regs.irqPending = (flags >> 4) & 1;
    regs.im = static_cast<unsigned char>((flags >> 5) % 3);
    regs.irqData = in.Byte();
    Z80SetRegs(&regs);

    // Whatever was set reads back unchanged.
    Z80Regs back;
    std::memset(&back, 0, sizeof back);
    Z80GetRegs(&back);
    Check(std::memcmp(&regs, &back, sizeof regs) == 0);

    // Copied rather than read a byte at a time, which gcc's -O3 takes for an
    // overflow; zeros past the input's end, as Byte() gives.
    std::memset(portBytes, 0, sizeof portBytes);
    if (in.at < size) {
        size_t count = std::min(sizeof portBytes, size - in.at);
        std::memcpy(portBytes, data + in.at, count);
        in.at += count;
    }
    int irqEvery = in.Byte() + 1;
    int irqByte = in.Byte();
    int resetAt = in.Word() % (4 * kSteps);

    // The program from the start address on, repeated to fill the 64 KB
    // (laid out from 0, then rotated into place).
    size_t programSize = std::min(size - std::min(size, in.at), sizeof memory);
    static uint8_t laid[sizeof memory];
    std::memset(laid, 0, sizeof laid);
    if (programSize) {
        std::memcpy(laid, data + in.at, programSize);
        for (size_t filled = programSize; filled < sizeof laid; filled *= 2)
            std::memcpy(laid + filled, laid, std::min(filled, sizeof laid - filled));
    }
    size_t pc = regs.pc;
    std::memcpy(memory + pc, laid, sizeof memory - pc);
    std::memcpy(memory, laid + (sizeof memory - pc), pc);

    for (int step = 0; step < kSteps; step++) {
        if (step % irqEvery == 0) Z80DoIRQ(irqByte);
        if (step == resetAt) Z80Init();
        int cycles = Z80Run();
        Check(cycles > 0 && cycles <= kLongestInstruction);
    }
    Z80GetRegs(&regs);
    CheckRegs(regs);
    return 0;
}

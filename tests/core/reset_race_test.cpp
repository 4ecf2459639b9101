// ResetEmu against a running program: a program that keeps writing the RAM
// select port, the DMA controller and the CRT controller must not outlive a
// reset. After every reset the first instruction must come from the ROM and
// find the registers at their reset values.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace {

constexpr int kResets = 0xF000; // 16-bit count of the resets seen
constexpr int kFault = 0xF002;  // 1: a register kept the program's value; 2: RAM ran at 0

// At 0: check port 0x31, the interrupt mask, the CRT data latch, DMA
// channel 0 with its flip-flop; count the reset; copy the program to 0x8000
// and a trap to RAM at 0 (where only a surviving RAM select would run it),
// and jump to the program.
const uint8_t kRom[] = {
    0xDB, 0x31, 0xFE, 0x08, 0x20, 0x20,       // IN A,(31h); CP 08h; JR NZ,fail
    0xDB, 0xE6, 0xB7, 0x20, 0x1B,             // IN A,(E6h); OR A; JR NZ,fail
    0xDB, 0x50, 0xB7, 0x20, 0x16,             // IN A,(50h); OR A; JR NZ,fail
    0x3E, 0x12, 0xD3, 0x60,                   // LD A,12h; OUT (60h),A: the low byte
    0xDB, 0x60, 0xB7, 0x20, 0x0D,             // IN A,(60h); OR A; JR NZ,fail
    0xDB, 0x60, 0xFE, 0x12, 0x20, 0x07,       // IN A,(60h); CP 12h; JR NZ,fail
    0xDB, 0x61, 0xB7, 0x20, 0x02,             // IN A,(61h); OR A; JR NZ,fail
    0x18, 0x05,                               // JR count
    0x3E, 0x01, 0x32, 0x02, 0xF0,             // fail: LD A,1; LD (kFault),A
    0x2A, 0x00, 0xF0, 0x23, 0x22, 0x00, 0xF0, // count: LD HL,(kResets); INC HL; LD (kResets),HL
    0x21, 0x50, 0x00, 0x11, 0x00, 0x80, 0x01, 0x14, 0x00, 0xED, 0xB0, // program to 8000h
    0x21, 0x70, 0x00, 0x11, 0x00, 0x00, 0x01, 0x0F, 0x00, 0xED, 0xB0, // trap to 0
    0xC3, 0x00, 0x80,                                                 // JP 8000h
};
// At 8000h, without end: RAM over the ROM, DMA channel 0's address and count,
// the CRT data latch and its reset command, the tick interrupt enabled.
const uint8_t kProgram[] = {
    0x3E, 0x0B, 0xD3, 0x31,             // LD A,0Bh; OUT (31h),A
    0x3E, 0x55, 0xD3, 0x60, 0xD3, 0x61, // LD A,55h; OUT (60h),A; OUT (61h),A
    0xD3, 0x50, 0xAF, 0xD3, 0x51,       // OUT (50h),A; XOR A; OUT (51h),A
    0x3C, 0xD3, 0xE6, 0x18, 0xEC,       // INC A; OUT (E6h),A; JR 8000h
};
// At 0 in RAM: note the fault, count the reset, back to the program.
const uint8_t kTrap[] = {
    0x3E, 0x02, 0x32, 0x02, 0xF0,             // LD A,2; LD (kFault),A
    0x2A, 0x00, 0xF0, 0x23, 0x22, 0x00, 0xF0, // LD HL,(kResets); INC HL; LD (kResets),HL
    0xC3, 0x00, 0x80,                         // JP 8000h
};

int Resets(void) {
    return Get(machine.mainRam[kResets]) | Get(machine.mainRam[kResets + 1]) << 8;
}

TEST(ResetRace, NothingTheProgramDoesOutlivesAReset) {
    static_assert(sizeof kProgram == 0x14 && sizeof kTrap == 0x0F);
    MachinePowerOn();
    std::memset(machine.basicRom, 0, kBasicRomSize);
    std::memcpy(machine.basicRom, kRom, sizeof kRom);
    std::memcpy(machine.basicRom + 0x50, kProgram, sizeof kProgram);
    std::memcpy(machine.basicRom + 0x70, kTrap, sizeof kTrap);
    setz80memaccess(BusAccess);

    // The processor's thread as RunEmu starts it, without the pauses.
    Put(machine.running, 1);
    std::atomic<bool> stop{false};
    std::thread cpu([&] {
        RunControlEnterThread();
        while (!stop.load(std::memory_order_relaxed)) {
            RunControlWait();
            CpuRunSlice();
        }
    });
    for (int i = 0; i < 200 && Get(machine.mainRam[kFault]) == 0; ++i) {
        int before = Resets();
        EXPECT_EQ(ResetEmu(), 0);
        while (Resets() == before)
            std::this_thread::yield();
    }
    stop = true;
    cpu.join();
    Put(machine.running, 0);
    EXPECT_EQ(Get(machine.mainRam[kFault]), 0) << "1: a register kept its value; 2: RAM ran at 0";
}

} // namespace

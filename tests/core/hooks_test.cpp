// The slice loop's hooks, which let the layers above look in: the check
// between instructions, at marked addresses or before every instruction,
// and the hook after each tick. Random programs without I/O, driven in
// random slices, run the same whatever is looked at.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace {

// What the check hook saw: the PC of each instruction it was called before,
// with the machine's cycle then, counted from the boot. It ends the slice
// at the call numbered stopAt.
struct Seen {
    std::vector<std::pair<uint16_t, uint64_t>> calls;
    size_t stopAt = SIZE_MAX;
    uint64_t boot;
};
Seen seen;

uint64_t SinceBoot(int32_t uncounted) {
    return Get(machine.cyclesRun) + static_cast<uint64_t>(uncounted) - seen.boot;
}

bool Look(int32_t uncounted) {
    seen.calls.emplace_back(*Z80PCLocation(), SinceBoot(uncounted));
    return seen.calls.size() - 1 == seen.stopAt;
}

// The marked addresses of a check at marked addresses.
uint8_t marks[0x10000];

int ticks;
void CountTick(void) {
    ++ticks;
}

class Hooks : public ::testing::Test {
  protected:
    void SetUp() override { setz80memaccess(BusAccess); }
    void TearDown() override {
        Put(machineCheckMap, machineCheckNone.data());
        Put(machineCheckHook, nullptr);
        Put(machineTickHook, nullptr);
    }

    // The machine from power-on, its registers cleared, with the seed's
    // program in ROM and RAM: random bytes without the port instructions
    // (whose answers, the calendar's among them, could differ from one run
    // to the next) and without ED, which leads them all.
    static void Boot(uint32_t seed) {
        MachinePowerOn();
        seen = {};
        seen.boot = Get(machine.cyclesRun);
        // A reset leaves most registers as they were: these start from 0.
        Z80Regs regs;
        std::memset(&regs, 0, sizeof regs);
        Z80SetRegs(&regs);
        std::mt19937 random(seed);
        for (uint8_t& byte : machine.basicRom)
            byte = Plain(random());
        for (int address = 0; address < 0x10000; ++address)
            machine.mainRam[address] = Plain(random());
    }
    static uint8_t Plain(uint32_t value) {
        uint8_t byte = static_cast<uint8_t>(value);
        return byte == 0xDB || byte == 0xD3 || byte == 0xED ? 0x00 : byte;
    }
    // Slices of random lengths from the seed; the cycles of each.
    static std::vector<int32_t> Run(uint32_t seed, int slices) {
        std::mt19937 random(seed);
        std::vector<int32_t> lengths;
        for (int i = 0; i < slices; ++i)
            lengths.push_back(CpuRunSliceUpTo(1 + static_cast<int32_t>(random() % 3000)));
        return lengths;
    }
};

// A check at marked addresses sees exactly the instructions at those
// addresses that a check before every instruction sees, with the same
// cycles; and a check that ends the slice ends it before that instruction,
// which the next slice checks again first.
TEST_F(Hooks, TheCheckRunsBeforeEachInstructionAtAMarkedAddressAndEndsTheSliceThere) {
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        Boot(seed);
        Put(machineCheckHook, Look);
        Put(machineCheckMap, machineCheckAll.data());
        std::vector<int32_t> lengths = Run(seed, 40);
        std::vector<std::pair<uint16_t, uint64_t>> every = seen.calls;
        Z80Regs end, again;
        std::memset(&end, 0, sizeof end); // and their padding
        std::memset(&again, 0, sizeof again);
        Z80GetRegs(&end);

        std::mt19937 random(seed * 7919);
        std::memset(marks, 0, sizeof marks);
        for (auto [pc, cycles] : every)
            if (random() % 3 == 0) marks[pc] = 1;
        for (int i = 0; i < 64; ++i) { // and some never reached
            marks[static_cast<uint16_t>(random())] = 1;
        }
        std::vector<std::pair<uint16_t, uint64_t>> expected;
        for (auto call : every)
            if (marks[call.first]) expected.push_back(call);

        Boot(seed);
        Put(machineCheckMap, marks);
        ASSERT_EQ(Run(seed, 40), lengths) << "seed " << seed;
        ASSERT_EQ(seen.calls, expected) << "seed " << seed;
        Z80GetRegs(&again);
        ASSERT_EQ(std::memcmp(&again, &end, sizeof end), 0) << "seed " << seed;

        if (expected.empty()) continue;
        Boot(seed);
        seen.stopAt = random() % expected.size();
        std::mt19937 slices(seed); // the same slices as Run's
        while (seen.calls.size() <= seen.stopAt)
            CpuRunSliceUpTo(1 + static_cast<int32_t>(slices() % 3000));
        auto [stopPc, stopCycle] = expected[seen.stopAt];
        ASSERT_EQ(SinceBoot(0), stopCycle) << "seed " << seed;
        ASSERT_EQ(*Z80PCLocation(), stopPc) << "seed " << seed;
        CpuRunSliceUpTo(1);
        ASSERT_EQ(seen.calls.back(), std::make_pair(stopPc, stopCycle)) << "seed " << seed;
    }
}

// The tick hook runs once after each tick, however the cycles fall into
// slices, and not at all once cleared.
TEST_F(Hooks, TheTickHookRunsOnceAfterEachTick) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        Boot(seed);
        ticks = 0;
        Put(machineTickHook, CountTick);
        int64_t cycles = 0;
        for (int32_t length : Run(seed, 200))
            cycles += length;
        ASSERT_EQ(ticks, cycles / RunControlTickCycles()) << "seed " << seed;
        ASSERT_EQ(machine.cyclesSinceTick, cycles % RunControlTickCycles()) << "seed " << seed;
        Put(machineTickHook, nullptr);
        Run(seed, 50);
        ASSERT_EQ(ticks, cycles / RunControlTickCycles()) << "seed " << seed;
    }
}

} // namespace

// Run control on the test thread: ticks per emulated cycle at each speed,
// and single slices only while paused.
#include <gtest/gtest.h>

#include <cstring>

#include "bus/bus.h"
#include "core/machine.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace {

// EI; IM 1; JR $ -- and at 0x38 a handler counting ticks at 0x8000:
// INC (HL); EI; RET.
void LoadTickCounter(void) {
    memset(machine.basicRom, 0, sizeof machine.basicRom);
    const uint8_t start[] = {0x21, 0x00, 0x80, 0xFB, 0xED, 0x56, 0x18, 0xFE};
    const uint8_t handler[] = {0x34, 0xFB, 0xC9};
    memcpy(machine.basicRom, start, sizeof start);
    memcpy(machine.basicRom + 0x38, handler, sizeof handler);
    setz80memaccess(BusAccess);
    Put(machine.pendingInterrupt, 0);
    ResetEmu();
    Put(machine.mainRam[0x8000], 0);
    machine.cyclesSinceTick = 0;
    BusAccess(0xE6, 0x81, PortWrite); // the tick interrupt on
}

struct SpeedCase {
    uint32_t percent;
    uint8_t warp, paused, displayOff;
    int ticksPerSlice;
};

TEST(RunControl, TicksFollowTheCyclesRunAtEverySpeedButThePacedOne) {
    // Paced, real time gives the ticks (no TickThread here, so none come);
    // otherwise a slice of either budget holds the eight a paced one does.
    const SpeedCase cases[] = {
        {100, 0, 0, 0, 8}, {200, 0, 0, 0, 8}, {50, 0, 0, 0, 8},
        {100, 1, 0, 0, 8}, {100, 0, 1, 0, 8}, {400, 1, 0, 1, 8},
    };
    for (const SpeedCase& c : cases) {
        LoadTickCounter();
        if (c.displayOff) BusAccess(0x31, 0x00, PortWrite);
        SetSpeed(c.percent);
        SetWarp(c.warp);
        SetPaused(c.paused);
        for (int slice = 0; slice < 10; slice++) {
            if (c.paused)
                ASSERT_EQ(StepSlice(), 1);
            else
                CpuRunSlice();
        }
        int ticks = Get(machine.mainRam[0x8000]);
        EXPECT_GE(ticks, c.ticksPerSlice * 10 - 1) << c.percent << "% warp " << int(c.warp);
        EXPECT_LE(ticks, c.ticksPerSlice * 10) << c.percent << "% warp " << int(c.warp);
    }
    SetSpeed(100);
    SetWarp(0);
    SetPaused(0);
}

TEST(RunControl, SpeedIsClampedAndSingleSlicesRunOnlyWhilePaused) {
    SetSpeed(5);
    EXPECT_EQ(GetSpeed(), 10u);
    SetSpeed(100000);
    EXPECT_EQ(GetSpeed(), 1000u);
    SetSpeed(100);

    LoadTickCounter();
    Z80Regs before, after;
    Z80GetRegs(&before);
    EXPECT_EQ(StepSlice(), 0);
    Z80GetRegs(&after);
    EXPECT_EQ(after.r, before.r) << "a step ran while not paused";

    SetPaused(1);
    EXPECT_EQ(GetPaused(), 1);
    int32_t cycles = Get(machine.cyclesThisSecond);
    EXPECT_EQ(StepSlice(), 1);
    EXPECT_GE(Get(machine.cyclesThisSecond) - cycles, kSliceBudgetDisplayOn);
    SetPaused(0);
    EXPECT_EQ(GetPaused(), 0);
}

} // namespace

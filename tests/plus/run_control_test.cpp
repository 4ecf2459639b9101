// Run control on the test thread: ticks per emulated cycle at each speed,
// and single slices only while paused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "plus/z80home_plus.h"
#include "state/machine_state.h"
#include "tests/machine/machine_support.h"
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

TEST(RunControl, TicksFollowTheCyclesRunAtEverySpeed) {
    // A slice of either budget holds eight ticks, paced or not.
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

// The machine is a function of what it is given at which cycle: the same
// keys at the same cycles leave the same RAM, clock and processor paced, in
// warp, at other speeds and stepped while paused, as the tick follows the
// cycles run in every mode.
TEST(RunControl, EveryModeRunsTheSameMachine) {
    struct Mode {
        uint32_t percent;
        uint8_t warp, paused;
    };
    const Mode modes[] = {{100, 0, 0}, {100, 1, 0}, {250, 0, 0}, {30, 0, 0}, {100, 0, 1}};
    std::vector<uint8_t> first;
    for (const Mode& mode : modes) {
        SetSpeed(mode.percent);
        SetWarp(mode.warp);
        SetPaused(mode.paused);
        uint64_t start = Get(machine.cyclesRun);
        BasicBoot();
        Enter({"10 FOR I=1 TO 300:NEXT:PRINT PEEK(61456)"});
        TypeLine("RUN");
        for (int slice = 0; slice < 40; slice++)
            if (mode.paused)
                ASSERT_EQ(StepSlice(), 1);
            else
                RunSlices(1);
        std::vector<uint8_t> seen(kRamSize + 8);
        for (int at = 0; at < kRamSize; at++)
            seen[at] = Get(machine.mainRam[at]);
        uint64_t cycles = Get(machine.cyclesRun) - start;
        memcpy(seen.data() + kRamSize, &cycles, 8);
        if (first.empty())
            first = seen;
        else
            EXPECT_TRUE(seen == first) << mode.percent << "% warp " << int(mode.warp) << " paused "
                                       << int(mode.paused) << " ran another machine";
    }
    SetSpeed(100);
    SetWarp(0);
    SetPaused(0);
}

// Over any order of settings (repeated ones too), each reads back as last
// set, the speed within its bounds, as the hosts show them in menus and
// titles; and a paused machine is silent while a running one sounds what
// its program asks: the beeper is held exactly while paused, and the tone
// the program set is kept for when it runs on.
TEST(RunControl, SettingsReadBackAsSetAndTheBeeperIsHeldExactlyWhilePaused) {
    const uint8_t tone = Get(machine.beepOn);
    std::mt19937 random(27);
    uint8_t paused = 0, warp = 0, on = tone;
    uint32_t speed = 100;
    for (int change = 0; change < 400; change++) {
        switch (random() % 4) {
        case 0: SetPaused(paused = static_cast<uint8_t>(random() % 2)); break;
        case 1: SetWarp(warp = static_cast<uint8_t>(random() % 2)); break;
        case 2: SetSpeed(speed = random() % 1200); break;
        default: Put(machine.beepOn, on = static_cast<uint8_t>(random() % 2)); break;
        }
        ASSERT_EQ(GetPaused(), paused) << "change " << change;
        ASSERT_EQ(GetWarp(), warp) << "change " << change;
        ASSERT_EQ(GetSpeed(), std::clamp(speed, kSpeedSlowest, kSpeedFastest))
            << "change " << change;
        ASSERT_EQ(Get(machine.beepHeld), paused) << "change " << change;
        ASSERT_EQ(Get(machine.beepOn), on) << "change " << change;
    }
    SetPaused(0);
    SetWarp(0);
    SetSpeed(100);
    Put(machine.beepOn, tone);
}

} // namespace

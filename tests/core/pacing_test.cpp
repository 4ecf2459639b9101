// Slices, the periodic interrupt and the cycle count, driven slice by slice
// on the test thread.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "core/z80home.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace {

class Pacing : public ::testing::Test {
  protected:
    void SetUp() override {
        memset(machine.basicRom, 0, sizeof machine.basicRom); // NOPs: 4 T-states each
        setz80memaccess(BusAccess);
        MachinePowerOn();
    }
    void Load(int address, std::initializer_list<uint8_t> code) {
        for (uint8_t byte : code)
            machine.basicRom[address++] = byte;
    }
};

TEST_F(Pacing, CycleCountStartsOverAfterTheSecondBudget) {
    for (int slice = 1; slice < 60; slice++) {
        EXPECT_EQ(CpuRunSlice(), 30500);
        ASSERT_EQ(Get(machine.cyclesThisSecond), 30500 * slice);
    }
    CpuRunSlice();
    EXPECT_EQ(Get(machine.cyclesThisSecond), 0);
}

TEST_F(Pacing, DisplayOffRunsLongerSlicesThatOvershootByTheLastInstruction) {
    BusAccess(0x31, 0x00, PortWrite);
    EXPECT_EQ(CpuRunSlice(), 66668);
    // 7,625 instructions of a slice with the display on leave the toggle set.
    BusAccess(0x31, 0x08, PortWrite);
    Put(machine.vrtcToggle, 0);
    CpuRunSlice();
    EXPECT_EQ(Get(machine.vrtcToggle), 1);
}

TEST_F(Pacing, TickRequestsReachTheProcessorWhole) {
    // EI; IM 1; JR $ -- the handler at 0x38 counts into RAM: INC (HL); EI; RET.
    Load(0x0000, {0x21, 0x00, 0x80, 0xFB, 0xED, 0x56, 0x18, 0xFE});
    Load(0x0038, {0x34, 0xFB, 0xC9});
    machine.mainRam[0x8000] = 0;

    TickOnce(); // mask clear: no request
    EXPECT_EQ(Get(machine.pendingInterrupt), 0);
    BusAccess(0xE6, 0x81, PortWrite);
    TickOnce();
    EXPECT_EQ(Get(machine.pendingInterrupt), kInterruptPending | 4);

    // A request made before the mask is cleared, and across a reset, still arrives.
    BusAccess(0xE6, 0x00, PortWrite);
    CpuRunSlice();
    EXPECT_EQ(Get(machine.pendingInterrupt), 0);
    EXPECT_EQ(machine.mainRam[0x8000], 1);
    TickOnce();
    EXPECT_EQ(Get(machine.pendingInterrupt), 0);
}

TEST_F(Pacing, ResetKeepsAPendingRequest) {
    Put(machine.pendingInterrupt, kInterruptPending | 4);
    Put(machine.cyclesThisSecond, 1234);
    Put(machine.vrtcToggle, 1);
    ResetEmu();
    EXPECT_EQ(Get(machine.pendingInterrupt), kInterruptPending | 4);
    EXPECT_EQ(Get(machine.cyclesThisSecond), 0);
    EXPECT_EQ(Get(machine.vrtcToggle), 0);
}

TEST(Elapsed, WrapsAtTheSecond) {
    EXPECT_EQ(ElapsedMs(995, 5), 10);
    EXPECT_EQ(ElapsedMs(100, 116), 16);
    EXPECT_EQ(ElapsedMs(7, 7), 0);
    EXPECT_EQ(ElapsedMs(0, 999), 999);
}

// Over many slices each speed gets its share of real time, 16 ms * 100 /
// speed a slice: what a whole-millisecond sleep cannot give is carried, not
// dropped. The work's time is made up, so nothing sleeps.
TEST(Pace, EverySpeedGetsItsShareOfRealTimeOnAverage) {
    MachinePowerOn();
    std::mt19937 random(23);
    for (uint32_t percent : {10u, 33u, 50u, 75u, 100u, 150u, 300u, 700u, 1000u}) {
        RunControlSetSpeed(percent);
        const int slices = 3000;
        int64_t spent = 0;
        for (int i = 0; i < slices; i++) {
            int32_t work = static_cast<int32_t>(random() % 2); // within even 1000 %'s 1.6 ms
            spent += work + static_cast<int64_t>(RunControlSleepMs(work));
        }
        EXPECT_NEAR(static_cast<double>(spent), slices * 1600.0 / percent, 1.0) << percent << " %";
    }
    RunControlSetSpeed(kSpeedPaced);
}

// Warp does not sleep, but while the host holds a key the machine keeps the
// host's time, so the key is not held for seconds of the machine's time.
TEST(Pace, AHostKeyHeldInWarpOrAboveThePacedSpeedKeepsThePacedSpeed) {
    MachinePowerOn();
    RunControlSetWarp(true);
    EXPECT_EQ(RunControlSleepMs(0), 0u);
    CtlEmulator(WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(RunControlSleepMs(0), kShortestSliceMs);
    RunControlSetWarp(false);
    RunControlSetSpeed(400);
    EXPECT_EQ(RunControlSleepMs(0), kShortestSliceMs);
    CtlEmulator(WM_KEYUP, 'A', 0);
    EXPECT_EQ(RunControlSleepMs(0), kShortestSliceMs / 4);
    RunControlSetSpeed(kSpeedPaced);
}

} // namespace

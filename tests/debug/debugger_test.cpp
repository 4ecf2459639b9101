// The debugger's engine on small programs in RAM, run slice by slice as
// CpuThread runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "debug/commands.h"
#include "debug/debugger.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace {

class Debugger : public ::testing::Test {
  protected:
    void SetUp() override {
        setz80memaccess(BusAccess);
        DebugReset();
        ResetEmu();
        Put(machine.pendingInterrupt, 0);
        for (auto& byte : machine.mainRam)
            Put(byte, 0);
        Put(machine.ramSelect, 1); // RAM everywhere: the programs set their own vectors
    }
    void Load(uint16_t address, std::initializer_list<uint8_t> code) {
        for (uint8_t byte : code)
            DebugWriteMemory(address++, byte);
    }
    void Start(uint16_t pc) {
        Z80Regs regs;
        DebugGetRegs(regs);
        regs.pc = pc;
        regs.sp = 0xF000;
        DebugSetRegs(regs);
    }
    // Runs slices until the machine stops; false if it never does.
    bool RunToStop() {
        for (int slice = 0; slice < 20 && !debugger.stopped; ++slice)
            CpuRunSlice();
        return debugger.stopped;
    }
    Z80Regs Regs() {
        Z80Regs regs;
        DebugGetRegs(regs);
        return regs;
    }
    int Add(unsigned kinds, uint16_t first, uint16_t last, const std::string& condition = "") {
        std::string error;
        int id = DebugAddPoint(kinds, first, last, condition, error);
        EXPECT_GT(id, 0) << error;
        return id;
    }
};

// 8000 LD B,5 / 8002 LD A,B / 8003 DEC B / 8004 JR NZ,8002 / 8006 HALT
const std::initializer_list<uint8_t> kCountdown = {0x06, 0x05, 0x78, 0x05, 0x20, 0xFC, 0x76};

TEST_F(Debugger, BreakpointsStopBeforeTheirInstructionWhenTheConditionHolds) {
    struct Case {
        const char* condition;
        bool enabled;
        int stopB; // B when stopped at 8003, or -1: ran to the HALT
        uint32_t hits;
    } cases[] = {
        {"", true, 5, 1},           {"B == 3", true, 3, 3},
        {"hits >= 4", true, 2, 4},  {"(9000) == 7 && A != 0", true, 5, 1},
        {"(HL) == 1", true, -1, 5}, {"B < 1", true, -1, 5},
        {"", false, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        SetUp();
        Load(0x8000, kCountdown);
        Load(0x9000, {7});
        Start(0x8000);
        DebugBreakOnHalt(true);
        int id = Add(kDebugExec, 0x8003, 0x8003, c.condition);
        DebugEnablePoint(id, c.enabled);
        ASSERT_TRUE(RunToStop());
        Z80Regs regs = Regs();
        if (c.stopB >= 0) {
            EXPECT_EQ(debugger.stopReason, "breakpoint " + std::to_string(id));
            EXPECT_EQ(regs.pc, 0x8003);
            EXPECT_EQ(regs.bc >> 8, c.stopB);
        } else {
            EXPECT_EQ(debugger.stopReason, "HALT");
            EXPECT_EQ(regs.pc, 0x8007);
        }
        EXPECT_EQ(debugger.points[0].hits, c.hits);
    }
    // A stopped machine runs nothing, and continuing does not stop again
    // at the breakpoint it stands on.
    SetUp();
    Load(0x8000, kCountdown);
    Start(0x8000);
    Add(kDebugExec, 0x8003, 0x8003);
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(CpuRunSlice(), 0);
    DebugContinue();
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(Regs().bc >> 8, 4);
    // Breaking in stops before the next instruction; with nothing set the
    // hot paths' flags are clear again.
    DebugContinue();
    DebugBreakNow();
    EXPECT_EQ(CpuRunSlice(), 0);
    EXPECT_EQ(debugger.stopReason, "break");
    std::string error;
    EXPECT_EQ(DebugAddPoint(kDebugExec, 0x8000, 0x8000, "B = 3", error), -1);
    EXPECT_EQ(DebugAddPoint(kDebugExec, 0x8000, 0x8000, "Q == 3", error), -1);
    DebugReset();
    EXPECT_EQ(Get(debugger.armed), 0);
    EXPECT_EQ(Get(debugger.watching), 0);
}

TEST_F(Debugger, WatchpointsStopAfterTheAccessingInstruction) {
    // 8000 LD HL,9000 / 8003 LD (HL),41 / 8005 LD A,(9005) / 8008 OUT (30),A /
    // 800A IN A,(31) / 800C HALT
    const std::initializer_list<uint8_t> program = {0x21, 0x00, 0x90, 0x36, 0x41, 0x3A, 0x05,
                                                    0x90, 0xD3, 0x30, 0xDB, 0x31, 0x76};
    struct Case {
        unsigned kinds;
        uint16_t first, last;
        const char* condition;
        const char* reason; // nullptr: ran to the HALT
        uint16_t pc;
    } cases[] = {
        {kDebugMemWrite, 0x9000, 0x9000, "", "memory write 9000 value 41", 0x8005},
        {kDebugMemWrite, 0x8FFF, 0x90FF, "value == 41 && A == 0FF", "memory write 9000 value 41",
         0x8005},
        {kDebugMemWrite, 0x9000, 0x9000, "value == 42", nullptr, 0},
        {kDebugMemRead, 0x9001, 0x90FF, "", "memory read 9005 value 33", 0x8008},
        {kDebugMemWrite, 0x9001, 0x90FF, "", nullptr, 0},
        {kDebugMemRead, 0x8003, 0x8003, "", "memory read 8003 value 36", 0x8005}, // a fetch
        {kDebugPortWrite, 0x30, 0x30, "", "port write 0030 value 33", 0x800A},
        {kDebugPortRead | kDebugPortWrite, 0x31, 0x31, "", "port read 0031 value", 0x800C},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason ? c.reason : "no stop");
        SetUp();
        Load(0x8000, program);
        Load(0x9005, {0x33});
        Start(0x8000);
        Z80Regs regs = Regs();
        regs.af = 0xFF00;
        DebugSetRegs(regs);
        DebugBreakOnHalt(true);
        int id = Add(c.kinds, c.first, c.last, c.condition);
        ASSERT_TRUE(RunToStop());
        if (!c.reason) {
            EXPECT_EQ(debugger.stopReason, "HALT");
            continue;
        }
        EXPECT_EQ(
            debugger.stopReason.rfind("watchpoint " + std::to_string(id) + ": " + c.reason, 0), 0u)
            << debugger.stopReason;
        EXPECT_EQ(Regs().pc, c.pc);
    }
}

TEST_F(Debugger, StepOverRunsCallsAndBlockInstructionsStepOutRunsToTheReturn) {
    // 8000 CALL 8020 / 8003 LD BC,0010 / 8006 LD HL,9000 / 8009 LD DE,9100 /
    // 800C LDIR / 800E HALT;  8020 PUSH BC / 8021 LD A,1 / 8023 POP BC / 8024 RET
    Load(0x8000, {0xCD, 0x20, 0x80, 0x01, 0x10, 0x00, 0x21, 0x00, 0x90, 0x11, 0x00, 0x91, 0xED,
                  0xB0, 0x76});
    Load(0x8020, {0xC5, 0x3E, 0x01, 0xC1, 0xC9});
    Start(0x8000);
    DebugTraceSize(4);
    DebugBreakNow();
    ASSERT_TRUE(RunToStop());
    struct Step {
        void (*action)(void);
        uint16_t pc;
        uint64_t cycles;
    } steps[] = {
        {DebugStepOver, 0x8003, 17 + 11 + 7 + 10 + 10}, // the whole call
        {DebugStep, 0x8006, 10},
        {DebugStep, 0x8009, 10},
        {DebugStep, 0x800C, 10},
        {DebugStepOver, 0x800E, 15 * 21 + 16}, // every repeat of LDIR
    };
    for (const Step& s : steps) {
        s.action();
        ASSERT_TRUE(RunToStop());
        EXPECT_EQ(Regs().pc, s.pc);
        EXPECT_EQ(DebugCyclesSinceStop(), s.cycles);
    }
    EXPECT_EQ(Regs().bc, 0);
    EXPECT_EQ(Regs().sp, 0xF000);

    // Into the routine, one instruction, then out to the caller.
    Start(0x8000);
    DebugStep();
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(Regs().pc, 0x8020);
    DebugStep();
    ASSERT_TRUE(RunToStop());
    DebugStepOut();
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(debugger.stopReason, "step out");
    EXPECT_EQ(Regs().pc, 0x8003);
    EXPECT_EQ(Regs().sp, 0xF000);
    // The trace holds the last four instructions with the registers they left.
    std::vector<DebugTraceEntry> trace = DebugTraceLast(10);
    ASSERT_EQ(trace.size(), 4u);
    const uint16_t pcs[] = {0x8020, 0x8021, 0x8023, 0x8024};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(trace[i].pc, pcs[i]);
    EXPECT_EQ(trace[1].after.af >> 8, 1);
    EXPECT_EQ(trace[3].after.pc, 0x8003);
    // Run to an address.
    DebugRunTo(0x800C);
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(Regs().pc, 0x800C);
}

TEST_F(Debugger, BreaksOnInterruptAcceptanceAndOnHalt) {
    // 0038 EI / 0039 RET;  8000 IM 1 / 8002 EI / 8003 HALT / 8004 JR 8003
    Load(0x0038, {0xFB, 0xC9});
    Load(0x8000, {0xED, 0x56, 0xFB, 0x76, 0x18, 0xFD});
    Start(0x8000);
    DebugBreakOnHalt(true);
    DebugBreakOnInterrupt(true);
    DebugTraceSize(8);
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(debugger.stopReason, "HALT");
    EXPECT_EQ(Regs().pc, 0x8004);
    DebugContinue();
    CpuRunSlice();
    EXPECT_FALSE(debugger.stopped) << "a halted processor stops once";
    Put(machine.pendingInterrupt, kInterruptPending | kTickVector);
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(debugger.stopReason, "interrupt accepted");
    EXPECT_EQ(Regs().pc, 0x0038);
    EXPECT_TRUE(DebugTraceLast(1)[0].interrupt);
    EXPECT_EQ(DebugTraceLast(1)[0].pc, 0x8004);
    DebugStepOut();
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(Regs().pc, 0x8004);
}

TEST_F(Debugger, ReadsWhatTheProcessorSeesTheRamUnderTheRomAndWritesATraceFile) {
    Put(machine.ramSelect, 0);
    machine.basicRom[0x0100] = 0xC9;
    DebugWriteMemory(0x0100, 0x3E); // writes land in the RAM under the ROM
    EXPECT_EQ(DebugReadMemory(0x0100), 0xC9);
    EXPECT_EQ(DebugReadRam(0x0100), 0x3E);
    DebugWritePort(0xE6, 0x01);
    EXPECT_EQ(DebugReadPort(0xE6), 0x01);
    Put(machine.ramSelect, 1);

    // Every instruction run goes to the file, with the registers it left.
    std::string path = ::testing::TempDir() + "z80home-trace.txt";
    ASSERT_TRUE(DebugTraceFile(path));
    Load(0x8000, kCountdown);
    Start(0x8000);
    DebugBreakOnHalt(true);
    ASSERT_TRUE(RunToStop());
    ASSERT_TRUE(DebugTraceFile(""));
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    std::remove(path.c_str());
    ASSERT_EQ(lines.size(), 1u + 5 * 3 + 1); // LD B,5; five turns of the loop; HALT
    EXPECT_EQ(lines[0].rfind("8000  LD B,05H", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("BC=05"), std::string::npos) << lines[0];
    EXPECT_EQ(lines.back().rfind("8006  HALT", 0), 0u) << lines.back();
    EXPECT_FALSE(DebugTraceFile("/nonexistent/folder/trace.txt"));
}

} // namespace

// The debugger's engine on small programs in RAM, run slice by slice as
// CpuThread runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "debug/commands.h"
#include "debug/debugger.h"
#include "debug/disasm.h"
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
    EXPECT_EQ(Get(machineCheckHook), nullptr);
    EXPECT_EQ(busWatchHook, nullptr);
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
        {[] { DebugStepOver(); }, 0x8003, 17 + 11 + 7 + 10 + 10}, // the whole call
        {[] { DebugStep(); }, 0x8006, 10},
        {[] { DebugStep(); }, 0x8009, 10},
        {[] { DebugStep(); }, 0x800C, 10},
        {[] { DebugStepOver(); }, 0x800E, 15 * 21 + 16}, // every repeat of LDIR
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
    std::string path = ::testing::TempDir() + "z80home-trace-" + std::to_string(getpid()) + ".txt";
    DebugTraceFile(fopen(path.c_str(), "w"));
    Load(0x8000, kCountdown);
    Start(0x8000);
    DebugBreakOnHalt(true);
    ASSERT_TRUE(RunToStop());
    DebugTraceFile(nullptr);
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    std::remove(path.c_str());
    ASSERT_EQ(lines.size(), 1u + 5 * 3 + 1); // LD B,5; five turns of the loop; HALT
    EXPECT_EQ(lines[0].rfind("8000  LD B,05H", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("BC=05"), std::string::npos) << lines[0];
    EXPECT_EQ(lines.back().rfind("8006  HALT", 0), 0u) << lines.back();
    EXPECT_EQ(DebugExecute("t file /nonexistent/folder/trace.txt").rfind("error:", 0), 0u);
}

TEST_F(Debugger, StepOutStopsOnlyOnTheReturnThatPopsTheFrameItBeganIn) {
    // 0038 EI / RETI;  8000 IM 1 / CALL 8010 / HALT;
    // 8010 PUSH BC / POP BC / EI / NOP / NOP / XOR A / RET NZ / RET
    for (bool interrupt : {false, true}) {
        for (bool callStack : {false, true}) {
            SCOPED_TRACE(std::string(interrupt ? "interrupt" : "no interrupt") +
                         (callStack ? ", call stack kept" : ""));
            SetUp();
            Load(0x0038, {0xFB, 0xED, 0x4D});
            Load(0x8000, {0xED, 0x56, 0xCD, 0x10, 0x80, 0x76});
            Load(0x8010, {0xC5, 0xC1, 0xFB, 0x00, 0x00, 0xAF, 0xC0, 0xC9});
            Start(0x8000);
            DebugCallStack(callStack);
            Add(kDebugExec, 0x8011, 0x8011); // after the PUSH: SP below the return address
            ASSERT_TRUE(RunToStop());
            ASSERT_EQ(Regs().pc, 0x8011);
            // The POP lifts SP above where the step began; an interrupt then
            // pushes its frame where the PUSH was, and its RETI pops it; the
            // RET NZ is not taken. Only the RET leaves the routine.
            if (interrupt) Put(machine.pendingInterrupt, kInterruptPending | 0xFF);
            DebugStepOut();
            ASSERT_TRUE(RunToStop());
            EXPECT_EQ(debugger.stopReason, "step out");
            EXPECT_EQ(Regs().pc, 0x8005);
            EXPECT_EQ(Regs().sp, 0xF000);
        }
    }
}

// Runs code at 8000 with a bus that records every access; the accesses by
// kind, address (ports: the low byte) and count.
struct Access {
    unsigned kind;
    int address;
};
std::vector<Access> recorded;
int RecordingBus(int address, int data, unsigned kind) {
    int result = BusAccess(address, data, kind);
    recorded.push_back({kind, kind >= PortWrite ? address & 0xFF : address & 0xFFFF});
    return result;
}

TEST_F(Debugger, EveryWatchedAccessCountsAHitAndNoneIsLost) {
    // The cases that overran a hit buffer: two read watchpoints take the
    // fetches of LD (IX+0),5 and of a long chain of prefixes before it, and
    // a third watches the byte it writes.
    Load(0x8000, {0xDD, 0x21, 0x00, 0x90});
    for (uint16_t at = 0x8004; at < 0x8015; ++at)
        DebugWriteMemory(at, 0xDD);
    Load(0x8015, {0x36, 0x00, 0x05, 0x76});
    Start(0x8000);
    DebugBreakOnHalt(true);
    Add(kDebugMemRead, 0x8004, 0x8017, "hits == 0");
    Add(kDebugMemRead, 0x8004, 0x8017, "hits == 0");
    int write = Add(kDebugMemWrite, 0x9000, 0x9000);
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(debugger.stopReason,
              "watchpoint " + std::to_string(write) + ": memory write 9000 value 05");
    EXPECT_EQ(Regs().pc, 0x8018);
    EXPECT_EQ(debugger.points[0].hits, 20u);
    EXPECT_EQ(debugger.points[1].hits, 20u);

    // Instructions of many accesses each (block moves, stack exchanges,
    // indexed read-modify-writes, port blocks) under random overlapping
    // points that never stop: each point's count equals the accesses in
    // its range.
    // 8000 LD IX,9000 / LD SP,9080 / LD HL,9010 / LD DE,9020 / LD BC,0004 /
    // LDIR / EX (SP),HL / EX (SP),IX / RLC (IX+1) / INC (IX+2) / PUSH HL /
    // POP DE / LD A,(9003) / LD (9004),A / LD BC,0390 / INIR / LD HL,9040 /
    // LD B,3 / OTIR / RLD / CALL 8040 / HALT;  8040 LD (IX+3),7 / RET
    const std::initializer_list<uint8_t> busy = {
        0xDD, 0x21, 0x00, 0x90, 0x31, 0x80, 0x90, 0x21, 0x10, 0x90, 0x11, 0x20, 0x90, 0x01,
        0x04, 0x00, 0xED, 0xB0, 0xE3, 0xDD, 0xE3, 0xDD, 0xCB, 0x01, 0x06, 0xDD, 0x34, 0x02,
        0xE5, 0xD1, 0x3A, 0x03, 0x90, 0x32, 0x04, 0x90, 0x01, 0x90, 0x03, 0xED, 0xB2, 0x21,
        0x40, 0x90, 0x06, 0x03, 0xED, 0xB3, 0xED, 0x6F, 0xCD, 0x40, 0x80, 0x76};
    const std::initializer_list<uint8_t> routine = {0xDD, 0x36, 0x03, 0x07, 0xC9};
    SetUp();
    Load(0x8000, busy);
    Load(0x8040, routine);
    Start(0x8000);
    recorded.clear();
    setz80memaccess(RecordingBus);
    for (int slice = 0; slice < 5 && !Regs().halted; ++slice)
        CpuRunSlice();
    setz80memaccess(BusAccess);
    std::vector<Access> accesses = recorded;

    std::mt19937 random(23);
    const int edges[] = {0x8000, 0x8010, 0x8030, 0x8040, 0x9000, 0x9004, 0x9020, 0x9080, 0x907C};
    for (int round = 0; round < 100; ++round) {
        SetUp();
        Load(0x8000, busy);
        Load(0x8040, routine);
        Start(0x8000);
        DebugBreakOnHalt(true);
        const unsigned kinds[] = {kDebugMemRead, kDebugMemWrite, kDebugMemRead | kDebugMemWrite,
                                  kDebugPortRead, kDebugPortWrite};
        int points = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < points; ++i) {
            unsigned kind = kinds[random() % 5];
            int first, last;
            if (kind >= kDebugPortRead) {
                first = 0x8E + static_cast<int>(random() % 4);
                last = first + static_cast<int>(random() % 4);
            } else {
                first = edges[random() % 9] + static_cast<int>(random() % 8);
                last = first + static_cast<int>(random() % 64);
            }
            Add(kind, static_cast<uint16_t>(first), static_cast<uint16_t>(last), "hits == 0");
        }
        ASSERT_TRUE(RunToStop());
        ASSERT_EQ(debugger.stopReason, "HALT");
        for (const DebugPoint& p : debugger.points) {
            uint32_t want = 0;
            for (const Access& a : accesses) {
                static const unsigned kBits[] = {kDebugMemWrite, kDebugMemRead, kDebugPortWrite,
                                                 kDebugPortRead};
                want += (p.kinds & kBits[a.kind]) && a.address >= p.first && a.address <= p.last;
            }
            EXPECT_EQ(p.hits, want) << "round " << round << " point " << p.id << " kinds "
                                    << p.kinds << " " << std::hex << p.first << "-" << p.last;
        }
    }
}

TEST_F(Debugger, TheMachineStopsOnlyBetweenWholeInstructions) {
    // 8000 DD DD 21 34 12: the first prefix does nothing, the second makes
    // LD IX,1234H; then HALT.
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how);
        SetUp();
        Load(0x8000, {0xDD, 0xDD, 0x21, 0x34, 0x12, 0x76});
        Start(0x8000);
        DebugTraceSize(4);
        if (how == 0) Add(kDebugMemRead, 0x8000, 0x8000); // the first fetch
        if (how == 1) {
            DebugBreakNow();
            ASSERT_TRUE(RunToStop());
            DebugStep();
        }
        if (how == 2) {
            ASSERT_GT(CpuRunSliceUpTo(1), 0); // the first prefix
            ASSERT_EQ(Regs().prefix, 0xDD);
            DebugBreakNow(); // a break asked for while the second one waits
        }
        ASSERT_TRUE(RunToStop());
        Z80Regs regs = Regs();
        EXPECT_EQ(regs.pc, 0x8005);
        EXPECT_EQ(regs.prefix, 0);
        EXPECT_EQ(regs.ix, 0x1234);
        std::vector<DebugTraceEntry> trace = DebugTraceLast(1);
        ASSERT_EQ(trace.size(), 1u);
        EXPECT_EQ(trace[0].pc, 0x8001);
        EXPECT_EQ(Disassemble(trace[0].pc, trace[0].bytes, nullptr).text, "LD IX,1234H");
        EXPECT_NE(DebugStopReport().find("8005  76"), std::string::npos) << DebugStopReport();
    }
    // Only data run as code makes a chain longer than eight prefixes: there
    // a break stops between two of them, showing the one to come, and a
    // step steps one.
    SetUp();
    DebugExecute("fill 0-FFFF 0DD");
    CpuRunSlice();
    DebugBreakNow();
    ASSERT_TRUE(RunToStop());
    Z80Regs regs = Regs();
    EXPECT_EQ(regs.prefix, 0xDD);
    EXPECT_NE(DebugStopReport().find("DD           DEFB"), std::string::npos) << DebugStopReport();
    DebugStep(3);
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(Regs().pc, static_cast<uint16_t>(regs.pc + 3));
}

TEST_F(Debugger, SettingPCLeavesHalt) {
    // 8000 HALT;  8010 LD A,7 / HALT
    Load(0x8000, {0x76});
    Load(0x8010, {0x3E, 0x07, 0x76});
    Start(0x8000);
    DebugBreakOnHalt(true);
    ASSERT_TRUE(RunToStop());
    ASSERT_TRUE(Regs().halted);
    EXPECT_NE(DebugExecute("r PC 8010").find("halted=0"), std::string::npos);
    DebugStep();
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(Regs().pc, 0x8012);
    EXPECT_EQ(Regs().af >> 8, 7);
}

TEST_F(Debugger, ConditionsAreWholeComparisonsAndValueIsForWatchpoints) {
    struct Case {
        unsigned kinds;
        const char* condition;
        bool ok;
    } cases[] = {
        {kDebugExec, "A == 1 &&", false},
        {kDebugExec, "&& A == 1", false},
        {kDebugExec, "A == 1 && && B", false},
        {kDebugExec, "A == 1 && B", false},
        {kDebugExec, "value == 1", false},
        {kDebugExec, "A + value == 1", false},
        {kDebugExec, "A == (HL", false},
        {kDebugExec, "A == 1 2", false},
        {kDebugExec, "A ==", false},
        {kDebugExec, "A == 1 && B != 2", true},
        {kDebugExec, "(HL+1) << 2 >= IX & 0FF", true},
        {kDebugMemWrite, "value == 1 && hits > 2", true},
        {kDebugPortRead, "value != 0", true},
    };
    for (const Case& c : cases) {
        std::string error;
        int id = DebugAddPoint(c.kinds, 0x8000, 0x8000, c.condition, error);
        EXPECT_EQ(id > 0, c.ok) << c.condition << ": " << error;
        EXPECT_EQ(error.empty(), c.ok) << c.condition;
    }
}

TEST_F(Debugger, AWatchHitThatDoesNotStopLeavesNoCostBehind) {
    // 8000 LD (9000),A / NOP ... / HALT
    Load(0x8000, {0x32, 0x00, 0x90, 0x00, 0x00, 0x76});
    Start(0x8000);
    Add(kDebugMemWrite, 0x9000, 0x9000, "value == 0AA");
    EXPECT_EQ(Get(machineCheckHook), nullptr);
    CpuRunSliceUpTo(1);
    EXPECT_EQ(Get(machineCheckMap), machineCheckAll.data()); // judged before the next instruction
    CpuRunSliceUpTo(1);
    EXPECT_FALSE(debugger.stopped);
    EXPECT_EQ(debugger.points[0].hits, 1u);
    EXPECT_EQ(Get(machineCheckHook), nullptr);
    EXPECT_EQ(Get(machineCheckMap), machineCheckNone.data());
}

TEST_F(Debugger, OneShotBreakpointsAndCommandsRunOnHits) {
    // 8000 LD B,5 / 8002 LD A,B / 8003 DEC B / 8004 JR NZ,8002 / 8006 HALT
    Load(0x8000, kCountdown);
    Start(0x8000);
    DebugBreakOnHalt(true);
    // A one-shot point whose condition fails stays; the hit that stops takes it.
    EXPECT_EQ(DebugExecute("tb 8003 if B == 3").rfind("1 on  break once 8003", 0), 0u);
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(Regs().bc >> 8, 3);
    EXPECT_TRUE(debugger.points.empty());
    // A logging point: its commands print and let the machine run on; each
    // hit is reported in order, then the stop, which carries what its own
    // point's commands printed.
    EXPECT_EQ(DebugExecute("b 8002 do p B; c").rfind("2 on  break 8002 hits 0 do p B; c", 0), 0u);
    EXPECT_EQ(DebugExecute("b 8006 do p A").rfind("3 on  break 8006", 0), 0u);
    DebugContinue();
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(debugger.stopReason, "breakpoint 3");
    std::vector<std::string> reports;
    for (DebugReport r; DebugTakeReport(0, r);)
        reports.push_back((r.stop ? "stop: " : "") + r.text);
    const std::vector<std::string> want = {"stop: ", // the one-shot point
                                           "hit: breakpoint 2\n0002  2\n",
                                           "hit: breakpoint 2\n0001  1\n", "stop: 0001  1\n"};
    EXPECT_EQ(reports, want);
    // With breakpoints alone set, the instruction right after a logging
    // point's is looked at too.
    SetUp();
    Load(0x8000, kCountdown);
    DebugExecute("b 8002 do c");
    DebugExecute("b 8003");
    Start(0x8000);
    ASSERT_TRUE(RunToStop());
    EXPECT_EQ(debugger.stopReason, "breakpoint 2");
    EXPECT_EQ(Regs().pc, 0x8003);
    // Commands that read or write files cannot run on a hit.
    SetUp();
    Load(0x8000, kCountdown);
    DebugExecute("b 8002 do sym x; save x 0-1; load x 0; cov save x; t file x");
    Start(0x8000);
    DebugContinue();
    ASSERT_TRUE(RunToStop());
    DebugReport stop;
    ASSERT_TRUE(DebugTakeReport(0, stop));
    EXPECT_EQ(stop.text, "error: sym cannot run on a hit\nerror: save cannot run on a hit\n"
                         "error: load cannot run on a hit\nerror: cov save cannot run on a hit\n"
                         "error: t file cannot run on a hit\n");
}

// Points met on the way: each is counted and runs its commands, from a
// copy whatever they do to the points, on every road to its address (a
// step, a run to an address, a watch stop); a point whose commands resume
// with c carries on what the machine was doing, and s in them steps from
// the hit.
TEST_F(Debugger, PointsMetOnTheWayCountAndRunTheirCommandsAndKeepTheRunGoing) {
    // 8000 CALL 8006 / 8003 NOP / 8004 JR 8004;  8006 LD (9000),A / 8009 NOP /
    // 800A RET
    const std::initializer_list<uint8_t> program = {0xCD, 0x06, 0x80, 0x00, 0x18, 0xFE,
                                                    0x32, 0x00, 0x90, 0x00, 0xC9};
    const char* const kLog = "b 8009 do p 1234; c";
    const char* const kLogged = "hit: breakpoint 1\n1234  4660\n";
    const char* const kWatched = "watchpoint 1: memory write 9000 value FF\n";
    struct Case {
        const char* points; // commands, a line each
        const char* resume;
        const char* hits; // the reports of hits that ran on, in order
        std::string stop; // the stop's reason, then its report's text
        uint16_t pc;
        uint64_t cycles; // since the resume
    } cases[] = {
        {kLog, "n", kLogged, "step\n", 0x8003, 44},
        {kLog, "g 8003", kLogged, "run to 8003\n", 0x8003, 44},
        {kLog, "s 4", kLogged, "step\n", 0x8003, 44},
        {"b 8009 do p 5", "s 2", "", "breakpoint 1\n0005  5\n", 0x8009, 30},
        {"b 8009 do p 5", "g 8009", "", "breakpoint 1\n0005  5\n", 0x8009, 30},
        {"w 9000 w\nb 8009 if hits == 1 do p 5", "c", "", kWatched + std::string("0005  5\n"),
         0x8009, 30},
        {"w 9000 w do s", "c", "hit: watchpoint 1: memory write 9000 value FF\n", "step\n", 0x800A,
         4},
        {"w 9000 w do del 1; p 1234; p 5678", "c", "",
         kWatched + std::string("1234  4660\n5678  22136\n"), 0x8009, 30},
        {"w 9000 w do w 9000-9001 w; b 800A; p 1", "c", "",
         kWatched + std::string("2 on  watch memory w 9000-9001 hits 0\n"
                                "3 on  break 800A hits 0\n0001  1\n"),
         0x8009, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.resume + std::string(" with ") + c.points);
        SetUp();
        Load(0x8000, program);
        Start(0x8000);
        DebugBreakNow();
        ASSERT_TRUE(RunToStop());
        std::istringstream points(c.points);
        for (std::string point; std::getline(points, point);)
            DebugExecute(point);
        for (DebugReport r; DebugTakeReport(0, r);) {
        }
        EXPECT_EQ(DebugExecute(c.resume), "");
        ASSERT_TRUE(RunToStop());
        std::string hits, stop;
        for (DebugReport r; DebugTakeReport(0, r);)
            (r.stop ? stop : hits) += r.text;
        EXPECT_EQ(hits, c.hits);
        EXPECT_EQ(debugger.stopReason + "\n" + stop, c.stop);
        EXPECT_EQ(Regs().pc, c.pc);
        EXPECT_EQ(DebugCyclesSinceStop(), c.cycles);
    }
}

TEST_F(Debugger, CoverageMarksEveryByteOfEveryInstructionRun) {
    // 8000 LD B,3 / 8002 DD 00 (a prefix that changes nothing, then NOP) /
    // 8004 DJNZ 8002 / 8006 JR 800A / 8008 NOP NOP / 800A CALL 8010 / 800D HALT;
    // 8010 LD A,(IX+1) / RET
    Load(0x8000,
         {0x06, 0x03, 0xDD, 0x00, 0x10, 0xFC, 0x18, 0x02, 0x00, 0x00, 0xCD, 0x10, 0x80, 0x76});
    Load(0x8010, {0xDD, 0x7E, 0x01, 0xC9});
    Start(0x8000);
    DebugBreakOnHalt(true);
    DebugCoverage(true);
    ASSERT_TRUE(RunToStop());
    std::vector<std::pair<uint16_t, uint16_t>> want = {
        {0x8000, 0x8007}, {0x800A, 0x800D}, {0x8010, 0x8013}};
    EXPECT_EQ(DebugCoveredRanges(), want);
    // LD BC,1234H written over the RET: all its bytes count.
    Load(0x8013, {0x01, 0x34, 0x12, 0x76});
    DebugExecute("r PC 8013");
    DebugContinue();
    ASSERT_TRUE(RunToStop());
    want.back().second = 0x8016;
    EXPECT_EQ(DebugCoveredRanges(), want);
    DebugCoverage(true); // afresh, though on already
    EXPECT_TRUE(DebugCoveredRanges().empty());
}

// A count is a number from 1 to the command's limit: within it the command
// prints that many instructions, or that many bytes sixteen to a line;
// anything else (0, past the limit, not a number) is refused, saying why.
// Counts are written with a leading 0, as a bare F or C names a register.
TEST_F(Debugger, ACountIsOneToItsLimitAndSizesTheListing) {
    auto lines = [](const std::string& text) {
        return static_cast<uint32_t>(std::count(text.begin(), text.end(), '\n'));
    };
    struct Command {
        const char* name;
        uint32_t limit;
        uint32_t (*rows)(uint32_t count);
    } const commands[] = {
        {"d 8000 ", 0x1000, [](uint32_t count) { return count; }},
        {"m 8000 ", 0x10000, [](uint32_t count) { return (count + 15) / 16; }},
        {"mr 8000 ", 0x10000, [](uint32_t count) { return (count + 15) / 16; }},
    };
    std::mt19937 random(26);
    for (const Command& c : commands) {
        std::vector<uint32_t> good = {1, 2, 15, 16, 17, c.limit - 1, c.limit};
        for (int i = 0; i < 20; i++)
            good.push_back(1 + random() % c.limit);
        for (uint32_t count : good) {
            char hex[16];
            snprintf(hex, sizeof hex, "0%X", count);
            std::string out = DebugExecute(c.name + std::string(hex));
            EXPECT_EQ(out.rfind("error: ", 0), std::string::npos)
                << c.name << hex << ": " << out.substr(0, 80);
            EXPECT_EQ(lines(out), c.rows(count)) << c.name << hex;
        }
        char past[16];
        snprintf(past, sizeof past, "0%X", static_cast<unsigned>(c.limit + 1 + random() % 0x1000));
        for (std::string bad :
             {std::string("0"), std::string("00"), std::string(past), std::string("G"),
              std::string("-1"), std::string("1Z"), std::string("COLD")}) {
            std::string out = DebugExecute(c.name + bad);
            EXPECT_TRUE(out.rfind("error: ", 0) == 0 && out.find("usage") == std::string::npos)
                << c.name << bad << ": " << out.substr(0, 80);
        }
    }
}

} // namespace

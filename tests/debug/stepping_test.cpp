// Step over, step out, counted steps and the call stack on random programs
// of nested, recursive and conditional calls and returns, with interrupts
// at random instructions and the stack at the top of memory or wrapping
// through 0000H, each compared with a model that follows the calls and
// returns the machine took.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/z80home.h"
#include "debug/commands.h"
#include "debug/debugger.h"
#include "state/machine_state.h"
#include "z80/z80.h"

namespace {

constexpr uint16_t kMain = 0x8000;
constexpr uint16_t kRoutines = 0x8400; // routine r at kRoutines + r * 100H
constexpr int kRoutineCount = 4;
constexpr uint16_t kCounter = 0x9000; // the recursive routine's depth left
constexpr uint16_t kIsr = 0x0038;
constexpr uint16_t kRst = 0x0030;
constexpr int kLongestRun = 20000;

// A program written into memory one statement at a time.
struct Writer {
    std::mt19937& random;
    std::vector<std::pair<uint16_t, uint8_t>>& bytes;
    uint16_t at;
    void Put(std::initializer_list<uint8_t> code) {
        for (uint8_t b : code)
            bytes.push_back({at++, b});
    }
    void Call(int routine, bool conditional) {
        uint16_t target = static_cast<uint16_t>(kRoutines + routine * 0x100);
        if (routine == 0)
            Put({0x3E, static_cast<uint8_t>(random() % 4), 0x32, kCounter & 0xFF, kCounter >> 8});
        uint8_t op = conditional ? static_cast<uint8_t>(0xC4 | (random() % 8) << 3) : 0xCD;
        Put({op, static_cast<uint8_t>(target), static_cast<uint8_t>(target >> 8)});
    }
    // Statements; in a routine (routine >= 0) they may return early, and
    // call only the recursive routine 0 and routines after their own.
    void Body(int routine, int depth) {
        int count = static_cast<int>(random() % 5);
        for (int i = 0; i < count; ++i) {
            switch (random() % 9) {
            case 0:
            case 1: {
                int first = routine < 0 ? 0 : routine + 1;
                int callee = random() % 3 == 0 || first >= kRoutineCount
                                 ? 0
                                 : first + static_cast<int>(random() % (kRoutineCount - first));
                if (callee == 0 && routine == 0) break; // routine 0 calls itself below
                Call(callee, random() % 2);
                break;
            }
            case 2:
                if (routine >= 0 && depth == 0)
                    Put({static_cast<uint8_t>(0xC0 | (random() % 8) << 3)});
                break;
            case 3:
                if (depth == 0) {
                    Put({0xC5}); // PUSH BC ... POP BC
                    Body(routine, depth + 1);
                    Put({0xC1});
                }
                break;
            case 4: Put({0xF7}); break;                                 // RST 30H
            case 5: Put({0xC6, static_cast<uint8_t>(random())}); break; // ADD A,n
            case 6: Put({0xFE, static_cast<uint8_t>(random())}); break; // CP n
            case 7: // LD BC,3 / LD HL,9100 / LD DE,9200 / LDIR
                Put({0x01, 0x03, 0x00, 0x21, 0x00, 0x91, 0x11, 0x00, 0x92, 0xED, 0xB0});
                break;
            default: Put({0x00}); break;
            }
        }
    }
};

struct Program {
    std::vector<std::pair<uint16_t, uint8_t>> bytes;
    uint16_t sp;
    std::vector<bool> interrupts; // before which instructions a request comes
};

Program MakeProgram(std::mt19937& random) {
    Program p;
    Writer w{random, p.bytes, kIsr};
    w.Put({0xF5, 0x0C, 0xF1, 0xFB, 0xED, 0x4D}); // PUSH AF / INC C / POP AF / EI / RETI
    w.at = kRst;
    w.Put({0x04, 0xC9}); // INC B / RET
    w.at = kMain;
    w.Put({0xED, 0x56, 0xFB}); // IM 1 / EI
    for (int i = 0; i < 4; ++i)
        w.Body(-1, 0);
    w.Put({0xF3, 0x76}); // DI / HALT
    // Routine 0 recurses while its counter lasts.
    w.at = kRoutines;
    w.Put({0x3A, kCounter & 0xFF, kCounter >> 8, 0xB7, 0xC8, 0x3D, 0x32, kCounter & 0xFF,
           kCounter >> 8}); // LD A,(counter) ... RET Z
    w.Body(0, 0);
    w.Put({0xCD, static_cast<uint8_t>(kRoutines), static_cast<uint8_t>(kRoutines >> 8)});
    w.Body(0, 0);
    w.Put({0xC9});
    for (int r = 1; r < kRoutineCount; ++r) {
        w.at = static_cast<uint16_t>(kRoutines + r * 0x100);
        w.Body(r, 0);
        w.Put({0xC9});
    }
    const uint16_t stacks[] = {0xF000, 0x0000, 0x0004};
    p.sp = stacks[random() % 3];
    for (int i = 0; i < kLongestRun; ++i)
        p.interrupts.push_back(random() % 20 == 0);
    return p;
}

// One instruction as the machine ran it.
struct Step {
    uint16_t pc, sp; // before
    uint16_t pcAfter, spAfter;
    bool call, ret; // a call, RST or interrupt taken; a return taken
};

class Stepping : public ::testing::Test {
  protected:
    void Load(const Program& p) {
        DebugReset();
        setz80memaccess(BusAccess);
        ResetEmu();
        Put(machine.pendingInterrupt, 0);
        DebugWritePort(0x31, 0x0A); // RAM everywhere, the display on
        for (int a = 0; a < 0x10000; ++a)
            DebugWriteMemory(static_cast<uint16_t>(a), 0);
        for (auto [address, byte] : p.bytes)
            DebugWriteMemory(address, byte);
        Z80Regs regs;
        DebugGetRegs(regs);
        regs.pc = kMain;
        regs.sp = p.sp;
        DebugSetRegs(regs);
        delivered = 0;
    }
    // One instruction (one slice of it), with the request the schedule has
    // before it; false when the debugger stopped the machine instead.
    bool RunOne(const Program& p, size_t index) {
        if (index < p.interrupts.size() && p.interrupts[index] && delivered <= index) {
            Put(machine.pendingInterrupt, kInterruptPending | 0xFF);
            delivered = index + 1;
        }
        return CpuRunSliceUpTo(1) > 0;
    }
    // The whole run without the debugger, up to the HALT at the end; empty
    // when the program runs too long to end (its calls may nest deeply).
    std::vector<Step> Record(const Program& p) {
        Load(p);
        std::vector<Step> steps;
        for (size_t i = 0; i < static_cast<size_t>(kLongestRun); ++i) {
            Z80Regs before, after;
            DebugGetRegs(before);
            if (before.halted) break;
            RunOne(p, i);
            DebugGetRegs(after);
            Step s{before.pc, before.sp, after.pc, after.sp, false, false};
            // Nothing but an interrupt enters the routine at 0038H.
            uint8_t op = DebugReadMemory(before.pc);
            bool interrupt = after.pc == kIsr;
            bool callLike = op == 0xCD || (op & 0xC7) == 0xC4 || op == 0xF7;
            bool retLike = op == 0xC9 || (op & 0xC7) == 0xC0;
            bool reti = op == 0xED && DebugReadMemory(before.pc + 1) == 0x4D;
            uint16_t next = static_cast<uint16_t>(before.pc + (op == 0xF7 || retLike ? 1 : 3));
            s.call = interrupt || (callLike && after.pc != next);
            s.ret = !interrupt && (reti || (retLike && after.pc != next));
            steps.push_back(s);
        }
        if (steps.size() == static_cast<size_t>(kLongestRun)) steps.clear();
        return steps;
    }
    // Replays the program to just before instruction index, stopped there.
    void StopBefore(const Program& p, size_t index) {
        Load(p);
        for (size_t i = 0; i < index; ++i)
            RunOne(p, i);
        DebugBreakNow();
        ASSERT_EQ(CpuRunSliceUpTo(1), 0);
        ASSERT_TRUE(debugger.stopped);
    }
    // Runs on from instruction index until the machine stops; the index of
    // the instruction it stopped before, or -1 when it ran well past the
    // recording's end (the HALT) without stopping.
    long RunToStop(const Program& p, size_t index, size_t end) {
        while (index < end + 64) {
            if (!RunOne(p, index)) return static_cast<long>(index);
            ++index;
        }
        return -1;
    }
    size_t delivered = 0;
};

// Where a model stops: the index of the instruction the machine should stop
// before, or -1 when it should not stop within the recording.
long ModelStepOver(const std::vector<Step>& steps, size_t from, uint16_t target) {
    int depth = 0;
    for (size_t k = from; k < steps.size(); ++k) {
        depth += steps[k].call ? 1 : steps[k].ret ? -1 : 0;
        if (depth <= 0 && steps[k].pcAfter == target) return static_cast<long>(k + 1);
    }
    return -1;
}

long ModelStepOut(const std::vector<Step>& steps, size_t from) {
    int depth = 0;
    for (size_t k = from; k < steps.size(); ++k) {
        if (steps[k].ret && depth == 0) return static_cast<long>(k + 1);
        depth += steps[k].call ? 1 : steps[k].ret ? -1 : 0;
    }
    return -1;
}

uint16_t Length(uint16_t pc) {
    return static_cast<uint16_t>(DebugInstructionLength(pc));
}

TEST_F(Stepping, StepOverAndStepOutStopWhereTheModelOfCallsAndReturnsSays) {
    std::mt19937 random(27);
    int overs = 0, outs = 0, calls = 0;
    for (int program = 0; program < 60; ++program) {
        Program p = MakeProgram(random);
        std::vector<Step> steps = Record(p);
        SCOPED_TRACE("program " + std::to_string(program) + ", stack " + std::to_string(p.sp));
        auto callLike = [](uint16_t pc) {
            uint8_t op = DebugReadMemory(pc);
            return op == 0xCD || (op & 0xC7) == 0xC4 || op == 0xF7 ||
                   (op == 0xED && DebugReadMemory(pc + 1) == 0xB0);
        };
        std::vector<size_t> callSteps;
        for (size_t k = 0; k + 1 < steps.size(); ++k)
            if (callLike(steps[k].pc)) callSteps.push_back(k);
        for (int start = 0; start < 8 && steps.size() > 1; ++start) {
            // Mostly from a call, a RST or a repeating block instruction.
            size_t from = !callSteps.empty() && random() % 3
                              ? callSteps[random() % callSteps.size()]
                              : random() % (steps.size() - 1);
            uint16_t pc = steps[from].pc;
            bool overCall = callLike(pc);
            calls += overCall;
            uint16_t target = overCall ? static_cast<uint16_t>(pc + Length(pc)) : 0;
            long want = overCall ? ModelStepOver(steps, from, target) : static_cast<long>(from + 1);
            StopBefore(p, from);
            DebugStepOver();
            EXPECT_EQ(RunToStop(p, from, steps.size()), want)
                << "step over from " << from << " at " << std::hex << pc;
            ++overs;

            StopBefore(p, from);
            DebugStepOut();
            EXPECT_EQ(RunToStop(p, from, steps.size()), ModelStepOut(steps, from))
                << "step out from " << from << " at " << std::hex << pc;
            ++outs;
        }
    }
    EXPECT_GT(calls, 100);
    DebugReset();
}

TEST_F(Stepping, CountedStepsLandWhereSingleStepsDo) {
    std::mt19937 random(270);
    int tried = 0;
    for (int program = 0; program < 40; ++program) {
        Program p = MakeProgram(random);
        std::vector<Step> steps = Record(p);
        if (steps.size() < 40) continue;
        ++tried;
        size_t from = random() % (steps.size() / 2);
        uint32_t count = 1 + random() % 20;
        for (bool over : {false, true}) {
            StopBefore(p, from);
            size_t at = from;
            for (uint32_t i = 0; i < count; ++i) {
                over ? DebugStepOver() : DebugStep();
                long stop = RunToStop(p, at, steps.size());
                ASSERT_GE(stop, 0);
                at = static_cast<size_t>(stop);
            }
            StopBefore(p, from);
            over ? DebugStepOver(count) : DebugStep(count);
            EXPECT_EQ(RunToStop(p, from, steps.size()), static_cast<long>(at))
                << (over ? "n " : "s ") << count << " from " << from;
        }
    }
    EXPECT_GT(tried, 10);
    DebugReset();
}

TEST_F(Stepping, TheCallStackHoldsTheCallsNotYetReturnedAndTheLowWaterMark) {
    std::mt19937 random(2727);
    for (int program = 0; program < 40; ++program) {
        Program p = MakeProgram(random);
        std::vector<Step> steps = Record(p);
        if (steps.empty()) continue;
        size_t stop = random() % steps.size();
        // The model: each taken call pushes its return address, each taken
        // return pops one; the deepest stack pointer since the start.
        std::vector<uint16_t> frames;
        uint16_t deepest = p.sp;
        for (size_t k = 0; k < stop; ++k) {
            if (steps[k].call) frames.push_back(steps[k].spAfter);
            if (steps[k].ret && !frames.empty()) frames.pop_back();
            if (static_cast<uint16_t>(p.sp - steps[k].spAfter) >
                static_cast<uint16_t>(p.sp - deepest))
                deepest = steps[k].spAfter;
        }
        Load(p);
        DebugCallStack(true);
        DebugBreakNow();
        ASSERT_EQ(CpuRunSliceUpTo(1), 0);
        DebugContinue();
        for (size_t k = 0; k < stop; ++k)
            RunOne(p, k);
        DebugBreakNow(); // the check that stops sees the last instruction's end
        ASSERT_EQ(CpuRunSliceUpTo(1), 0);
        std::vector<uint16_t> seen;
        for (const DebugFrame& f : debugger.frames)
            seen.push_back(f.sp);
        EXPECT_EQ(seen, frames) << "program " << program << " stopped before " << stop;
        EXPECT_EQ(DebugLowWater(), deepest) << "program " << program;
    }
    DebugReset();
}

} // namespace

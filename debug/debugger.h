// The debugger's engine: breakpoints, watchpoints, stepping, the trace, the
// call stack, code coverage and the stop it leaves the machine in.
//
// It looks in through the machine's hooks, and costs nothing while nothing
// is set or no point is reached: the slice loop looks up each instruction's
// address in its check map, and BusAccess each access's page in its watch
// marks, whatever is set. With breakpoints alone, the check runs only at
// their addresses (breakMarks); stepping, the trace, the call stack,
// coverage, a watch hit to judge or a break asked for have it run before
// every instruction (machineCheckAll). Everything here but DebugBreakNow
// runs on the processor's thread (CpuThread, or a test driving slices), or
// while no slice runs.
//
// The machine stops only between whole instructions: a DD or FD prefix
// followed by another leaves the processor with the second one fetched and
// its instruction still to come, and nothing stops there. Only in a chain
// of more than kDebugLongestChain prefixes, which no program writes but
// data run as code makes, does each further prefix count as an instruction
// of its own, so that memory full of prefixes can still be stepped through
// and broken into.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "bus/bus.h"
#include "debug/expression.h"
#include "debug/symbols.h"
#include "z80/z80.h"

// What a point watches; a watchpoint may take reads and writes at once.
enum DebugKind : unsigned {
    kDebugExec = 1,
    kDebugMemRead = 2,
    kDebugMemWrite = 4,
    kDebugPortRead = 8,
    kDebugPortWrite = 16,
};

struct DebugPoint {
    int id;
    unsigned kinds;
    uint16_t first, last; // inclusive; ports compare their low 8 bits
    std::string condition;
    DebugCondition parsed;
    std::string commands; // run on a hit, separated by ';' (empty: none)
    bool once;            // deleted by its first hit that stops
    bool enabled;
    uint32_t hits;
};

struct DebugTraceEntry {
    uint16_t pc;
    uint8_t bytes[4];
    bool interrupt; // the processor accepted an interrupt instead
    Z80Regs after;
};

// A return address the debugger saw pushed by CALL, RST or an accepted
// interrupt, and not yet popped.
struct DebugFrame {
    uint16_t sp;     // where the return address lies
    uint16_t ret;    // the return address
    uint16_t site;   // the CALL or RST, or the instruction the interrupt came before
    uint16_t target; // the routine entered
    bool interrupt;
};

enum class DebugMode { Run, Step, StepOver, StepOut, RunTo };

// An access to a watched address, judged after its instruction ends. One
// instruction makes at most six accesses (DD CB d op on (IX+d): four fetches,
// a read and a write; EX (SP),IX: two fetches, two reads and two writes),
// and the prefixes of a chain before it one fetch each.
struct DebugAccess {
    unsigned kind; // AccessKind
    uint16_t address;
    uint8_t value;
};
constexpr int kDebugLongestChain = 8;
constexpr int kDebugAccessesPerInstruction = kDebugLongestChain + 6;

// What DebuggerWaitStop hands on, in the order it happened: a stop, or the
// output of a point's commands that let the machine run on.
struct DebugReport {
    bool stop;
    std::string text; // a stop: what its point's commands printed
};
// Hit reports waiting beyond this many drop the oldest.
constexpr size_t kDebugReportsKept = 1000;

// Runs a point's commands (text separated by ';') on a hit, on the
// processor thread; returns what they printed. Set by the command language
// when it gives a point commands.
using DebugCommandRunner = std::string (*)(const std::string& commands);

struct DebugState {
    std::atomic<uint8_t> breakNow; // set from any thread
    std::vector<DebugPoint> points;
    int nextId = 1;
    bool breakOnInterrupt = false, breakOnHalt = false;
    DebugCommandRunner runCommands = nullptr;

    bool stopped = false;
    std::string stopReason;
    uint64_t resumes = 0; // times the machine was let run on afresh
    // Reports not yet handed on, under stopLock; the processor thread
    // signals each.
    std::mutex stopLock;
    std::condition_variable stopSignal;
    std::deque<DebugReport> reports;
    uint64_t reportsDropped = 0;
    DebugMode mode = DebugMode::Run;
    uint32_t stepsLeft = 0;  // Step, StepOver: steps still to take
    bool stepsOver = false;  // and each of them a step over
    uint16_t target = 0;     // StepOver, RunTo: the address to stop at
    uint16_t stackAt = 0;    // StepOver, StepOut: SP when the step began
    size_t outerFrames = 0;  // frames kept when the machine resumed, and still there
    bool outerKnown = false; // the innermost of them is still there
    bool accepting = false;  // the coming Z80Run takes an interrupt
    bool wasHalted = false;
    int chain = 0;      // prefixes followed by another, in a row
    bool inHit = false; // a point's commands run on its hit
    // The last full check saw where the coming instruction starts and the
    // stack before it (a check on breakpoints alone does not).
    bool sawStart = false;
    uint16_t lastPc = 0; // where the instruction just run began
    uint16_t lastSp = 0; // SP before it
    DebugAccess accesses[kDebugAccessesPerInstruction];
    int accessCount = 0;

    // The machine's cycle count when the machine last resumed and at the
    // last check, and inside a check the cycles of its slice so far.
    uint64_t cyclesAtResume = 0, lastCheckCycles = 0;
    int32_t sliceCycles = 0;

    std::vector<DebugTraceEntry> trace; // a ring; empty: no trace
    size_t traceNext = 0, traceFilled = 0;
    DebugTraceEntry traceEntry; // the instruction running now
    bool traceOpen = false;     // traceEntry awaits its registers
    FILE* traceFile = nullptr;

    // The call stack: kept across resumes while callStack is on, otherwise
    // only while stepping (from the resume on). The low-water mark is the
    // deepest SP below spAtResume since the resume.
    bool callStack = false;
    std::vector<DebugFrame> frames;
    uint16_t spAtResume = 0;
    uint16_t deepest = 0;

    bool coverage = false;
    uint8_t covered[0x10000 / 8]; // addresses of instructions run

    // The breakpoints' addresses: the machine's check map while only they
    // are set.
    uint8_t breakMarks[0x10000];

    Symbols symbols;
};

extern DebugState debugger;

// Points. DebugAddPoint returns the new id, or -1 with error when the
// condition does not parse (or names value on a breakpoint, which moves no
// byte). commands run on each hit whose condition holds.
int DebugAddPoint(unsigned kinds, uint16_t first, uint16_t last, const std::string& condition,
                  std::string& error, const std::string& commands = "", bool once = false);
bool DebugDeletePoint(int id);
bool DebugEnablePoint(int id, bool enabled);
void DebugBreakOnInterrupt(bool on);
void DebugBreakOnHalt(bool on);

// Control. DebugBreakNow may be called from any thread; the machine stops
// before its next instruction. The others resume a stopped machine; a
// count of 0 is taken as 1.
void DebugBreakNow(void);
// In a point's commands, c carries on with what the machine was let run on
// to do (a step, a run to an address ...) rather than starting a plain run.
void DebugContinue(void);
void DebugStep(uint32_t count = 1);
void DebugStepOver(uint32_t count = 1);
void DebugStepOut(void);
void DebugRunTo(uint16_t address);
uint64_t DebugCyclesSinceStop(void);
// Takes the oldest report not yet handed on, waiting up to ms; false when
// none came.
bool DebugTakeReport(uint32_t ms, DebugReport& report);

// The trace: a ring of the last size instructions (0 turns it off), and a
// file every instruction is also written to (the debugger closes it; null:
// none).
void DebugTraceSize(size_t size);
void DebugTraceFile(FILE* file);
// The last n entries, oldest first.
std::vector<DebugTraceEntry> DebugTraceLast(size_t n);

// The call stack (on: kept from now on, an empty one to start with) and its
// low-water mark since the last resume.
void DebugCallStack(bool on);
uint16_t DebugLowWater(void);
// Code coverage: on starts marking afresh; the marked addresses as ranges.
void DebugCoverage(bool on);
std::vector<std::pair<uint16_t, uint16_t>> DebugCoveredRanges(void);

// Inspection and change.
void DebugGetRegs(Z80Regs& regs);
void DebugSetRegs(const Z80Regs& regs);
uint8_t DebugReadMemory(uint16_t address); // as the processor reads it
uint8_t DebugReadRam(uint16_t address);    // the RAM, also under the ROM
void DebugWriteMemory(uint16_t address, uint8_t value);
uint8_t DebugReadPort(uint16_t port); // a real read: the device sees it
void DebugWritePort(uint16_t port, uint8_t value);
// Where the instruction to come starts: PC, or the prefix before it when
// the machine stopped in a long chain of prefixes.
uint16_t DebugStart(const Z80Regs& regs);
// The length of the instruction at address, a prefix that changes nothing
// taken with the instruction after it, as the processor runs them.
int DebugInstructionLength(uint16_t address);

// Forgets every point, stop, step, report, trace, call stack and coverage
// mark (the symbols stay); a paused machine runs on.
void DebugReset(void);

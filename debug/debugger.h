// The debugger's engine: breakpoints, watchpoints, stepping, the trace and
// the stop it leaves the machine in.
//
// It costs nothing while nothing is set: CpuRunSlice tests `armed` once
// between instructions and BusAccess tests `watching` once per access; the
// rest runs only when one of them is set. Everything here but DebugBreakNow
// runs on the processor's thread (CpuThread, or a test driving slices), or
// while no slice runs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "bus/bus.h"
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

// One comparison of a condition: left op right, each a register, a number,
// a byte in memory ((HL), (8000H)), the point's hit count or the byte the
// watched access moved.
struct DebugOperand {
    enum Kind { Number, Register, Memory, MemoryAtRegister, Hits, Value } kind;
    int which; // the number, the address, or the register's index
};
struct DebugTerm {
    DebugOperand left, right;
    int op; // index into the comparison operators
};

struct DebugPoint {
    int id;
    unsigned kinds;
    uint16_t first, last; // inclusive; ports compare their low 8 bits
    std::string condition;
    std::vector<DebugTerm> terms; // all must hold
    bool enabled;
    uint32_t hits;
};

struct DebugTraceEntry {
    uint16_t pc;
    uint8_t bytes[4];
    bool interrupt; // the processor accepted an interrupt instead
    Z80Regs after;
};

enum class DebugMode { Run, Step, StepOver, StepOut, RunTo };

// An access a watchpoint took, judged after its instruction ends.
struct DebugWatchHit {
    int point;
    unsigned kind;
    uint16_t address;
    uint8_t value;
};
constexpr int kDebugWatchHitsPerInstruction = 8;

struct DebugState {
    std::atomic<uint8_t> armed;    // DebugCheck runs between instructions
    std::atomic<uint8_t> watching; // DebugBusWatch runs on every access
    std::atomic<uint8_t> breakNow; // set from any thread
    std::vector<DebugPoint> points;
    int nextId = 1;
    uint8_t execMap[0x10000 / 8]; // addresses with an enabled breakpoint
    // Watched addresses by access kind (memory write, memory read, port
    // write, port read; ports use the first 32 bytes).
    uint8_t watchMap[4][0x10000 / 8];
    bool breakOnInterrupt = false, breakOnHalt = false;
    bool breakpointsOnly = false; // running, and nothing but breakpoints set

    bool stopped = false;
    std::string stopReason;
    uint64_t resumes = 0; // times the machine was let run on
    // Stops so far and stops a host has been told of, under stopLock; the
    // processor thread signals each stop.
    std::mutex stopLock;
    std::condition_variable stopSignal;
    uint64_t stopCount = 0, stopsReported = 0;
    DebugMode mode = DebugMode::Run;
    uint16_t target = 0;    // StepOver, RunTo: the address to stop at
    uint16_t stackAt = 0;   // StepOver, StepOut: SP when the step began
    bool firstCheck = true; // no instruction run since the machine resumed
    bool accepting = false; // the coming Z80Run takes an interrupt
    bool wasHalted = false;
    DebugWatchHit hits[kDebugWatchHitsPerInstruction];
    int hitCount = 0;

    uint64_t cycles = 0;         // every cycle run
    uint64_t cyclesAtResume = 0; // the count when the machine last resumed
    uint16_t lastPc = 0;         // where the instruction just run began

    std::vector<DebugTraceEntry> trace; // a ring; empty: no trace
    size_t traceNext = 0, traceFilled = 0;
    DebugTraceEntry traceEntry; // the instruction running now
    bool traceOpen = false;     // traceEntry awaits its registers
    FILE* traceFile = nullptr;

    Symbols symbols;
};

extern DebugState debugger;

// The hooks. DebugCheck runs before each Z80Run while armed; true means the
// machine is stopped and the slice must end. DebugBusWatch runs after each
// access while watching. DebugSliceDone counts a slice's cycles.
bool DebugCheck(void);
void DebugBusAccess(int address, int data, unsigned kind);
// The bus's side, while watching: only a watched address goes further.
inline void DebugBusWatch(int address, int data, unsigned kind) {
    if (kind > PortRead) return;
    int at = kind >= PortWrite ? address & 0xFF : address & 0xFFFF;
    if (debugger.watchMap[kind][at >> 3] & (1 << (at & 7))) DebugBusAccess(at, data, kind);
}
inline void DebugSliceDone(int32_t cycles) {
    debugger.cycles += static_cast<uint64_t>(cycles);
}

// Points. DebugAddPoint returns the new id, or -1 with error when the
// condition does not parse.
int DebugAddPoint(unsigned kinds, uint16_t first, uint16_t last, const std::string& condition,
                  std::string& error);
bool DebugDeletePoint(int id);
bool DebugEnablePoint(int id, bool enabled);
void DebugBreakOnInterrupt(bool on);
void DebugBreakOnHalt(bool on);

// Control. DebugBreakNow may be called from any thread; the machine stops
// before its next instruction. The others resume a stopped machine.
void DebugBreakNow(void);
void DebugContinue(void);
void DebugStep(void);
void DebugStepOver(void);
void DebugStepOut(void);
void DebugRunTo(uint16_t address);
uint64_t DebugCyclesSinceStop(void);

// The trace: a ring of the last size instructions (0 turns it off), and a
// file every instruction is also written to (empty name: none). False when
// the file cannot be opened.
void DebugTraceSize(size_t size);
bool DebugTraceFile(const std::string& path);
// The last n entries, oldest first.
std::vector<DebugTraceEntry> DebugTraceLast(size_t n);

// Inspection and change.
void DebugGetRegs(Z80Regs& regs);
void DebugSetRegs(const Z80Regs& regs);
// Register names a condition or a command takes (A, HL, IX, SP, AF', IXH,
// I, R, IM, IFF1...); -1 for an unknown name.
int DebugRegisterIndex(const std::string& name);
int DebugRegisterValue(const Z80Regs& regs, int index);
void DebugSetRegisterValue(Z80Regs& regs, int index, int value);
uint8_t DebugReadMemory(uint16_t address); // as the processor reads it
uint8_t DebugReadRam(uint16_t address);    // the RAM, also under the ROM
void DebugWriteMemory(uint16_t address, uint8_t value);
uint8_t DebugReadPort(uint16_t port); // a real read: the device sees it
void DebugWritePort(uint16_t port, uint8_t value);

// Forgets every point, stop, step and trace (the symbols stay); a paused
// machine runs on.
void DebugReset(void);

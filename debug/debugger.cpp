#include "debug/debugger.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "bus/bus.h"
#include "core/machine.h"
#include "core/run_control.h"
#include "debug/disasm.h"
#include "state/machine_state.h"

DebugState debugger;

namespace {

// The point kind of each bus access kind.
const unsigned kKindBits[] = {kDebugMemWrite, kDebugMemRead, kDebugPortWrite, kDebugPortRead};

// The stack grows down through 0000H into FFFFH, so "above" is taken within
// half the address space: at is at or above sp.
bool AtOrAbove(uint16_t at, uint16_t sp) {
    return static_cast<int16_t>(static_cast<uint16_t>(at - sp)) >= 0;
}

uint16_t Word(uint16_t address) {
    return static_cast<uint16_t>(BusPeek(address) | BusPeek((address + 1) & 0xFFFF) << 8);
}

std::string Hex4(int value) {
    char text[8];
    snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

// ---- State changes ----

// The machine's cycle count now: inside a check, with the slice's so far.
uint64_t Now(void) {
    return Get(machine.cyclesRun) + static_cast<uint64_t>(debugger.sliceCycles);
}

// What needs a look before every instruction, rather than only at a
// breakpoint's address.
bool EveryInstruction(void) {
    return debugger.stopped || debugger.mode != DebugMode::Run || debugger.breakOnInterrupt ||
           debugger.breakOnHalt || !debugger.trace.empty() || debugger.traceFile ||
           debugger.callStack || debugger.coverage || debugger.accessCount > 0;
}

bool Check(int32_t sliceCycles);

// The machine's check before every instruction, from any thread.
void LookEverywhere(void) {
    machineCheckHook.store(Check);
    machineCheckMap.store(machineCheckAll.data());
}

bool LookingEverywhere(void) {
    return Get(machineCheckMap) == machineCheckAll.data();
}

// The machine's check for what is set now: before every instruction, at
// breakpoints' addresses only, or none.
void ArmForNow(void) {
    bool every = EveryInstruction();
    bool breakpoints =
        std::any_of(debugger.points.begin(), debugger.points.end(),
                    [](const DebugPoint& p) { return p.enabled && (p.kinds & kDebugExec); });
    // Instructions will run unseen: what the last check saw is no guide.
    if (!every) {
        debugger.sawStart = debugger.accepting = false;
        debugger.chain = 0;
    }
    // Sequentially consistent, against DebugBreakNow on another thread: if
    // its request is not seen here, its own stores come later. The hook
    // goes in before a map that marks anything, and out after.
    if (every || breakpoints) machineCheckHook.store(Check);
    machineCheckMap.store(every         ? machineCheckAll.data()
                          : breakpoints ? debugger.breakMarks
                                        : machineCheckNone.data());
    if (!every && !breakpoints) machineCheckHook.store(nullptr);
    if (debugger.breakNow.load()) LookEverywhere();
}

void WatchAccess(int address, int data, unsigned kind);

// Marks the breakpoints' and watchpoints' addresses and arms the hooks for
// what is set now.
void Rearm(void) {
    std::memset(debugger.breakMarks, 0, sizeof debugger.breakMarks);
    BusWatchClear();
    bool watch = false;
    for (const DebugPoint& point : debugger.points) {
        if (!point.enabled) continue;
        if (point.kinds & kDebugExec)
            for (int a = point.first; a <= point.last; ++a)
                debugger.breakMarks[a] = 1;
        for (int kind = 0; kind < 4; ++kind) {
            if (!(point.kinds & kKindBits[kind])) continue;
            BusWatchRange(static_cast<unsigned>(kind), point.first, point.last);
            watch = true;
        }
    }
    busWatchHook = watch ? WatchAccess : nullptr;
    ArmForNow();
}

std::vector<DebugPoint>::iterator FindPoint(int id) {
    return std::find_if(debugger.points.begin(), debugger.points.end(),
                        [id](const DebugPoint& p) { return p.id == id; });
}

void Report(bool stop, const std::string& text) {
    std::lock_guard<std::mutex> lock(debugger.stopLock);
    if (!stop) {
        size_t hitReports = 0;
        for (const DebugReport& report : debugger.reports)
            hitReports += !report.stop;
        if (hitReports >= kDebugReportsKept) {
            auto oldest = std::find_if(debugger.reports.begin(), debugger.reports.end(),
                                       [](const DebugReport& r) { return !r.stop; });
            debugger.reports.erase(oldest);
            ++debugger.reportsDropped;
        }
    }
    debugger.reports.push_back({stop, text});
    debugger.stopSignal.notify_all();
}

// Stops the machine for reason, with what the commands of the points hit
// there printed.
bool Stop(const std::string& reason, const std::string& output) {
    debugger.stopped = true;
    debugger.stopReason = reason;
    debugger.mode = DebugMode::Run;
    debugger.accessCount = 0;
    Put(debugger.breakNow, 0);
    ArmForNow();
    RunControlSetPaused(true);
    Report(true, output);
    return true;
}

// What the hits between two instructions leave: the first that stops the
// machine names the stop, and what their commands printed goes with it.
struct Arrival {
    std::string reason;
    std::string output;
};

// A hit whose condition holds. Its commands run, from a copy (they may
// delete their own point), with the machine stopped there; when they let it
// run on, the hit is reported with what they printed (a logging point),
// otherwise the hit stops the machine.
void Hit(const std::string& what, std::string commands, Arrival& at) {
    debugger.stopped = true;
    std::string output;
    if (!commands.empty() && debugger.runCommands) {
        debugger.inHit = true;
        output = debugger.runCommands(commands);
        debugger.inHit = false;
    }
    if (!debugger.stopped) {
        Report(false, "hit: " + what + "\n" + output);
        ArmForNow();
        return;
    }
    if (at.reason.empty()) at.reason = what;
    at.output += output;
}

void Resume(DebugMode mode) {
    Z80Regs regs;
    Z80GetRegs(&regs);
    debugger.stopped = false;
    Put(debugger.breakNow, 0); // a break asked for while stopped is spent
    ++debugger.resumes;
    debugger.mode = mode;
    debugger.stackAt = regs.sp;
    debugger.cyclesAtResume = debugger.lastCheckCycles = Now();
    debugger.spAtResume = debugger.deepest = regs.sp;
    if (!debugger.callStack) debugger.frames.clear();
    while (!debugger.frames.empty() && !AtOrAbove(debugger.frames.back().sp, regs.sp))
        debugger.frames.pop_back();
    debugger.outerFrames = debugger.frames.size();
    debugger.outerKnown = debugger.outerFrames > 0;
    Rearm();
}

// ---- The trace ----

void TraceWrite(const DebugTraceEntry& entry) {
    if (!debugger.traceFile) return;
    if (entry.interrupt) {
        fprintf(debugger.traceFile, "%04X  interrupt accepted\n", entry.pc);
        return;
    }
    DisasmLine line = Disassemble(entry.pc, entry.bytes, &debugger.symbols);
    const Z80Regs& r = entry.after;
    fprintf(debugger.traceFile,
            "%04X  %-22s AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X SP=%04X\n", entry.pc,
            line.text.c_str(), r.af, r.bc, r.de, r.hl, r.ix, r.iy, r.sp);
}

// Completes the open entry with the registers its instruction left.
void TraceClose(const Z80Regs& regs) {
    if (!debugger.traceOpen) return;
    debugger.traceOpen = false;
    DebugTraceEntry& entry = debugger.traceEntry;
    entry.after = regs;
    TraceWrite(entry);
    if (debugger.trace.empty()) return;
    debugger.trace[debugger.traceNext] = entry;
    debugger.traceNext = (debugger.traceNext + 1) % debugger.trace.size();
    debugger.traceFilled = std::min(debugger.traceFilled + 1, debugger.trace.size());
}

void TraceOpen(uint16_t pc, bool interrupt) {
    if (debugger.trace.empty() && !debugger.traceFile) return;
    DebugTraceEntry& entry = debugger.traceEntry;
    entry.pc = pc;
    for (int i = 0; i < 4; ++i)
        entry.bytes[i] = static_cast<uint8_t>(BusPeek(pc + i));
    entry.interrupt = interrupt;
    debugger.traceOpen = true;
}

// ---- What the last instruction did ----

// The opcode of the instruction at pc, past a DD or FD prefix; ed is set to
// the byte after an ED.
int Opcode(uint16_t pc, int& ed) {
    int op = BusPeek(pc);
    if (op == 0xDD || op == 0xFD) {
        pc = static_cast<uint16_t>(pc + 1);
        op = BusPeek(pc);
    }
    ed = op == 0xED ? BusPeek((pc + 1) & 0xFFFF) : -1;
    return op;
}

bool IsCall(int op) {
    return op == 0xCD || (op & 0xC7) == 0xC4 || (op & 0xC7) == 0xC7;
}

bool IsReturn(int op, int ed) {
    return op == 0xC9 || (op & 0xC7) == 0xC0 || (op == 0xED && (ed & 0xC7) == 0x45);
}

// CALL, CALL cc, RST and the repeating block instructions: the length a step
// over them runs past, or 0.
int StepOverLength(uint16_t pc) {
    int ed;
    int op = Opcode(pc, ed);
    if (IsCall(op) || (op == 0xED && (ed & 0xF4) == 0xB0)) return DebugInstructionLength(pc);
    return 0;
}

// Keeps the call stack after the instruction that began at lastPc with
// lastSp: a taken call or an accepted interrupt pushes a frame, a taken
// return pops one, and frames the stack pointer has risen above are gone.
// Also keeps the low-water mark. Returns whether a taken return left the
// frame a step out began in: the innermost frame kept when it began, while
// that is still there; or else a slot at or above the stack pointer the step
// began with that holds no frame pushed since.
bool TrackFrames(const Z80Regs& regs, bool accepted) {
    std::vector<DebugFrame>& frames = debugger.frames;
    uint16_t before = debugger.lastSp;
    bool pushed = regs.sp == static_cast<uint16_t>(before - 2);
    bool left = false;
    if (accepted) {
        if (pushed) frames.push_back({regs.sp, Word(regs.sp), debugger.lastPc, regs.pc, true});
    } else {
        int ed;
        int op = Opcode(debugger.lastPc, ed);
        uint16_t next =
            static_cast<uint16_t>(debugger.lastPc + DebugInstructionLength(debugger.lastPc));
        if (IsCall(op) && pushed && Word(regs.sp) == next) {
            frames.push_back({regs.sp, next, debugger.lastPc, regs.pc, false});
        } else if (IsReturn(op, ed) && regs.sp == static_cast<uint16_t>(before + 2) &&
                   regs.pc == Word(before)) {
            int frame = -1;
            for (size_t i = frames.size(); i-- > 0 && frame < 0;)
                if (frames[i].sp == before) frame = static_cast<int>(i);
            int outer = static_cast<int>(debugger.outerFrames);
            if (debugger.outerKnown)
                left = frame == outer - 1;
            else
                left = frame >= 0 ? frame < outer : AtOrAbove(before, debugger.stackAt);
        }
    }
    while (!frames.empty() && !AtOrAbove(frames.back().sp, regs.sp))
        frames.pop_back();
    if (frames.size() < debugger.outerFrames) {
        debugger.outerFrames = frames.size();
        debugger.outerKnown = false;
    }
    uint16_t depth = static_cast<uint16_t>(debugger.spAtResume - regs.sp);
    if (depth < 0x8000 && depth > static_cast<uint16_t>(debugger.spAtResume - debugger.deepest))
        debugger.deepest = regs.sp;
    return left;
}

// Every byte of the instruction each time it runs: a longer one may have
// been written over a shorter one at the same address.
void MarkCovered(uint16_t pc) {
    int length = DebugInstructionLength(pc);
    for (int i = 0; i < length; ++i) {
        uint16_t at = static_cast<uint16_t>(pc + i);
        debugger.covered[at >> 3] |= static_cast<uint8_t>(1 << (at & 7));
    }
}

// The ids of the enabled points of kind whose range holds address: each is
// looked up again when its turn comes, as the commands of a hit before it
// may add or delete points.
std::vector<int> PointsAt(unsigned kind, uint16_t address) {
    std::vector<int> ids;
    for (const DebugPoint& point : debugger.points)
        if (point.enabled && (point.kinds & kind) && address >= point.first &&
            address <= point.last)
            ids.push_back(point.id);
    return ids;
}

// The watched accesses since the last look: every point they fall in
// counts a hit.
void JudgeAccesses(const Z80Regs& regs, Arrival& at) {
    static const char* const kWhat[] = {"memory write", "memory read", "port write", "port read"};
    DebugAccess accesses[kDebugAccessesPerInstruction];
    int count = debugger.accessCount;
    std::copy(debugger.accesses, debugger.accesses + count, accesses);
    debugger.accessCount = 0;
    for (int a = 0; a < count; ++a) {
        const DebugAccess& access = accesses[a];
        for (int id : PointsAt(kKindBits[access.kind], access.address)) {
            auto point = FindPoint(id);
            if (point == debugger.points.end()) continue;
            ++point->hits;
            if (!DebugConditionHolds(point->parsed, {regs, point->hits, access.value})) continue;
            char text[96];
            snprintf(text, sizeof text, "watchpoint %X: %s %04X value %02X", id, kWhat[access.kind],
                     access.address, access.value);
            Hit(text, point->commands, at);
        }
    }
}

// The breakpoints at the instruction the machine has come to.
void JudgeBreakpoints(const Z80Regs& regs, Arrival& at) {
    if (!debugger.breakMarks[regs.pc]) return;
    for (int id : PointsAt(kDebugExec, regs.pc)) {
        auto point = FindPoint(id);
        if (point == debugger.points.end()) continue;
        ++point->hits;
        if (!DebugConditionHolds(point->parsed, {regs, point->hits, 0})) continue;
        char reason[32];
        snprintf(reason, sizeof reason, "breakpoint %X", id);
        std::string commands = point->commands;
        if (point->once) DebugDeletePoint(id);
        Hit(reason, commands, at);
    }
}

// Sets up one step over from regs: to the instruction after a call, a
// repeating block instruction or RST, or else a single step.
void BeginStepOver(const Z80Regs& regs) {
    int length = regs.halted ? 0 : StepOverLength(DebugStart(regs));
    debugger.target = static_cast<uint16_t>(DebugStart(regs) + length);
    debugger.stackAt = regs.sp;
    debugger.mode = length ? DebugMode::StepOver : DebugMode::Step;
}

// One step of s N or n N done: true when it was the last.
bool StepDone(const Z80Regs& regs) {
    if (debugger.stepsLeft <= 1) return true;
    --debugger.stepsLeft;
    if (debugger.stepsOver) BeginStepOver(regs);
    return false;
}

} // namespace

// ---- Hooks ----

namespace {

// Why the machine is due to stop here, besides its points: a break asked
// for, an interrupt or a HALT it breaks on, the end of a step or a run to
// an address; empty when nothing is due.
std::string Due(const Z80Regs& regs, bool ran, bool accepted, bool leftFrame) {
    bool halting = regs.halted && !debugger.wasHalted;
    debugger.wasHalted = regs.halted;
    if (Get(debugger.breakNow)) return "break";
    if (accepted && debugger.breakOnInterrupt) return "interrupt accepted";
    if (ran && halting && debugger.breakOnHalt) return "HALT";
    if (!ran) return "";
    uint16_t start = DebugStart(regs);
    switch (debugger.mode) {
    case DebugMode::Step: return StepDone(regs) ? "step" : "";
    case DebugMode::StepOver:
        return start == debugger.target && AtOrAbove(regs.sp, debugger.stackAt) && StepDone(regs)
                   ? "step"
                   : "";
    case DebugMode::StepOut: return leftFrame ? "step out" : "";
    case DebugMode::RunTo: return start == debugger.target ? "run to " + Hex4(start) : "";
    case DebugMode::Run: break;
    }
    return "";
}

// The machine's check, before an instruction: true when the machine is
// stopped there. Everything met there counts, in this order: the watched
// accesses since the last look, the breakpoints, then what else is due;
// the first that stops names the stop.
bool CheckNow(void) {
    Z80Regs regs;
    uint64_t now = Now();
    bool ran = now != debugger.lastCheckCycles; // an instruction ran since the last check
    debugger.lastCheckCycles = now;
    Arrival at;
    // At a breakpoint's address, with nothing else set: only the
    // breakpoints are looked at.
    if (!LookingEverywhere()) {
        if (!ran) return false;
        Z80GetRegs(&regs);
        if (regs.halted || regs.prefix) return false;
        JudgeBreakpoints(regs, at);
        return !at.reason.empty() && Stop(at.reason, at.output);
    }
    if (debugger.stopped) {
        if (RunControlPaused()) return true;
        Resume(DebugMode::Run); // the host let the machine run on
        ran = false;
    }
    Z80GetRegs(&regs);
    bool accepted = ran && debugger.accepting;
    debugger.accepting = false;
    bool leftFrame = false;
    if (ran && debugger.sawStart) {
        TraceClose(regs);
        leftFrame = TrackFrames(regs, accepted);
        if (debugger.coverage && !accepted) MarkCovered(debugger.lastPc);
    }
    // Between a prefix and its instruction nothing stops, short of a long
    // chain; the instruction to come starts at the prefix.
    debugger.chain = regs.prefix ? debugger.chain + 1 : 0;
    if (debugger.chain == 0 || debugger.chain > kDebugLongestChain) {
        std::string due = Due(regs, ran, accepted, leftFrame);
        uint64_t resumes = debugger.resumes;
        bool judged = debugger.accessCount > 0;
        if (judged) JudgeAccesses(regs, at);
        if (ran && !regs.prefix && !regs.halted) JudgeBreakpoints(regs, at);
        // Commands that let the machine run on afresh (s, g ...) replace
        // what was due.
        if (at.reason.empty() && debugger.resumes == resumes) at.reason = due;
        if (!at.reason.empty()) return Stop(at.reason, at.output);
        // Armed for what is set now: a hit judged leaves no cost behind.
        if (judged) ArmForNow();
    }
    // Seen only if the next check comes before the next instruction too (a
    // point's commands may have let the machine run on with breakpoints
    // alone).
    debugger.sawStart = LookingEverywhere();
    debugger.accepting =
        debugger.sawStart && !regs.prefix && regs.irqPending && regs.iff1 && !regs.eiDelay;
    debugger.lastPc = DebugStart(regs);
    debugger.lastSp = regs.sp;
    TraceOpen(debugger.lastPc, debugger.accepting);
    return false;
}

bool Check(int32_t sliceCycles) {
    debugger.sliceCycles = sliceCycles;
    bool stopped = CheckNow();
    debugger.sliceCycles = 0;
    return stopped;
}

// The bus's hook: an access to a watched address, judged once its
// instruction has ended.
void WatchAccess(int address, int data, unsigned kind) {
    if (debugger.accessCount < kDebugAccessesPerInstruction)
        debugger.accesses[debugger.accessCount++] = {kind, static_cast<uint16_t>(address),
                                                     static_cast<uint8_t>(data)};
    LookEverywhere();
}

} // namespace

// ---- Points ----

int DebugAddPoint(unsigned kinds, uint16_t first, uint16_t last, const std::string& condition,
                  std::string& error, const std::string& commands, bool once) {
    DebugPoint point{};
    point.id = debugger.nextId;
    point.kinds = kinds;
    point.first = std::min(first, last);
    point.last = std::max(first, last);
    size_t start = condition.find_first_not_of(" \t");
    point.condition = start == std::string::npos
                          ? ""
                          : condition.substr(start, condition.find_last_not_of(" \t") - start + 1);
    point.commands = commands;
    point.once = once;
    point.enabled = true;
    if (!DebugConditionParse(condition, debugger.symbols, point.parsed, error)) return -1;
    if (point.parsed.usesValue && (kinds & kDebugExec)) {
        error = "a breakpoint moves no byte: value is for watchpoints";
        return -1;
    }
    debugger.points.push_back(point);
    Rearm();
    return debugger.nextId++;
}

bool DebugDeletePoint(int id) {
    auto found = FindPoint(id);
    if (found == debugger.points.end()) return false;
    debugger.points.erase(found);
    Rearm();
    return true;
}

bool DebugEnablePoint(int id, bool enabled) {
    auto found = FindPoint(id);
    if (found == debugger.points.end()) return false;
    found->enabled = enabled;
    Rearm();
    return true;
}

void DebugBreakOnInterrupt(bool on) {
    debugger.breakOnInterrupt = on;
    Rearm();
}

void DebugBreakOnHalt(bool on) {
    debugger.breakOnHalt = on;
    Rearm();
}

// ---- Control ----

void DebugBreakNow(void) {
    debugger.breakNow.store(1);
    LookEverywhere();
}

void DebugContinue(void) {
    if (debugger.inHit)
        debugger.stopped = false;
    else
        Resume(DebugMode::Run);
}

void DebugStep(uint32_t count) {
    debugger.stepsLeft = std::max(count, 1u);
    debugger.stepsOver = false;
    Resume(DebugMode::Step);
}

void DebugStepOver(uint32_t count) {
    Z80Regs regs;
    Z80GetRegs(&regs);
    debugger.stepsLeft = std::max(count, 1u);
    debugger.stepsOver = true;
    BeginStepOver(regs);
    Resume(debugger.mode);
}

void DebugStepOut(void) {
    Resume(DebugMode::StepOut);
}

void DebugRunTo(uint16_t address) {
    debugger.target = address;
    Resume(DebugMode::RunTo);
}

uint64_t DebugCyclesSinceStop(void) {
    return Now() - debugger.cyclesAtResume;
}

bool DebugTakeReport(uint32_t ms, DebugReport& report) {
    std::unique_lock<std::mutex> lock(debugger.stopLock);
    if (!debugger.stopSignal.wait_for(lock, std::chrono::milliseconds(ms),
                                      [] { return !debugger.reports.empty(); }))
        return false;
    report = debugger.reports.front();
    debugger.reports.pop_front();
    if (!report.stop && debugger.reportsDropped) {
        char note[48];
        snprintf(note, sizeof note, "(%llu earlier hits dropped)\n",
                 static_cast<unsigned long long>(debugger.reportsDropped));
        report.text.insert(0, note);
        debugger.reportsDropped = 0;
    }
    return true;
}

// ---- Trace, call stack, coverage ----

void DebugTraceSize(size_t size) {
    debugger.trace.assign(size, DebugTraceEntry{});
    debugger.traceNext = 0;
    debugger.traceFilled = 0;
    debugger.traceOpen = false;
    Rearm();
}

void DebugTraceFile(FILE* file) {
    if (debugger.traceFile) fclose(debugger.traceFile);
    debugger.traceFile = file;
    Rearm();
}

std::vector<DebugTraceEntry> DebugTraceLast(size_t n) {
    size_t count = std::min(n, debugger.traceFilled);
    std::vector<DebugTraceEntry> entries;
    size_t size = debugger.trace.size();
    for (size_t i = count; i > 0; --i)
        entries.push_back(debugger.trace[(debugger.traceNext + size - i) % size]);
    return entries;
}

void DebugCallStack(bool on) {
    if (on && !debugger.callStack) debugger.frames.clear();
    debugger.callStack = on;
    Rearm();
}

uint16_t DebugLowWater(void) {
    return debugger.deepest;
}

void DebugCoverage(bool on) {
    if (on) std::memset(debugger.covered, 0, sizeof debugger.covered);
    debugger.coverage = on;
    Rearm();
}

std::vector<std::pair<uint16_t, uint16_t>> DebugCoveredRanges(void) {
    std::vector<std::pair<uint16_t, uint16_t>> ranges;
    for (int at = 0; at < 0x10000; ++at) {
        if (!(debugger.covered[at >> 3] & (1 << (at & 7)))) continue;
        int end = at;
        while (end + 1 < 0x10000 && (debugger.covered[(end + 1) >> 3] & (1 << ((end + 1) & 7))))
            ++end;
        ranges.push_back({static_cast<uint16_t>(at), static_cast<uint16_t>(end)});
        at = end;
    }
    return ranges;
}

// ---- Inspection ----

void DebugGetRegs(Z80Regs& regs) {
    Z80GetRegs(&regs);
}

void DebugSetRegs(const Z80Regs& regs) {
    Z80SetRegs(&regs);
}

uint8_t DebugReadMemory(uint16_t address) {
    return static_cast<uint8_t>(BusPeek(address));
}

uint8_t DebugReadRam(uint16_t address) {
    return Get(machine.mainRam[address]);
}

void DebugWriteMemory(uint16_t address, uint8_t value) {
    BusDecode(address, value, MemWrite);
}

uint8_t DebugReadPort(uint16_t port) {
    return static_cast<uint8_t>(BusDecode(port, 0, PortRead));
}

void DebugWritePort(uint16_t port, uint8_t value) {
    BusDecode(port, value, PortWrite);
}

uint16_t DebugStart(const Z80Regs& regs) {
    return static_cast<uint16_t>(regs.prefix ? regs.pc - 1 : regs.pc);
}

int DebugInstructionLength(uint16_t address) {
    uint8_t bytes[kDisasmLongest + 1];
    for (int i = 0; i <= kDisasmLongest; ++i)
        bytes[i] = DebugReadMemory(static_cast<uint16_t>(address + i));
    int length = Disassemble(address, bytes, nullptr).length;
    bool prefix = bytes[0] == 0xDD || bytes[0] == 0xFD;
    if (length == 1 && prefix && bytes[1] != 0xDD && bytes[1] != 0xFD)
        length += Disassemble(static_cast<uint16_t>(address + 1), bytes + 1, nullptr).length;
    return length;
}

void DebugReset(void) {
    if (RunControlPaused()) RunControlSetPaused(false);
    debugger.points.clear();
    debugger.nextId = 1;
    debugger.breakOnInterrupt = debugger.breakOnHalt = false;
    debugger.stopped = false;
    debugger.mode = DebugMode::Run;
    debugger.lastCheckCycles = Now();
    debugger.accepting = debugger.wasHalted = debugger.sawStart = debugger.inHit = false;
    debugger.chain = 0;
    debugger.accessCount = 0;
    debugger.breakNow.store(0);
    {
        std::lock_guard<std::mutex> lock(debugger.stopLock);
        debugger.reports.clear();
        debugger.reportsDropped = 0;
    }
    debugger.callStack = false;
    debugger.frames.clear();
    debugger.coverage = false;
    DebugTraceFile(nullptr);
    DebugTraceSize(0);
}

#include "debug/debugger.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "bus/bus.h"
#include "core/run_control.h"
#include "debug/disasm.h"
#include "state/machine_state.h"

DebugState debugger;

namespace {

// The point kind of each bus access kind.
const unsigned kKindBits[] = {kDebugMemWrite, kDebugMemRead, kDebugPortWrite, kDebugPortRead};

// ---- Registers by name ----

enum Register {
    RegA,
    RegF,
    RegB,
    RegC,
    RegD,
    RegE,
    RegH,
    RegL,
    RegAF,
    RegBC,
    RegDE,
    RegHL,
    RegAF2,
    RegBC2,
    RegDE2,
    RegHL2,
    RegIX,
    RegIY,
    RegIXH,
    RegIXL,
    RegIYH,
    RegIYL,
    RegSP,
    RegPC,
    RegI,
    RegR,
    RegIM,
    RegIFF1,
    RegIFF2,
    RegWZ,
    RegCount
};
const char* const kRegisterNames[RegCount] = {
    "A",   "F",   "B",   "C",   "D",   "E",   "H",  "L",    "AF",   "BC",
    "DE",  "HL",  "AF'", "BC'", "DE'", "HL'", "IX", "IY",   "IXH",  "IXL",
    "IYH", "IYL", "SP",  "PC",  "I",   "R",   "IM", "IFF1", "IFF2", "WZ"};

unsigned short* RegisterPair(Z80Regs& regs, int index) {
    switch (index) {
    case RegA:
    case RegF:
    case RegAF: return &regs.af;
    case RegB:
    case RegC:
    case RegBC: return &regs.bc;
    case RegD:
    case RegE:
    case RegDE: return &regs.de;
    case RegH:
    case RegL:
    case RegHL: return &regs.hl;
    case RegAF2: return &regs.af2;
    case RegBC2: return &regs.bc2;
    case RegDE2: return &regs.de2;
    case RegHL2: return &regs.hl2;
    case RegIX:
    case RegIXH:
    case RegIXL: return &regs.ix;
    case RegIY:
    case RegIYH:
    case RegIYL: return &regs.iy;
    case RegSP: return &regs.sp;
    case RegPC: return &regs.pc;
    case RegWZ: return &regs.wz;
    default: return nullptr;
    }
}

bool IsHighHalf(int index) {
    return index == RegA || index == RegB || index == RegD || index == RegH || index == RegIXH ||
           index == RegIYH;
}
bool IsLowHalf(int index) {
    return index == RegF || index == RegC || index == RegE || index == RegL || index == RegIXL ||
           index == RegIYL;
}

// ---- Conditions ----

const char* const kOperators[] = {"==", "!=", "<=", ">=", "<", ">"};

std::string Trim(const std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

bool ParseOperand(const std::string& text, DebugOperand& operand) {
    std::string word = Trim(text);
    std::string upper = word;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "HITS") {
        operand = {DebugOperand::Hits, 0};
        return true;
    }
    if (upper == "VALUE") {
        operand = {DebugOperand::Value, 0};
        return true;
    }
    if (upper.size() > 2 && upper.front() == '(' && upper.back() == ')') {
        std::string inner = Trim(upper.substr(1, upper.size() - 2));
        int index = DebugRegisterIndex(inner);
        if (index >= 0) {
            operand = {DebugOperand::MemoryAtRegister, index};
            return true;
        }
        uint16_t address;
        if (!SymbolsValue(debugger.symbols, inner, address)) return false;
        operand = {DebugOperand::Memory, address};
        return true;
    }
    int index = DebugRegisterIndex(upper);
    if (index >= 0) {
        operand = {DebugOperand::Register, index};
        return true;
    }
    uint16_t value;
    if (!SymbolsValue(debugger.symbols, word, value)) return false;
    operand = {DebugOperand::Number, value};
    return true;
}

bool ParseCondition(const std::string& text, std::vector<DebugTerm>& terms, std::string& error) {
    terms.clear();
    std::string rest = text;
    while (!Trim(rest).empty()) {
        size_t join = rest.find("&&");
        std::string term = rest.substr(0, join);
        rest = join == std::string::npos ? "" : rest.substr(join + 2);
        DebugTerm parsed{};
        size_t at = std::string::npos;
        for (int op = 0; op < 6 && at == std::string::npos; ++op) {
            at = term.find(kOperators[op]);
            if (at != std::string::npos) parsed.op = op;
        }
        if (at == std::string::npos) {
            error = "a condition compares two things: " + Trim(term);
            return false;
        }
        size_t width = std::strlen(kOperators[parsed.op]);
        if (!ParseOperand(term.substr(0, at), parsed.left) ||
            !ParseOperand(term.substr(at + width), parsed.right)) {
            error = "cannot read the condition " + Trim(term);
            return false;
        }
        terms.push_back(parsed);
    }
    return true;
}

int OperandValue(const DebugOperand& operand, const Z80Regs& regs, uint32_t hits, int value) {
    switch (operand.kind) {
    case DebugOperand::Number: return operand.which;
    case DebugOperand::Register: return DebugRegisterValue(regs, operand.which);
    case DebugOperand::Memory: return BusPeek(operand.which);
    case DebugOperand::MemoryAtRegister: return BusPeek(DebugRegisterValue(regs, operand.which));
    case DebugOperand::Hits: return static_cast<int>(hits);
    default: return value;
    }
}

bool ConditionHolds(const DebugPoint& point, const Z80Regs& regs, int value) {
    for (const DebugTerm& term : point.terms) {
        int left = OperandValue(term.left, regs, point.hits, value);
        int right = OperandValue(term.right, regs, point.hits, value);
        bool holds = false;
        switch (term.op) {
        case 0: holds = left == right; break;
        case 1: holds = left != right; break;
        case 2: holds = left <= right; break;
        case 3: holds = left >= right; break;
        case 4: holds = left < right; break;
        default: holds = left > right; break;
        }
        if (!holds) return false;
    }
    return true;
}

// ---- State changes ----

bool Needed(void) {
    if (debugger.stopped || debugger.mode != DebugMode::Run || debugger.breakOnInterrupt ||
        debugger.breakOnHalt || !debugger.trace.empty() || debugger.traceFile ||
        debugger.hitCount > 0)
        return true;
    return std::any_of(debugger.points.begin(), debugger.points.end(),
                       [](const DebugPoint& p) { return p.enabled && (p.kinds & kDebugExec); });
}

void MapRange(uint8_t* map, int first, int last) {
    for (int a = first; a <= last; ++a)
        map[a >> 3] |= static_cast<uint8_t>(1 << (a & 7));
}

// Sets the maps and flags the hot paths test from what is set now.
void Rearm(void) {
    std::memset(debugger.execMap, 0, sizeof debugger.execMap);
    std::memset(debugger.watchMap, 0, sizeof debugger.watchMap);
    bool watch = false;
    for (const DebugPoint& point : debugger.points) {
        if (!point.enabled) continue;
        if (point.kinds & kDebugExec) MapRange(debugger.execMap, point.first, point.last);
        for (int kind = 0; kind < 4; ++kind) {
            if (!(point.kinds & kKindBits[kind])) continue;
            MapRange(debugger.watchMap[kind], point.first, point.last);
            watch = true;
        }
    }
    Put(debugger.watching, watch);
    debugger.breakpointsOnly = !debugger.stopped && debugger.mode == DebugMode::Run &&
                               !debugger.breakOnInterrupt && !debugger.breakOnHalt &&
                               debugger.trace.empty() && !debugger.traceFile;
    bool needed = Needed();
    if (!needed) debugger.accepting = false;
    // Sequentially consistent, against DebugBreakNow on another thread: if
    // its request is not seen here, its own store of armed comes later.
    debugger.armed.store(needed);
    if (debugger.breakNow.load()) debugger.armed.store(1);
}

DebugPoint* FindPoint(int id) {
    for (DebugPoint& point : debugger.points)
        if (point.id == id) return &point;
    return nullptr;
}

void Stop(const std::string& reason) {
    debugger.stopped = true;
    debugger.breakpointsOnly = false;
    debugger.stopReason = reason;
    debugger.mode = DebugMode::Run;
    debugger.hitCount = 0;
    Put(debugger.breakNow, 0);
    RunControlSetPaused(true);
    std::lock_guard<std::mutex> lock(debugger.stopLock);
    ++debugger.stopCount;
    debugger.stopSignal.notify_all();
}

void Resume(DebugMode mode) {
    Z80Regs regs;
    Z80GetRegs(&regs);
    debugger.stopped = false;
    Put(debugger.breakNow, 0); // a break asked for while stopped is spent
    ++debugger.resumes;
    debugger.mode = mode;
    debugger.stackAt = regs.sp;
    debugger.firstCheck = true;
    debugger.cyclesAtResume = debugger.cycles;
    Rearm();
}

std::string Hex4(int value) {
    char text[8];
    snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
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

void TraceOpen(const Z80Regs& regs, bool interrupt) {
    if (debugger.trace.empty() && !debugger.traceFile) return;
    DebugTraceEntry& entry = debugger.traceEntry;
    entry.pc = regs.pc;
    for (int i = 0; i < 4; ++i)
        entry.bytes[i] = static_cast<uint8_t>(BusPeek(regs.pc + i));
    entry.interrupt = interrupt;
    debugger.traceOpen = true;
}

// ---- What the last instruction did ----

bool IsReturn(uint16_t pc) {
    int op = BusPeek(pc);
    if (op == 0xC9 || (op & 0xC7) == 0xC0) return true;
    return op == 0xED && (BusPeek(pc + 1) & 0xC7) == 0x45;
}

// CALL, CALL cc, RST and the repeating block instructions: a step over them
// runs until the instruction after.
int StepOverLength(uint16_t pc) {
    int op = BusPeek(pc);
    if (op == 0xCD || (op & 0xC7) == 0xC4) return 3;
    if ((op & 0xC7) == 0xC7) return 1;
    int next = BusPeek(pc + 1);
    if (op == 0xED && (next & 0xF4) == 0xB0) return 2;
    return 0;
}

// The watch hits of the instruction just run: true when one stops it.
bool JudgeWatchHits(const Z80Regs& regs) {
    static const char* const kWhat[] = {"memory write", "memory read", "port write", "port read"};
    bool stop = false;
    for (int i = 0; i < debugger.hitCount && !stop; ++i) {
        const DebugWatchHit& hit = debugger.hits[i];
        DebugPoint* point = FindPoint(hit.point);
        if (!point || !point->enabled) continue;
        ++point->hits;
        if (!ConditionHolds(*point, regs, hit.value)) continue;
        char text[96];
        snprintf(text, sizeof text, "watchpoint %d: %s %04X value %02X", point->id, kWhat[hit.kind],
                 hit.address, hit.value);
        Stop(text);
        stop = true;
    }
    debugger.hitCount = 0;
    return stop;
}

bool BreakpointHit(const Z80Regs& regs) {
    if (!(debugger.execMap[regs.pc >> 3] & (1 << (regs.pc & 7)))) return false;
    for (DebugPoint& point : debugger.points) {
        if (!point.enabled || !(point.kinds & kDebugExec) || regs.pc < point.first ||
            regs.pc > point.last)
            continue;
        ++point.hits;
        if (!ConditionHolds(point, regs, 0)) continue;
        Stop("breakpoint " + std::to_string(point.id));
        return true;
    }
    return false;
}

} // namespace

// ---- Hooks ----

bool DebugCheck(void) {
    Z80Regs regs;
    // The common case, breakpoints alone: only the address is looked at,
    // and the whole register set only where a breakpoint is.
    if (debugger.breakpointsOnly && !Get(debugger.breakNow) && debugger.hitCount == 0) {
        bool ran = !debugger.firstCheck;
        debugger.firstCheck = false;
        uint16_t pc = Z80GetPC();
        if (!ran || !(debugger.execMap[pc >> 3] & (1 << (pc & 7)))) return false;
        Z80GetRegs(&regs);
        return !regs.halted && !regs.prefix && BreakpointHit(regs);
    }
    if (debugger.stopped) {
        if (RunControlPaused()) return true;
        Resume(DebugMode::Run); // the host let the machine run on
    }
    Z80GetRegs(&regs);
    bool ran = !debugger.firstCheck; // an instruction ran since the last check
    debugger.firstCheck = false;
    bool accepted = ran && debugger.accepting;
    uint16_t lastPc = debugger.lastPc;
    TraceClose(regs);
    bool halting = regs.halted && !debugger.wasHalted;
    debugger.wasHalted = regs.halted;

    if (debugger.hitCount > 0 && JudgeWatchHits(regs)) return true;
    if (Get(debugger.breakNow)) {
        Stop("break");
        return true;
    }
    if (accepted && debugger.breakOnInterrupt) {
        Stop("interrupt accepted");
        return true;
    }
    if (ran && halting && debugger.breakOnHalt) {
        Stop("HALT");
        return true;
    }
    bool midInstruction = regs.prefix != 0;
    if (ran && !midInstruction) {
        switch (debugger.mode) {
        case DebugMode::Step: Stop("step"); return true;
        case DebugMode::StepOver:
            if (regs.pc == debugger.target && regs.sp >= debugger.stackAt) {
                Stop("step");
                return true;
            }
            break;
        case DebugMode::StepOut:
            if (!accepted && IsReturn(lastPc) && regs.sp > debugger.stackAt) {
                Stop("step out");
                return true;
            }
            break;
        case DebugMode::RunTo:
            if (regs.pc == debugger.target) {
                Stop("run to " + Hex4(regs.pc));
                return true;
            }
            break;
        case DebugMode::Run: break;
        }
        if (!regs.halted && BreakpointHit(regs)) return true;
    }
    debugger.accepting = regs.irqPending && regs.iff1 && !regs.eiDelay && !regs.prefix;
    TraceOpen(regs, debugger.accepting);
    debugger.lastPc = regs.pc;
    return false;
}

void DebugBusAccess(int address, int data, unsigned kind) {
    for (const DebugPoint& point : debugger.points) {
        if (!point.enabled || !(point.kinds & kKindBits[kind]) || address < point.first ||
            address > point.last)
            continue;
        if (debugger.hitCount < kDebugWatchHitsPerInstruction)
            debugger.hits[debugger.hitCount++] = {point.id, kind, static_cast<uint16_t>(address),
                                                  static_cast<uint8_t>(data)};
        Put(debugger.armed, 1);
    }
}

// ---- Points ----

int DebugAddPoint(unsigned kinds, uint16_t first, uint16_t last, const std::string& condition,
                  std::string& error) {
    DebugPoint point{debugger.nextId,
                     kinds,
                     std::min(first, last),
                     std::max(first, last),
                     Trim(condition),
                     {},
                     true,
                     0};
    if (!ParseCondition(condition, point.terms, error)) return -1;
    debugger.points.push_back(point);
    Rearm();
    return debugger.nextId++;
}

bool DebugDeletePoint(int id) {
    auto found = std::find_if(debugger.points.begin(), debugger.points.end(),
                              [id](const DebugPoint& p) { return p.id == id; });
    if (found == debugger.points.end()) return false;
    debugger.points.erase(found);
    Rearm();
    return true;
}

bool DebugEnablePoint(int id, bool enabled) {
    DebugPoint* point = FindPoint(id);
    if (!point) return false;
    point->enabled = enabled;
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
    debugger.armed.store(1);
}

void DebugContinue(void) {
    Resume(DebugMode::Run);
}

void DebugStep(void) {
    Resume(DebugMode::Step);
}

void DebugStepOver(void) {
    Z80Regs regs;
    Z80GetRegs(&regs);
    int length = regs.halted ? 0 : StepOverLength(regs.pc);
    debugger.target = static_cast<uint16_t>(regs.pc + length);
    Resume(length ? DebugMode::StepOver : DebugMode::Step);
}

void DebugStepOut(void) {
    Resume(DebugMode::StepOut);
}

void DebugRunTo(uint16_t address) {
    debugger.target = address;
    Resume(DebugMode::RunTo);
}

uint64_t DebugCyclesSinceStop(void) {
    return debugger.cycles - debugger.cyclesAtResume;
}

// ---- Trace ----

void DebugTraceSize(size_t size) {
    debugger.trace.assign(size, DebugTraceEntry{});
    debugger.traceNext = 0;
    debugger.traceFilled = 0;
    debugger.traceOpen = false;
    Rearm();
}

bool DebugTraceFile(const std::string& path) {
    if (debugger.traceFile) fclose(debugger.traceFile);
    debugger.traceFile = path.empty() ? nullptr : fopen(path.c_str(), "w");
    Rearm();
    return path.empty() || debugger.traceFile;
}

std::vector<DebugTraceEntry> DebugTraceLast(size_t n) {
    size_t count = std::min(n, debugger.traceFilled);
    std::vector<DebugTraceEntry> entries;
    size_t size = debugger.trace.size();
    for (size_t i = count; i > 0; --i)
        entries.push_back(debugger.trace[(debugger.traceNext + size - i) % size]);
    return entries;
}

// ---- Inspection ----

void DebugGetRegs(Z80Regs& regs) {
    Z80GetRegs(&regs);
}

void DebugSetRegs(const Z80Regs& regs) {
    Z80SetRegs(&regs);
}

int DebugRegisterIndex(const std::string& name) {
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int i = 0; i < RegCount; ++i)
        if (upper == kRegisterNames[i]) return i;
    return -1;
}

int DebugRegisterValue(const Z80Regs& regs, int index) {
    Z80Regs copy = regs;
    if (unsigned short* pair = RegisterPair(copy, index)) {
        if (IsHighHalf(index)) return *pair >> 8;
        if (IsLowHalf(index)) return *pair & 0xFF;
        return *pair;
    }
    switch (index) {
    case RegI: return regs.i;
    case RegR: return regs.r;
    case RegIM: return regs.im;
    case RegIFF1: return regs.iff1;
    default: return regs.iff2;
    }
}

void DebugSetRegisterValue(Z80Regs& regs, int index, int value) {
    if (unsigned short* pair = RegisterPair(regs, index)) {
        if (IsHighHalf(index))
            *pair = static_cast<unsigned short>((*pair & 0x00FF) | (value & 0xFF) << 8);
        else if (IsLowHalf(index))
            *pair = static_cast<unsigned short>((*pair & 0xFF00) | (value & 0xFF));
        else
            *pair = static_cast<unsigned short>(value);
        return;
    }
    switch (index) {
    case RegI: regs.i = static_cast<unsigned char>(value); break;
    case RegR: regs.r = static_cast<unsigned char>(value); break;
    case RegIM: regs.im = static_cast<unsigned char>(value > 2 ? 2 : value); break;
    case RegIFF1: regs.iff1 = value != 0; break;
    default: regs.iff2 = value != 0; break;
    }
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

void DebugReset(void) {
    if (RunControlPaused()) RunControlSetPaused(false);
    debugger.points.clear();
    debugger.breakOnInterrupt = debugger.breakOnHalt = false;
    debugger.stopped = false;
    debugger.mode = DebugMode::Run;
    debugger.firstCheck = true;
    debugger.accepting = debugger.wasHalted = false;
    debugger.hitCount = 0;
    debugger.breakNow.store(0);
    DebugTraceFile("");
    DebugTraceSize(0);
}

#include "debug/commands.h"

#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/run_control.h"
#include "debug/debugger.h"
#include "debug/disasm.h"

namespace {

namespace fs = std::filesystem;

// A command line's words, and where each starts, for the commands that take
// the rest of the line (an expression with spaces, a condition, a text).
struct Args {
    std::vector<std::string> w;
    std::vector<size_t> starts;
    std::string line;
    size_t size() const { return w.size(); }
    const std::string& operator[](size_t i) const { return w[i]; }
    std::string Rest(size_t from) const { return from < w.size() ? line.substr(starts[from]) : ""; }
};

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

// The line up to its comment: a # standing alone as a word (not within
// quotes; #12 is a number) starts one.
std::string Uncommented(const std::string& line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        quoted ^= line[i] == '"';
        if (line[i] == '#' && !quoted && (i == 0 || Blank(line[i - 1])) &&
            (i + 1 == line.size() || Blank(line[i + 1])))
            return line.substr(0, i);
    }
    return line;
}

Args Split(const std::string& text) {
    Args args;
    std::string line = Uncommented(text);
    args.line = line;
    size_t i = 0;
    while (i < line.size()) {
        if (Blank(line[i])) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < line.size() && !Blank(line[i]))
            ++i;
        args.w.push_back(line.substr(start, i - start));
        args.starts.push_back(start);
    }
    return args;
}

struct Command {
    const char* name;
    const char* usage;
    const char* what;
    std::string (*run)(const Args& a, DebugJob& job);
    // Commands with a file: on the caller's thread before and after.
    bool (*prepare)(const Args& a, DebugJob& job);
    void (*finish)(DebugJob& job);
};

std::string Error(const std::string& text) {
    return "error: " + text + "\n";
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Trim(const std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

// ---- Numbers ----

// Why the last number a command read was refused; the command's usage is
// shown instead when it is empty (the words did not fit the command).
std::string refused;

std::string Usage(const std::string& usage) {
    return Error(refused.empty() ? "usage: " + usage : refused);
}

// An expression's value with the registers as they are now.
bool Value(const std::string& text, uint32_t& value) {
    DebugExpr expr;
    Z80Regs regs;
    DebugGetRegs(regs);
    return DebugExprParse(text, debugger.symbols, false, expr, refused) &&
           DebugExprEval(expr, {regs, 0, 0}, value, &refused);
}

bool Limited(const std::string& text, uint32_t largest, uint32_t& value) {
    if (!Value(text, value)) return false;
    if (value <= largest) return true;
    std::string number = Format("%X", value);
    refused =
        text + " is " + (text == number ? "" : number + ", ") + Format("more than %X", largest);
    return false;
}

bool Address(const std::string& text, uint16_t& address) {
    uint32_t value;
    if (!Limited(text, 0xFFFF, value)) return false;
    address = static_cast<uint16_t>(value);
    return true;
}

bool Count(const std::string& text, uint32_t& value, uint32_t largest) {
    if (!Limited(text, largest, value)) return false;
    if (value == 0) refused = "a count is 1 or more";
    return value > 0;
}

// "8000" or "8000-80FF": the ends split at the first -, the lower first.
bool Range(const std::string& word, uint16_t& first, uint16_t& last) {
    size_t dash = word.find('-', 1);
    if (dash == std::string::npos) {
        if (!Address(word, first)) return false;
        last = first;
        return true;
    }
    if (!Address(word.substr(0, dash), first) || !Address(word.substr(dash + 1), last))
        return false;
    if (first <= last) return true;
    refused = word + Format(" runs down from %04X to %04X: a range FROM-TO splits at its first -, "
                            "the lower end first",
                            first, last);
    return false;
}

// Whether size bytes from address fit below 10000H; if not, says so.
bool Fits(uint16_t address, size_t size) {
    if (address + size <= 0x10000) return true;
    refused = std::to_string(size) + Format(" bytes do not fit between %04X and FFFF", address);
    return false;
}

// ---- Text ----

std::string Line(uint16_t address) {
    uint8_t bytes[kDisasmLongest];
    for (int i = 0; i < kDisasmLongest; ++i)
        bytes[i] = DebugReadMemory(static_cast<uint16_t>(address + i));
    DisasmLine line = Disassemble(address, bytes, &debugger.symbols);
    std::string text;
    if (const std::string* name = SymbolsName(debugger.symbols, address)) text = *name + ":\n";
    text += Format("%04X  ", address);
    for (int i = 0; i < kDisasmLongest; ++i)
        text += i < line.length ? Format("%02X ", bytes[i]) : "   ";
    return text + " " + line.text + "\n";
}

// An address and the label it lies in, if any.
std::string Where(uint16_t address) {
    std::string name = SymbolsNearest(debugger.symbols, address);
    return Format("%04X", address) + (name.empty() ? "" : " " + name);
}

std::string Flags(int f) {
    std::string text = "SZ5H3PNC";
    for (int bit = 0; bit < 8; ++bit)
        if (!(f & (0x80 >> bit))) text[bit] = '-';
    return text;
}

std::string Registers(const Z80Regs& r) {
    return Format("AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X SP=%04X PC=%04X\n", r.af, r.bc,
                  r.de, r.hl, r.ix, r.iy, r.sp, r.pc) +
           Format("AF'=%04X BC'=%04X DE'=%04X HL'=%04X I=%02X R=%02X WZ=%04X\n", r.af2, r.bc2,
                  r.de2, r.hl2, r.i, r.r, r.wz) +
           Format("F=%s IM=%d IFF1=%d IFF2=%d halted=%d cycles=%llu\n", Flags(r.af & 0xFF).c_str(),
                  r.im, r.iff1, r.iff2, r.halted,
                  static_cast<unsigned long long>(DebugCyclesSinceStop()));
}

std::string Dump(uint16_t address, uint32_t count, uint8_t (*read)(uint16_t)) {
    std::string text;
    for (uint32_t row = 0; row < count; row += 16) {
        uint16_t at = static_cast<uint16_t>(address + row);
        text += Format("%04X ", at);
        std::string chars;
        for (uint32_t i = 0; i < 16 && row + i < count; ++i) {
            uint8_t byte = read(static_cast<uint16_t>(at + i));
            text += Format(" %02X", byte);
            chars += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
        }
        text += "  " + chars + "\n";
    }
    return text;
}

std::string PointLine(const DebugPoint& p) {
    std::string what;
    if (p.kinds & kDebugExec) what = p.once ? "break once" : "break";
    if (p.kinds & (kDebugMemRead | kDebugMemWrite))
        what = std::string("watch memory ") + (p.kinds & kDebugMemRead ? "r" : "") +
               (p.kinds & kDebugMemWrite ? "w" : "");
    if (p.kinds & (kDebugPortRead | kDebugPortWrite))
        what = std::string("watch port ") + (p.kinds & kDebugPortRead ? "r" : "") +
               (p.kinds & kDebugPortWrite ? "w" : "");
    std::string range =
        p.first == p.last ? Format("%04X", p.first) : Format("%04X-%04X", p.first, p.last);
    return Format("%X %s %s %s hits %X", p.id, p.enabled ? "on " : "off", what.c_str(),
                  range.c_str(), p.hits) +
           (p.condition.empty() ? "" : " if " + p.condition) +
           (p.commands.empty() ? "" : " do " + p.commands) + "\n";
}

// ---- Files, on the caller's thread ----

std::string Resolve(const DebugJob& job, const std::string& name) {
    fs::path path(name);
    if (path.is_relative() && !job.folder.empty()) path = fs::path(job.folder) / path;
    return path.string();
}

// Reads a regular file of at most largest bytes into job.data.
bool ReadFile(DebugJob& job, const std::string& name, size_t largest) {
    job.path = Resolve(job, name);
    std::error_code failed;
    if (!fs::is_regular_file(job.path, failed)) {
        job.out = Error(
            name + (fs::exists(job.path, failed) ? " is not a regular file" : " cannot be read"));
        return false;
    }
    std::ifstream in(job.path, std::ios::binary);
    std::vector<char> buffer(largest + 1);
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in.bad() || (!in.eof() && !in)) {
        job.out = Error(name + " cannot be read");
        return false;
    }
    if (static_cast<size_t>(in.gcount()) > largest) {
        job.out = Error(name + " is larger than " + std::to_string(largest) + " bytes");
        return false;
    }
    job.data.assign(buffer.data(), static_cast<size_t>(in.gcount()));
    return true;
}

// Settles where job.data goes: a new file, or a regular one written over.
bool WritableFile(DebugJob& job, const std::string& name) {
    job.path = Resolve(job, name);
    std::error_code failed;
    if (fs::exists(job.path, failed) && !fs::is_regular_file(job.path, failed)) {
        job.out = Error(name + " is not a regular file");
        return false;
    }
    return true;
}

void WriteData(DebugJob& job) {
    if (job.path.empty() || job.out.rfind("error:", 0) == 0) return;
    std::ofstream out(job.path, std::ios::binary | std::ios::trunc);
    out.write(job.data.data(), static_cast<std::streamsize>(job.data.size()));
    out.close();
    if (!out) job.out = Error("cannot write " + job.path);
}

// ---- Points ----

// "[if CONDITION] [do COMMAND; COMMAND...]" from word from on.
std::string AddPoint(unsigned kinds, uint16_t first, uint16_t last, const Args& a, size_t from,
                     bool once = false) {
    std::string condition, commands;
    size_t doAt = a.size();
    for (size_t i = from; i < a.size(); ++i)
        if (a[i] == "do") {
            doAt = i;
            break;
        }
    if (from < doAt) {
        if (a[from] != "if" || from + 1 == doAt) return Error("expected: if CONDITION");
        condition =
            a.line.substr(a.starts[from + 1], doAt < a.size() ? a.starts[doAt] - a.starts[from + 1]
                                                              : std::string::npos);
    }
    if (doAt < a.size()) {
        commands = Trim(a.Rest(doAt + 1));
        if (commands.empty()) return Error("expected: do COMMAND; COMMAND...");
    }
    std::string error;
    int id = DebugAddPoint(kinds, first, last, condition, error, commands, once);
    if (id < 0) return Error(error);
    return PointLine(debugger.points.back());
}

std::string RunList(const std::string& list);

std::string Breakpoint(const Args& a, bool once) {
    uint16_t address;
    if (a.size() < 2 || !Address(a[1], address))
        return Usage(a[0] + " ADDRESS [if CONDITION] [do COMMANDS]");
    debugger.runCommands = RunList;
    return AddPoint(kDebugExec, address, address, a, 2, once);
}

std::string CmdBreak(const Args& a, DebugJob&) {
    if (a.size() == 1) {
        std::string text;
        for (const DebugPoint& p : debugger.points)
            text += PointLine(p);
        return text.empty() ? "no breakpoints or watchpoints\n" : text;
    }
    return Breakpoint(a, false);
}

std::string CmdBreakOnce(const Args& a, DebugJob&) {
    return Breakpoint(a, true);
}

std::string Watch(const Args& a, unsigned readKind, unsigned writeKind) {
    uint16_t first, last;
    if (a.size() < 3 || !Range(a[1], first, last)) return Usage(a[0] + " FROM[-TO] r|w|rw");
    unsigned kinds = 0;
    if (a[2] == "r" || a[2] == "rw") kinds |= readKind;
    if (a[2] == "w" || a[2] == "rw") kinds |= writeKind;
    if (!kinds) return Error("watch r, w or rw, not " + a[2]);
    if (readKind == kDebugPortRead && last > 0xFF) return Error("ports are 00-FF");
    debugger.runCommands = RunList;
    return AddPoint(kinds, first, last, a, 3);
}

std::string CmdWatch(const Args& a, DebugJob&) {
    return Watch(a, kDebugMemRead, kDebugMemWrite);
}

std::string CmdWatchPort(const Args& a, DebugJob&) {
    return Watch(a, kDebugPortRead, kDebugPortWrite);
}

std::string PointChange(const Args& a, bool (*change)(int id)) {
    uint32_t id;
    if (a.size() != 2 || !Value(a[1], id)) return Usage(a[0] + " ID");
    if (!change(static_cast<int>(id))) return Error("no point " + a[1]);
    return "";
}

std::string CmdDelete(const Args& a, DebugJob&) {
    if (a.size() > 1) return PointChange(a, DebugDeletePoint);
    while (!debugger.points.empty())
        DebugDeletePoint(debugger.points.back().id);
    return "";
}

std::string CmdEnable(const Args& a, DebugJob&) {
    return PointChange(a, [](int id) { return DebugEnablePoint(id, true); });
}

std::string CmdDisable(const Args& a, DebugJob&) {
    return PointChange(a, [](int id) { return DebugEnablePoint(id, false); });
}

std::string OnOff(const Args& a, void (*set)(bool), const char* what) {
    if (a.size() != 2 || (a[1] != "on" && a[1] != "off"))
        return Error("usage: " + a[0] + " on|off");
    set(a[1] == "on");
    return std::string(what) + " " + a[1] + "\n";
}

std::string CmdBreakInterrupt(const Args& a, DebugJob&) {
    return OnOff(a, DebugBreakOnInterrupt, "break on interrupt");
}

std::string CmdBreakHalt(const Args& a, DebugJob&) {
    return OnOff(a, DebugBreakOnHalt, "break on HALT");
}

// ---- Running ----

bool Still(void) {
    return debugger.stopped || RunControlPaused();
}

std::string Resume(const Args& a, void (*resume)(void)) {
    if (!Still()) return Error("the machine is running");
    if (a.size() != 1) return Error(a[0] + " takes nothing");
    resume();
    return "";
}

std::string Steps(const Args& a, void (*steps)(uint32_t)) {
    if (!Still()) return Error("the machine is running");
    uint32_t count = 1;
    if (a.size() > 1 && !Count(a.Rest(1), count, 0xFFFFFFFF)) return Usage(a[0] + " [COUNT]");
    steps(count);
    return "";
}

std::string CmdContinue(const Args& a, DebugJob&) {
    return Resume(a, DebugContinue);
}
std::string CmdStep(const Args& a, DebugJob&) {
    return Steps(a, DebugStep);
}
std::string CmdNext(const Args& a, DebugJob&) {
    return Steps(a, DebugStepOver);
}
std::string CmdFinish(const Args& a, DebugJob&) {
    return Resume(a, DebugStepOut);
}

std::string CmdGo(const Args& a, DebugJob&) {
    uint16_t address;
    if (!Still()) return Error("the machine is running");
    if (a.size() < 2 || !Address(a.Rest(1), address)) return Usage("g ADDRESS");
    DebugRunTo(address);
    return "";
}

// ---- Registers, memory, ports ----

std::string CmdRegisters(const Args& a, DebugJob&) {
    Z80Regs regs;
    DebugGetRegs(regs);
    if (a.size() == 1) return Registers(regs);
    int index = DebugRegisterIndex(a[1]);
    uint32_t value;
    if (a.size() < 3) return Usage("r [REGISTER VALUE]");
    if (index < 0) return Error("no register " + a[1]);
    if (!Limited(a.Rest(2), DebugRegisterLargest(index), value)) return Error(refused);
    DebugSetRegisterValue(regs, index, static_cast<int>(value));
    DebugSetRegs(regs);
    return Registers(regs);
}

std::string Memory(const Args& a, uint8_t (*read)(uint16_t)) {
    uint16_t address;
    uint32_t count = 0x40;
    if (a.size() < 2 || a.size() > 3 || !Address(a[1], address) ||
        (a.size() == 3 && !Count(a[2], count, 0x10000)))
        return Usage(a[0] + " ADDRESS [COUNT]");
    return Dump(address, count, read);
}

std::string CmdMemory(const Args& a, DebugJob&) {
    return Memory(a, DebugReadMemory);
}
std::string CmdRam(const Args& a, DebugJob&) {
    return Memory(a, DebugReadRam);
}

// Bytes from word from on, each an expression of at most FF.
bool Bytes(const Args& a, size_t from, std::string& bytes) {
    for (size_t i = from; i < a.size(); ++i) {
        uint32_t byte;
        if (!Limited(a[i], 0xFF, byte)) return false;
        bytes += static_cast<char>(byte);
    }
    return true;
}

std::string CmdEdit(const Args& a, DebugJob&) {
    uint16_t address;
    std::string bytes;
    if (a.size() < 3 || !Address(a[1], address) || !Bytes(a, 2, bytes) ||
        !Fits(address, bytes.size()))
        return Usage("e ADDRESS BYTE...");
    for (size_t i = 0; i < bytes.size(); ++i)
        DebugWriteMemory(static_cast<uint16_t>(address + i), static_cast<uint8_t>(bytes[i]));
    return "";
}

std::string CmdFind(const Args& a, DebugJob&) {
    uint16_t first, last;
    if (a.size() < 3 || !Range(a[1], first, last))
        return Usage("find FROM-TO BYTE... | find FROM-TO \"TEXT\"");
    std::string pattern;
    std::string rest = Trim(a.Rest(2));
    if (rest[0] == '"') {
        size_t end = rest.find('"', 1);
        if (end == std::string::npos || end == 1 || end + 1 != rest.size())
            return Error("a text is written \"TEXT\"");
        pattern = rest.substr(1, end - 1);
    } else if (!Bytes(a, 2, pattern)) {
        return Error(refused);
    }
    std::string text;
    uint32_t length = static_cast<uint32_t>(pattern.size());
    for (uint32_t at = first; at + length <= last + 1u; ++at) {
        uint32_t i = 0;
        while (i < length &&
               DebugReadMemory(static_cast<uint16_t>(at + i)) == static_cast<uint8_t>(pattern[i]))
            ++i;
        if (i == length) text += Where(static_cast<uint16_t>(at)) + "\n";
    }
    return text.empty() ? "not found\n" : text;
}

std::string CmdFill(const Args& a, DebugJob&) {
    uint16_t first, last;
    uint32_t byte;
    if (a.size() != 3 || !Range(a[1], first, last) || !Limited(a[2], 0xFF, byte))
        return Usage("fill FROM-TO BYTE");
    for (uint32_t at = first; at <= last; ++at)
        DebugWriteMemory(static_cast<uint16_t>(at), static_cast<uint8_t>(byte));
    return "";
}

std::string CmdIn(const Args& a, DebugJob&) {
    uint32_t port;
    if (a.size() != 2 || !Limited(a[1], 0xFF, port)) return Usage("i PORT");
    return Format("%02X\n", DebugReadPort(static_cast<uint16_t>(port)));
}

std::string CmdOut(const Args& a, DebugJob&) {
    uint32_t port, value;
    if (a.size() != 3 || !Limited(a[1], 0xFF, port) || !Limited(a[2], 0xFF, value))
        return Usage("o PORT BYTE");
    DebugWritePort(static_cast<uint16_t>(port), static_cast<uint8_t>(value));
    return "";
}

std::string CmdPrint(const Args& a, DebugJob&) {
    uint32_t value;
    if (a.size() < 2 || !Value(a.Rest(1), value)) return Usage("p EXPRESSION");
    const std::string* name =
        value <= 0xFFFF ? SymbolsName(debugger.symbols, static_cast<uint16_t>(value)) : nullptr;
    return Format(value <= 0xFFFF ? "%04X  %u" : "%X  %u", value, value) +
           (name ? "  " + *name : "") + "\n";
}

// ---- Disassembly, trace, call stack, coverage ----

std::string CmdDisassemble(const Args& a, DebugJob&) {
    Z80Regs regs;
    DebugGetRegs(regs);
    uint16_t address = regs.pc;
    uint32_t count = 0x10;
    if (a.size() > 3 || (a.size() >= 2 && !Address(a[1], address)) ||
        (a.size() == 3 && !Count(a[2], count, 0x1000)))
        return Usage("d [ADDRESS [COUNT]]");
    std::string text;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t bytes[kDisasmLongest];
        for (int b = 0; b < kDisasmLongest; ++b)
            bytes[b] = DebugReadMemory(static_cast<uint16_t>(address + b));
        text += Line(address);
        address = static_cast<uint16_t>(address + Disassemble(address, bytes, nullptr).length);
    }
    return text;
}

bool PrepareTrace(const Args& a, DebugJob& job) {
    if (a.size() != 3 || a[1] != "file") return true;
    if (!WritableFile(job, a[2])) return false;
    job.file = fopen(job.path.c_str(), "w");
    if (!job.file) job.out = Error("cannot write " + a[2]);
    return job.file != nullptr;
}

std::string CmdTrace(const Args& a, DebugJob& job) {
    uint32_t count = 0x10;
    if (a.size() == 3 && a[1] == "size") {
        uint32_t size;
        if (!Limited(a[2], 0x100000, size)) return Usage("t size COUNT");
        DebugTraceSize(size);
        return Format("trace keeps %X instructions\n", size);
    }
    if (a.size() >= 2 && a[1] == "file") {
        if (a.size() > 3) return Error("usage: t file [PATH]");
        if (a.size() == 3 && !job.file) return Error("t file cannot run on a hit");
        DebugTraceFile(job.file);
        job.file = nullptr;
        return a.size() == 3 ? "tracing to " + job.path + "\n" : "trace file closed\n";
    }
    if (a.size() > 2 || (a.size() == 2 && !Count(a[1], count, 0x100000)))
        return Usage("t [COUNT] | t size COUNT | t file [PATH]");
    if (debugger.trace.empty()) return Error("no trace kept (t size COUNT)");
    job.newestLast = true;
    std::string text;
    for (const DebugTraceEntry& e : DebugTraceLast(count)) {
        if (e.interrupt) {
            text += Format("%04X  interrupt accepted\n", e.pc);
            continue;
        }
        DisasmLine line = Disassemble(e.pc, e.bytes, &debugger.symbols);
        const Z80Regs& r = e.after;
        text += Format("%04X  %-22s AF=%04X BC=%04X DE=%04X HL=%04X SP=%04X\n", e.pc,
                       line.text.substr(0, line.text.find("  ;")).c_str(), r.af, r.bc, r.de, r.hl,
                       r.sp);
    }
    return text;
}

std::string CmdBacktrace(const Args& a, DebugJob&) {
    if (a.size() == 2) return OnOff(a, DebugCallStack, "call stack");
    if (a.size() != 1) return Error("usage: bt [on|off]");
    if (!debugger.callStack) return Error("no call stack kept (bt on)");
    Z80Regs regs;
    DebugGetRegs(regs);
    std::string text = "PC   " + Where(regs.pc) + "\n";
    for (size_t i = debugger.frames.size(); i-- > 0;) {
        const DebugFrame& f = debugger.frames[i];
        text += Format("%04X ", f.sp) + Where(f.target) +
                (f.interrupt ? "  interrupt before " : "  called from ") + Where(f.site) +
                ", returns to " + Where(f.ret) + "\n";
    }
    return text + Format("low-water mark %04X since the last resume\n", DebugLowWater());
}

std::string CmdCoverage(const Args& a, DebugJob& job) {
    if (a.size() == 3 && a[1] == "save") {
        if (!job.prepared) return Error("cov save cannot run on a hit");
        int ranges = 0;
        for (auto [first, last] : DebugCoveredRanges()) {
            job.data += Format("%04X-%04X\n", first, last);
            ++ranges;
        }
        return Format("%d ranges to ", ranges) + job.path + "\n";
    }
    return OnOff(a, DebugCoverage, "coverage");
}

bool PrepareCoverage(const Args& a, DebugJob& job) {
    return !(a.size() == 3 && a[1] == "save") || WritableFile(job, a[2]);
}

// ---- Files ----

bool PrepareSymbols(const Args& a, DebugJob& job) {
    return a.size() != 2 || ReadFile(job, a[1], kDebugLargestSymbols);
}

std::string CmdSymbols(const Args& a, DebugJob& job) {
    if (a.size() != 2) return Error("usage: sym FILE");
    if (!job.prepared) return Error("sym cannot run on a hit");
    return Format("%d symbols\n", SymbolsParse(debugger.symbols, job.data));
}

bool PrepareSave(const Args& a, DebugJob& job) {
    return a.size() != 3 || WritableFile(job, a[1]);
}

std::string CmdSave(const Args& a, DebugJob& job) {
    uint16_t first, last;
    if (a.size() != 3 || !Range(a[2], first, last)) return Usage("save FILE FROM-TO");
    if (!job.prepared) return Error("save cannot run on a hit");
    for (uint32_t at = first; at <= last; ++at)
        job.data += static_cast<char>(DebugReadMemory(static_cast<uint16_t>(at)));
    return std::to_string(job.data.size()) + " bytes to " + job.path + "\n";
}

bool PrepareLoad(const Args& a, DebugJob& job) {
    return a.size() != 3 || ReadFile(job, a[1], kDebugLargestImage);
}

std::string CmdLoad(const Args& a, DebugJob& job) {
    uint16_t address;
    if (a.size() != 3 || !Address(a[2], address)) return Usage("load FILE ADDRESS");
    if (!job.prepared) return Error("load cannot run on a hit");
    if (job.data.empty()) return Error(a[1] + " is empty");
    if (!Fits(address, job.data.size())) return Error(refused);
    for (size_t i = 0; i < job.data.size(); ++i)
        DebugWriteMemory(static_cast<uint16_t>(address + i), static_cast<uint8_t>(job.data[i]));
    return std::to_string(job.data.size()) +
           Format(" bytes to %04X-%04X\n", address,
                  static_cast<unsigned>(address + job.data.size() - 1));
}

std::string CmdHelp(const Args& a, DebugJob& job);

const Command kCommands[] = {
    {"b", "[ADDRESS [if CONDITION] [do COMMANDS]]", "breakpoint; alone, lists the points", CmdBreak,
     nullptr, nullptr},
    {"tb", "ADDRESS [if CONDITION] [do COMMANDS]", "breakpoint deleted by its first stop",
     CmdBreakOnce, nullptr, nullptr},
    {"w", "FROM[-TO] r|w|rw [if COND] [do CMDS]", "watch memory reads, writes or both", CmdWatch,
     nullptr, nullptr},
    {"wp", "FROM[-TO] r|w|rw [if COND] [do CMDS]", "watch port reads, writes or both", CmdWatchPort,
     nullptr, nullptr},
    {"del", "[ID]", "delete a point; alone, every point", CmdDelete, nullptr, nullptr},
    {"en", "ID", "enable a point", CmdEnable, nullptr, nullptr},
    {"dis", "ID", "disable a point", CmdDisable, nullptr, nullptr},
    {"bi", "on|off", "break when an interrupt is accepted", CmdBreakInterrupt, nullptr, nullptr},
    {"bh", "on|off", "break on HALT", CmdBreakHalt, nullptr, nullptr},
    {"c", "", "continue", CmdContinue, nullptr, nullptr},
    {"s", "[COUNT]", "step instructions", CmdStep, nullptr, nullptr},
    {"n", "[COUNT]", "step over CALL, RST and repeating block instructions", CmdNext, nullptr,
     nullptr},
    {"f", "", "step out: run to the return of this routine", CmdFinish, nullptr, nullptr},
    {"g", "ADDRESS", "run to an address", CmdGo, nullptr, nullptr},
    {"r", "[REGISTER VALUE]", "show the registers, or set one", CmdRegisters, nullptr, nullptr},
    {"p", "EXPRESSION", "the value of an expression", CmdPrint, nullptr, nullptr},
    {"m", "ADDRESS [COUNT]", "memory as the processor reads it", CmdMemory, nullptr, nullptr},
    {"mr", "ADDRESS [COUNT]", "RAM, also under the ROM", CmdRam, nullptr, nullptr},
    {"e", "ADDRESS BYTE...", "write memory", CmdEdit, nullptr, nullptr},
    {"find", "FROM-TO BYTE...|\"TEXT\"", "where the bytes or text lie", CmdFind, nullptr, nullptr},
    {"fill", "FROM-TO BYTE", "fill memory", CmdFill, nullptr, nullptr},
    {"save", "FILE FROM-TO", "write memory to a file", CmdSave, PrepareSave, WriteData},
    {"load", "FILE ADDRESS", "read a file into memory", CmdLoad, PrepareLoad, nullptr},
    {"i", "PORT", "read a port (the device sees the read)", CmdIn, nullptr, nullptr},
    {"o", "PORT BYTE", "write a port", CmdOut, nullptr, nullptr},
    {"d", "[ADDRESS [COUNT]]", "disassemble (from PC)", CmdDisassemble, nullptr, nullptr},
    {"t", "[COUNT] | size COUNT | file [PATH]",
     "the last instructions run; the trace's size; a trace file", CmdTrace, PrepareTrace, nullptr},
    {"bt", "[on|off]", "the call stack and its low-water mark; keep it or not", CmdBacktrace,
     nullptr, nullptr},
    {"cov", "on|off|save FILE", "mark the instructions run; save them as ranges", CmdCoverage,
     PrepareCoverage, WriteData},
    {"sym", "FILE", "load symbols (a symbol table, an ADDRESS NAME list or a listing)", CmdSymbols,
     PrepareSymbols, nullptr},
    {"help", "", "this list", CmdHelp, nullptr, nullptr},
};

std::string CmdHelp(const Args&, DebugJob&) {
    std::string text;
    for (const Command& c : kCommands)
        text += Format("%-4s %-38s %s\n", c.name, c.usage, c.what);
    return text + "Numbers are hexadecimal, and an expression may stand wherever a number does:\n"
                  "registers, names, numbers, (ADDRESS) for a byte, + - * / & | ^ << >>. A word\n"
                  "is a register first, then a name, then a number; 0A, $FAC or 0FACH is always a\n"
                  "number. A range FROM-TO splits at its first -. Conditions compare expressions\n"
                  "(and hits, value) with == != < <= > >=, joined by &&.\n";
}

const Command* Find(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

// A point's commands, on the processor thread at its hit.
std::string RunList(const std::string& list) {
    std::string out;
    size_t start = 0;
    for (;;) {
        size_t end = list.find(';', start);
        DebugJob job;
        job.line = Trim(list.substr(start, end - start));
        DebugRun(job);
        out += job.out;
        if (end == std::string::npos) return out;
        start = end + 1;
    }
}

} // namespace

void DebugPrepare(DebugJob& job) {
    Args a = Split(job.line);
    const Command* command = a.size() ? Find(a[0]) : nullptr;
    job.prepared = !command || !command->prepare || command->prepare(a, job);
}

void DebugRun(DebugJob& job) {
    if (!job.out.empty()) return; // a mistake found while preparing
    Args a = Split(job.line);
    if (a.size() == 0) return;
    const Command* command = Find(a[0]);
    refused.clear();
    job.out =
        command ? command->run(a, job) : Error("unknown command " + a[0] + " (help lists them)");
}

void DebugFinish(DebugJob& job) {
    if (job.file) fclose(job.file); // a trace file the command did not take
    job.file = nullptr;
    Args a = Split(job.line);
    const Command* command = a.size() ? Find(a[0]) : nullptr;
    if (command && command->finish && job.prepared) command->finish(job);
}

std::string DebugExecute(const std::string& line, const std::string& folder) {
    DebugJob job;
    job.line = line;
    job.folder = folder;
    DebugPrepare(job);
    DebugRun(job);
    DebugFinish(job);
    return job.out;
}

std::string DebugFit(const std::string& text, size_t size, bool newestLast) {
    if (text.size() < size) return text;
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    // Room for the note at its longest.
    const size_t kNote = 96;
    size_t room = size > kNote + 1 ? size - 1 - kNote : 0;
    size_t kept = 0, used = 0;
    while (kept < lines.size()) {
        const std::string& line = lines[newestLast ? lines.size() - 1 - kept : kept];
        if (used + line.size() > room) break;
        used += line.size();
        ++kept;
    }
    std::string note =
        Format("(%llu %s lines cut: the answer is %llu bytes)\n",
               static_cast<unsigned long long>(lines.size() - kept),
               newestLast ? "earlier" : "more", static_cast<unsigned long long>(text.size()));
    std::string out;
    if (newestLast) {
        out = note;
        for (size_t i = lines.size() - kept; i < lines.size(); ++i)
            out += lines[i];
    } else {
        for (size_t i = 0; i < kept; ++i)
            out += lines[i];
        out += note;
    }
    return out.size() < size ? out : out.substr(0, size ? size - 1 : 0);
}

std::string DebugStopReport(void) {
    Z80Regs regs;
    DebugGetRegs(regs);
    return Format("stopped: %s, %llu cycles\n", debugger.stopReason.c_str(),
                  static_cast<unsigned long long>(DebugCyclesSinceStop())) +
           Line(DebugStart(regs));
}

#include "debug/commands.h"

#include <cstdarg>
#include <cstdio>
#include <sstream>
#include <vector>

#include "core/run_control.h"
#include "debug/debugger.h"
#include "debug/disasm.h"

namespace {

using Words = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;
    const char* what;
    std::string (*run)(const Words& words);
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

bool Address(const std::string& word, uint16_t& value) {
    return SymbolsValue(debugger.symbols, word, value);
}

bool Count(const std::string& word, uint32_t& value, uint32_t largest) {
    return SymbolsNumber(word, value) && value > 0 && value <= largest;
}

// "8000" or "8000-80FF".
bool Range(const std::string& word, uint16_t& first, uint16_t& last) {
    size_t dash = word.find('-', 1);
    if (dash == std::string::npos) {
        if (!Address(word, first)) return false;
        last = first;
        return true;
    }
    return Address(word.substr(0, dash), first) && Address(word.substr(dash + 1), last);
}

// The words after "if", joined again: the condition.
std::string ConditionAfter(const Words& words, size_t from, bool& ok) {
    ok = true;
    if (words.size() <= from) return "";
    if (words[from] != "if" || words.size() == from + 1) {
        ok = false;
        return "";
    }
    std::string condition;
    for (size_t i = from + 1; i < words.size(); ++i)
        condition += words[i] + " ";
    return condition;
}

std::string Line(uint16_t address) {
    uint8_t bytes[kDisasmLongest];
    for (int i = 0; i < kDisasmLongest; ++i)
        bytes[i] = DebugReadMemory(static_cast<uint16_t>(address + i));
    DisasmLine line = Disassemble(address, bytes, &debugger.symbols);
    std::string text;
    if (const std::string* name = SymbolsName(debugger.symbols, address, false))
        text = *name + ":\n";
    text += Format("%04X  ", address);
    for (int i = 0; i < kDisasmLongest; ++i)
        text += i < line.length ? Format("%02X ", bytes[i]) : "   ";
    return text + " " + line.text + "\n";
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
    if (p.kinds & kDebugExec) what = "break";
    if (p.kinds & (kDebugMemRead | kDebugMemWrite))
        what = std::string("watch memory ") + (p.kinds & kDebugMemRead ? "r" : "") +
               (p.kinds & kDebugMemWrite ? "w" : "");
    if (p.kinds & (kDebugPortRead | kDebugPortWrite))
        what = std::string("watch port ") + (p.kinds & kDebugPortRead ? "r" : "") +
               (p.kinds & kDebugPortWrite ? "w" : "");
    std::string range =
        p.first == p.last ? Format("%04X", p.first) : Format("%04X-%04X", p.first, p.last);
    return Format("%d %s %s %s hits %u", p.id, p.enabled ? "on " : "off", what.c_str(),
                  range.c_str(), p.hits) +
           (p.condition.empty() ? "" : " if " + p.condition) + "\n";
}

// ---- Commands ----

std::string AddPoint(unsigned kinds, uint16_t first, uint16_t last, const Words& words,
                     size_t conditionAt) {
    bool ok;
    std::string condition = ConditionAfter(words, conditionAt, ok);
    if (!ok) return Error("expected: if CONDITION");
    std::string error;
    int id = DebugAddPoint(kinds, first, last, condition, error);
    if (id < 0) return Error(error);
    return PointLine(debugger.points.back());
}

std::string CmdBreak(const Words& w) {
    if (w.size() == 1) {
        std::string text;
        for (const DebugPoint& p : debugger.points)
            text += PointLine(p);
        return text.empty() ? "no breakpoints or watchpoints\n" : text;
    }
    uint16_t address;
    if (!Address(w[1], address)) return Error("not an address: " + w[1]);
    return AddPoint(kDebugExec, address, address, w, 2);
}

std::string Watch(const Words& w, unsigned readKind, unsigned writeKind) {
    uint16_t first, last;
    if (w.size() < 3 || !Range(w[1], first, last))
        return Error("usage: " + w[0] + " FROM[-TO] r|w|rw");
    unsigned kinds = 0;
    if (w[2] == "r" || w[2] == "rw") kinds |= readKind;
    if (w[2] == "w" || w[2] == "rw") kinds |= writeKind;
    if (!kinds) return Error("watch r, w or rw, not " + w[2]);
    if (readKind == kDebugPortRead && last > 0xFF) return Error("ports are 00-FF");
    return AddPoint(kinds, first, last, w, 3);
}

std::string CmdWatch(const Words& w) {
    return Watch(w, kDebugMemRead, kDebugMemWrite);
}

std::string CmdWatchPort(const Words& w) {
    return Watch(w, kDebugPortRead, kDebugPortWrite);
}

std::string PointChange(const Words& w, bool (*change)(int id)) {
    uint32_t id;
    if (w.size() != 2 || !SymbolsNumber(w[1], id)) return Error("usage: " + w[0] + " ID");
    if (!change(static_cast<int>(id))) return Error("no point " + w[1]);
    return "";
}

std::string CmdDelete(const Words& w) {
    return PointChange(w, DebugDeletePoint);
}

std::string CmdEnable(const Words& w) {
    return PointChange(w, [](int id) { return DebugEnablePoint(id, true); });
}

std::string CmdDisable(const Words& w) {
    return PointChange(w, [](int id) { return DebugEnablePoint(id, false); });
}

std::string OnOff(const Words& w, void (*set)(bool), const char* what) {
    if (w.size() != 2 || (w[1] != "on" && w[1] != "off"))
        return Error("usage: " + w[0] + " on|off");
    set(w[1] == "on");
    return std::string(what) + " " + w[1] + "\n";
}

std::string CmdBreakInterrupt(const Words& w) {
    return OnOff(w, DebugBreakOnInterrupt, "break on interrupt");
}

std::string CmdBreakHalt(const Words& w) {
    return OnOff(w, DebugBreakOnHalt, "break on HALT");
}

bool Still(void) {
    return debugger.stopped || RunControlPaused();
}

std::string Resume(const Words& w, void (*resume)(void)) {
    if (!Still()) return Error("the machine is running");
    if (w.size() != 1) return Error(w[0] + " takes nothing");
    resume();
    return "";
}

std::string CmdContinue(const Words& w) {
    return Resume(w, DebugContinue);
}
std::string CmdStep(const Words& w) {
    return Resume(w, DebugStep);
}
std::string CmdNext(const Words& w) {
    return Resume(w, DebugStepOver);
}
std::string CmdFinish(const Words& w) {
    return Resume(w, DebugStepOut);
}

std::string CmdGo(const Words& w) {
    uint16_t address;
    if (!Still()) return Error("the machine is running");
    if (w.size() != 2 || !Address(w[1], address)) return Error("usage: g ADDRESS");
    DebugRunTo(address);
    return "";
}

std::string CmdRegisters(const Words& w) {
    Z80Regs regs;
    DebugGetRegs(regs);
    if (w.size() == 1) return Registers(regs);
    int index = DebugRegisterIndex(w[1]);
    uint32_t value;
    if (w.size() != 3 || index < 0 || !SymbolsNumber(w[2], value) || value > 0xFFFF)
        return Error("usage: r [REGISTER VALUE]");
    DebugSetRegisterValue(regs, index, static_cast<int>(value));
    DebugSetRegs(regs);
    return Registers(regs);
}

std::string Memory(const Words& w, uint8_t (*read)(uint16_t)) {
    uint16_t address;
    uint32_t count = 0x40;
    if (w.size() < 2 || w.size() > 3 || !Address(w[1], address) ||
        (w.size() == 3 && !Count(w[2], count, 0x10000)))
        return Error("usage: " + w[0] + " ADDRESS [COUNT]");
    return Dump(address, count, read);
}

std::string CmdMemory(const Words& w) {
    return Memory(w, DebugReadMemory);
}
std::string CmdRam(const Words& w) {
    return Memory(w, DebugReadRam);
}

std::string CmdEdit(const Words& w) {
    uint16_t address;
    if (w.size() < 3 || !Address(w[1], address)) return Error("usage: e ADDRESS BYTE...");
    std::vector<uint8_t> bytes;
    for (size_t i = 2; i < w.size(); ++i) {
        uint32_t byte;
        if (!SymbolsNumber(w[i], byte) || byte > 0xFF) return Error("not a byte: " + w[i]);
        bytes.push_back(static_cast<uint8_t>(byte));
    }
    for (size_t i = 0; i < bytes.size(); ++i)
        DebugWriteMemory(static_cast<uint16_t>(address + i), bytes[i]);
    return "";
}

std::string CmdIn(const Words& w) {
    uint32_t port;
    if (w.size() != 2 || !SymbolsNumber(w[1], port) || port > 0xFF) return Error("usage: i PORT");
    return Format("%02X\n", DebugReadPort(static_cast<uint16_t>(port)));
}

std::string CmdOut(const Words& w) {
    uint32_t port, value;
    if (w.size() != 3 || !SymbolsNumber(w[1], port) || port > 0xFF || !SymbolsNumber(w[2], value) ||
        value > 0xFF)
        return Error("usage: o PORT BYTE");
    DebugWritePort(static_cast<uint16_t>(port), static_cast<uint8_t>(value));
    return "";
}

std::string CmdDisassemble(const Words& w) {
    Z80Regs regs;
    DebugGetRegs(regs);
    uint16_t address = regs.pc;
    uint32_t count = 0x10;
    if (w.size() > 3 || (w.size() >= 2 && !Address(w[1], address)) ||
        (w.size() == 3 && !Count(w[2], count, 0x1000)))
        return Error("usage: d [ADDRESS [COUNT]]");
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

std::string CmdTrace(const Words& w) {
    uint32_t count = 0x10;
    if (w.size() == 3 && w[1] == "size") {
        uint32_t size;
        if (!SymbolsNumber(w[2], size) || size > 0x100000) return Error("usage: t size COUNT");
        DebugTraceSize(size);
        return Format("trace keeps %X instructions\n", size);
    }
    if (w.size() >= 2 && w[1] == "file") {
        std::string path = w.size() == 3 ? w[2] : "";
        if (w.size() > 3 || !DebugTraceFile(path)) return Error("cannot write " + path);
        return path.empty() ? "trace file closed\n" : "tracing to " + path + "\n";
    }
    if (w.size() > 2 || (w.size() == 2 && !Count(w[1], count, 0x100000)))
        return Error("usage: t [COUNT] | t size COUNT | t file [PATH]");
    if (debugger.trace.empty()) return Error("no trace kept (t size COUNT)");
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

std::string CmdSymbols(const Words& w) {
    if (w.size() != 2) return Error("usage: sym FILE");
    int added = SymbolsLoad(debugger.symbols, w[1]);
    if (added < 0) return Error("cannot read " + w[1]);
    return Format("%d symbols\n", added);
}

std::string CmdHelp(const Words& w);

const Command kCommands[] = {
    {"b", "[ADDRESS [if CONDITION]]", "breakpoint; alone, lists the points", CmdBreak},
    {"w", "FROM[-TO] r|w|rw [if CONDITION]", "watch memory reads, writes or both", CmdWatch},
    {"wp", "FROM[-TO] r|w|rw [if CONDITION]", "watch port reads, writes or both", CmdWatchPort},
    {"del", "ID", "delete a point", CmdDelete},
    {"en", "ID", "enable a point", CmdEnable},
    {"dis", "ID", "disable a point", CmdDisable},
    {"bi", "on|off", "break when an interrupt is accepted", CmdBreakInterrupt},
    {"bh", "on|off", "break on HALT", CmdBreakHalt},
    {"c", "", "continue", CmdContinue},
    {"s", "", "step one instruction", CmdStep},
    {"n", "", "step over a CALL, RST or repeating block instruction", CmdNext},
    {"f", "", "step out: run to the return of this routine", CmdFinish},
    {"g", "ADDRESS", "run to an address", CmdGo},
    {"r", "[REGISTER VALUE]", "show the registers, or set one", CmdRegisters},
    {"m", "ADDRESS [COUNT]", "memory as the processor reads it", CmdMemory},
    {"mr", "ADDRESS [COUNT]", "RAM, also under the ROM", CmdRam},
    {"e", "ADDRESS BYTE...", "write memory", CmdEdit},
    {"i", "PORT", "read a port (the device sees the read)", CmdIn},
    {"o", "PORT BYTE", "write a port", CmdOut},
    {"d", "[ADDRESS [COUNT]]", "disassemble (from PC)", CmdDisassemble},
    {"t", "[COUNT] | size COUNT | file [PATH]",
     "the last instructions run; the trace's size; a trace file", CmdTrace},
    {"sym", "FILE", "load symbols (NAME EQU VALUE or ADDRESS NAME lines)", CmdSymbols},
    {"help", "", "this list", CmdHelp},
};

std::string CmdHelp(const Words&) {
    std::string text;
    for (const Command& c : kCommands)
        text += Format("%-4s %-34s %s\n", c.name, c.usage, c.what);
    return text +
           "Numbers are hexadecimal; addresses may be symbols. Conditions compare registers,\n"
           "numbers, (HL), (ADDRESS), hits or value with == != < <= > >=, joined by &&.\n";
}

Words Split(const std::string& line) {
    std::istringstream in(line);
    Words words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

const Command* Find(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

} // namespace

std::string DebugExecute(const std::string& line) {
    Words words = Split(line);
    if (words.empty()) return "";
    const Command* command = Find(words[0]);
    if (!command) return Error("unknown command " + words[0] + " (help lists them)");
    return command->run(words);
}

std::string DebugStopReport(void) {
    Z80Regs regs;
    DebugGetRegs(regs);
    return Format("stopped: %s, %llu cycles\n", debugger.stopReason.c_str(),
                  static_cast<unsigned long long>(DebugCyclesSinceStop())) +
           Line(regs.pc);
}

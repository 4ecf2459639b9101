// Decoding follows the opcode's fields: x = bits 7-6, y = bits 5-3 (p = y's
// top two bits, q its low bit), z = bits 2-0. A DD or FD prefix replaces HL
// by IX or IY, H and L by their halves, and (HL) by (IX+d), except that an
// instruction using (IX+d) keeps H and L as they are.
#include "debug/disasm.h"

#include <cstdio>

#include "bus/bus.h"

namespace {

const char* const kCond[] = {"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};
const char* const kAlu[] = {"ADD A,", "ADC A,", "SUB ", "SBC A,", "AND ", "XOR ", "OR ", "CP "};
const char* const kRot[] = {"RLC", "RRC", "RL", "RR", "SLA", "SRA", "SLL", "SRL"};
const char* const kBlock[4][4] = {{"LDI", "CPI", "INI", "OUTI"},
                                  {"LDD", "CPD", "IND", "OUTD"},
                                  {"LDIR", "CPIR", "INIR", "OTIR"},
                                  {"LDDR", "CPDR", "INDR", "OTDR"}};
const char* const kReg[] = {"B", "C", "D", "E", "H", "L", "(HL)", "A"};

std::string Hex8(int value) {
    char text[8];
    snprintf(text, sizeof text, value >= 0xA0 ? "0%02XH" : "%02XH", value & 0xFF);
    return text;
}

std::string Hex16(int value) {
    char text[8];
    snprintf(text, sizeof text, (value & 0xFFFF) >= 0xA000 ? "0%04XH" : "%04XH", value & 0xFFFF);
    return text;
}

// One instruction being decoded: its bytes, the index register a prefix
// chose, and whether the instruction used it.
struct Decoder {
    uint16_t address;
    const uint8_t* bytes;
    const Symbols* symbols;
    const char* index = nullptr; // "IX", "IY" or nullptr
    int at = 0;                  // next byte to read
    bool usedIndex = false;
    int displacement = 0;

    uint8_t Byte() { return bytes[at++]; }
    int Word() {
        int low = Byte();
        return low | Byte() << 8;
    }
    std::string Address(int value) {
        const std::string* name =
            symbols ? SymbolsName(*symbols, static_cast<uint16_t>(value)) : nullptr;
        return name ? *name : Hex16(value);
    }
    std::string Indexed() {
        char text[16];
        int d = displacement;
        snprintf(text, sizeof text, "(%s%c%s)", index, d < 0 ? '-' : '+',
                 Hex8(d < 0 ? -d : d).c_str());
        return text;
    }
    // Register r (0-7); with memoryForm the instruction also has an (HL)
    // operand, which keeps H and L unchanged.
    std::string Reg(int r, bool memoryForm = false) {
        if (!index || (r != 4 && r != 6 && r != 5) || (memoryForm && r != 6)) return kReg[r];
        usedIndex = true;
        if (r == 6) return Indexed();
        return std::string(index) + (r == 4 ? "H" : "L");
    }
    std::string HL() {
        if (!index) return "HL";
        usedIndex = true;
        return index;
    }
    std::string Pair(int p) {
        static const char* const kPairs[] = {"BC", "DE", "HL", "SP"};
        return p == 2 ? HL() : kPairs[p];
    }
    std::string Pair2(int p) { return p == 3 ? "AF" : Pair(p); }
    // Reads the displacement when an (HL) operand becomes (IX+d).
    void TakeDisplacement(bool memory) {
        if (index && memory) displacement = static_cast<int8_t>(Byte());
    }
};

std::string PortComment(int port, bool write) {
    const char* name = BusPortName(port, write);
    return name ? std::string("  ; ") + name : "";
}

std::string Main(Decoder& d, int op) {
    int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    if (x == 1) {
        if (op == 0x76) return "HALT";
        d.TakeDisplacement(y == 6 || z == 6);
        bool memory = y == 6 || z == 6;
        std::string to = d.Reg(y, memory);
        return "LD " + to + "," + d.Reg(z, memory);
    }
    if (x == 2) {
        d.TakeDisplacement(z == 6);
        return kAlu[y] + d.Reg(z);
    }
    if (x == 0) {
        switch (z) {
        case 0:
            if (y == 0) return "NOP";
            if (y == 1) return "EX AF,AF'";
            {
                int target = (d.address + 2 + static_cast<int8_t>(d.Byte())) & 0xFFFF;
                if (y == 2) return "DJNZ " + d.Address(target);
                if (y == 3) return "JR " + d.Address(target);
                return std::string("JR ") + kCond[y - 4] + "," + d.Address(target);
            }
        case 1:
            if (q == 0) {
                std::string pair = d.Pair(p);
                return "LD " + pair + "," + d.Address(d.Word());
            }
            return "ADD " + d.HL() + "," + d.Pair(p);
        case 2: {
            static const char* const kIndirect[] = {"(BC)", "(DE)"};
            if (p < 2)
                return q ? std::string("LD A,") + kIndirect[p]
                         : std::string("LD ") + kIndirect[p] + ",A";
            std::string where = "(" + d.Address(d.Word()) + ")";
            if (p == 3) return q ? "LD A," + where : "LD " + where + ",A";
            std::string hl = d.HL();
            return q ? "LD " + hl + "," + where : "LD " + where + "," + hl;
        }
        case 3: return (q ? "DEC " : "INC ") + d.Pair(p);
        case 4:
        case 5: d.TakeDisplacement(y == 6); return (z == 4 ? "INC " : "DEC ") + d.Reg(y);
        case 6: {
            d.TakeDisplacement(y == 6);
            std::string to = d.Reg(y);
            return "LD " + to + "," + Hex8(d.Byte());
        }
        default: {
            static const char* const kAccumulator[] = {"RLCA", "RRCA", "RLA", "RRA",
                                                       "DAA",  "CPL",  "SCF", "CCF"};
            return kAccumulator[y];
        }
        }
    }
    switch (z) {
    case 0: return std::string("RET ") + kCond[y];
    case 1:
        if (q == 0) return "POP " + d.Pair2(p);
        if (p == 0) return "RET";
        if (p == 1) return "EXX";
        if (p == 2) return "JP (" + d.HL() + ")";
        return "LD SP," + d.HL();
    case 2: return std::string("JP ") + kCond[y] + "," + d.Address(d.Word());
    case 3:
        switch (y) {
        case 0: return "JP " + d.Address(d.Word());
        case 2: {
            int port = d.Byte();
            return "OUT (" + Hex8(port) + "),A" + PortComment(port, true);
        }
        case 3: {
            int port = d.Byte();
            return "IN A,(" + Hex8(port) + ")" + PortComment(port, false);
        }
        case 4: return "EX (SP)," + d.HL();
        case 5: return "EX DE,HL"; // never takes a prefix's register
        case 6: return "DI";
        default: return "EI";
        }
    case 4: return std::string("CALL ") + kCond[y] + "," + d.Address(d.Word());
    case 5:
        if (q == 0) return "PUSH " + d.Pair2(p);
        return "CALL " + d.Address(d.Word());
    case 6: return kAlu[y] + Hex8(d.Byte());
    default: return "RST " + Hex8(y * 8);
    }
}

std::string Defb(const uint8_t* bytes, int length, const std::string& comment) {
    std::string text = "DEFB ";
    for (int i = 0; i < length; ++i) {
        if (i) text += ',';
        text += Hex8(bytes[i]);
    }
    return text + "  ; " + comment;
}

// CB-prefixed, or DD/FD CB d op: the latter on (IX+d), and with a register
// other than (HL) also copying the result into it (BIT only tests).
std::string Bits(Decoder& d, int op, bool& exact) {
    int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    std::string target = d.index ? d.Indexed() : kReg[z];
    exact = !d.index || z == 6;
    std::string copy = d.index && z != 6 && x != 1 ? std::string(",") + kReg[z] : "";
    if (x == 0) return std::string(kRot[y]) + " " + target + copy;
    static const char* const kBitOps[] = {"", "BIT", "RES", "SET"};
    return std::string(kBitOps[x]) + " " + std::to_string(y) + "," + target + copy;
}

// ED-prefixed: exact is false for the forms the assembler has no mnemonic
// for, or whose mnemonic assembles to other bytes.
std::string Extended(Decoder& d, int op, bool& exact) {
    int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    exact = true;
    if (x == 2 && z <= 3 && y >= 4) return kBlock[y - 4][z];
    if (x != 1) {
        exact = false;
        return "NOP";
    }
    switch (z) {
    case 0: exact = y != 6; return y == 6 ? "IN F,(C)" : std::string("IN ") + kReg[y] + ",(C)";
    case 1: exact = y != 6; return y == 6 ? "OUT (C),0" : std::string("OUT (C),") + kReg[y];
    case 2: return (q ? "ADC HL," : "SBC HL,") + d.Pair(p);
    case 3: {
        exact = p != 2; // LD (nn),HL and LD HL,(nn) have shorter encodings
        std::string where = d.Address(d.Word());
        where.insert(where.begin(), '(');
        where += ')';
        static const char* const kPairs[] = {"BC", "DE", "HL", "SP"};
        return q ? std::string("LD ") + kPairs[p] + "," + where : "LD " + where + "," + kPairs[p];
    }
    case 4: exact = y == 0; return "NEG";
    case 5: exact = y <= 1; return y == 1 ? "RETI" : "RETN";
    case 6: {
        static const int kImValue[] = {0, 0, 1, 2, 0, 0, 1, 2};
        exact = y == 0 || y == 2 || y == 3;
        return "IM " + std::to_string(kImValue[y]) + (y == 1 || y == 5 ? " (0/1)" : "");
    }
    default: {
        static const char* const kSpecial[] = {"LD I,A", "LD R,A", "LD A,I", "LD A,R",
                                               "RRD",    "RLD",    "NOP",    "NOP"};
        exact = y < 6;
        return kSpecial[y];
    }
    }
}

} // namespace

DisasmLine Disassemble(uint16_t address, const uint8_t* bytes, const Symbols* symbols) {
    Decoder d{address, bytes, symbols};
    int op = d.Byte();
    if (op == 0xCB) {
        bool exact;
        std::string text = Bits(d, d.Byte(), exact);
        return {2, text};
    }
    if (op == 0xED) {
        bool exact;
        std::string text = Extended(d, d.Byte(), exact);
        if (!exact) return {d.at, Defb(bytes, d.at, text)};
        return {d.at, text};
    }
    if (op != 0xDD && op != 0xFD) {
        std::string text = Main(d, op);
        return {d.at, text};
    }
    d.index = op == 0xDD ? "IX" : "IY";
    int next = bytes[1];
    if (next == 0xCB) {
        d.at = 2;
        d.displacement = static_cast<int8_t>(d.Byte());
        bool exact;
        std::string text = Bits(d, d.Byte(), exact);
        if (!exact) return {4, Defb(bytes, 4, text)};
        return {4, text};
    }
    if (next != 0xDD && next != 0xFD && next != 0xED) {
        d.at = 1;
        std::string text = Main(d, d.Byte());
        if (d.usedIndex) return {d.at, text};
    }
    return {1, Defb(bytes, 1, "prefix without effect")};
}

// The Z80 processor: an interpreter of the whole instruction set, documented and
// undocumented, with exact T-states, flag bits 3 and 5 from every source, MEMPTR
// (WZ), the Q latch that SCF/CCF read, interrupt modes 0, 1 and 2, and the
// NMOS part's P/V reset when an interrupt is accepted right after LD A,I or
// LD A,R.
//
// Speed: the registers live in one file-static record. Every opcode is a
// function of its own, a template instance decoded at compile time (opcode
// fields x, y, z, p, q) into straight-line code, and each opcode page is a
// switch that reaches it with a tail jump. Flags come from tables and bit
// arithmetic.
//
// Not emulated: NMI, bus contention and the wait line.
//
// While halted each Z80Run spends 4 T-states and increments R without a bus
// access: the opcode fetches of the halt loop would read the same byte again
// and throw it away, and skipping them keeps an idle machine cheap.
#include "z80/z80.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

static_assert(std::endian::native == std::endian::little,
              "register pairs are stored low byte first");

// The helpers and opcode bodies below are small and called from hundreds of
// cases; each must become part of its case.
#define ALWAYS_INLINE [[gnu::always_inline]] inline

constexpr uint8_t FC = 0x01, FN = 0x02, FP = 0x04, FX = 0x08, FH = 0x10, FY = 0x20, FZ = 0x40,
                  FS = 0x80, FXY = FX | FY;

// Byte offsets in Cpu::reg. Pairs sit low byte first so that a pair is one
// 16-bit load.
enum : int {
    rC = 0,
    rB = 1,
    rE = 2,
    rD = 3,
    rL = 4,
    rH = 5,
    rF = 6,
    rA = 7,
    rIXL = 8,
    rIXH = 9,
    rIYL = 10,
    rIYH = 11
};
enum : int { pBC = 0, pDE = 2, pHL = 4, pAF = 6, pIX = 8, pIY = 10 };

struct Cpu {
    uint8_t reg[12];
    uint16_t af2, bc2, de2, hl2;
    uint16_t sp, pc, wz;
    uint8_t i;
    uint8_t rCount; // low 7 bits of R count M1 cycles
    uint8_t r7;     // bit 7 of R, changed only by LD R,A
    uint8_t iff1, iff2, im;
    uint8_t q, qPrev; // flags written by this and by the previous instruction
    // Anything that leaves the straight fetch-execute path; Z80Run tests the
    // four bytes as one word.
    struct Attention {
        uint8_t halted;
        uint8_t after; // kAfterEi, kAfterLdAir: what the last instruction leaves
        uint8_t irqPending;
        uint8_t prefix; // 0xDD or 0xFD fetched, its instruction still to come
    } attn;
    uint8_t irqData;
};

// Bits of Attention::after, each cleared by the next step. EI holds off an
// interrupt for one instruction; LD A,I and LD A,R write IFF2 into P/V as an
// interrupt accepted right after them clears IFF2, so P/V then reads 0.
constexpr uint8_t kAfterEi = 0x01, kAfterLdAir = 0x02;

// Power-on state: every register reads FFFF, the processor starts at 0.
constexpr Cpu PowerOn() {
    Cpu c{};
    for (uint8_t& r : c.reg)
        r = 0xFF;
    c.af2 = c.bc2 = c.de2 = c.hl2 = c.sp = 0xFFFF;
    return c;
}
Cpu cpu = PowerOn();

// Set by Z80Init on any thread; the core applies the reset before it next
// touches its state, so the registers are only ever written by one thread.
std::atomic<bool> resetPending{false};

int IdleBus(int, int, unsigned) {
    return 0xFF;
}
Z80MemAccess bus = IdleBus;

struct FlagTables {
    uint8_t sz53[256];  // S, Z, bits 5 and 3 of a result
    uint8_t sz53p[256]; // the same plus even parity in P/V
};

constexpr FlagTables MakeFlagTables() {
    FlagTables t{};
    for (int v = 0; v < 256; v++) {
        uint8_t f = (v & (FS | FXY)) | (v == 0 ? FZ : 0);
        t.sz53[v] = f;
        t.sz53p[v] = f | ((std::popcount(unsigned(v)) & 1) ? 0 : FP);
    }
    return t;
}
constexpr FlagTables flagTables = MakeFlagTables();
constexpr const uint8_t* sz53 = flagTables.sz53;
constexpr const uint8_t* sz53p = flagTables.sz53p;

// Register access. X selects what "HL" means: 0 HL, 1 IX, 2 IY.
constexpr int HiOf(int X) {
    return X == 0 ? rH : X == 1 ? rIXH : rIYH;
}
constexpr int PairOf(int X) {
    return X == 0 ? pHL : X == 1 ? pIX : pIY;
}
// Offset of the 8-bit register in opcode field z (not 6) under prefix X.
constexpr int Reg(int X, int z) {
    constexpr int plain[8] = {rB, rC, rD, rE, rH, rL, -1, rA};
    return z == 4 ? HiOf(X) : z == 5 ? HiOf(X) - 1 : plain[z];
}

ALWAYS_INLINE uint8_t& R8(int at) {
    return cpu.reg[at];
}
ALWAYS_INLINE uint8_t& A() {
    return cpu.reg[rA];
}
ALWAYS_INLINE uint8_t& F() {
    return cpu.reg[rF];
}
ALWAYS_INLINE uint8_t& B() {
    return cpu.reg[rB];
}
ALWAYS_INLINE uint8_t& C() {
    return cpu.reg[rC];
}
ALWAYS_INLINE uint16_t Pair(int at) {
    uint16_t v;
    std::memcpy(&v, &cpu.reg[at], 2);
    return v;
}
ALWAYS_INLINE void SetPair(int at, uint16_t v) {
    std::memcpy(&cpu.reg[at], &v, 2);
}
ALWAYS_INLINE void SetF(uint8_t f) {
    cpu.q = cpu.reg[rF] = f;
}
ALWAYS_INLINE uint8_t RValue() {
    return (cpu.rCount & 0x7F) | cpu.r7;
}

// 16-bit register of field p (BC, DE, HL/IX/IY, SP).
template <int X> ALWAYS_INLINE uint16_t RR(int p) {
    return p == 3 ? cpu.sp : Pair(p == 2 ? PairOf(X) : p * 2);
}
template <int X> ALWAYS_INLINE void SetRR(int p, uint16_t v) {
    if (p == 3)
        cpu.sp = v;
    else
        SetPair(p == 2 ? PairOf(X) : p * 2, v);
}

// Bus.
ALWAYS_INLINE uint8_t Rd(uint16_t a) {
    return uint8_t(bus(a, 0, Z80MemRead));
}
ALWAYS_INLINE void Wr(uint16_t a, uint8_t v) {
    bus(a, v, Z80MemWrite);
}
ALWAYS_INLINE uint8_t In(uint16_t port) {
    return uint8_t(bus(port, 0, Z80PortRead));
}
ALWAYS_INLINE void Out(uint16_t port, uint8_t v) {
    bus(port, v, Z80PortWrite);
}
ALWAYS_INLINE uint8_t Fetch() {
    uint8_t op = Rd(cpu.pc++);
    cpu.rCount++;
    return op;
}
ALWAYS_INLINE uint8_t Imm() {
    return Rd(cpu.pc++);
}
ALWAYS_INLINE uint16_t Imm16() {
    uint8_t lo = Imm();
    uint8_t hi = Imm();
    return uint16_t(hi << 8 | lo);
}
ALWAYS_INLINE void Push(uint16_t v) {
    Wr(--cpu.sp, uint8_t(v >> 8));
    Wr(--cpu.sp, uint8_t(v));
}
ALWAYS_INLINE uint16_t Pop() {
    uint8_t lo = Rd(cpu.sp++);
    uint8_t hi = Rd(cpu.sp++);
    return uint16_t(hi << 8 | lo);
}

// Condition of field y: NZ Z NC C PO PE P M.
ALWAYS_INLINE bool Cond(int y) {
    constexpr uint8_t mask[4] = {FZ, FC, FP, FS};
    return bool(F() & mask[y >> 1]) == bool(y & 1);
}

// ALU.
ALWAYS_INLINE void Add8(uint8_t v, unsigned carry) {
    uint8_t a = A();
    unsigned sum = a + v + carry;
    uint8_t r = uint8_t(sum);
    SetF(sz53[r] | (sum >> 8 & FC) | ((a ^ v ^ r) & FH) | (((a ^ r) & (v ^ r) & 0x80) >> 5));
    A() = r;
}
ALWAYS_INLINE uint8_t SubFlags(uint8_t a, uint8_t v, unsigned carry, uint8_t& f) {
    unsigned diff = a - v - carry;
    uint8_t r = uint8_t(diff);
    f = FN | (diff >> 8 & FC) | ((a ^ v ^ r) & FH) | (((a ^ v) & (a ^ r) & 0x80) >> 5);
    return r;
}
ALWAYS_INLINE void Sub8(uint8_t v, unsigned carry) {
    uint8_t f;
    uint8_t r = SubFlags(A(), v, carry, f);
    SetF(f | sz53[r]);
    A() = r;
}
// CP takes bits 5 and 3 from the operand, not from the result.
ALWAYS_INLINE void Cp8(uint8_t v) {
    uint8_t f;
    uint8_t r = SubFlags(A(), v, 0, f);
    SetF(f | (sz53[r] & (FS | FZ)) | (v & FXY));
}
ALWAYS_INLINE void Alu(int y, uint8_t v) {
    switch (y) {
    case 0: Add8(v, 0); break;
    case 1: Add8(v, F() & FC); break;
    case 2: Sub8(v, 0); break;
    case 3: Sub8(v, F() & FC); break;
    case 4: A() &= v, SetF(sz53p[A()] | FH); break;
    case 5: A() ^= v, SetF(sz53p[A()]); break;
    case 6: A() |= v, SetF(sz53p[A()]); break;
    default: Cp8(v); break;
    }
}
ALWAYS_INLINE uint8_t Inc8(uint8_t v) {
    uint8_t r = uint8_t(v + 1);
    SetF((F() & FC) | sz53[r] | ((r & 0x0F) == 0 ? FH : 0) | (r == 0x80 ? FP : 0));
    return r;
}
ALWAYS_INLINE uint8_t Dec8(uint8_t v) {
    uint8_t r = uint8_t(v - 1);
    SetF((F() & FC) | sz53[r] | FN | ((r & 0x0F) == 0x0F ? FH : 0) | (r == 0x7F ? FP : 0));
    return r;
}
ALWAYS_INLINE uint16_t Add16(uint16_t a, uint16_t v) {
    uint32_t sum = uint32_t(a) + v;
    cpu.wz = uint16_t(a + 1);
    SetF((F() & (FS | FZ | FP)) | (sum >> 16 & FC) | ((a ^ v ^ sum) >> 8 & FH) | (sum >> 8 & FXY));
    return uint16_t(sum);
}
ALWAYS_INLINE uint16_t Adc16(uint16_t a, uint16_t v) {
    uint32_t sum = uint32_t(a) + v + (F() & FC);
    uint16_t r = uint16_t(sum);
    cpu.wz = uint16_t(a + 1);
    SetF((r >> 8 & (FS | FXY)) | (r == 0 ? FZ : 0) | (sum >> 16 & FC) | ((a ^ v ^ r) >> 8 & FH) |
         (((a ^ r) & (v ^ r) & 0x8000) >> 13));
    return r;
}
ALWAYS_INLINE uint16_t Sbc16(uint16_t a, uint16_t v) {
    uint32_t diff = uint32_t(a) - v - (F() & FC);
    uint16_t r = uint16_t(diff);
    cpu.wz = uint16_t(a + 1);
    SetF(FN | (r >> 8 & (FS | FXY)) | (r == 0 ? FZ : 0) | (diff >> 16 & FC) |
         ((a ^ v ^ r) >> 8 & FH) | (((a ^ v) & (a ^ r) & 0x8000) >> 13));
    return r;
}
// CB rotates and shifts: RLC RRC RL RR SLA SRA SLL SRL.
ALWAYS_INLINE uint8_t Rot(int y, uint8_t v) {
    uint8_t r, c;
    switch (y) {
    case 0: c = v >> 7, r = uint8_t(v << 1 | c); break;
    case 1: c = v & 1, r = uint8_t(v >> 1 | c << 7); break;
    case 2: c = v >> 7, r = uint8_t(v << 1 | (F() & FC)); break;
    case 3: c = v & 1, r = uint8_t(v >> 1 | (F() & FC) << 7); break;
    case 4: c = v >> 7, r = uint8_t(v << 1); break;
    case 5: c = v & 1, r = uint8_t(v >> 1 | (v & 0x80)); break;
    case 6: c = v >> 7, r = uint8_t(v << 1 | 1); break;
    default: c = v & 1, r = v >> 1; break;
    }
    SetF(sz53p[r] | c);
    return r;
}
// BIT: bits 5 and 3 come from xy (the operand, or WZ's high byte for memory).
ALWAYS_INLINE void Bit(int n, uint8_t v, uint8_t xy) {
    uint8_t set = v & (1 << n);
    SetF((F() & FC) | FH | (set ? (set & FS) : (FZ | FP)) | (xy & FXY));
}

// Block instructions. D is the step (+1 or -1); R repeats. A repeating
// iteration moves PC back to the instruction and takes bits 5 and 3 from PC's
// high byte.
template <int D, bool R> int Ldx() {
    uint16_t hl = Pair(pHL), de = Pair(pDE), bc = uint16_t(Pair(pBC) - 1);
    uint8_t v = Rd(hl);
    Wr(de, v);
    SetPair(pHL, uint16_t(hl + D));
    SetPair(pDE, uint16_t(de + D));
    SetPair(pBC, bc);
    uint8_t n = uint8_t(A() + v);
    uint8_t f = (F() & (FS | FZ | FC)) | (bc ? FP : 0) | (n & FX) | ((n << 4) & FY);
    if (R && bc) {
        cpu.pc -= 2;
        cpu.wz = uint16_t(cpu.pc + 1);
        SetF((f & ~FXY) | (cpu.pc >> 8 & FXY));
        return 21;
    }
    SetF(f);
    return 16;
}
template <int D, bool R> int Cpx() {
    uint16_t hl = Pair(pHL), bc = uint16_t(Pair(pBC) - 1);
    uint8_t v = Rd(hl);
    SetPair(pHL, uint16_t(hl + D));
    SetPair(pBC, bc);
    uint8_t a = A(), r = uint8_t(a - v);
    uint8_t h = (a ^ v ^ r) & FH;
    uint8_t n = uint8_t(r - (h >> 4));
    uint8_t f =
        (F() & FC) | FN | h | (sz53[r] & (FS | FZ)) | (bc ? FP : 0) | (n & FX) | ((n << 4) & FY);
    if (R && bc && r) {
        cpu.pc -= 2;
        cpu.wz = uint16_t(cpu.pc + 1);
        SetF((f & ~FXY) | (cpu.pc >> 8 & FXY));
        return 21;
    }
    cpu.wz = uint16_t(cpu.wz + D);
    SetF(f);
    return 16;
}
// Flags of INI/IND/OUTI/OUTD: v the byte moved, k the 9-bit sum the silicon
// forms with it, b the decremented B. A repeating iteration also feeds B's
// next value into P/V and H, and leaves WZ as the other repeating block
// instructions do.
template <bool R> int IoBlockEnd(uint8_t v, unsigned k, uint8_t b) {
    uint8_t f = sz53[b] | ((v >> 6) & FN) | (k > 0xFF ? FH | FC : 0) | (sz53p[(k & 7) ^ b] & FP);
    if (R && b) {
        cpu.pc -= 2;
        cpu.wz = uint16_t(cpu.pc + 1);
        f = (f & ~FXY) | (cpu.pc >> 8 & FXY);
        if (f & FC) {
            f &= ~FH;
            if (v & 0x80) {
                f ^= (sz53p[(b - 1) & 7] ^ FP) & FP;
                if ((b & 0x0F) == 0x00) f |= FH;
            } else {
                f ^= (sz53p[(b + 1) & 7] ^ FP) & FP;
                if ((b & 0x0F) == 0x0F) f |= FH;
            }
        } else {
            f ^= (sz53p[b & 7] ^ FP) & FP;
        }
        SetF(f);
        return 21;
    }
    SetF(f);
    return 16;
}
template <int D, bool R> int Inx() {
    uint16_t bc = Pair(pBC);
    cpu.wz = uint16_t(bc + D);
    uint8_t v = In(bc);
    uint16_t hl = Pair(pHL);
    Wr(hl, v);
    uint8_t b = uint8_t(B() - 1);
    B() = b;
    SetPair(pHL, uint16_t(hl + D));
    return IoBlockEnd<R>(v, v + uint8_t(C() + D), b);
}
template <int D, bool R> int Outx() {
    uint16_t hl = Pair(pHL);
    uint8_t v = Rd(hl);
    uint8_t b = uint8_t(B() - 1);
    B() = b;
    uint16_t bc = Pair(pBC);
    Out(bc, v);
    cpu.wz = uint16_t(bc + D);
    SetPair(pHL, uint16_t(hl + D));
    return IoBlockEnd<R>(v, v + cpu.reg[rL], b);
}

// One macro expands a page's 256 cases, each a call of a compile-time
// instance that the compiler turns into a tail jump.
#define Z80_OP1(M, n)                                                                              \
    case (n):                                                                                      \
        return M(n);
#define Z80_OP4(M, n) Z80_OP1(M, n) Z80_OP1(M, n + 1) Z80_OP1(M, n + 2) Z80_OP1(M, n + 3)
#define Z80_OP16(M, n) Z80_OP4(M, n) Z80_OP4(M, n + 4) Z80_OP4(M, n + 8) Z80_OP4(M, n + 12)
#define Z80_OP64(M, n) Z80_OP16(M, n) Z80_OP16(M, n + 16) Z80_OP16(M, n + 32) Z80_OP16(M, n + 48)
#define Z80_OP256(M) Z80_OP64(M, 0) Z80_OP64(M, 64) Z80_OP64(M, 128) Z80_OP64(M, 192)

// CB page: returns T-states including both opcode fetches.
template <int OP> [[gnu::noinline]] int Cb() {
    constexpr int x = OP >> 6, y = (OP >> 3) & 7, z = OP & 7;
    if constexpr (z == 6) {
        uint16_t hl = Pair(pHL);
        uint8_t v = Rd(hl);
        if constexpr (x == 1) {
            Bit(y, v, uint8_t(cpu.wz >> 8));
            return 12;
        } else {
            uint8_t r = x == 0 ? Rot(y, v) : x == 2 ? uint8_t(v & ~(1 << y)) : uint8_t(v | 1 << y);
            Wr(hl, r);
            return 15;
        }
    } else {
        uint8_t& reg = R8(Reg(0, z));
        if constexpr (x == 0)
            reg = Rot(y, reg);
        else if constexpr (x == 1)
            Bit(y, reg, reg);
        else if constexpr (x == 2)
            reg &= uint8_t(~(1 << y));
        else
            reg |= uint8_t(1 << y);
        return 8;
    }
}
int CbPage(uint8_t op) {
    switch (op) {
#define Z80_M(n) Cb<n>()
        Z80_OP256(Z80_M)
#undef Z80_M
    }
    return 0;
}

// DDCB/FDCB page at address a (IX+d or IY+d, already in WZ): the result also
// lands in the register of field z unless z is 6. T-states exclude the DD/FD
// fetch.
template <int OP> [[gnu::noinline]] int IndexCb(uint16_t a) {
    constexpr int x = OP >> 6, y = (OP >> 3) & 7, z = OP & 7;
    uint8_t v = Rd(a);
    if constexpr (x == 1) {
        Bit(y, v, uint8_t(a >> 8));
        return 16;
    } else {
        uint8_t r = x == 0 ? Rot(y, v) : x == 2 ? uint8_t(v & ~(1 << y)) : uint8_t(v | 1 << y);
        Wr(a, r);
        if constexpr (z != 6) R8(Reg(0, z)) = r;
        return 19;
    }
}
int IndexCbPage(uint16_t index) {
    uint16_t a = uint16_t(index + int8_t(Imm()));
    cpu.wz = a;
    switch (Imm()) {
#define Z80_M(n) IndexCb<n>(a)
        Z80_OP256(Z80_M)
#undef Z80_M
    }
    return 0;
}

// ED page: returns T-states including both opcode fetches. Codes without an
// instruction are 8-T no-ops.
template <int OP> [[gnu::noinline]] int Ed() {
    constexpr int x = OP >> 6, y = (OP >> 3) & 7, z = OP & 7, p = y >> 1, q = y & 1;
    if constexpr (x == 1) {
        if constexpr (z == 0) { // IN r,(C); y 6 sets the flags only
            uint16_t bc = Pair(pBC);
            uint8_t v = In(bc);
            cpu.wz = uint16_t(bc + 1);
            SetF((F() & FC) | sz53p[v]);
            if constexpr (y != 6) R8(Reg(0, y)) = v;
            return 12;
        } else if constexpr (z == 1) { // OUT (C),r; y 6 puts 0 on the bus
            uint16_t bc = Pair(pBC);
            if constexpr (y == 6)
                Out(bc, 0);
            else
                Out(bc, R8(Reg(0, y)));
            cpu.wz = uint16_t(bc + 1);
            return 12;
        } else if constexpr (z == 2) {
            uint16_t hl = Pair(pHL);
            SetPair(pHL, q ? Adc16(hl, RR<0>(p)) : Sbc16(hl, RR<0>(p)));
            return 15;
        } else if constexpr (z == 3) {
            uint16_t nn = Imm16();
            if constexpr (q == 0) {
                uint16_t v = RR<0>(p);
                Wr(nn, uint8_t(v));
                Wr(uint16_t(nn + 1), uint8_t(v >> 8));
            } else {
                uint8_t lo = Rd(nn);
                uint8_t hi = Rd(uint16_t(nn + 1));
                SetRR<0>(p, uint16_t(hi << 8 | lo));
            }
            cpu.wz = uint16_t(nn + 1);
            return 20;
        } else if constexpr (z == 4) { // NEG
            uint8_t v = A();
            A() = 0;
            Sub8(v, 0);
            return 8;
        } else if constexpr (z == 5) { // RETN, RETI: both restore IFF1 from IFF2
            cpu.pc = cpu.wz = Pop();
            cpu.iff1 = cpu.iff2;
            return 14;
        } else if constexpr (z == 6) {
            cpu.im = (y & 3) < 2 ? 0 : (y & 3) - 1;
            return 8;
        } else {
            switch (y) {
            case 0: cpu.i = A(); return 9;
            case 1: cpu.rCount = A(), cpu.r7 = A() & 0x80; return 9;
            case 2:
            case 3:
                A() = y == 2 ? cpu.i : RValue();
                SetF((F() & FC) | sz53[A()] | (cpu.iff2 ? FP : 0));
                cpu.attn.after = kAfterLdAir;
                return 9;
            case 4:
            case 5: {
                uint16_t hl = Pair(pHL);
                uint8_t v = Rd(hl), a = A();
                if (y == 4) { // RRD
                    Wr(hl, uint8_t(a << 4 | v >> 4));
                    A() = (a & 0xF0) | (v & 0x0F);
                } else { // RLD
                    Wr(hl, uint8_t(v << 4 | (a & 0x0F)));
                    A() = (a & 0xF0) | (v >> 4);
                }
                cpu.wz = uint16_t(hl + 1);
                SetF((F() & FC) | sz53p[A()]);
                return 18;
            }
            default: return 8;
            }
        }
    } else if constexpr (x == 2 && y >= 4 && z <= 3) {
        constexpr int d = (y & 1) ? -1 : 1;
        constexpr bool repeat = y >= 6;
        if constexpr (z == 0)
            return Ldx<d, repeat>();
        else if constexpr (z == 1)
            return Cpx<d, repeat>();
        else if constexpr (z == 2)
            return Inx<d, repeat>();
        else
            return Outx<d, repeat>();
    } else {
        return 8;
    }
}
int EdPage(uint8_t op) {
    switch (op) {
#define Z80_M(n) Ed<n>()
        Z80_OP256(Z80_M)
#undef Z80_M
    }
    return 0;
}

template <int X> int MainPage(uint8_t op);

// DD or FD prefix (X 1 or 2): executes the prefixed instruction. Another
// prefix after it makes this one a 4-T instruction of its own; the new prefix
// is kept for the next call, and no interrupt is taken in between, as on the
// silicon.
template <int X> int Prefixed() {
    uint8_t op = Fetch();
    switch (op) {
    case 0xDD:
    case 0xFD: cpu.attn.prefix = op; return 4;
    case 0xED: return 4 + EdPage(Fetch());
    case 0xCB: return 4 + IndexCbPage(Pair(PairOf(X)));
    default: return 4 + MainPage<X>(op);
    }
}

// Operand of field z for 8-bit instructions: a register, (HL) or (IX+d).
// The memory form's extra T-states are added by the caller.
template <int X> ALWAYS_INLINE uint16_t MemAddr() {
    if constexpr (X == 0) {
        return Pair(pHL);
    } else {
        uint16_t a = uint16_t(Pair(PairOf(X)) + int8_t(Imm()));
        cpu.wz = a;
        return a;
    }
}

// Unprefixed page (X 0) and its DD/FD forms (X 1, 2). T-states exclude the
// DD/FD fetch.
template <int X, int OP> [[gnu::noinline]] int Main() {
    constexpr int x = OP >> 6, y = (OP >> 3) & 7, z = OP & 7, p = y >> 1, q = y & 1;
    constexpr int memExtra = X == 0 ? 0 : 8; // (IX+d): displacement fetch and add
    if constexpr (x == 1) {
        if constexpr (OP == 0x76) { // HALT: PC stays past it while waiting
            cpu.attn.halted = 1;
            return 4;
        } else if constexpr (z == 6) {
            R8(Reg(0, y)) = Rd(MemAddr<X>());
            return 7 + memExtra;
        } else if constexpr (y == 6) {
            Wr(MemAddr<X>(), R8(Reg(0, z)));
            return 7 + memExtra;
        } else {
            R8(Reg(X, y)) = R8(Reg(X, z));
            return 4;
        }
    } else if constexpr (x == 2) {
        if constexpr (z == 6) {
            Alu(y, Rd(MemAddr<X>()));
            return 7 + memExtra;
        } else {
            Alu(y, R8(Reg(X, z)));
            return 4;
        }
    } else if constexpr (x == 0) {
        if constexpr (z == 0) {
            if constexpr (y == 0) {
                return 4;
            } else if constexpr (y == 1) {
                uint16_t af = Pair(pAF);
                SetPair(pAF, cpu.af2);
                cpu.af2 = af;
                return 4;
            } else if constexpr (y == 2) { // DJNZ
                int8_t e = int8_t(Imm());
                if (--B()) {
                    cpu.pc = cpu.wz = uint16_t(cpu.pc + e);
                    return 13;
                }
                return 8;
            } else {
                int8_t e = int8_t(Imm());
                if (y == 3 || Cond(y - 4)) {
                    cpu.pc = cpu.wz = uint16_t(cpu.pc + e);
                    return 12;
                }
                return 7;
            }
        } else if constexpr (z == 1) {
            if constexpr (q == 0) {
                SetRR<X>(p, Imm16());
                return 10;
            } else {
                SetPair(PairOf(X), Add16(Pair(PairOf(X)), RR<X>(p)));
                return 11;
            }
        } else if constexpr (z == 2) {
            if constexpr (p < 2) { // LD (BC),A  LD A,(BC)  LD (DE),A  LD A,(DE)
                uint16_t a = Pair(p * 2);
                if constexpr (q == 0) {
                    Wr(a, A());
                    cpu.wz = uint16_t(A() << 8 | ((a + 1) & 0xFF));
                } else {
                    A() = Rd(a);
                    cpu.wz = uint16_t(a + 1);
                }
                return 7;
            } else {
                uint16_t nn = Imm16();
                cpu.wz = uint16_t(nn + 1);
                if constexpr (p == 2 && q == 0) {
                    Wr(nn, R8(HiOf(X) - 1));
                    Wr(uint16_t(nn + 1), R8(HiOf(X)));
                    return 16;
                } else if constexpr (p == 2) {
                    uint8_t lo = Rd(nn);
                    uint8_t hi = Rd(uint16_t(nn + 1));
                    SetPair(PairOf(X), uint16_t(hi << 8 | lo));
                    return 16;
                } else if constexpr (q == 0) {
                    Wr(nn, A());
                    cpu.wz = uint16_t(A() << 8 | ((nn + 1) & 0xFF));
                    return 13;
                } else {
                    A() = Rd(nn);
                    return 13;
                }
            }
        } else if constexpr (z == 3) {
            SetRR<X>(p, uint16_t(RR<X>(p) + (q ? -1 : 1)));
            return 6;
        } else if constexpr (z == 4 || z == 5) {
            if constexpr (y == 6) {
                uint16_t a = MemAddr<X>();
                uint8_t v = Rd(a);
                Wr(a, z == 4 ? Inc8(v) : Dec8(v));
                return 11 + memExtra;
            } else {
                uint8_t& r = R8(Reg(X, y));
                r = z == 4 ? Inc8(r) : Dec8(r);
                return 4;
            }
        } else if constexpr (z == 6) {
            if constexpr (y == 6) {
                uint16_t a = MemAddr<X>();
                Wr(a, Imm());
                return X == 0 ? 10 : 15; // the address add overlaps the operand fetch
            } else {
                R8(Reg(X, y)) = Imm();
                return 7;
            }
        } else {
            uint8_t a = A(), f = F();
            switch (y) {
            case 0: // RLCA
                a = uint8_t(a << 1 | a >> 7);
                SetF((f & (FS | FZ | FP)) | (a & (FXY | FC)));
                break;
            case 1: { // RRCA
                uint8_t c = a & 1;
                a = uint8_t(a >> 1 | a << 7);
                SetF((f & (FS | FZ | FP)) | (a & FXY) | c);
                break;
            }
            case 2: { // RLA
                uint8_t c = a >> 7;
                a = uint8_t(a << 1 | (f & FC));
                SetF((f & (FS | FZ | FP)) | (a & FXY) | c);
                break;
            }
            case 3: { // RRA
                uint8_t c = a & 1;
                a = uint8_t(a >> 1 | (f & FC) << 7);
                SetF((f & (FS | FZ | FP)) | (a & FXY) | c);
                break;
            }
            case 4: { // DAA
                uint8_t fix = 0, c = f & FC, h;
                if ((f & FH) || (a & 0x0F) > 9) fix = 0x06;
                if (c || a > 0x99) fix |= 0x60, c = FC;
                uint8_t r;
                if (f & FN) {
                    r = uint8_t(a - fix);
                    h = (f & FH) && (a & 0x0F) < 6 ? FH : 0;
                } else {
                    r = uint8_t(a + fix);
                    h = (a & 0x0F) > 9 ? FH : 0;
                }
                a = r;
                SetF(sz53p[a] | h | (f & FN) | c);
                break;
            }
            case 5: // CPL
                a = uint8_t(~a);
                SetF((f & (FS | FZ | FP | FC)) | FH | FN | (a & FXY));
                break;
            case 6: // SCF: bits 5 and 3 depend on whether the last instruction wrote F
                SetF((f & (FS | FZ | FP)) | (((cpu.qPrev ^ f) | a) & FXY) | FC);
                break;
            default: // CCF
                SetF((f & (FS | FZ | FP)) | ((f & FC) << 4) | (((cpu.qPrev ^ f) | a) & FXY) |
                     ((f & FC) ^ FC));
                break;
            }
            A() = a;
            return 4;
        }
    } else { // x == 3
        if constexpr (z == 0) {
            if (Cond(y)) {
                cpu.pc = cpu.wz = Pop();
                return 11;
            }
            return 5;
        } else if constexpr (z == 1) {
            if constexpr (q == 0) {
                uint16_t v = Pop();
                if constexpr (p == 3)
                    SetPair(pAF, v);
                else
                    SetRR<X>(p, v);
                return 10;
            } else if constexpr (p == 0) {
                cpu.pc = cpu.wz = Pop();
                return 10;
            } else if constexpr (p == 1) { // EXX: the prefix does not apply
                uint16_t bc = Pair(pBC), de = Pair(pDE), hl = Pair(pHL);
                SetPair(pBC, cpu.bc2), SetPair(pDE, cpu.de2), SetPair(pHL, cpu.hl2);
                cpu.bc2 = bc, cpu.de2 = de, cpu.hl2 = hl;
                return 4;
            } else if constexpr (p == 2) {
                cpu.pc = Pair(PairOf(X));
                return 4;
            } else {
                cpu.sp = Pair(PairOf(X));
                return 6;
            }
        } else if constexpr (z == 2) {
            uint16_t nn = Imm16();
            cpu.wz = nn;
            if (Cond(y)) cpu.pc = nn;
            return 10;
        } else if constexpr (z == 3) {
            if constexpr (y == 0) {
                cpu.pc = cpu.wz = Imm16();
                return 10;
            } else if constexpr (y == 1) {
                if constexpr (X == 0)
                    return CbPage(Fetch());
                else
                    __builtin_unreachable();
            } else if constexpr (y == 2) { // OUT (n),A
                uint8_t n = Imm();
                Out(uint16_t(A() << 8 | n), A());
                cpu.wz = uint16_t(A() << 8 | ((n + 1) & 0xFF));
                return 11;
            } else if constexpr (y == 3) { // IN A,(n)
                uint16_t port = uint16_t(A() << 8 | Imm());
                A() = In(port);
                cpu.wz = uint16_t(port + 1);
                return 11;
            } else if constexpr (y == 4) { // EX (SP),HL
                uint8_t lo = Rd(cpu.sp);
                uint8_t hi = Rd(uint16_t(cpu.sp + 1));
                Wr(uint16_t(cpu.sp + 1), R8(HiOf(X)));
                Wr(cpu.sp, R8(HiOf(X) - 1));
                cpu.wz = uint16_t(hi << 8 | lo);
                SetPair(PairOf(X), cpu.wz);
                return 19;
            } else if constexpr (y == 5) { // EX DE,HL: the prefix does not apply
                uint16_t de = Pair(pDE);
                SetPair(pDE, Pair(pHL));
                SetPair(pHL, de);
                return 4;
            } else if constexpr (y == 6) {
                cpu.iff1 = cpu.iff2 = 0;
                return 4;
            } else {
                cpu.iff1 = cpu.iff2 = 1;
                cpu.attn.after = kAfterEi;
                return 4;
            }
        } else if constexpr (z == 4) {
            uint16_t nn = Imm16();
            cpu.wz = nn;
            if (Cond(y)) {
                Push(cpu.pc);
                cpu.pc = nn;
                return 17;
            }
            return 10;
        } else if constexpr (z == 5) {
            if constexpr (q == 0) {
                Push(p == 3 ? Pair(pAF) : RR<X>(p));
                return 11;
            } else if constexpr (p == 0) {
                uint16_t nn = Imm16();
                cpu.wz = nn;
                Push(cpu.pc);
                cpu.pc = nn;
                return 17;
            } else if constexpr (X == 0) {
                if constexpr (p == 2)
                    return EdPage(Fetch());
                else
                    return Prefixed < p == 1 ? 1 : 2 > ();
            } else {
                __builtin_unreachable();
            }
        } else if constexpr (z == 6) {
            Alu(y, Imm());
            return 7;
        } else {
            Push(cpu.pc);
            cpu.pc = cpu.wz = y * 8;
            return 11;
        }
    }
}

template <int X> ALWAYS_INLINE int MainPage(uint8_t op) {
    switch (op) {
#define Z80_M(n) Main<X, n>()
        Z80_OP256(Z80_M)
#undef Z80_M
    }
    return 0;
}

// Opcodes of one byte: the ones interrupt mode 0 can execute from the bus.
constexpr bool IsOneByte(int op) {
    int x = op >> 6, z = op & 7;
    if (op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD) return false;
    if (x == 1 || x == 2) return true;
    if (x == 0)
        return z == 3 || z == 4 || z == 5 || z == 7 || (z == 0 && op < 0x10) ||
               (z == 1 && (op & 8)) || (z == 2 && op < 0x20);
    return z == 0 || z == 1 || (z == 5 && !(op & 8)) || z == 7 || op == 0xE3 || op == 0xEB ||
           op == 0xF3 || op == 0xFB;
}

// Accepts the latched request: clears IFF1/IFF2, ends HALT (PC already points
// past it), counts the acknowledge cycle in R.
int AcceptInterrupt() {
    cpu.attn.irqPending = 0;
    cpu.iff1 = cpu.iff2 = 0;
    cpu.attn.halted = 0;
    cpu.rCount++;
    uint8_t data = cpu.irqData;
    if (cpu.im == 2) {
        Push(cpu.pc);
        uint16_t table = uint16_t(cpu.i << 8 | data);
        uint8_t lo = Rd(table);
        uint8_t hi = Rd(uint16_t(table + 1));
        cpu.pc = cpu.wz = uint16_t(hi << 8 | lo);
        return 19;
    }
    // Mode 0 runs the byte as an instruction, two T-states longer than usual.
    // A prefix or an opcode with operands cannot come whole from one bus
    // byte; it is taken as RST 38h, as mode 1 does.
    if (cpu.im == 0 && IsOneByte(data)) return 2 + MainPage<0>(data);
    Push(cpu.pc);
    cpu.pc = cpu.wz = 0x38;
    return 13;
}

[[gnu::noinline]] void Reset() {
    SetPair(pAF, 0xFFFF);
    cpu.sp = 0xFFFF;
    cpu.pc = cpu.wz = 0;
    cpu.i = cpu.rCount = cpu.r7 = 0;
    cpu.iff1 = cpu.iff2 = cpu.im = 0;
    cpu.q = cpu.qPrev = 0;
    cpu.attn = {};
    cpu.irqData = 0;
}

inline void ApplyPendingReset() {
    if (resetPending.load(std::memory_order_relaxed) &&
        resetPending.exchange(false, std::memory_order_relaxed))
        Reset();
}

// The rare path: a pending prefix, a latched request, a halted processor, or
// what EI, LD A,I and LD A,R leave for the next step.
[[gnu::noinline]] int RunSpecial() {
    uint8_t after = cpu.attn.after;
    cpu.attn.after = 0;
    if (uint8_t prefix = cpu.attn.prefix) {
        cpu.attn.prefix = 0;
        return prefix == 0xDD ? Prefixed<1>() : Prefixed<2>();
    }
    if (cpu.attn.irqPending && cpu.iff1 && !(after & kAfterEi)) {
        if (after & kAfterLdAir) F() &= uint8_t(~FP);
        return AcceptInterrupt();
    }
    if (cpu.attn.halted) {
        cpu.rCount++;
        return 4;
    }
    return MainPage<0>(Fetch());
}

} // namespace

extern "C" int Z80Init(void) {
    resetPending.store(true, std::memory_order_relaxed);
    return 0;
}

extern "C" void setz80memaccess(Z80MemAccess access) {
    bus = access ? access : IdleBus;
}

extern "C" int Z80Run(void) {
    ApplyPendingReset();
    cpu.qPrev = cpu.q;
    cpu.q = 0;
    uint32_t attention;
    std::memcpy(&attention, &cpu.attn, sizeof attention);
    if (attention) return RunSpecial();
    return MainPage<0>(Fetch());
}

extern "C" int Z80RunHalted(int most) {
    ApplyPendingReset();
    if (!cpu.attn.halted || cpu.attn.after || cpu.attn.prefix ||
        (cpu.attn.irqPending && cpu.iff1) || most <= 0)
        return 0;
    int steps = (most + 3) / 4;
    // Each step takes the last one's Q as the previous and writes none.
    cpu.qPrev = steps > 1 ? 0 : cpu.q;
    cpu.q = 0;
    cpu.rCount = uint8_t(cpu.rCount + steps);
    return 4 * steps;
}

extern "C" void Z80DoIRQ(int dataBusByte) {
    ApplyPendingReset();
    cpu.attn.irqPending = 1;
    cpu.irqData = uint8_t(dataBusByte);
}

extern "C" int Z80RegsVersion(void) {
    return Z80_REGS_VERSION;
}

extern "C" const unsigned short* Z80PCLocation(void) {
    return &cpu.pc;
}

extern "C" void Z80GetRegs(Z80Regs* regs) {
    ApplyPendingReset();
    regs->af = Pair(pAF);
    regs->bc = Pair(pBC);
    regs->de = Pair(pDE);
    regs->hl = Pair(pHL);
    regs->af2 = cpu.af2;
    regs->bc2 = cpu.bc2;
    regs->de2 = cpu.de2;
    regs->hl2 = cpu.hl2;
    regs->ix = Pair(pIX);
    regs->iy = Pair(pIY);
    regs->sp = cpu.sp;
    regs->pc = cpu.pc;
    regs->wz = cpu.wz;
    regs->i = cpu.i;
    regs->r = RValue();
    regs->iff1 = cpu.iff1;
    regs->iff2 = cpu.iff2;
    regs->im = cpu.im;
    regs->halted = cpu.attn.halted;
    regs->q = cpu.q;
    regs->eiDelay = cpu.attn.after & kAfterEi;
    regs->irqPending = cpu.attn.irqPending;
    regs->irqData = cpu.irqData;
    regs->prefix = cpu.attn.prefix;
    regs->ldAirLatch = (cpu.attn.after & kAfterLdAir) != 0;
}

extern "C" void Z80SetRegs(const Z80Regs* regs) {
    ApplyPendingReset();
    SetPair(pAF, regs->af);
    SetPair(pBC, regs->bc);
    SetPair(pDE, regs->de);
    SetPair(pHL, regs->hl);
    cpu.af2 = regs->af2;
    cpu.bc2 = regs->bc2;
    cpu.de2 = regs->de2;
    cpu.hl2 = regs->hl2;
    SetPair(pIX, regs->ix);
    SetPair(pIY, regs->iy);
    cpu.sp = regs->sp;
    cpu.pc = regs->pc;
    cpu.wz = regs->wz;
    cpu.i = regs->i;
    cpu.rCount = regs->r;
    cpu.r7 = regs->r & 0x80;
    cpu.iff1 = regs->iff1 != 0;
    cpu.iff2 = regs->iff2 != 0;
    cpu.im = regs->im > 2 ? 2 : regs->im;
    cpu.attn.halted = regs->halted != 0;
    cpu.q = regs->q;
    cpu.attn.after = uint8_t((regs->eiDelay ? kAfterEi : 0) | (regs->ldAirLatch ? kAfterLdAir : 0));
    cpu.attn.irqPending = regs->irqPending != 0;
    cpu.irqData = regs->irqData;
    cpu.attn.prefix = regs->prefix == 0xDD || regs->prefix == 0xFD ? regs->prefix : 0;
}

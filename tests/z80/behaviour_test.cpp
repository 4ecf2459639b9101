// What the conformance suites leave out: interrupts in the three modes through
// Z80DoIRQ, the EI delay, HALT, the latched request, SCF/CCF and the Q latch, a
// block instruction interrupted between iterations, WZ after every kind of
// instruction that writes it, and reset.
#include "tests/z80/test_bus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace z80test;

constexpr uint8_t FC = 0x01, FP = 0x04, FH = 0x10, FXY = 0x28;

// A clean core at pc with SP 0x8000, interrupt mode im, IFF1/IFF2 = enabled.
void Start(uint16_t pc, uint8_t im, bool enabled) {
    Reset();
    Z80Regs r{};
    r.pc = pc;
    r.sp = 0x8000;
    r.im = im;
    r.iff1 = r.iff2 = enabled;
    SetRegs(r);
}

uint16_t Pushed() {
    return uint16_t(memory[0x7FFE] | memory[0x7FFF] << 8);
}

TEST(Interrupts, ModeOneTakesThirteenTStatesAndCallsThirtyEight) {
    Start(0x1000, 1, true);
    uint8_t r = Regs().r;
    Z80DoIRQ(4);
    EXPECT_EQ(Z80Run(), 13);
    Z80Regs s = Regs();
    EXPECT_EQ(s.pc, 0x38);
    EXPECT_EQ(s.wz, 0x38);
    EXPECT_EQ(s.sp, 0x7FFE);
    EXPECT_EQ(Pushed(), 0x1000);
    EXPECT_EQ(s.iff1 | s.iff2, 0);
    EXPECT_EQ(s.r, uint8_t(r + 1));
    EXPECT_EQ(s.irqPending, 0);
    // Accepted once: the next call runs the handler's first instruction.
    EXPECT_EQ(Z80Run(), 4);
    EXPECT_EQ(Regs().pc, 0x39);
}

TEST(Interrupts, ModeTwoReadsTheVectorAtIAndTheBusByte) {
    Start(0x1000, 2, true);
    Z80Regs s = Regs();
    s.i = 0x12;
    SetRegs(s);
    Load(0x1234, {0xCD, 0xAB});
    Z80DoIRQ(0x34);
    EXPECT_EQ(Z80Run(), 19);
    s = Regs();
    EXPECT_EQ(s.pc, 0xABCD);
    EXPECT_EQ(s.wz, 0xABCD);
    EXPECT_EQ(Pushed(), 0x1000);
    EXPECT_EQ(s.iff1 | s.iff2, 0);
    // Push high byte first, then the vector low byte first.
    std::vector<Access> want = {
        {0x7FFF, 0x10, 0}, {0x7FFE, 0x00, 0}, {0x1234, -1, 1}, {0x1235, -1, 1}};
    EXPECT_EQ(accesses, want);
}

TEST(Interrupts, ModeZeroExecutesTheBusByte) {
    // RST 28h: two T-states more than the instruction's 11.
    Start(0x1000, 0, true);
    Z80DoIRQ(0xEF);
    EXPECT_EQ(Z80Run(), 13);
    EXPECT_EQ(Regs().pc, 0x28);
    EXPECT_EQ(Pushed(), 0x1000);

    // Any one-byte instruction: INC B, with PC left where it was.
    Start(0x1000, 0, true);
    Z80DoIRQ(0x04);
    EXPECT_EQ(Z80Run(), 6);
    Z80Regs s = Regs();
    EXPECT_EQ(s.bc >> 8, 1);
    EXPECT_EQ(s.pc, 0x1000);
    EXPECT_EQ(s.iff1, 0);

    // An opcode that needs more bytes than the bus gives is taken as RST 38h.
    Start(0x1000, 0, true);
    Z80DoIRQ(0xCD);
    EXPECT_EQ(Z80Run(), 13);
    EXPECT_EQ(Regs().pc, 0x38);
    EXPECT_EQ(Pushed(), 0x1000);

    // Which is which, at the edges of the opcode table's rows: the bytes
    // that run leave PC where it was.
    const struct {
        int op;
        bool runs;
    } bytes[] = {{0x02, true},  {0x1A, true},  {0x22, false}, {0x01, false}, {0x09, true},
                 {0x08, true},  {0x10, false}, {0x18, false}, {0xE3, true},  {0xC5, true},
                 {0xCD, false}, {0xDD, false}, {0xF9, true},  {0xFB, true},  {0xC3, false}};
    for (auto [op, runs] : bytes) {
        Start(0x1000, 0, true);
        Z80DoIRQ(op);
        Z80Run();
        EXPECT_EQ(Regs().pc, runs ? 0x1000 : 0x38) << std::hex << op;
    }
}

TEST(Interrupts, EiLetsOneMoreInstructionRunFirst) {
    Start(0x1000, 1, false);
    Load(0x1000, {0xFB, 0xFB, 0x00, 0x00}); // EI, EI, NOP, NOP
    Z80DoIRQ(4);
    EXPECT_EQ(Z80Run(), 4); // EI
    EXPECT_EQ(Z80Run(), 4); // EI again: still held off
    EXPECT_EQ(Z80Run(), 4); // NOP after the last EI
    EXPECT_EQ(Regs().pc, 0x1003);
    EXPECT_EQ(Z80Run(), 13);
    EXPECT_EQ(Pushed(), 0x1003);
}

TEST(Interrupts, RequestWhileDisabledStaysLatchedAndTheNewestWins) {
    Start(0x1000, 2, false);
    Load(0x1000, {0x00, 0x00, 0x00, 0xFB, 0x00}); // NOP x3, EI, NOP
    Load(0x0010, {0x00, 0x30});
    Load(0x0020, {0x00, 0x40});
    Z80DoIRQ(0x10);
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(Z80Run(), 4);
    Z80Regs s = Regs();
    EXPECT_EQ(s.pc, 0x1003);
    EXPECT_EQ(s.irqPending, 1);
    Z80DoIRQ(0x20);
    Z80Run(); // EI
    Z80Run(); // NOP
    EXPECT_EQ(Z80Run(), 19);
    EXPECT_EQ(Regs().pc, 0x4000);
    EXPECT_EQ(Pushed(), 0x1005);
    EXPECT_EQ(Regs().irqPending, 0);
}

TEST(Interrupts, ResetDropsTheLatchedRequest) {
    Start(0x1000, 1, false);
    Z80DoIRQ(4);
    Z80Init();
    Load(0x0000, {0xED, 0x56, 0xFB, 0x00, 0x00}); // IM 1, EI, NOP, NOP
    long t = 0;
    for (int k = 0; k < 4; k++)
        t += Z80Run();
    EXPECT_EQ(t, 8 + 4 + 4 + 4);
    EXPECT_EQ(Regs().pc, 5);
}

TEST(Interrupts, HaltWaitsInFourTStateStepsAndReturnsPastTheHalt) {
    Start(0x2000, 1, true);
    Load(0x2000, {0x76});
    EXPECT_EQ(Z80Run(), 4);
    Z80Regs s = Regs();
    EXPECT_EQ(s.halted, 1);
    EXPECT_EQ(s.pc, 0x2001);
    size_t busBefore = accesses.size();
    for (int k = 0; k < 5; k++)
        EXPECT_EQ(Z80Run(), 4);
    EXPECT_EQ(accesses.size(), busBefore);
    EXPECT_EQ(Regs().r, uint8_t(s.r + 5)); // each wait is a refresh cycle
    EXPECT_EQ(Regs().pc, 0x2001);
    Z80DoIRQ(4);
    EXPECT_EQ(Z80Run(), 13);
    s = Regs();
    EXPECT_EQ(s.halted, 0);
    EXPECT_EQ(s.pc, 0x38);
    EXPECT_EQ(Pushed(), 0x2001);
}

TEST(Interrupts, HaltWithInterruptsDisabledKeepsWaiting) {
    Start(0x2000, 1, false);
    Load(0x2000, {0x76});
    Z80DoIRQ(4);
    for (int k = 0; k < 10; k++)
        EXPECT_EQ(Z80Run(), 4);
    EXPECT_EQ(Regs().halted, 1);
    EXPECT_EQ(Regs().irqPending, 1);
}

// Z80RunHalted stands for the Z80Run steps of a wait it spans, R and Q
// and the latch included; it spends nothing when the processor is not
// waiting, or when what is latched ends the wait.
TEST(Interrupts, RunHaltedEqualsTheStepsItStandsFor) {
    const struct {
        const char* what;
        bool halt, iff1, request;
        uint8_t r, q;
        int most;
    } cases[] = {
        {"one step", true, false, false, 0x05, 0, 1},
        {"steps to a boundary", true, true, false, 0x7E, 0, 16},
        {"steps past it", true, true, false, 0xFF, 0, 4001},
        {"Q of the last instruction", true, false, false, 0x00, 0x28, 1},
        {"Q gone after two", true, false, false, 0x00, 0x28, 5},
        {"a request disabled", true, false, true, 0x80, 0, 37},
        {"a request enabled", true, true, true, 0x00, 0, 40},
        {"nothing asked", true, true, false, 0x00, 0, 0},
        {"not halted", false, true, false, 0x00, 0, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Start(0x2000, 1, c.iff1);
        Load(0x2000, {uint8_t(c.halt ? 0x76 : 0x00)});
        if (c.halt) Z80Run();
        Z80Regs s = Regs();
        s.r = c.r;
        s.q = c.q;
        SetRegs(s);
        if (c.request) Z80DoIRQ(4);
        bool waits = c.halt && !(c.request && c.iff1);
        long stepped = waits && c.most > 0 ? RunFor(c.most) : 0;
        Z80Regs byRun = Regs();
        SetRegs(s);
        if (c.request) Z80DoIRQ(4);
        EXPECT_EQ(Z80RunHalted(c.most), stepped);
        Z80Regs byHalted = Regs();
        EXPECT_EQ(std::memcmp(&byRun, &byHalted, sizeof byRun), 0);
    }
}

TEST(Interrupts, NoneIsTakenBetweenChainedPrefixes) {
    Start(0x1000, 1, true);
    Load(0x1000, {0xDD, 0xFD, 0x21, 0x34, 0x12}); // DD ignored, LD IY,1234h
    uint8_t r = Regs().r;
    EXPECT_EQ(Z80Run(), 4);
    Z80DoIRQ(4);
    EXPECT_EQ(Z80Run(), 14);
    Z80Regs s = Regs();
    EXPECT_EQ(s.iy, 0x1234);
    EXPECT_EQ(s.pc, 0x1005);
    EXPECT_EQ(s.r, uint8_t(r + 3));
    EXPECT_EQ(Z80Run(), 13);
    EXPECT_EQ(Pushed(), 0x1005);
    // Each byte was fetched once.
    EXPECT_EQ(std::count_if(accesses.begin(), accesses.end(),
                            [](const Access& a) { return a.address == 0x1001; }),
              1);
}

TEST(Interrupts, RetnRetiAndTheirMirrorsRestoreIff1FromIff2) {
    for (uint8_t op : {0x45, 0x4D, 0x55, 0x5D, 0x65, 0x6D, 0x75, 0x7D}) {
        Start(0x1000, 1, false);
        Z80Regs s = Regs();
        s.iff2 = 1;
        s.sp = 0x7000;
        SetRegs(s);
        Load(0x1000, {0xED, op});
        Load(0x7000, {0x78, 0x56});
        EXPECT_EQ(Z80Run(), 14);
        s = Regs();
        EXPECT_EQ(s.iff1, 1) << int(op);
        EXPECT_EQ(s.pc, 0x5678) << int(op);
    }
}

TEST(Interrupts, LdAIAndLdARCopyIff2IntoParity) {
    for (uint8_t iff2 : {0, 1}) {
        for (uint8_t op : {0x57, 0x5F}) {
            Start(0x1000, 1, false);
            Z80Regs s = Regs();
            s.iff2 = iff2;
            s.i = 0x80;
            s.r = 0x80;
            SetRegs(s);
            Load(0x1000, {0xED, op});
            EXPECT_EQ(Z80Run(), 9);
            s = Regs();
            EXPECT_EQ((s.af & 0x04) != 0, iff2 != 0) << int(op);
            EXPECT_EQ(s.af >> 8 & 0x80, 0x80) << int(op); // R keeps bit 7
        }
    }
}

// LD A,I and LD A,R copy IFF2 into P/V as an interrupt accepted right after
// them clears IFF2: P/V then reads 0. The latch is part of the register state.
TEST(Interrupts, OneAcceptedRightAfterLdAIOrLdARClearsParity) {
    struct Case {
        const char* what;
        bool iff1, nopFirst;
        uint8_t wantPv;
    };
    const Case cases[] = {
        {"accepted right after", true, false, 0},
        {"accepted one instruction later", true, true, FP},
        {"not accepted: IFF1 clear", false, false, FP},
    };
    for (uint8_t op : {0x57, 0x5F}) {
        for (const Case& c : cases) {
            Start(0x1000, 1, c.iff1);
            Z80Regs s = Regs();
            s.iff2 = 1;
            SetRegs(s);
            Load(0x1000, {0xED, op, 0x00, 0x00}); // LD A,I or LD A,R; NOP; NOP
            Z80Run();
            EXPECT_EQ(Regs().ldAirLatch, 1) << c.what;
            if (c.nopFirst) Z80Run();
            Z80DoIRQ(0xFF);
            Z80Run();
            s = Regs();
            EXPECT_EQ(s.af & FP, c.wantPv) << c.what << ", op " << int(op);
            EXPECT_EQ(s.ldAirLatch, 0) << c.what;
        }
    }
    // Set through the register state, as a restored state sets it.
    Start(0x1000, 1, true);
    Z80Regs s = Regs();
    s.af = 0x00FF;
    s.ldAirLatch = 1;
    SetRegs(s);
    Z80DoIRQ(0xFF);
    EXPECT_EQ(Z80Run(), 13);
    EXPECT_EQ(Regs().af, 0x00FB);
}

TEST(BlockInstructions, LdirIsInterruptedBetweenIterationsAndResumes) {
    // LDIR at 0x2800: while it repeats, flag bits 5 and 3 come from PC's high
    // byte (0x28 sets both).
    Start(0x2800, 1, true);
    Load(0x2800, {0xED, 0xB0, 0x76}); // LDIR, HALT
    Load(0x0038, {0xFB, 0xC9});       // EI, RET
    Load(0x4000, {0x11, 0x22, 0x33});
    Z80Regs s = Regs();
    s.bc = 3, s.hl = 0x4000, s.de = 0x5000, s.af = 0x0000;
    SetRegs(s);

    EXPECT_EQ(Z80Run(), 21);
    s = Regs();
    EXPECT_EQ(s.pc, 0x2800);
    EXPECT_EQ(s.bc, 2);
    EXPECT_EQ(s.wz, 0x2801);
    EXPECT_EQ(s.af & 0xFF, FXY | 0x04);

    Z80DoIRQ(4);
    EXPECT_EQ(Z80Run(), 13);
    EXPECT_EQ(Pushed(), 0x2800);
    EXPECT_EQ(Z80Run(), 4);  // EI
    EXPECT_EQ(Z80Run(), 10); // RET
    EXPECT_EQ(Z80Run(), 21);
    EXPECT_EQ(Z80Run(), 16); // last iteration
    s = Regs();
    EXPECT_EQ(s.pc, 0x2802);
    EXPECT_EQ(s.bc, 0);
    EXPECT_EQ(memory[0x5000] | memory[0x5001] << 8 | memory[0x5002] << 16, 0x332211);
    // After the last iteration bit 5 is bit 1 and bit 3 is bit 3 of A + the
    // byte (0x33); P/V clear as BC reached 0.
    EXPECT_EQ(s.af & 0xFF, 0x20);
}

// Every repeating block instruction at 30FFh, from WZ 2222h: a repeating step
// (from BC 0302h) moves PC back and leaves WZ at the instruction's address
// + 1; the last step leaves WZ as the single form does (LDI and LDD do not
// write it).
TEST(BlockInstructions, ARepeatingStepLeavesWzAtTheInstructionPlusOne) {
    struct Case {
        const char* what;
        uint8_t op;
        uint16_t lastBc, wzLast;
    };
    const Case cases[] = {
        {"LDIR", 0xB0, 0x0001, 0x2222}, {"LDDR", 0xB8, 0x0001, 0x2222},
        {"CPIR", 0xB1, 0x0001, 0x2223}, {"CPDR", 0xB9, 0x0001, 0x2221},
        {"INIR", 0xB2, 0x0102, 0x0103}, {"INDR", 0xBA, 0x0102, 0x0101},
        {"OTIR", 0xB3, 0x0102, 0x0003}, {"OTDR", 0xBB, 0x0102, 0x0001},
    };
    for (const Case& c : cases) {
        for (bool last : {false, true}) {
            Start(0x30FF, 1, false);
            Z80Regs s = Regs();
            s.af = 0x1200, s.bc = last ? c.lastBc : 0x0302, s.hl = 0x6000, s.de = 0x7000;
            s.wz = 0x2222;
            SetRegs(s);
            Load(0x30FF, {0xED, c.op});
            EXPECT_EQ(Z80Run(), last ? 16 : 21) << c.what << " last " << last;
            s = Regs();
            EXPECT_EQ(s.pc, last ? 0x3101 : 0x30FF) << c.what << " last " << last;
            EXPECT_EQ(s.wz, last ? c.wzLast : 0x3100) << c.what << " last " << last;
        }
    }
}

// The suites barely see WZ: it shows only in bits 5 and 3 after a later
// BIT n,(HL). One instruction of each kind that writes it, from A 12h, F 0,
// BC 34FFh, DE 5678h, HL 60FFh, IX 7000h, IY 9000h, SP 8000h (holding 4321h)
// and WZ 2222h; the values were worked out by hand. Carries out of a low
// byte are where a wrong rule shows.
TEST(Memptr, EveryInstructionThatWritesWzLeavesTheRightValue) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        uint16_t wz;
    };
    const Case cases[] = {
        {"LD A,(BC)", {0x0A}, 0x3500},
        {"LD (BC),A: A and the address's low byte + 1", {0x02}, 0x1200},
        {"LD A,(DE)", {0x1A}, 0x5679},
        {"LD (DE),A", {0x12}, 0x1279},
        {"LD A,(20FFh)", {0x3A, 0xFF, 0x20}, 0x2100},
        {"LD (20FFh),A", {0x32, 0xFF, 0x20}, 0x1200},
        {"LD HL,(20FFh)", {0x2A, 0xFF, 0x20}, 0x2100},
        {"LD (1234h),HL", {0x22, 0x34, 0x12}, 0x1235},
        {"LD BC,(1234h)", {0xED, 0x4B, 0x34, 0x12}, 0x1235},
        {"LD (20FFh),SP", {0xED, 0x73, 0xFF, 0x20}, 0x2100},
        {"JP 1234h", {0xC3, 0x34, 0x12}, 0x1234},
        {"JP Z,1234h not taken", {0xCA, 0x34, 0x12}, 0x1234},
        {"CALL 1234h", {0xCD, 0x34, 0x12}, 0x1234},
        {"CALL Z,1234h not taken", {0xCC, 0x34, 0x12}, 0x1234},
        {"JR +10h", {0x18, 0x10}, 0x1012},
        {"JR NZ,-10h", {0x20, 0xF0}, 0x0FF2},
        {"DJNZ +5", {0x10, 0x05}, 0x1007},
        {"RET", {0xC9}, 0x4321},
        {"RET NZ", {0xC0}, 0x4321},
        {"RETI", {0xED, 0x4D}, 0x4321},
        {"RST 18h", {0xDF}, 0x0018},
        {"EX (SP),HL", {0xE3}, 0x4321},
        {"EX (SP),IX", {0xDD, 0xE3}, 0x4321},
        {"ADD HL,BC: HL + 1", {0x09}, 0x6100},
        {"ADC HL,DE", {0xED, 0x5A}, 0x6100},
        {"SBC HL,BC", {0xED, 0x42}, 0x6100},
        {"ADD IX,BC", {0xDD, 0x09}, 0x7001},
        {"IN A,(FFh): the port + 1", {0xDB, 0xFF}, 0x1300},
        {"OUT (FFh),A: A and the port's low byte + 1", {0xD3, 0xFF}, 0x1200},
        {"IN D,(C)", {0xED, 0x50}, 0x3500},
        {"OUT (C),E", {0xED, 0x59}, 0x3500},
        {"RLD", {0xED, 0x6F}, 0x6100},
        {"RRD", {0xED, 0x67}, 0x6100},
        {"LD B,(IX-80h)", {0xDD, 0x46, 0x80}, 0x6F80},
        {"LD (IY+7Fh),A", {0xFD, 0x77, 0x7F}, 0x907F},
        {"BIT 0,(IX+5)", {0xDD, 0xCB, 0x05, 0x46}, 0x7005},
        {"CPI: WZ + 1", {0xED, 0xA1}, 0x2223},
        {"CPD: WZ - 1", {0xED, 0xA9}, 0x2221},
        {"INI: BC + 1 before B counts down", {0xED, 0xA2}, 0x3500},
        {"IND", {0xED, 0xAA}, 0x34FE},
        {"OUTI: BC + 1 after B counts down", {0xED, 0xA3}, 0x3400},
        {"OUTD", {0xED, 0xAB}, 0x33FE},
    };
    for (const Case& c : cases) {
        Start(0x1000, 1, false);
        Z80Regs s = Regs();
        s.af = 0x1200, s.bc = 0x34FF, s.de = 0x5678, s.hl = 0x60FF;
        s.ix = 0x7000, s.iy = 0x9000, s.wz = 0x2222;
        SetRegs(s);
        std::copy(c.code.begin(), c.code.end(), memory + 0x1000);
        Load(0x8000, {0x21, 0x43});
        Z80Run();
        EXPECT_EQ(Regs().wz, c.wz) << c.what;
    }
}

// SCF and CCF take bits 5 and 3 from A alone after an instruction that wrote
// the flags, and from A | F after one that did not.
TEST(FlagsQ, ScfAndCcfSeeWhetherTheLastInstructionWroteTheFlags) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code; // ends with SCF or CCF
        uint8_t wantXY;
    };
    const Case cases[] = {
        {"CP 28h; SCF", {0xFE, 0x28, 0x37}, 0x00},
        {"CP 28h; NOP; SCF", {0xFE, 0x28, 0x00, 0x37}, FXY},
        {"CP 28h; LD B,A; CCF", {0xFE, 0x28, 0x47, 0x3F}, FXY},
        {"CP 28h; CCF", {0xFE, 0x28, 0x3F}, 0x00},
        {"POP AF (F=28h); SCF", {0xF1, 0x37}, FXY},
        {"CP 28h; NOP; SCF; SCF", {0xFE, 0x28, 0x00, 0x37, 0x37}, 0x00},
        {"CP 08h; NOP; SCF: only the bits F has", {0xFE, 0x08, 0x00, 0x37}, 0x08},
    };
    for (const Case& c : cases) {
        Start(0x1000, 1, false);
        for (size_t k = 0; k < c.code.size(); k++)
            memory[0x1000 + k] = c.code[k];
        Load(0x8000, {0x28, 0x00}); // popped AF: A 0, F 28h
        Z80Regs s = Regs();
        s.af = 0x0000;
        SetRegs(s);
        uint16_t end = uint16_t(0x1000 + c.code.size());
        while (Regs().pc != end)
            Z80Run();
        EXPECT_EQ(Regs().af & FXY, c.wantXY) << c.what;
    }
}

TEST(FlagsQ, CcfMovesCarryIntoHalfCarry) {
    Start(0x1000, 1, false);
    Load(0x1000, {0x37, 0x3F, 0x3F}); // SCF, CCF, CCF
    Z80Run();
    Z80Run();
    EXPECT_EQ(Regs().af & (FH | FC), FH);
    Z80Run();
    EXPECT_EQ(Regs().af & (FH | FC), FC);
}

TEST(RegisterState, EveryFieldRoundTrips) {
    Reset();
    Z80Regs in = {0x1122, 0x3344, 0x5566, 0x7788, 0x99AA, 0xBBCC, 0xDDEE, 0xFF01, 0x2345,
                  0x6789, 0xABCD, 0xEF01, 0x2233, 0x44,   0xD5,   1,      0,      2,
                  1,      0x28,   1,      1,      0x9A,   0xFD,   1};
    SetRegs(in);
    Z80Regs out = Regs();
#define Z80_SAME(field) EXPECT_EQ(in.field, out.field) << #field;
    Z80_SAME(af)
    Z80_SAME(bc)
    Z80_SAME(de)
    Z80_SAME(hl)
    Z80_SAME(af2)
    Z80_SAME(bc2)
    Z80_SAME(de2)
    Z80_SAME(hl2)
    Z80_SAME(ix)
    Z80_SAME(iy)
    Z80_SAME(sp)
    Z80_SAME(pc)
    Z80_SAME(wz)
    Z80_SAME(i)
    Z80_SAME(r)
    Z80_SAME(iff1)
    Z80_SAME(iff2)
    Z80_SAME(im)
    Z80_SAME(halted)
    Z80_SAME(q)
    Z80_SAME(eiDelay)
    Z80_SAME(irqPending)
    Z80_SAME(irqData)
    Z80_SAME(prefix)
    Z80_SAME(ldAirLatch)
#undef Z80_SAME
}

TEST(RegisterState, RKeepsBitSevenWhileCounting) {
    Start(0x1000, 1, false);
    Z80Regs s = Regs();
    s.r = 0xFF;
    SetRegs(s);
    Z80Run(); // NOP
    EXPECT_EQ(Regs().r, 0x80);
    Load(0x1001, {0xCB, 0x00, 0xDD, 0xCB, 0x00, 0x06}); // RLC B, RLC (IX+0)
    Z80Run();
    Z80Run();
    EXPECT_EQ(Regs().r, 0x84);
}

TEST(Reset, AnIdleCoreResetsAtOnce) {
    Start(0x1234, 2, false);
    Z80Regs s = Regs();
    s.i = 0x55;
    s.r = 0x66;
    s.iff2 = 1;
    SetRegs(s);
    Z80DoIRQ(4);
    Load(0x1234, {0x76});
    Z80Run();
    ASSERT_EQ(Regs().halted, 1);
    Z80Init();
    s = Regs();
    EXPECT_EQ(s.pc, 0);
    EXPECT_EQ(s.sp, 0xFFFF);
    EXPECT_EQ(s.af, 0xFFFF);
    EXPECT_EQ(s.iff1 | s.iff2 | s.im | s.halted | s.irqPending | s.i | s.r, 0);
}

} // namespace

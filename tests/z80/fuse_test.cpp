// The per-opcode FUSE cases: each starts from a given register set and memory,
// runs whole instructions until its T-state budget is used, and compares the
// registers, the T-state count, the memory it lists and the order of the bus
// accesses.
#include "tests/z80/test_bus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

using namespace z80test;

struct MemBlock {
    int address;
    std::vector<int> bytes;
};

struct CaseState {
    unsigned reg[12]; // AF BC DE HL AF' BC' DE' HL' IX IY SP PC
    unsigned i, r, iff1, iff2, im, halted;
    long tstates;
    std::vector<MemBlock> memory;
    std::vector<Access> accesses;
};

struct FuseCase {
    std::string name;
    CaseState in, out;
};

bool ReadRegs(std::istream& s, CaseState& c) {
    for (unsigned& r : c.reg)
        s >> std::hex >> r;
    s >> std::hex >> c.i >> c.r >> std::dec >> c.iff1 >> c.iff2 >> c.im >> c.halted >> c.tstates;
    return bool(s);
}

// Memory lines "addr byte... -1" up to a lone "-1" (input) or a blank line
// (expected output).
void ReadMemory(std::istream& s, CaseState& c, bool input) {
    std::string line;
    while (std::getline(s, line)) {
        std::istringstream ls(line);
        std::string first;
        if (!(ls >> first)) {
            if (input) continue;
            break;
        }
        if (first == "-1") break;
        MemBlock b{std::stoi(first, nullptr, 16), {}};
        std::string tok;
        while (ls >> tok && tok != "-1")
            b.bytes.push_back(std::stoi(tok, nullptr, 16));
        c.memory.push_back(b);
    }
}

std::map<std::string, FuseCase> LoadCases(const std::string& dir, std::vector<std::string>& order) {
    std::map<std::string, FuseCase> cases;
    std::ifstream in(dir + "/fuse/tests.in"), ex(dir + "/fuse/tests.expected");
    std::string name;
    while (in >> name) {
        FuseCase& c = cases[name];
        c.name = name;
        order.push_back(name);
        ReadRegs(in, c.in);
        std::string rest;
        std::getline(in, rest);
        ReadMemory(in, c.in, true);
    }
    while (ex >> name) {
        FuseCase& c = cases[name];
        std::string line;
        std::getline(ex, line);
        // Event lines are indented; the register line is not.
        while (ex.peek() == ' ') {
            std::getline(ex, line);
            std::istringstream ls(line);
            long time;
            std::string type;
            int address, data = -1;
            ls >> time >> type >> std::hex >> address;
            ls >> data;
            static const std::map<std::string, unsigned> kinds = {
                {"MW", 0}, {"MR", 1}, {"PW", 2}, {"PR", 3}};
            auto k = kinds.find(type);
            if (k == kinds.end()) continue;
            c.out.accesses.push_back(
                {address, k->second == 0 || k->second == 2 ? data : -1, k->second});
        }
        ReadRegs(ex, c.out);
        std::getline(ex, line);
        ReadMemory(ex, c.out, false);
    }
    return cases;
}

// The data leave out the operand reads of a conditional jump, call or
// relative jump not taken (the silicon makes them): our accesses must be the
// expected ones in order, with nothing more than extra memory reads.
bool SameBusOrder(const std::vector<Access>& got, const std::vector<Access>& want) {
    size_t w = 0;
    for (const Access& a : got) {
        if (w < want.size() && a == want[w])
            w++;
        else if (a.kind != 1)
            return false;
    }
    return w == want.size();
}

// Runs one case; returns "" when it matches, else what differs. wz is the
// MEMPTR the case starts with; wantWz, when not -1, the one it must end with.
std::string RunCase(const FuseCase& c, uint16_t wz, int wantWz = -1) {
    Reset();
    for (int a = 0; a < 65536; a += 4)
        Load(uint16_t(a), {0xDE, 0xAD, 0xBE, 0xEF});
    for (const MemBlock& b : c.in.memory)
        for (size_t k = 0; k < b.bytes.size(); k++)
            memory[(b.address + k) & 0xFFFF] = b.bytes[k];
    const unsigned* r = c.in.reg;
    Z80Regs s{};
    s.af = r[0], s.bc = r[1], s.de = r[2], s.hl = r[3];
    s.af2 = r[4], s.bc2 = r[5], s.de2 = r[6], s.hl2 = r[7];
    s.ix = r[8], s.iy = r[9], s.sp = r[10], s.pc = r[11];
    s.i = c.in.i, s.r = c.in.r, s.iff1 = c.in.iff1, s.iff2 = c.in.iff2, s.im = c.in.im;
    s.halted = c.in.halted;
    s.wz = wz;
    // The data were made on a core whose SCF/CCF take bits 5 and 3 from A
    // alone, as after an instruction that wrote the flags.
    s.q = uint8_t(s.af);
    SetRegs(s);
    long t = RunFor(c.in.tstates);

    std::ostringstream diff;
    Z80Regs g = Regs();
    const unsigned got[12] = {g.af,  g.bc,  g.de, g.hl, g.af2, g.bc2,
                              g.de2, g.hl2, g.ix, g.iy, g.sp,  g.pc};
    static const char* names[12] = {"AF",  "BC",  "DE", "HL", "AF'", "BC'",
                                    "DE'", "HL'", "IX", "IY", "SP",  "PC"};
    const CaseState& e = c.out;
    for (int k = 0; k < 12; k++) {
        unsigned want = e.reg[k];
        // The data keep PC on a HALT; this core moves past it, as the silicon does.
        if (k == 11 && e.halted && g.halted) want = (want + 1) & 0xFFFF;
        if (got[k] != want)
            diff << names[k] << " " << std::hex << got[k] << " want " << want << " ";
    }
    auto check = [&](const char* what, unsigned gotv, unsigned want) {
        if (gotv != want) diff << what << " " << std::hex << gotv << " want " << want << " ";
    };
    check("I", g.i, e.i);
    check("R", g.r, e.r);
    check("IFF1", g.iff1, e.iff1);
    check("IFF2", g.iff2, e.iff2);
    check("IM", g.im, e.im);
    check("halted", g.halted, e.halted);
    if (wantWz >= 0) check("WZ", g.wz, unsigned(wantWz));
    if (t != e.tstates) diff << "T " << std::dec << t << " want " << e.tstates << " ";
    for (const MemBlock& b : e.memory)
        for (size_t k = 0; k < b.bytes.size(); k++)
            check("mem", memory[(b.address + k) & 0xFFFF], unsigned(b.bytes[k]));
    if (!SameBusOrder(accesses, e.accesses)) diff << "bus accesses differ ";
    return diff.str();
}

// The data have no MEMPTR column: WZ shows only in bits 5 and 3 of F after
// BIT n,(HL), which take them from WZ's high byte. Every case starts with WZ
// 0, so the BIT n,(HL) cases whose byte has those bits clear check them
// against it; these four were made when the bits were thought to come from
// the byte read, and run with the WZ they assume.
const std::set<std::string> staleBitHl = {"cb4e", "cb5e", "cb6e", "cb76"};

class FuseSuite : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = SuitesDir();
        Z80_NEED_SUITES(dir);
        cases = LoadCases(dir, order);
        ASSERT_EQ(order.size(), 1335u);
    }
    std::string dir;
    std::vector<std::string> order;
    std::map<std::string, FuseCase> cases;
};

TEST_F(FuseSuite, EveryCaseMatchesRegistersTimingMemoryAndBusOrder) {
    int passed = 0;
    for (const std::string& name : order) {
        if (staleBitHl.count(name)) continue;
        std::string d = RunCase(cases[name], 0);
        if (d.empty())
            passed++;
        else
            ADD_FAILURE() << name << ": " << d;
    }
    std::printf("FUSE: %d of %zu cases pass (4 stale BIT n,(HL) cases run separately)\n", passed,
                order.size() - staleBitHl.size());
}

TEST_F(FuseSuite, StaleBitHlCasesPassWithTheWzTheyAssume) {
    for (const std::string& name : staleBitHl) {
        const FuseCase& c = cases[name];
        // The data assume bits 5 and 3 of the byte at (HL): start with WZ's
        // high byte equal to it.
        uint16_t hl = uint16_t(c.in.reg[3]);
        int byte = -1;
        for (const MemBlock& b : c.in.memory)
            if (hl >= b.address && hl < b.address + int(b.bytes.size()))
                byte = b.bytes[hl - b.address];
        ASSERT_GE(byte, 0) << name;
        // BIT reads WZ and leaves it.
        EXPECT_EQ(RunCase(c, uint16_t(byte << 8), byte << 8), "") << name;
        // And with WZ zero the two bits follow WZ, not the byte.
        std::string d = RunCase(c, 0);
        if ((byte & 0x28) != 0) {
            EXPECT_NE(d, "") << name;
        }
    }
}

} // namespace

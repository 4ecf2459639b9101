#include "tests/z80/test_bus.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace z80test {

uint8_t memory[65536];
std::vector<Access> accesses;

static int PortHighByte(int port) {
    return (port >> 8) & 0xFF;
}
int (*portRead)(int port) = PortHighByte;

int TestBus(int address, int data, unsigned kind) {
    accesses.push_back({address, kind == 0 || kind == 2 ? data : -1, kind});
    switch (kind) {
    case 0: memory[address & 0xFFFF] = uint8_t(data); return 0;
    case 1: return memory[address & 0xFFFF];
    case 3: return portRead(address);
    default: return 0;
    }
}

void Reset() {
    std::memset(memory, 0, sizeof memory);
    accesses.clear();
    portRead = PortHighByte;
    Z80Init();
    setz80memaccess(TestBus);
}

void Load(uint16_t at, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes)
        memory[at++] = b;
}

Z80Regs Regs() {
    Z80Regs r;
    Z80GetRegs(&r);
    return r;
}

void SetRegs(const Z80Regs& regs) {
    Z80SetRegs(&regs);
}

long RunFor(long tstates) {
    long t = 0;
    while (t < tstates)
        t += Z80Run();
    return t;
}

std::string SuitesDir() {
    const char* env = std::getenv("Z80HOME_Z80TESTS");
    std::string dir = env && *env ? env : Z80HOME_Z80TESTS_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

} // namespace z80test

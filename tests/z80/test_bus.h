// A flat 64 KB memory behind the core's bus callback, for driving the
// processor in tests.
#pragma once

#include "z80/z80.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace z80test {

struct Access {
    int address;
    int data;
    unsigned kind; // as the bus callback's kind
    bool operator==(const Access&) const = default;
};

extern uint8_t memory[65536];
// Every access since the last Reset(), in order.
extern std::vector<Access> accesses;
// What port reads return; by default the high byte of the port address.
extern int (*portRead)(int port);

int TestBus(int address, int data, unsigned kind);

// Clears memory and the access log, resets the core and attaches TestBus.
void Reset();
void Load(uint16_t at, std::initializer_list<uint8_t> bytes);
Z80Regs Regs();
void SetRegs(const Z80Regs& regs);
// Runs Z80Run until at least `tstates` have passed; returns the total.
long RunFor(long tstates);

// The folder of the conformance suites, or "" when it is absent.
std::string SuitesDir();
// Where the build requires the suites (by default) a test that needs them
// fails without them; elsewhere it skips.
constexpr bool kSuitesRequired = Z80HOME_Z80TESTS_REQUIRED;
constexpr const char* kSuitesMissing =
    "Z80 conformance suites not found; set Z80HOME_Z80TESTS or Z80HOME_Z80TESTS_DIR";

} // namespace z80test

// Ends the test when the suites' folder dir is empty (missing).
#define Z80_NEED_SUITES(dir)                                                                       \
    do {                                                                                           \
        if (!(dir).empty()) break;                                                                 \
        if (z80test::kSuitesRequired) FAIL() << z80test::kSuitesMissing;                           \
        GTEST_SKIP() << z80test::kSuitesMissing;                                                   \
    } while (0)

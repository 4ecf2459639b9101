// Z80Init from another thread while the core runs: the reset must land
// between two instructions, with no data race (CI runs this under
// ThreadSanitizer).
#include "tests/z80/test_bus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace z80test;

// The CPU thread loops at 0x0100 writing port 2; a start at address 0 writes
// port 1 first. Z80Init from the test thread must restart it at 0.
std::atomic<int> startsSeen, loopsSeen;

int ThreadBus(int address, int data, unsigned kind) {
    if (kind == 2) {
        if ((address & 0xFF) == 1)
            startsSeen.fetch_add(1, std::memory_order_relaxed);
        else
            loopsSeen.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    return TestBus(address, data, kind);
}

bool WaitFor(const std::atomic<int>& counter, int atLeast) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (counter.load(std::memory_order_relaxed) < atLeast) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(Reset, FromAnotherThreadWhileRunningRestartsAtZero) {
    Reset();
    Load(0x0000, {0xD3, 0x01, 0xC3, 0x00, 0x01}); // OUT (1),A; JP 0100h
    Load(0x0100, {0xD3, 0x02, 0x18, 0xFC});       // OUT (2),A; JR 0100h
    Z80Init();
    startsSeen = 0;
    loopsSeen = 0;
    setz80memaccess(ThreadBus);
    std::atomic<bool> stop{false};
    std::thread cpu([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            accesses.clear(); // keep the log small; only this thread touches it
            for (int k = 0; k < 1000; k++)
                Z80Run();
        }
    });
    bool looped = WaitFor(loopsSeen, 1000);
    Z80Init();
    bool restarted = WaitFor(startsSeen, 2);
    int loopsAfter = loopsSeen.load(std::memory_order_relaxed);
    bool loopedAgain = WaitFor(loopsSeen, loopsAfter + 1000);
    stop = true;
    cpu.join();
    EXPECT_TRUE(looped);
    EXPECT_TRUE(restarted);
    EXPECT_TRUE(loopedAgain);
    EXPECT_EQ(startsSeen.load(), 2);
    Z80Regs s = Regs();
    EXPECT_GE(s.pc, 0x0100);
    EXPECT_LE(s.pc, 0x0103);
}

} // namespace

// The DMA controller's register file and status, through its ports.
#include <gtest/gtest.h>

#include "core/z80home.h"
#include "ports.h"
#include "state/machine_state.h"

namespace {

constexpr int kMode = 0x68;

class Dma : public ::testing::Test {
  protected:
    void SetUp() override { ResetEmu(); }
};

TEST_F(Dma, EachRegisterLoadsAndReadsLowByteFirst) {
    for (int port = 0x60; port <= 0x67; ++port) {
        int channel = (port - 0x60) / 2;
        int low = port, high = 0x80 | port;
        Out(port, low);
        Out(port, high);
        uint16_t value = Get((port & 1) ? machine.dmaCount[channel] : machine.dmaAddress[channel]);
        EXPECT_EQ(value, high << 8 | low) << std::hex << port;
        EXPECT_EQ(In(port), low) << port;
        EXPECT_EQ(In(port), high) << port;
        EXPECT_EQ(In(port), low) << port;
        Out(port, 0x5A); // after an odd number of accesses: the high byte
        EXPECT_EQ(In(port), low) << port;
        EXPECT_EQ(In(port), 0x5A) << port;
    }
}

TEST_F(Dma, EveryRegisterHasItsOwnFlipFlop) {
    // One byte into each register leaves all eight expecting their high byte.
    for (int port = 0x60; port <= 0x67; ++port)
        Out(port, 0x11);
    for (int port = 0x60; port <= 0x67; ++port)
        Out(port, 0x20 + port);
    for (int port = 0x60; port <= 0x67; ++port)
        EXPECT_EQ(In(port), 0x11) << port;
    EXPECT_EQ(Get(machine.dmaAddress[2]), 0x8411);
    EXPECT_EQ(Get(machine.dmaCount[3]), 0x8711);
}

TEST_F(Dma, ReadsAndWritesShareTheFlipFlop) {
    Out(0x65, 0x34);
    EXPECT_EQ(In(0x65), 0x00); // the high byte: the write turned the flip-flop
    Out(0x65, 0x12);           // and the read turned it back
    EXPECT_EQ(Get(machine.dmaCount[2]), 0x0012);
    // A read first sends the next write to the high byte.
    EXPECT_EQ(In(0x64), 0x00);
    Out(0x64, 0xAB);
    EXPECT_EQ(Get(machine.dmaAddress[2]), 0xAB00);
}

TEST_F(Dma, ModeWritesDoNotRestartAPair) {
    Out(0x64, 0x34);
    Out(kMode, 0x00);
    Out(0x64, 0x12);
    EXPECT_EQ(Get(machine.dmaAddress[2]), 0x1234);
    EXPECT_EQ(In(kMode), 0x00);
    // Nor does a machine reset leave a flip-flop behind.
    Out(0x66, 0x77);
    ResetEmu();
    Out(0x66, 0x55);
    EXPECT_EQ(Get(machine.dmaAddress[3]), 0x0055);
    EXPECT_EQ(In(0x66), 0x00); // high byte: flip-flop set by the write
}

TEST_F(Dma, StatusShowsTheCycleCountBesideTheMode) {
    struct Case {
        int32_t cycles;
        uint8_t mode, status;
    };
    for (Case c :
         {Case{0, 0x00, 0x00}, Case{9, 0x00, 0x00}, Case{19, 0x00, 0x00}, Case{10, 0x00, 0x10},
          Case{18, 0x00, 0x10}, Case{1829999, 0x00, 0x10}, Case{1830000 - 6, 0x00, 0x00},
          Case{5, 0x10, 0x10}, Case{0, 0xA4, 0xA4}, Case{12, 0xA4, 0xB4}}) {
        Put(machine.cyclesThisSecond, c.cycles);
        Out(kMode, c.mode);
        EXPECT_EQ(In(kMode), c.status) << c.cycles << " " << int(c.mode);
        EXPECT_EQ(In(kMode), c.status) << "reading changed it";
    }
    // The status read touches no flip-flop.
    Out(0x60, 0x01);
    In(kMode);
    Out(0x60, 0x02);
    EXPECT_EQ(Get(machine.dmaAddress[0]), 0x0201);
}

TEST_F(Dma, RendererSeesChannelTwoAsLoaded) {
    Out(0x64, 0x00);
    Out(0x64, 0xF3);
    Out(0x65, 0x23);
    // Between the two bytes the register already holds the new low byte.
    EXPECT_EQ(Get(machine.dmaCount[2]), 0x0023);
    Out(0x65, 0xC1);
    EXPECT_EQ(Get(machine.dmaAddress[2]), 0xF300);
    EXPECT_EQ(Get(machine.dmaCount[2]), 0xC123); // all 16 bits kept
    EXPECT_EQ(In(0x65), 0x23);
    EXPECT_EQ(In(0x65), 0xC1);
    ResetEmu();
    EXPECT_EQ(Get(machine.dmaAddress[2]), 0);
    EXPECT_EQ(Get(machine.dmaCount[2]), 0);
}

} // namespace

// The programmable character generator: stores through ports 0x00 to 0x02,
// and the host's switch.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/machine.h"
#include "core/z80home.h"
#include "ports.h"
#include "state/machine_state.h"

namespace {

class Pcg : public ::testing::Test {
  protected:
    void SetUp() override {
        MachinePowerOn();
        for (int i = 0; i < kPcgRamSize; ++i)
            Put(machine.pcgRam[i], 0x5A);
        for (int i = 0; i < kFontRomSize; ++i)
            machine.fontRom[i] = static_cast<uint8_t>(i * 3 + (i >> 8));
    }
    static uint8_t Glyph(int address) { return Get(machine.pcgRam[address]); }
};

TEST_F(Pcg, LatchStrobeStoresOnEveryWrite) {
    Out(0x00, 0xAA);
    Out(0x01, 0x08);
    Out(0x02, 0x10);
    EXPECT_EQ(Glyph(0x008), 0xAA);
    // The store used the latch up: the same strobe again stores 0.
    Out(0x02, 0x10);
    EXPECT_EQ(Glyph(0x008), 0x00);
    // The address does not advance.
    EXPECT_EQ(Glyph(0x009), 0x5A);
    Out(0x00, 0x77);
    Out(0x02, 0xDC); // bits 2, 3, 6, 7 ignored; bit 4 stores
    EXPECT_EQ(Glyph(0x008), 0x77);
}

TEST_F(Pcg, RomStrobeCopiesTheUpperCharacterSet) {
    Out(0x00, 0x99);
    Out(0x01, 0x08);
    Out(0x02, 0x31); // address 0x108, ROM wins over the latch strobe
    EXPECT_EQ(Glyph(0x108), machine.fontRom[0x508]);
    EXPECT_EQ(Glyph(0x008), 0x5A);
    Out(0x02, 0x11); // the latch was kept for this
    EXPECT_EQ(Glyph(0x108), 0x99);
    Out(0x01, 0xFF);
    Out(0x02, 0x23);
    EXPECT_EQ(Glyph(0x3FF), machine.fontRom[0x7FF]);
}

TEST_F(Pcg, AddressBitsComeFromTwoPorts) {
    Out(0x00, 0x42);
    Out(0x02, 0x03); // sets bits 8-9 only, stores nothing
    for (int i = 0; i < kPcgRamSize; ++i)
        ASSERT_EQ(Glyph(i), 0x5A) << i;
    Out(0x02, 0x02);
    Out(0x01, 0xFF); // keeps bits 8-9
    Out(0x02, 0x12);
    EXPECT_EQ(Glyph(0x2FF), 0x42);
    // Writes to the port range's other numbers belong to no one.
    for (int port = 0x03; port <= 0x0F; ++port)
        Out(port, 0x31);
    Out(0x00, 0x43);
    Out(0x02, 0xFE); // bits 8-9 = 2 again, bit 5 copies from ROM
    EXPECT_EQ(Glyph(0x2FF), machine.fontRom[0x6FF]);
}

TEST_F(Pcg, PortsWorkOffAndSurviveAMachineReset) {
    Out(0x00, 0x81);
    Out(0x01, 0x10);
    Out(0x02, 0x10);
    Out(0x00, 0x18);
    Out(0x01, 0x11);
    ResetEmu();
    Out(0x02, 0x10);
    EXPECT_EQ(Glyph(0x010), 0x81);
    EXPECT_EQ(Glyph(0x011), 0x18);
    SetPCG(3);
    ResetEmu();
    EXPECT_EQ(GetPCG(), 3);
    // Reads of the same ports are the keyboard's.
    EXPECT_EQ(In(0x00), 0xFF);
}

TEST_F(Pcg, SwitchingOnWithOneRefillsFromRand) {
    Out(0x00, 0xAB);
    Out(0x02, 0x10);
    SetPCG(2);
    EXPECT_EQ(GetPCG(), 2);
    EXPECT_EQ(Glyph(0x000), 0xAB); // other values switch on without a fill
    SetPCG(0);
    EXPECT_EQ(GetPCG(), 0);
    EXPECT_EQ(Glyph(0x000), 0xAB);
    SetPCG(0x81);
    EXPECT_EQ(Glyph(0x000), 0xAB);

    std::srand(1234);
    SetPCG(1);
    EXPECT_EQ(GetPCG(), 1);
    std::srand(1234);
    for (int i = 0; i < kPcgRamSize; ++i)
        ASSERT_EQ(Glyph(i), std::rand() & 0xFF) << i;
    // Again while on: a fresh fill.
    SetPCG(1);
    std::srand(1234);
    int same = 0;
    for (int i = 0; i < kPcgRamSize; ++i)
        same += Glyph(i) == (std::rand() & 0xFF);
    EXPECT_LT(same, 64);
}

} // namespace

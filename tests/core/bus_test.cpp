// The memory map, the port decode and the system control ports, driven
// through BusAccess as the processor drives them.
#include <gtest/gtest.h>

#include "bus/bus.h"
#include "core/z80home.h"
#include "state/machine_state.h"

namespace {

int Read(int address) {
    return BusAccess(address, 0, MemRead);
}
int In(int port) {
    return BusAccess(port, 0, PortRead) & 0xFF;
}
int Out(int port, int data) {
    return BusAccess(port, data, PortWrite);
}

class Bus : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEmu();
        for (int a = 0; a < kBasicRomSize; a++)
            machine.basicRom[a] = static_cast<uint8_t>(a * 7 + 1);
    }
};

TEST_F(Bus, RomOverlaysLowRamForReadsOnly) {
    BusAccess(0x1234, 0x12, MemWrite);
    EXPECT_EQ(Read(0x1234), machine.basicRom[0x1234]);
    Out(0x31, 0x02); // ramSelect
    EXPECT_EQ(Read(0x1234), 0x12);
    Out(0x31, 0x00);
    EXPECT_EQ(Read(0x5FFF), machine.basicRom[0x5FFF]);
    BusAccess(0x6000, 0x5A, MemWrite);
    EXPECT_EQ(Read(0x6000), 0x5A);
}

TEST_F(Bus, AddressesAndDataKeepOnlyTheirWidth) {
    EXPECT_EQ(BusAccess(0x1F00F, 0x1A5, MemWrite), 0);
    EXPECT_EQ(Read(0xF00F), 0xA5);
    EXPECT_EQ(Read(0x10005), machine.basicRom[5]);
    EXPECT_EQ(Read(-1), Read(0xFFFF));
    // A port address carries the processor's high byte: only the low 8 bits select.
    Out(0x12E6, 0x181);
    EXPECT_EQ(In(0xE6), 0x81);
    EXPECT_EQ(In(0x1234), 0); // port 0x34 behaves as 0x30
}

TEST_F(Bus, UnknownKindsAndUnansweredPortsChangeNothing) {
    machine.mainRam[0x8000] = 0x33;
    for (unsigned kind : {4u, 5u, 0x80000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(BusAccess(0x8000, 0x44, kind), 0xFF);
        EXPECT_EQ(machine.mainRam[0x8000], 0x33);
    }
    for (int port : {0x10, 0x1F, 0x69, 0xE5, 0xE7, 0xFF})
        EXPECT_EQ(In(port), 0xFF) << port;
    for (int port : {0x03, 0x0F, 0x69, 0xFF})
        EXPECT_EQ(Out(port, 0xFF), 0xFF) << port;
    EXPECT_EQ(In(0x31), 0x08);
    EXPECT_EQ(In(0xE6), 0);
}

TEST_F(Bus, WriteResultsAreZeroOnlyForOddSerialPorts) {
    for (int port = 0; port < 0x100; port++) {
        if (port >= 0x20 && port <= 0x2F && !(port & 0x01)) continue; // would touch the tape
        int expected = (port >= 0x21 && port <= 0x2F && (port & 1)) ? 0 : 0xFF;
        EXPECT_EQ(Out(port, 0), expected) << std::hex << port;
    }
    ResetEmu();
}

TEST_F(Bus, SystemControlPortsDecodeAndReadBack) {
    Out(0x31, 0xA5);
    EXPECT_EQ(In(0x31), 0xA5);
    EXPECT_EQ(In(0x3D), 0xA5); // odd mirror
    EXPECT_EQ(Get(machine.bgColor), 5);
    EXPECT_EQ(Get(machine.displayOn), 0);
    EXPECT_EQ(Get(machine.ramSelect), 0);

    Out(0x3E, 0xFF);
    EXPECT_EQ(Get(machine.columns80), 1);
    EXPECT_EQ(Get(machine.monoMode), 1);
    EXPECT_EQ(In(0x30), 0);

    Out(0x40, 0x00);
    EXPECT_EQ(Get(machine.beepOn), 0);
    Out(0x4F, 0x20);
    EXPECT_EQ(Get(machine.beepOn), 1);
    Put(machine.vrtcToggle, 1);
    EXPECT_EQ(In(0x4F), 0x20);

    Out(0xE6, 0x81);
    EXPECT_EQ(In(0xE6), 0x81);
}

TEST_F(Bus, ResetRestoresSystemControlButKeepsRam) {
    Out(0x31, 0xFF);
    Out(0x30, 0x03);
    Out(0x40, 0x00);
    Out(0xE6, 0xFF);
    BusAccess(0x9000, 0x77, MemWrite);
    ResetEmu();
    EXPECT_EQ(In(0x31), 0x08);
    EXPECT_EQ(In(0x40), 0);
    EXPECT_EQ(In(0xE6), 0);
    EXPECT_EQ(Get(machine.columns80), 0);
    EXPECT_EQ(Get(machine.monoMode), 0);
    EXPECT_EQ(Get(machine.beepOn), 1);
    EXPECT_EQ(Read(0x9000), 0x77);
}

} // namespace

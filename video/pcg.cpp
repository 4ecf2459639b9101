// Programmable character generator: glyph RAM for codes 128 to 255.
//
//   0x00 write  pcgDataLatch
//   0x01 write  pcgAddress bits 0-7
//   0x02 write  7 6 5 4 3 2 1 0
//               - - | | - - +-+-- pcgAddress bits 8-9 (every write)
//                   | +---------- store pcgDataLatch at pcgAddress, clear it
//                   +------------ store the character ROM's byte for pcgAddress
//                                 (wins over bit 4)
//
// pcgRam byte (code - 128) * 8 + line is one dot line, bit 7 leftmost. The
// strobes act on level: every write with one set stores again, and the
// address never advances by itself.
//
// Not emulated: reading the glyph RAM back (ports 0x00-0x02 read the keyboard).
#include "video/pcg.h"

#include <cstdlib>

#include "state/machine_state.h"
#include "state/state_io.h"

constexpr int kPcgPortData = 0x00;
constexpr int kPcgPortAddressLow = 0x01;
constexpr int kPcgPortControl = 0x02;
constexpr uint16_t kPcgAddressLowMask = 0x00FF;
constexpr uint8_t kPcgAddressHighMask = 0x03;
constexpr int kPcgAddressHighShift = 8;
constexpr uint8_t kPcgStoreLatch = 0x10;
constexpr uint8_t kPcgStoreRom = 0x20;
// pcgRam mirrors the upper half of the character ROM, codes 128 to 255.
constexpr int kPcgRomBase = 0x400;
constexpr unsigned char kPcgRandomFill = 1;

static void PcgStore(uint8_t control) {
    uint16_t address = Get(machine.pcgAddress);
    if (control & kPcgStoreRom) {
        Put(machine.pcgRam[address], machine.fontRom[kPcgRomBase + address]);
    } else if (control & kPcgStoreLatch) {
        Put(machine.pcgRam[address], Get(machine.pcgDataLatch));
        Put(machine.pcgDataLatch, 0);
    }
}

void PcgWrite(int port, uint8_t data) {
    switch (port) {
    case kPcgPortData: Put(machine.pcgDataLatch, data); break;
    case kPcgPortAddressLow:
        Put(machine.pcgAddress, (Get(machine.pcgAddress) & ~kPcgAddressLowMask) | data);
        break;
    case kPcgPortControl:
        Put(machine.pcgAddress, (data & kPcgAddressHighMask) << kPcgAddressHighShift |
                                    (Get(machine.pcgAddress) & kPcgAddressLowMask));
        PcgStore(data);
        break;
    default: break;
    }
}

void PcgSetEnabled(uint8_t flag) {
    // Switching on with 1 starts from noise, as the glyph RAM does at power-on.
    if (flag == kPcgRandomFill)
        for (std::atomic<uint8_t>& byte : machine.pcgRam)
            Put(byte, std::rand() & 0xFF);
    Put(machine.pcgEnabled, flag);
}

uint8_t PcgGetEnabled(void) {
    return Get(machine.pcgEnabled);
}

void PcgPowerOn(void) {
    for (std::atomic<uint8_t>& byte : machine.pcgRam)
        Put(byte, 0);
    Put(machine.pcgAddress, 0);
    Put(machine.pcgDataLatch, 0);
    Put(machine.pcgEnabled, 0);
}

void PcgState(StateIo& io) {
    io.Values(machine.pcgRam);
    io.Value(machine.pcgAddress);
    io.Require(io.Last() < kPcgRamSize); // it indexes pcgRam
    io.Value(machine.pcgDataLatch);
    io.Value(machine.pcgEnabled);
}

// DMA controller: the register file only; no transfer is ever made.
//
//   0x60 + 2c  r/w  address register of channel c (16 bits)
//   0x61 + 2c  r/w  count register of channel c (16 bits)
//                   each register moves one byte per access, low byte first;
//                   reads and writes share its flip-flop (dmaFlipFlops bit
//                   port - 0x60; 1 = the next access is the high byte)
//   0x68 write      dmaMode: stored whole
//        read       status  7 6 5 4 3 2 1 0
//                           +-----+ | +---+-- dmaMode as written
//                                   +-- also set while cyclesThisSecond % 19
//                                       lies in 10..18
//
// The renderer reads channel 2: its address is the start of the screen and
// the low 14 bits of its count the highest offset drawn.
//
// Not emulated: transfers, terminal counts and the mode's meaning.
#include "video/dma.h"

#include "state/machine_state.h"
#include "state/state_io.h"

constexpr int kDmaFirstPort = 0x60;
constexpr int kDmaModePort = 0x68;
constexpr int kDmaStatusPeriod = 19;
constexpr int kDmaStatusLastLow = 9;
constexpr uint8_t kDmaStatusBusy = 0x10;

// Port 0x60 + n is register n: even n an address, odd n a count.
static std::atomic<uint16_t>& DmaRegister(int index) {
    int channel = index >> 1;
    return (index & 1) ? machine.dmaCount[channel] : machine.dmaAddress[channel];
}

// Returns whether the access concerns the high byte, and turns the flip-flop.
static bool DmaFlip(int index) {
    uint8_t bit = static_cast<uint8_t>(1u << index);
    uint8_t flipFlops = Get(machine.dmaFlipFlops);
    Put(machine.dmaFlipFlops, flipFlops ^ bit);
    return flipFlops & bit;
}

void DmaWrite(int port, uint8_t data) {
    if (port == kDmaModePort) {
        Put(machine.dmaMode, data);
        return;
    }
    int index = port - kDmaFirstPort;
    std::atomic<uint16_t>& reg = DmaRegister(index);
    uint16_t value = Get(reg);
    if (DmaFlip(index))
        Put(reg, (value & 0x00FF) | data << 8);
    else
        Put(reg, (value & 0xFF00) | data);
}

uint8_t DmaRead(int port) {
    if (port == kDmaModePort) {
        bool busy = Get(machine.cyclesThisSecond) % kDmaStatusPeriod > kDmaStatusLastLow;
        return Get(machine.dmaMode) | (busy ? kDmaStatusBusy : 0);
    }
    int index = port - kDmaFirstPort;
    uint16_t value = Get(DmaRegister(index));
    return static_cast<uint8_t>(DmaFlip(index) ? value >> 8 : value);
}

void DmaReset(void) {
    for (int channel = 0; channel < 4; ++channel) {
        Put(machine.dmaAddress[channel], 0);
        Put(machine.dmaCount[channel], 0);
    }
    Put(machine.dmaFlipFlops, 0);
    Put(machine.dmaMode, 0);
}

void DmaState(StateIo& io) {
    io.Values(machine.dmaAddress);
    io.Values(machine.dmaCount);
    io.Value(machine.dmaFlipFlops);
    io.Value(machine.dmaMode);
}

// BusAccess: the memory map and the I/O port decode.
//
// Memory: 64 KB of RAM; the 24 KB BASIC ROM overlays 0x0000-0x5FFF for reads
// while ramSelect is 0. Writes always land in RAM, under the ROM too.
//
// Ports: only the low 8 bits of the address count. The decode is one switch
// on the port number; where a range splits into even and odd ports, bit 0
// alone picks the function. A port no device answers reads 0xFF and ignores
// writes. Port writes return 0xFF, except the odd serial ports, which return 0.
//
// Every access the processor makes is also offered to a watcher above, behind
// one test of a flag for its page of 256 addresses (ports: one page).
#include "bus/bus.h"

#include <cstring>

#include "bus/keyboard.h"
#include "bus/sysctl.h"
#include "devices/calendar.h"
#include "devices/cassette.h"
#include "state/machine_state.h"
#include "video/crtc.h"
#include "video/dma.h"
#include "video/pcg.h"

constexpr int kRomEnd = 0x6000;
constexpr int kUnanswered = 0xFF;

void (*busWatchHook)(int address, int data, unsigned kind);
// The watched addresses by access kind, a bit each, and the pages that hold
// one.
static uint8_t busWatchMap[4][0x10000 / 8];
static uint8_t busWatchPages[4][0x100];

static int BusPortWrite(int port, uint8_t data) {
    switch (port) {
    case 0x00 ... 0x02: // character generator: data, address low, address high + strobes
        PcgWrite(port, data);
        break;
    case 0x03 ... 0x0F: // keyboard rows: nothing to write
        break;
    case 0x10 ... 0x1F: // calendar command and data-in latch
        CalendarWriteLatch(data);
        break;
    case 0x20 ... 0x2F: // serial: even appends to the tape, odd is ignored and answers 0
        if (port & 1) return 0;
        CassetteWriteData(data);
        break;
    case 0x30 ... 0x3F: // system control: even is port 0x30, odd is port 0x31
        if (port & 1)
            SysCtlWrite31(data);
        else
            SysCtlWrite30(data);
        break;
    case 0x40 ... 0x4F: // system control port 0x40: calendar strobe and clock, beeper
        SysCtlWrite40(data);
        break;
    case 0x50 ... 0x5F: // CRT controller: even is the data port, odd the command port
        if (port & 1)
            CrtcWriteCommand(data);
        else
            CrtcWriteData(data);
        break;
    case 0x60 ... 0x68: // DMA controller: channel address/count registers, mode
        DmaWrite(port, data);
        break;
    case 0xE6: // interrupt mask
        SysCtlWriteE6(data);
        break;
    default: // 0x69-0xE5, 0xE7-0xFF: nothing answers
        break;
    }
    return kUnanswered;
}

static int BusPortRead(int port) {
    switch (port) {
    case 0x00 ... 0x0F: // keyboard rows (0x0A-0x0F never hold a key)
        return KeyboardReadRow(port);
    case 0x10 ... 0x1F: // calendar latch is write-only
        return kUnanswered;
    case 0x20 ... 0x2F: // serial: even is the next tape byte, odd the status
        return (port & 1) ? CassetteReadStatus() : CassetteReadData();
    case 0x30 ... 0x3F: // system control: port 0x30 reads 0, port 0x31 reads back
        return (port & 1) ? SysCtlRead31() : SysCtlRead30();
    case 0x40 ... 0x4F: // system status
        return SysCtlRead40();
    case 0x50 ... 0x5F: // CRT controller: even is data/light pen, odd the status
        return (port & 1) ? CrtcReadStatus() : CrtcReadData();
    case 0x60 ... 0x68: // DMA controller registers and status
        return DmaRead(port);
    case 0xE6: // interrupt mask
        return SysCtlReadE6();
    default: return kUnanswered;
    }
}

const char* BusPortName(int port, bool write) {
    port &= 0xFF;
    static const char* const kKeyboardRows[] = {
        "keyboard row 0", "keyboard row 1", "keyboard row 2", "keyboard row 3", "keyboard row 4",
        "keyboard row 5", "keyboard row 6", "keyboard row 7", "keyboard row 8", "keyboard row 9"};
    static const char* const kDma[] = {"DMA channel 0 address", "DMA channel 0 count",
                                       "DMA channel 1 address", "DMA channel 1 count",
                                       "DMA channel 2 address", "DMA channel 2 count",
                                       "DMA channel 3 address", "DMA channel 3 count"};
    switch (port) {
    case 0x00: return write ? "character generator data" : kKeyboardRows[0];
    case 0x01: return write ? "character generator address low" : kKeyboardRows[1];
    case 0x02: return write ? "character generator address high" : kKeyboardRows[2];
    case 0x03 ... 0x09: return write ? nullptr : kKeyboardRows[port];
    case 0x10 ... 0x1F: return write ? "calendar command" : nullptr;
    case 0x20 ... 0x2F: return (port & 1) ? (write ? nullptr : "tape status") : "tape data";
    case 0x30 ... 0x3F: return (port & 1) ? "system control 31H" : "system control 30H";
    case 0x40 ... 0x4F: return write ? "system control 40H" : "system status";
    case 0x50 ... 0x5F:
        return (port & 1) ? (write ? "CRT command" : "CRT status")
                          : (write ? "CRT parameter" : "CRT data");
    case 0x60 ... 0x67: return kDma[port - 0x60];
    case 0x68: return write ? "DMA mode" : "DMA status";
    case 0xE6: return "interrupt mask";
    default: return nullptr;
    }
}

int BusPeek(int address) {
    int a = address & 0xFFFF;
    if (a < kRomEnd && !Get(machine.ramSelect)) return machine.basicRom[a];
    return Get(machine.mainRam[a]);
}

// A memory access at a 16-bit address.
static inline int BusMemory(int address, int data, unsigned kind) {
    if (kind == MemRead) return BusPeek(address);
    Put(machine.mainRam[address], data & 0xFF);
    return 0;
}

int BusDecode(int address, int data, unsigned kind) {
    switch (kind) {
    case MemWrite:
    case MemRead: return BusMemory(address & 0xFFFF, data, kind);
    case PortWrite: return BusPortWrite(address & 0xFF, static_cast<uint8_t>(data));
    case PortRead: return BusPortRead(address & 0xFF);
    default: return kUnanswered;
    }
}

void BusWatchClear(void) {
    std::memset(busWatchMap, 0, sizeof busWatchMap);
    std::memset(busWatchPages, 0, sizeof busWatchPages);
}

void BusWatchRange(unsigned kind, int first, int last) {
    for (int at = first; at <= last; ++at) {
        busWatchMap[kind][at >> 3] |= static_cast<uint8_t>(1 << (at & 7));
        busWatchPages[kind][at >> 8] = 1;
    }
}

// A port, an unknown kind, or memory near a watched address: decoded, then
// offered to the watcher if marked.
[[gnu::noinline]] static int BusAccessSlow(int address, int data, unsigned kind) {
    int result = BusDecode(address, data, kind);
    if (kind > PortRead || !busWatchHook) return result;
    int at = kind >= PortWrite ? address & 0xFF : address & 0xFFFF;
    if (busWatchMap[kind][at >> 3] & (1 << (at & 7)))
        busWatchHook(at, kind == MemRead || kind == PortRead ? result : data & 0xFF, kind);
    return result;
}

int BusAccess(int address, int data, unsigned kind) {
    int a = address & 0xFFFF;
    if (kind <= MemRead && !busWatchPages[kind][a >> 8]) [[likely]]
        return BusMemory(a, data, kind);
    return BusAccessSlow(address, data, kind);
}

// The machine bus: every memory and port access of the processor, and the
// renderer's video memory reads, pass through BusAccess.
#pragma once

#include "z80/z80.h"

// The processor's access kinds, by the names the emulator uses.
enum AccessKind : unsigned {
    MemWrite = Z80MemWrite,
    MemRead = Z80MemRead,
    PortWrite = Z80PortWrite,
    PortRead = Z80PortRead
};

int BusAccess(int address, int data, unsigned kind);

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
// What BusAccess does, unseen by the debugger's watchpoints.
int BusDecode(int address, int data, unsigned kind);

// The byte a memory read returns, without passing through BusAccess (for
// inspection: nothing the processor does is seen).
int BusPeek(int address);
// What answers a port (only its low 8 bits count) when read or written, for
// listings; nullptr where nothing does.
const char* BusPortName(int port, bool write);

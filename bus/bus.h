// The machine bus: every memory and port access of the processor, and the
// renderer's video memory reads, pass through BusAccess.
#pragma once

#include <cstdint>

#include "z80/z80.h"

// The processor's access kinds, by the names the emulator uses.
enum AccessKind : unsigned {
    MemWrite = Z80MemWrite,
    MemRead = Z80MemRead,
    PortWrite = Z80PortWrite,
    PortRead = Z80PortRead
};

int BusAccess(int address, int data, unsigned kind);

// Watching the processor's accesses (the debugger's watchpoints): a layer
// above marks the addresses it wants with BusWatchRange, by access kind
// (ports by their low byte), and sets busWatchHook; BusAccess then calls the
// hook after each access to a marked address, with the byte the access
// moved. A memory access pays one test, of a flag for the 256 addresses
// around it, whether anything is watched or not; only an access near a
// marked address looks further. The marks and the hook change only on the
// processor's thread, or while no thread of the machine runs.
extern void (*busWatchHook)(int address, int data, unsigned kind);
void BusWatchClear(void);
void BusWatchRange(unsigned kind, int first, int last);
// What BusAccess does, unseen by the debugger's watchpoints.
int BusDecode(int address, int data, unsigned kind);

// The byte a memory read returns, without passing through BusAccess (for
// inspection: nothing the processor does is seen).
int BusPeek(int address);
// What answers a port (only its low 8 bits count) when read or written, for
// listings; nullptr where nothing does.
const char* BusPortName(int port, bool write);

// The machine bus: every memory and port access of the processor, and the
// renderer's video memory reads, pass through BusAccess.
#pragma once

enum AccessKind : unsigned { MemWrite = 0, MemRead = 1, PortWrite = 2, PortRead = 3 };

int BusAccess(int address, int data, unsigned kind);

// Run control inside the library: the emulation threads and the pieces of
// them that tests drive deterministically on their own thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <windows.h>

#include "state/machine_state.h"

constexpr DWORD kShortestSliceMs = 16;
constexpr DWORD kShortestFrameMs = 17;
constexpr uint8_t kTickVector = 4;

// The machine's reset: the devices' registers and the processor to their
// reset values. RAM, glyph RAM, held keys (key changes still waiting for the
// program's scans are made at once), the light-pen latch, the tape and the
// host's options survive it. Call it only where no instruction runs at
// the same time: between two instructions on the processor's thread, or
// while no thread of the machine runs.
void MachineReset(void);
// Power-on: every field of the record to the value it holds when the library
// is loaded (RAM, glyph RAM, keys, the tape and the host's options cleared,
// the renderer's carried state too), then the reset. It keeps what RunEmu
// acquires once: the ROM images, the host's window, the frame, the beeper's
// device, the palette and `running`. Call it only while no thread of the
// machine runs.
void MachinePowerOn(void);
// RunEmu's start-up short of the threads: the beeper's device, the
// processor, the ROM images from the working directory, the window and the
// frame. False, with no frame, when the frame cannot be had. A host without
// threads (the web page) calls it and then drives the pieces below itself.
bool MachineStart(HWND window, HDC dc);
// One slice of CpuThread without its sleep: runs the processor until the
// slice budget is spent, delivering pending interrupts between
// instructions, raising the tick every eighth of a slice budget of cycles
// (RunControlTickCycles), applying the host's input at its cycles
// (input/input.h) and stopping at machine.stopCycle, and accounts the
// cycles to cyclesThisSecond when the slice ends. Returns the cycles run.
// A slice cut short (a stop, a breakpoint, the limit below) goes on at the
// next call, so where slices end, and what the DMA status port shows, does
// not depend on how a host divides the running.
int32_t CpuRunSlice(void);
// The same for at most most cycles of the slice under way (at least one
// instruction unless the machine stops first), for drivers that run the
// machine in smaller steps.
int32_t CpuRunSliceUpTo(int32_t most);
// Looking in between instructions (the debugger): a layer above marks the
// addresses it wants to see reached in machineBreakMap (a byte an address,
// nonzero: marked, so the loop's test is one load) and sets
// machineCheckHook. The slice loop then calls the hook before each
// instruction at a marked address, and before every instruction while
// machineCheckEvery is set, with the cycles run since machine.cyclesRun was
// last brought up to date (the machine's cycle is their sum); the
// hook returns true to end the slice there (the machine stopped). While the
// hook is null the loop pays one test for it. The map changes only on the
// processor's thread, or while no thread of the machine runs; the hook and
// the flag may be set from any thread.
extern std::atomic<bool (*)(int32_t sliceCycles)> machineCheckHook;
extern std::atomic<uint8_t> machineCheckEvery;
extern uint8_t machineBreakMap[0x10000];
// Work in the machine's own time for a layer above (a rewind's snapshots):
// while set, the slice loop calls machineTickHook on the processor's thread
// after each tick. Null: the loop pays one test a tick period. Set and
// cleared from any thread.
extern std::atomic<void (*)(void)> machineTickHook;
// A stop a layer above judges at each slice's end (text on the screen):
// true pauses the machine there, as a stop at a cycle does. Null: none.
extern std::atomic<bool (*)(void)> machineSliceEndHook;
// One tick: counts it and requests the periodic interrupt if it is
// enabled. A request does not queue: one still pending is renewed, and
// clearing the mask bit does not withdraw it.
void TickOnce(void);
// Milliseconds from one GetSystemTime millisecond reading to another.
int32_t ElapsedMs(WORD startMs, WORD endMs);

DWORD WINAPI CpuThread(LPVOID);
DWORD WINAPI ScreenThread(LPVOID);
